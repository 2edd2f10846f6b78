// Arbitrary bytes as a background picture: refused with a FormatError, or
// read as RGBA that writes as a PNG and reads back the same.
#include "core/errors.h"
#include "preview/png.h"

#include <cstdint>
#include <cstdlib>

namespace {

// RGBA pictures above this are not decoded: a tiny file can describe a
// picture of up to 8192x8192, and each one a run decodes is fresh memory
// (mapped anew and unmapped under AddressSanitizer, a TLB flush on every
// core that slows the fuzzer beside this one by half). Sides past the limit
// still reach the reader, which refuses them before it allocates anything.
constexpr std::uint64_t kMaxDecodedBytes = 4u << 20;

// The picture size a PNG's header gives, when the file starts as one does
// (the signature's 8 bytes, then the IHDR chunk), as width * height * 4; 0
// otherwise.
std::uint64_t declaredRgbaBytes(const std::uint8_t* data, std::size_t size) {
    if (size < 24 || data[12] != 'I' || data[13] != 'H' || data[14] != 'D' || data[15] != 'R') return 0;
    const auto be32 = [&](std::size_t at) {
        return std::uint32_t{data[at]} << 24 | std::uint32_t{data[at + 1]} << 16 | std::uint32_t{data[at + 2]} << 8 |
               data[at + 3];
    };
    const std::uint32_t w = be32(16), h = be32(20);
    if (w > navora::kMaxPictureSide || h > navora::kMaxPictureSide) return 0;
    return std::uint64_t{w} * h * 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (declaredRgbaBytes(data, size) > kMaxDecodedBytes) return 0;
    navora::RgbaImage pic;
    try {
        pic = navora::readPngRgba({data, size}, "fuzz.png");
    } catch (const navora::FormatError&) {
        return 0;
    }
    if (pic.width <= 0 || pic.height <= 0 || pic.width > navora::kMaxPictureSide || pic.height > navora::kMaxPictureSide ||
        pic.rgba.size() != std::size_t(pic.width) * pic.height * 4)
        std::abort();
    if (!(navora::readPngRgba(navora::writePngRgba(pic), "again.png") == pic)) std::abort();
    return 0;
}
