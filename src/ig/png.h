#pragma once
// Object images as PNG files: 8-bit palette images whose pixels are the
// object's palette indices, with the palette's display colours in PLTE and
// their transparency in tRNS.

#include "core/bytes.h"
#include "ig/image.h"
#include "ig/model.h"

#include <array>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace navora {

// A readable image that is not an 8-bit indexed-colour PNG (or is too large
// for a menu). what() is the text the user sees: "Not supported file format!".
class UnsupportedImageError : public std::runtime_error {
public:
    UnsupportedImageError() : std::runtime_error("Not supported file format!") {}
};

// An 8-bit indexed-colour PNG as read.
struct IndexedPng {
    IndexedImage image;
    std::vector<std::array<std::uint8_t, 3>> palette;  // PLTE: red, green, blue
    std::vector<std::uint8_t> transparency;            // tRNS alpha values (may be shorter than the palette)
};

// Reads an 8-bit indexed-colour PNG. Throws UnsupportedImageError for a PNG
// of another colour type or bit depth, or one wider or higher than
// kMaxObjectSide; FormatError (with the image library's message) for data
// that is no readable PNG. Interlaced images are read as well.
IndexedPng readIndexedPng(std::span<const std::uint8_t> data, const std::string& name);

// An 8-bit palette PNG of the picture: PLTE holds the 256 display colours,
// tRNS their 256 T values, and a tEXt chunk "Software" holds `software`.
Bytes writeIndexedPng(const IndexedImage& picture, const TRGBApalettes& colours, const std::string& software);

}  // namespace navora
