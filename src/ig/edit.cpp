#include "ig/edit.h"

#include "ig/rle.h"

#include <fmt/format.h>

#include <map>
#include <stdexcept>
#include <vector>

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

    // Y, Cr, Cb of each PNG colour: a colour the menu already shows keeps
    // the values it was made from (so that an exported image comes back
    // exactly, also for values no RGB colour reaches), else the menu's
    // colour matrix converts it. The replaced palette's own entry is asked
    // first, then the same entry of every palette (colour and T alike), then
    // any shown entry of that colour.
    const std::size_t count = std::min<std::size_t>(png.palette.size(), 255);
    std::vector<TYCrCb> values(count);
    {
        auto same = [](const TRGBA& c, const std::array<std::uint8_t, 3>& rgb, std::uint8_t alpha) {
            return c.R == rgb[0] && c.G == rgb[1] && c.B == rgb[2] && c.T == alpha;
        };
        std::map<std::uint32_t, TYCrCb> anyEntry;
        for (auto p = m.palettes.rbegin(); p != m.palettes.rend(); ++p)
            for (std::size_t e = 256; e-- > 0;)
                if (!p->colours[e].zero())
                    anyEntry[(std::uint32_t{p->colours[e].R} << 16) | (p->colours[e].G << 8) | p->colours[e].B] =
                        p->entries[e];
        for (std::size_t e = 0; e < count; ++e) {
            const auto& rgb = png.palette[e];
            const std::uint8_t alpha = e < png.transparency.size() ? png.transparency[e] : 255;
            std::optional<TYCrCb> v;
            if (replacePalette && same(m.palettes[*replacePalette].colours[e], rgb, alpha))
                v = m.palettes[*replacePalette].entries[e];
            for (std::size_t p = 0; !v && p < m.palettes.size(); ++p)
                if (same(m.palettes[p].colours[e], rgb, alpha)) v = m.palettes[p].entries[e];
            if (!v) {
                const auto it = anyEntry.find((std::uint32_t{rgb[0]} << 16) | (rgb[1] << 8) | rgb[2]);
                if (it != anyEntry.end()) v = it->second;
            }
            values[e] = v.value_or(rgb2ycrcb(rgb[0], rgb[1], rgb[2], m.colour_matrix));
        }
    }

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
        } else if (e < count) {
            const auto& rgb = png.palette[e];
            const std::uint8_t alpha = e < png.transparency.size() ? png.transparency[e] : 255;
            pal.colours[e] = {rgb[0], rgb[1], rgb[2], alpha};
            pal.entries[e] = values[e];
        } else {
            pal.colours[e] = {};
        }
    }
    return at;
}

}  // namespace navora
