#include "preview/picture.h"

#include <algorithm>
#include <cstring>

namespace navora {

PixelRect clipRect(PixelRect r, int w, int h) {
    const int x0 = std::max(r.x, 0);
    const int y0 = std::max(r.y, 0);
    // Computed in 64 bits: a rectangle from a menu may reach past INT_MAX.
    const int x1 = static_cast<int>(std::min<long long>(static_cast<long long>(r.x) + r.width, w));
    const int y1 = static_cast<int>(std::min<long long>(static_cast<long long>(r.y) + r.height, h));
    if (x1 <= x0 || y1 <= y0) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

PixelRect unite(PixelRect a, PixelRect b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int x0 = std::min(a.x, b.x);
    const int y0 = std::min(a.y, b.y);
    return {x0, y0, std::max(a.right(), b.right()) - x0, std::max(a.bottom(), b.bottom()) - y0};
}

namespace {

std::uint8_t* at(RgbaImage& pic, int x, int y) {
    return pic.rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(pic.width) + static_cast<std::size_t>(x)) * 4;
}
const std::uint8_t* at(const RgbaImage& pic, int x, int y) {
    return pic.rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(pic.width) + static_cast<std::size_t>(x)) * 4;
}

std::uint32_t packed(Colour c) {
    const std::uint8_t px[4] = {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                static_cast<std::uint8_t>(c), 255};
    std::uint32_t v;
    std::memcpy(&v, px, 4);
    return v;
}

// (s * a + d * (255 - a) + 127) / 255 without a division.
inline std::uint8_t mix(unsigned s, unsigned d, unsigned a) {
    unsigned t = s * a + d * (255 - a) + 128;
    return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

}  // namespace

RgbaImage makePicture(int w, int h, Colour c) {
    RgbaImage pic;
    pic.width = std::max(w, 0);
    pic.height = std::max(h, 0);
    pic.rgba.resize(static_cast<std::size_t>(pic.width) * static_cast<std::size_t>(pic.height) * 4);
    fillRect(pic, {0, 0, pic.width, pic.height}, c);
    return pic;
}

void fillRect(RgbaImage& pic, PixelRect r, Colour c) {
    r = clipRect(r, pic.width, pic.height);
    if (r.empty()) return;
    const std::uint32_t v = packed(c);
    std::uint8_t* first = at(pic, r.x, r.y);
    for (int x = 0; x < r.width; ++x) std::memcpy(first + x * 4, &v, 4);
    for (int y = r.y + 1; y < r.bottom(); ++y) std::memcpy(at(pic, r.x, y), first, static_cast<std::size_t>(r.width) * 4);
}

void copyRect(RgbaImage& dst, const RgbaImage& src, PixelRect r) {
    r = clipRect(clipRect(r, dst.width, dst.height), src.width, src.height);
    if (r.empty()) return;
    for (int y = r.y; y < r.bottom(); ++y) std::memcpy(at(dst, r.x, y), at(src, r.x, y), static_cast<std::size_t>(r.width) * 4);
}

void copyPicture(RgbaImage& dst, const RgbaImage& src, int x, int y) {
    const PixelRect r = clipRect({x, y, src.width, src.height}, dst.width, dst.height);
    if (r.empty()) return;
    for (int row = r.y; row < r.bottom(); ++row)
        std::memcpy(at(dst, r.x, row), at(src, r.x - x, row - y), static_cast<std::size_t>(r.width) * 4);
}

void blendPicture(RgbaImage& dst, const RgbaImage& src, int x, int y) {
    const PixelRect r = clipRect({x, y, src.width, src.height}, dst.width, dst.height);
    if (r.empty()) return;
    for (int row = r.y; row < r.bottom(); ++row) {
        std::uint8_t* d = at(dst, r.x, row);
        const std::uint8_t* s = at(src, r.x - x, row - y);
        for (int i = 0; i < r.width; ++i, d += 4, s += 4) {
            const unsigned a = s[3];
            if (a == 255) {
                std::memcpy(d, s, 4);
            } else if (a != 0) {
                d[0] = mix(s[0], d[0], a);
                d[1] = mix(s[1], d[1], a);
                d[2] = mix(s[2], d[2], a);
                d[3] = static_cast<std::uint8_t>(a + mix(0, d[3], a));
            }
        }
    }
}

void blendRect(RgbaImage& dst, PixelRect r, Colour c, std::uint8_t a) {
    r = clipRect(r, dst.width, dst.height);
    const unsigned cr = (c >> 16) & 0xFF, cg = (c >> 8) & 0xFF, cb = c & 0xFF;
    for (int y = r.y; y < r.bottom(); ++y) {
        std::uint8_t* d = at(dst, r.x, y);
        for (int i = 0; i < r.width; ++i, d += 4) {
            d[0] = mix(cr, d[0], a);
            d[1] = mix(cg, d[1], a);
            d[2] = mix(cb, d[2], a);
            d[3] = static_cast<std::uint8_t>(a + mix(0, d[3], a));
        }
    }
}

void frameRect(RgbaImage& pic, PixelRect r, Colour c) {
    if (r.empty()) return;
    fillRect(pic, {r.x, r.y, r.width, 1}, c);
    fillRect(pic, {r.x, r.bottom() - 1, r.width, 1}, c);
    fillRect(pic, {r.x, r.y, 1, r.height}, c);
    fillRect(pic, {r.right() - 1, r.y, 1, r.height}, c);
}

std::uint32_t pixelAt(const RgbaImage& pic, int x, int y) {
    if (x < 0 || y < 0 || x >= pic.width || y >= pic.height) return 0;
    const std::uint8_t* p = at(pic, x, y);
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// ---- Glyphs --------------------------------------------------------------------

namespace {

// Rows of 5 bits, the leftmost pixel in bit 4.
constexpr std::uint8_t kGlyphs[16][kGlyphHeight] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
    {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // A
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E},  // B
    {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},  // C
    {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C},  // D
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // E
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10},  // F
};

int digitOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool glyphPixel(int digit, int gx, int gy) {
    if (digit < 0 || digit > 15 || gx < 0 || gx >= kGlyphWidth || gy < 0 || gy >= kGlyphHeight) return false;
    return (kGlyphs[digit][gy] >> (kGlyphWidth - 1 - gx)) & 1;
}

PixelRect labelRect(int x, int y, std::size_t n) {
    const int text = n == 0 ? 0 : static_cast<int>(n) * kGlyphAdvance - (kGlyphAdvance - kGlyphWidth);
    return {x, y, text + 2 * kLabelMargin, kGlyphHeight + 2 * kLabelMargin};
}

PixelRect drawLabel(RgbaImage& pic, int x, int y, std::string_view text, Colour box) {
    const PixelRect r = labelRect(x, y, text.size());
    fillRect(pic, r, box);
    const std::uint32_t black = packed(0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int d = digitOf(text[i]);
        const int gx0 = x + kLabelMargin + static_cast<int>(i) * kGlyphAdvance;
        for (int gy = 0; gy < kGlyphHeight; ++gy)
            for (int gx = 0; gx < kGlyphWidth; ++gx) {
                const int px = gx0 + gx, py = y + kLabelMargin + gy;
                if (glyphPixel(d, gx, gy) && px >= 0 && py >= 0 && px < pic.width && py < pic.height)
                    std::memcpy(at(pic, px, py), &black, 4);
            }
    }
    return r;
}

}  // namespace navora
