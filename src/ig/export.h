#pragma once
// Files made from objects and palettes: palettes as ".pxml" (YCrCb palette
// definition text) or ".act" (768 bytes of R, G, B), and object images as
// 8-bit palette PNG.

#include "core/bytes.h"
#include "ig/model.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace navora {

// The ".pxml" text: an XML palette definition with one PaletteData block per
// entry 0..255 (R, G, B, T of the display colour, Y, Cr, Cb of the entry),
// lines ending in CR LF.
std::string paletteToPxml(const TIGpalette& palette);
// The ".act" bytes: R, G, B of entries 0..255.
Bytes paletteToAct(const TIGpalette& palette);
// The palette file for a file name's extension, compared exactly: ".pxml" or
// ".act"; any other extension gives an empty file.
Bytes paletteFile(const TIGpalette& palette, const std::string& extension);
// "palette_000": the name proposed for palette list index p.
std::string paletteFileName(std::size_t p);

// "IGobject_0005_pal_01": the name proposed for object o shown with palette p.
std::string objectImageName(std::size_t o, std::size_t p);
// Object o as a PNG with palette p's display colours (an object the model
// holds undecoded is decoded for the image only); the "Software" text is
// `software`. Throws std::out_of_range when there is no object o or it has no
// pixels.
Bytes objectImagePng(const TIGSc& menu, std::size_t o, std::size_t p, const std::string& software);

struct ObjectImageFile {
    std::string name;  // "IGobject_0005_pal_01.png"
    std::uint16_t width = 0, height = 0;
};
// Writes every object that has pixels into dir (created when missing) as
// objectImageName(o, p) + ".png", p being the palette the first page that
// uses it shows it with (paletteForObject; 0 when unused). All or nothing:
// the images are written into a staging folder and moved into dir only when
// every one is written, so a full disk leaves no image behind. Throws IoError
// when a file cannot be written.
std::vector<ObjectImageFile> writeObjectImages(const TIGSc& menu, const std::filesystem::path& dir,
                                               const std::string& software);

}  // namespace navora
