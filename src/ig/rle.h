#pragma once
// The run-length code of IG objects and the colour conversions of palettes.
//
// Code of one line, byte-aligned, ended by 00 00:
//   CC (CC != 00)                    one pixel of colour CC
//   00 00                            end of line
//   00 00LLLLLL                      L (1..63) pixels of colour 0
//   00 01LLLLLL LLLLLLLL             L (14 bits) pixels of colour 0
//   00 10LLLLLL CC                   L (6 bits) pixels of colour CC
//   00 11LLLLLL LLLLLLLL CC          L (14 bits) pixels of colour CC
// A run of length 0 fills the rest of its line.

#include "core/bytes.h"
#include "ig/image.h"
#include "ig/model.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace navora {

// What a decode met besides well-formed lines.
struct RleDecodeReport {
    bool cutCode = false;     // the data ended inside a code (the partial code is dropped)
    bool extraLines = false;  // codes for lines below the object's height (ignored)
};

// Decodes coded into picture, whose width, height and pixel buffer must be
// set; every pixel not written by a run is 0. A run that would pass the right
// edge is cut there and ends its line; lines past the height are not written.
// Every write is bounds-checked, whatever the data.
RleDecodeReport rleDecodeInto(std::span<const std::uint8_t> coded, IndexedImage& picture);

// Codes a picture. Runs of colour 0, and runs of three pixels or more of
// another colour, become run codes; one or two pixels of another colour are
// written as single pixels. Runs longer than the 14-bit length field holds
// (16,383) are split.
Bytes rleEncode(const IndexedImage& picture);

// --- Colour conversions ---
//
// Palettes hold studio-range Y, Cr, Cb. Players turn them into colours with
// the matrix of the video: BT.709 for HD, BT.601 for SD. BT.601 uses integer
// arithmetic with three-decimal coefficients, division truncating toward
// zero; BT.709 rounds to the nearest value, so that every Y, Cr, Cb inside
// the RGB cube comes back unchanged from its colour.

TRGBA ycrcb2rgb(std::uint8_t Y, std::uint8_t Cr, std::uint8_t Cb, std::uint8_t T,
                ColourMatrix matrix = ColourMatrix::BT601);
TYCrCb rgb2ycrcb(std::uint8_t R, std::uint8_t G, std::uint8_t B, ColourMatrix matrix = ColourMatrix::BT601);

// The matrix players use for a menu of this video size: BT.709 above 576
// lines (1280x720, 1440x1080, 1920x1080), BT.601 for SD (720x480, 720x576).
ColourMatrix videoMatrix(std::uint16_t width, std::uint16_t height);
inline ColourMatrix videoMatrix(const TIGSc& m) { return videoMatrix(m.video_width, m.video_height); }
// Auto: the video's matrix.
ColourMatrix resolveMatrix(MatrixChoice choice, const TIGSc& m);
// "auto", "601", "709" (also "bt601", "bt709", any letter case); nullopt otherwise.
std::optional<MatrixChoice> parseMatrixChoice(std::string_view text);
const char* matrixName(ColourMatrix matrix);  // "BT.601", "BT.709"

// Makes every palette's display colours with the matrix (entries without a
// display colour stay without one; T is kept) and records it in the menu.
void setColourMatrix(TIGSc& m, ColourMatrix matrix);

}  // namespace navora
