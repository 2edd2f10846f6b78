#pragma once
// Pictures as PNG files: any PNG read as RGBA (a background picture), and a
// page picture written as an RGB PNG.

#include "core/bytes.h"
#include "ig/image.h"

#include <span>
#include <string>

namespace navora {

// The largest side of a picture read from a PNG.
inline constexpr int kMaxPictureSide = 8192;

// Reads a PNG of any colour type and bit depth as 8-bit RGBA (not
// premultiplied). Throws FormatError naming the file for data that is no
// readable PNG, and for a picture wider or higher than kMaxPictureSide (its
// size is checked before anything is allocated for it).
RgbaImage readPngRgba(std::span<const std::uint8_t> data, const std::string& name);

// The picture as an 8-bit RGB PNG (alpha dropped).
Bytes writePngRgb(const RgbaImage& picture);
// The picture as an 8-bit RGBA PNG.
Bytes writePngRgba(const RgbaImage& picture);

}  // namespace navora
