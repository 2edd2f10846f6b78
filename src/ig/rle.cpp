#include "ig/rle.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
#include <string>

namespace navora {

RleDecodeReport rleDecodeInto(std::span<const std::uint8_t> coded, IndexedImage& picture) {
    RleDecodeReport report;
    const std::size_t w = picture.width;
    const std::size_t h = picture.height;
    const std::uint8_t* p = coded.data();
    const std::uint8_t* const end = p + coded.size();
    if (h == 0 || picture.pixels.size() != w * h) {
        report.extraLines = p != end;
        return report;
    }
    std::uint8_t* row = picture.pixels.data();
    std::size_t x = 0;
    std::size_t y = 0;
    // Ends the current line; false once the line below the last is reached.
    auto endLine = [&]() {
        x = 0;
        if (++y >= h) return false;
        row += w;
        return true;
    };

    while (p != end) {
        const std::uint8_t b = *p++;
        if (b != 0) {  // one pixel of colour b
            if (x < w) {
                row[x++] = b;
                continue;
            }
            if (!endLine()) break;  // past the right edge: dropped, and the line ends
            continue;
        }
        if (p == end) {
            report.cutCode = true;
            break;
        }
        const std::uint8_t f = *p++;
        std::size_t len;
        std::uint8_t colour = 0;
        switch (f >> 6) {
        case 0:
            if (f == 0) {  // end of line
                if (!endLine()) goto done;
                continue;
            }
            len = f;
            break;
        case 1:
            if (p == end) {
                report.cutCode = true;
                goto done;
            }
            len = (std::size_t{f & 0x3Fu} << 8) | *p++;
            break;
        case 2:
            if (p == end) {
                report.cutCode = true;
                goto done;
            }
            len = f & 0x3Fu;
            colour = *p++;
            break;
        default:
            if (end - p < 2) {
                report.cutCode = true;
                goto done;
            }
            len = (std::size_t{f & 0x3Fu} << 8) | p[0];
            colour = p[1];
            p += 2;
            break;
        }
        if (len != 0 && x + len <= w) {
            std::memset(row + x, colour, len);
            x += len;
            continue;
        }
        // A run of length 0 fills the line; a run past the edge is cut there.
        if (x < w) std::memset(row + x, colour, w - x);
        if (!endLine()) break;
    }
done:
    if (p != end && y >= h) report.extraLines = true;
    return report;
}

namespace {

constexpr std::size_t kMaxRun = 0x3FFF;  // the 14-bit length field

// The number of pixels from p on that have the colour of p[0], at most max
// (max >= 1). Eight pixels are compared at a time: runs of colour 0 fill most
// of an object.
std::size_t runLength(const std::uint8_t* p, std::size_t max) {
    const std::uint8_t c = p[0];
    const std::uint64_t all = 0x0101010101010101ull * c;
    std::size_t n = 1;
    for (; n + 8 <= max; n += 8) {
        std::uint64_t v;
        std::memcpy(&v, p + n, 8);
        if (const std::uint64_t diff = v ^ all; diff != 0) {
            if constexpr (std::endian::native == std::endian::little)
                return n + static_cast<std::size_t>(std::countr_zero(diff) / 8);
            else
                return n + static_cast<std::size_t>(std::countl_zero(diff) / 8);
        }
    }
    while (n < max && p[n] == c) ++n;
    return n;
}

}  // namespace

Bytes rleEncode(const IndexedImage& picture) {
    const std::size_t w = picture.width;
    const std::size_t h = picture.height;
    Bytes out;
    out.reserve(h * 4 + w * h / 8);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* row = picture.row(y);
        std::size_t x = 0;
        while (x < w) {
            const std::uint8_t c = row[x];
            const std::size_t n = runLength(row + x, std::min(w - x, kMaxRun));
            if (c != 0 && n < 3) {
                out.insert(out.end(), n, c);
            } else {
                out.push_back(0);
                const std::uint8_t colourBit = c != 0 ? 0x80 : 0x00;
                if (n <= 63) {
                    out.push_back(static_cast<std::uint8_t>(colourBit | n));
                } else {
                    out.push_back(static_cast<std::uint8_t>(colourBit | 0x40 | (n >> 8)));
                    out.push_back(static_cast<std::uint8_t>(n & 0xFF));
                }
                if (c != 0) out.push_back(c);
            }
            x += n;
        }
        out.push_back(0);
        out.push_back(0);
    }
    return out;
}

