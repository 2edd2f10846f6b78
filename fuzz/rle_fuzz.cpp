// Arbitrary run-length data for an object whose size the first four bytes
// choose: decoding stays inside the picture, and coding the picture decodes
// back to it.
#include "ig/rle.h"

#include <cstdlib>

// Each input allocates and frees pictures of up to 64 KB: a quarantine of
// 16 MB instead of 256 lets freed pages be reused early in a run (see
// menu_input.h).
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t w = 1 + ((std::size_t{data[0]} << 8 | data[1]) % 4096);
    std::size_t h = 1 + ((std::size_t{data[2]} << 8 | data[3]) % 4096);
    if (w * h > (1u << 16)) h = (1u << 16) / w;
    navora::IndexedImage picture(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h));
    navora::rleDecodeInto({data + 4, size - 4}, picture);
    navora::IndexedImage back(picture.width, picture.height);
    const navora::RleDecodeReport report = navora::rleDecodeInto(navora::rleEncode(picture), back);
    if (!(back == picture) || report.cutCode || report.extraLines) std::abort();
    return 0;
}
