#pragma once
// Drawing on engine-owned RGBA pictures (ig/image.h): opaque fills, copies of
// rectangles between pictures of the same size, alpha blending of object
// pictures, one-pixel frames and hexadecimal labels from a small built-in
// glyph set. Every operation clips to the picture, so no coordinate from a
// menu can write outside it.

#include "ig/image.h"

#include <cstdint>
#include <string_view>

namespace navora {

// A colour as 0xRRGGBB.
using Colour = std::uint32_t;

constexpr Colour rgb(int r, int g, int b) {
    return (static_cast<Colour>(r & 0xFF) << 16) | (static_cast<Colour>(g & 0xFF) << 8) | static_cast<Colour>(b & 0xFF);
}
// A stored Windows colour value (lowest byte red) as a colour.
constexpr Colour fromWinColour(std::uint32_t v) { return rgb(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF)); }

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    int right() const { return x + width; }    // one past the last column
    int bottom() const { return y + height; }  // one past the last row
    bool operator==(const PixelRect&) const = default;
};

// The part of r inside a picture of w x h.
PixelRect clipRect(PixelRect r, int w, int h);
// The smallest rectangle holding both (an empty one holds nothing).
PixelRect unite(PixelRect a, PixelRect b);

// A w x h picture filled with an opaque colour.
RgbaImage makePicture(int w, int h, Colour c);
// Fills a rectangle with an opaque colour.
void fillRect(RgbaImage& pic, PixelRect r, Colour c);
// Copies rectangle r of src into the same place of dst (r clipped to both).
void copyRect(RgbaImage& dst, const RgbaImage& src, PixelRect r);
// Copies the whole of src into dst with its top-left corner at (x, y), alpha included.
void copyPicture(RgbaImage& dst, const RgbaImage& src, int x, int y);
// Draws src over dst with its top-left corner at (x, y), blending by src's
// alpha: (src x a + dst x (255 - a) + 127) / 255 per channel; dst's alpha
// becomes a + dst alpha x (255 - a) / 255 (an opaque dst stays opaque).
void blendPicture(RgbaImage& dst, const RgbaImage& src, int x, int y);
// Draws an opaque colour over dst with alpha a on rectangle r.
void blendRect(RgbaImage& dst, PixelRect r, Colour c, std::uint8_t a);
// A one-pixel frame on the edge of r (inside it).
void frameRect(RgbaImage& pic, PixelRect r, Colour c);

// The pixel at (x, y) as 0xRRGGBBAA; 0 outside the picture.
std::uint32_t pixelAt(const RgbaImage& pic, int x, int y);

// Hexadecimal labels: digits 0-9 and A-F of a 5 x 7 glyph set, advance 6,
// drawn in black on a box of the label colour with a 2-pixel margin.
inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = 6;
inline constexpr int kLabelMargin = 2;
// The box of a label of n characters with its top-left corner at (x, y).
PixelRect labelRect(int x, int y, std::size_t n);
// Draws the label; characters that are not hexadecimal digits are left blank.
// Returns its box.
PixelRect drawLabel(RgbaImage& pic, int x, int y, std::string_view text, Colour box);
// Whether glyph `digit` (0..15) has its pixel (gx, gy) set.
bool glyphPixel(int digit, int gx, int gy);

}  // namespace navora