namespace {

std::uint8_t limit(int v, int lo, int hi) { return static_cast<std::uint8_t>(std::clamp(v, lo, hi)); }

}  // namespace

namespace {

// Rounds a value held in 1/65536 to the nearest integer (halves away from zero).
int round16(std::int64_t v) { return static_cast<int>(v >= 0 ? (v + 32768) >> 16 : -((-v + 32768) >> 16)); }

// BT.709 studio range in 1/65536: colour = 255/219 (Y - 16) + 255/224 * the
// chroma terms of Kr = 0.2126, Kb = 0.0722; and back.
constexpr std::int64_t kY = 76309;          // 1.164384
constexpr std::int64_t kRCr = 117489;       // 1.792741
constexpr std::int64_t kGCb = 13975;        // 0.213249
constexpr std::int64_t kGCr = 34925;        // 0.532909
constexpr std::int64_t kBCb = 138438;       // 2.112402
constexpr std::int64_t kYR = 11966, kYG = 40254, kYB = 4064;    // 0.182586 0.614231 0.062007
constexpr std::int64_t kCrR = 28784, kCrG = 26145, kCrB = 2639;  // 0.439216 0.398942 0.040274
constexpr std::int64_t kCbR = 6596, kCbG = 22188, kCbB = 28784;  // 0.100644 0.338572 0.439216

}  // namespace

TRGBA ycrcb2rgb(std::uint8_t Y, std::uint8_t Cr, std::uint8_t Cb, std::uint8_t T, ColourMatrix matrix) {
    const int cr = Cr - 128;
    const int cb = Cb - 128;
    if (matrix == ColourMatrix::BT709) {
        const std::int64_t y = (Y - 16) * kY;
        return {limit(round16(y + cr * kRCr), 0, 255), limit(round16(y - cb * kGCb - cr * kGCr), 0, 255),
                limit(round16(y + cb * kBCb), 0, 255), T};
    }
    const int y = (Y - 16) * 1164;
    return {limit((y + cr * 1596 + 500) / 1000, 0, 255), limit((y - cr * 813 - cb * 391 + 500) / 1000, 0, 255),
            limit((y + cb * 2018 + 500) / 1000, 0, 255), T};
}

TYCrCb rgb2ycrcb(std::uint8_t R, std::uint8_t G, std::uint8_t B, ColourMatrix matrix) {
    if (matrix == ColourMatrix::BT709) {
        return {limit(round16(R * kYR + G * kYG + B * kYB) + 16, 16, 235),
                limit(round16(R * kCrR - G * kCrG - B * kCrB) + 128, 16, 240),
                limit(round16(-R * kCbR - G * kCbG + B * kCbB) + 128, 16, 240)};
    }
    return {limit((R * 257 + G * 504 + B * 98 + 500) / 1000 + 16, 16, 235),
            limit((R * 439 - G * 368 - B * 71 + 500) / 1000 + 128, 16, 240),
            limit((-R * 148 - G * 291 + B * 439 + 500) / 1000 + 128, 16, 240)};
}

ColourMatrix videoMatrix(std::uint16_t, std::uint16_t height) {
    return height > 576 ? ColourMatrix::BT709 : ColourMatrix::BT601;
}

ColourMatrix resolveMatrix(MatrixChoice choice, const TIGSc& m) {
    switch (choice) {
    case MatrixChoice::BT601: return ColourMatrix::BT601;
    case MatrixChoice::BT709: return ColourMatrix::BT709;
    case MatrixChoice::Auto: break;
    }
    return videoMatrix(m);
}

std::optional<MatrixChoice> parseMatrixChoice(std::string_view text) {
    std::string t;
    for (const char c : text) t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (t == "auto") return MatrixChoice::Auto;
    if (t == "601" || t == "bt601" || t == "bt.601") return MatrixChoice::BT601;
    if (t == "709" || t == "bt709" || t == "bt.709") return MatrixChoice::BT709;
    return std::nullopt;
}

const char* matrixName(ColourMatrix matrix) { return matrix == ColourMatrix::BT709 ? "BT.709" : "BT.601"; }

void setColourMatrix(TIGSc& m, ColourMatrix matrix) {
    m.colour_matrix = matrix;
    for (TIGpalette& pal : m.palettes)
        for (std::size_t e = 0; e < 256; ++e) {
            TRGBA& c = pal.colours[e];
            if (c.zero()) continue;  // not displayed
            const TYCrCb& v = pal.entries[e];
            c = ycrcb2rgb(v.Y, v.Cr, v.Cb, c.T, matrix);
        }
}

}  // namespace navora
