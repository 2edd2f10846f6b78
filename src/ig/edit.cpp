#include "ig/edit.h"

#include "ig/rle.h"

#include <fmt/format.h>

#include <stdexcept>

namespace navora {

ImportedImage importObjectImage(TIGSc& m, const IndexedPng& png, std::optional<std::size_t> replaceObject,
                                std::optional<std::size_t> replacePalette) {
    if (png.image.width > m.video_width || png.image.height > m.video_height) throw UnsupportedImageError();
    if (replaceObject && *replaceObject >= m.objects.size())
        throw std::out_of_range(fmt::format("there is no object {} to replace", *replaceObject));
    if (replacePalette && *replacePalette >= m.palettes.size())
        throw std::out_of_range(fmt::format("there is no palette {} to replace", *replacePalette));
    if (!replaceObject && m.objects.size() >= 0x10000) throw std::length_error("a menu holds at most 65,536 objects");
    if (!replacePalette && m.palettes.size() >= 256) throw std::length_error("a menu holds at most 256 palettes");

    // Everything that can fail is done before the menu changes.
    auto picture = std::make_shared<const IndexedImage>(png.image);
    const auto codedLength = static_cast<std::uint32_t>(rleEncode(*picture).size());

    ImportedImage at;
    at.object = replaceObject.value_or(m.objects.size());
    at.palette = replacePalette.value_or(m.palettes.size());
    if (!replaceObject) m.objects.emplace_back();
    if (!replacePalette) m.palettes.emplace_back();

    TIGobject& obj = m.objects[at.object];
    obj.object_id = static_cast<std::uint16_t>(at.object);
    obj.width = picture->width;
    obj.height = picture->height;
    obj.picture = std::move(picture);
    obj.object_data_length = codedLength;
    obj.fragments.clear();  // the picture is the object's data now

    TIGpalette& pal = m.palettes[at.palette];
    pal.palette_id = static_cast<std::uint16_t>(at.palette);
    for (std::size_t e = 0; e < 256; ++e) {
        pal.entries[e] = {};
        const std::uint8_t T = pal.colours[e].T;
        if (e == 255) {
            pal.colours[e] = {0, 0, 0, T};
        } else if (e < png.palette.size()) {
            const auto& rgb = png.palette[e];
            const std::uint8_t alpha = e < png.transparency.size() ? png.transparency[e] : 255;
            pal.colours[e] = {rgb[0], rgb[1], rgb[2], alpha};
            pal.entries[e] = rgb2ycrcb(rgb[0], rgb[1], rgb[2]);
        } else {
            pal.colours[e] = {};
        }
    }
    return at;
}

}  // namespace navora
