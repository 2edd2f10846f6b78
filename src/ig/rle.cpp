#include "ig/rle.h"

#include <algorithm>
#include <cstring>

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
            std::size_t n = 1;
            while (x + n < w && n < kMaxRun && row[x + n] == c) ++n;
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

TRGBA ycrcb2rgb(std::uint8_t Y, std::uint8_t Cr, std::uint8_t Cb, std::uint8_t T) {
    const int y = (Y - 16) * 1164;
    const int cr = Cr - 128;
    const int cb = Cb - 128;
    return {limit((y + cr * 1596 + 500) / 1000, 0, 255), limit((y - cr * 813 - cb * 391 + 500) / 1000, 0, 255),
            limit((y + cb * 2018 + 500) / 1000, 0, 255), T};
}

TYCrCb rgb2ycrcb(std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    return {limit((R * 257 + G * 504 + B * 98 + 500) / 1000 + 16, 16, 235),
            limit((R * 439 - G * 368 - B * 71 + 500) / 1000 + 128, 16, 240),
            limit((-R * 148 - G * 291 + B * 439 + 500) / 1000 + 128, 16, 240)};
}

}  // namespace navora
