// Arbitrary bytes as clip information: refused with a FormatError or read
// without touching memory outside the buffer.
#include "clip/clipinfo_io.h"
#include "core/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        (void)navora::readClipInfo({data, size}, "fuzz");
    } catch (const navora::FormatError&) {
    }
    return 0;
}
