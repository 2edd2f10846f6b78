// Arbitrary bytes as .mnu records: refused with a FormatError, or loaded into
// a menu that the writer writes, that loads again and writes the same bytes.
// The objects the loader accepts stay within its pixel limit; before writing,
// objects of more than 16,384 pixels are cut to that many lines (any width up
// to 4096 stays possible). What a fuzzer pays for is pixels: every pixel loop
// is instrumented, and a picture of 128 KB or more is mapped anew under
// AddressSanitizer, page faults included; the codec itself is fuzzed on its
// own by rle_fuzz.
#include "core/errors.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "ig/save.h"
#include "menu_input.h"

#include <cstdlib>
#include <stdexcept>

namespace {

constexpr std::size_t kObjectPixelsLimit = 16u << 10;

}  // namespace

extern "C" const char* __asan_default_options() { return navora::fuzz::kMenuAsanOptions; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    navora::fuzz::capInputLength(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::TIGSc m;
    try {
        m = navora::loadMNU(navora::fuzz::menuInput(data, size), "fuzz");
    } catch (const navora::FormatError&) {
        return 0;
    }
    // What the loader accepts stays within its pixel limit, so decoding all
    // of it stays within a known amount of memory.
    std::uint64_t pixels = 0;
    for (const navora::TIGobject& o : m.objects) pixels += std::uint64_t{o.width} * o.height;
    if (pixels > navora::maxMenuObjectPixels(m)) std::abort();
    for (navora::TIGobject& o : m.objects)
        if (std::size_t{o.width} * o.height > kObjectPixelsLimit)
            o.height = static_cast<std::uint16_t>(kObjectPixelsLimit / o.width);
    navora::Bytes out;
    try {
        out = navora::saveIGS(m, navora::IgsForm::Mnu);
    } catch (const std::invalid_argument&) {
        return 0;  // beyond what the stream's fields hold: refused, nothing written
    }
    navora::TIGSc back;
    try {
        back = navora::loadMNU(out, "saved");
    } catch (const navora::FormatError&) {
        std::abort();  // what the writer writes, the loader reads
    }
    // The in-time is the first PTS that is not 0, so a menu presented at 0
    // takes another on reloading; any other menu writes the same bytes again.
    if (m.in_time != 0 && navora::saveIGS(back, navora::IgsForm::Mnu) != out) std::abort();
    return 0;
}
