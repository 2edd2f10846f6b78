#include "preview/pictures.h"

#include "ig/objects.h"
#include "ig/rle.h"

#include <algorithm>
#include <cstring>

namespace navora {

std::shared_ptr<const IndexedImage> PictureCache::indexed(const TIGSc& m, std::size_t o) {
    if (o >= m.objects.size()) return nullptr;
    const TIGobject& obj = m.objects[o];
    if (obj.picture) return obj.picture;
    if (obj.fragments.empty() || obj.width == 0 || obj.height == 0 || obj.width > kMaxObjectSide ||
        obj.height > kMaxObjectSide)
        return nullptr;
    if (decoded_.size() <= o) decoded_.resize(o + 1);
    Decoded& d = decoded_[o];
    if (d.picture && d.resource == m.resource && d.fragments == obj.fragments && d.length == obj.object_data_length &&
        d.width == obj.width && d.height == obj.height)
        return d.picture;
    auto pic = std::make_shared<IndexedImage>(obj.width, obj.height);
    rleDecodeInto(objectCodedBytes(m, o), *pic);
    d = {m.resource, obj.fragments, obj.object_data_length, obj.width, obj.height, std::move(pic)};
    return d.picture;
}

std::shared_ptr<const RgbaImage> PictureCache::picture(const TIGSc& m, std::size_t o, std::size_t p) {
    const auto source = indexed(m, o);
    if (!source) return nullptr;
    // Palette ids are 8 bits; an index beyond them and the menu's palettes is
    // all transparent and not worth a cache slot.
    if (p >= std::max<std::size_t>(256, m.palettes.size()))
        return std::make_shared<const RgbaImage>(toRgba(*source, TRGBApalettes{}));
    if (converted_.size() <= o) converted_.resize(o + 1);
    if (converted_[o].size() <= p) converted_[o].resize(p + 1);
    Converted& c = converted_[o][p];
    const TRGBApalettes colours = id2pal(m, p);
    if (c.picture && c.source == source && c.colours == colours) return c.picture;
    c.source = source;
    c.colours = colours;
    c.picture = std::make_shared<const RgbaImage>(toRgba(*source, colours));
    return c.picture;
}

std::shared_ptr<const RgbaImage> PictureCache::cropped(const TIGSc& m, std::size_t o, std::size_t p, int left,
                                                       int top, int width, int height) {
    const auto full = picture(m, o, p);
    if (!full) return nullptr;
    // Only the part of the rectangle inside the object has pixels.
    left = std::max(left, 0);
    top = std::max(top, 0);
    auto out = std::make_shared<RgbaImage>();
    out->width = std::clamp(std::min(width, full->width - left), 0, full->width);
    out->height = std::clamp(std::min(height, full->height - top), 0, full->height);
    out->rgba.resize(static_cast<std::size_t>(out->width) * static_cast<std::size_t>(out->height) * 4);
    for (int y = 0; y < out->height; ++y)
        std::memcpy(&out->rgba[static_cast<std::size_t>(y) * static_cast<std::size_t>(out->width) * 4],
                    &full->rgba[(static_cast<std::size_t>(y + top) * static_cast<std::size_t>(full->width) +
                                 static_cast<std::size_t>(left)) * 4],
                    static_cast<std::size_t>(out->width) * 4);
    return out;
}

void PictureCache::preload(const TIGSc& m, std::size_t page) {
    forEachPageObject(m, page, [&](std::size_t id, std::size_t palette) { picture(m, id, palette); });
}

void PictureCache::clear() {
    decoded_.clear();
    converted_.clear();
}

}  // namespace navora
