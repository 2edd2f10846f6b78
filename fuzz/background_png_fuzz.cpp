// Arbitrary bytes as a background picture: refused with a FormatError, or
// read as RGBA that writes as a PNG and reads back the same.
#include "core/errors.h"
#include "preview/png.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::RgbaImage pic;
    try {
        pic = navora::readPngRgba({data, size}, "fuzz.png");
    } catch (const navora::FormatError&) {
        return 0;
    }
    if (pic.width <= 0 || pic.height <= 0 || pic.width > navora::kMaxPictureSide || pic.height > navora::kMaxPictureSide ||
        pic.rgba.size() != std::size_t(pic.width) * pic.height * 4)
        std::abort();
    // Large pictures from tiny files are valid; the round trip is skipped for
    // them to keep the runs fast.
    if (pic.rgba.size() > (4u << 20)) return 0;
    if (!(navora::readPngRgba(navora::writePngRgba(pic), "again.png") == pic)) std::abort();
    return 0;
}
