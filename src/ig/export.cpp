#include "ig/export.h"

#include "core/fileio.h"
#include "ig/objects.h"
#include "ig/png.h"

#include <fmt/format.h>

#include <stdexcept>

namespace navora {

std::string paletteToPxml(const TIGpalette& palette) {
    std::string s;
    auto line = [&s](const std::string& text) {
        s += text;
        s += "\r\n";
    };
    line(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>)");
    line(R"(<PaletteDefinition UseForm="YCrCb">)");
    for (std::size_t e = 0; e < 256; ++e) {
        const TRGBA& c = palette.colours[e];
        const TYCrCb& y = palette.entries[e];
        line("");
        line(fmt::format(R"(  <PaletteData PaletteEntryId="{}" UseForm="YCrCb">)", e));
        line(fmt::format("    <R>{}</R>", c.R));
        line(fmt::format("    <G>{}</G>", c.G));
        line(fmt::format("    <B>{}</B>", c.B));
        line(fmt::format("    <T>{}</T>", c.T));
        line(fmt::format("    <Y>{}</Y>", y.Y));
        line(fmt::format("    <Cr>{}</Cr>", y.Cr));
        line(fmt::format("    <Cb>{}</Cb>", y.Cb));
        line("  </PaletteData>");
    }
    line("");
    line("</PaletteDefinition>");
    return s;
}

Bytes paletteToAct(const TIGpalette& palette) {
    Bytes out;
    out.reserve(768);
    for (const TRGBA& c : palette.colours) out.insert(out.end(), {c.R, c.G, c.B});
    return out;
}

Bytes paletteFile(const TIGpalette& palette, const std::string& extension) {
    if (extension == ".pxml") {
        const std::string text = paletteToPxml(palette);
        return Bytes(text.begin(), text.end());
    }
    if (extension == ".act") return paletteToAct(palette);
    return {};
}

std::string paletteFileName(std::size_t p) { return fmt::format("palette_{:03}", p); }

std::string objectImageName(std::size_t o, std::size_t p) { return fmt::format("IGobject_{:04X}_pal_{:02X}", o, p); }

Bytes objectImagePng(const TIGSc& menu, std::size_t o, std::size_t p, const std::string& software) {
    if (o >= menu.objects.size()) throw std::out_of_range(fmt::format("there is no object {}", o));
    // The cache decodes without keeping the picture in the model; no budget
    // is needed for the one picture.
    TObjectCache decoder;
    const auto picture = decoder.indexed(menu, o);
    if (!picture || picture->pixels.empty())
        throw std::out_of_range(fmt::format("object {} has no pixels", o));
    return writeIndexedPng(*picture, id2pal(menu, p), software);
}

std::vector<ObjectImageFile> writeObjectImages(const TIGSc& menu, const std::filesystem::path& dir,
                                               const std::string& software) {
    std::vector<ObjectImageFile> written;
    StagedFolder staged(dir);
    for (std::size_t o = 0; o < menu.objects.size(); ++o) {
        const TIGobject& obj = menu.objects[o];
        if (!obj.defined() || obj.width == 0 || obj.height == 0) continue;
        const std::size_t p = paletteForObject(menu, o).value_or(0);
        ObjectImageFile file{objectImageName(o, p) + ".png", obj.width, obj.height};
        saveAtomic(staged.path() / file.name, objectImagePng(menu, o, p, software));
        written.push_back(std::move(file));
    }
    staged.commit();
    return written;
}

}  // namespace navora
