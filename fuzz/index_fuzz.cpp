// Arbitrary bytes as index.bdmv: the reader either refuses them with a
// FormatError or gives a model that the writer turns into a file that reads
// back to the same model.
#include "core/errors.h"
#include "navdb/index_io.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::TINDX x;
    try {
        x = navora::readIndex({data, size}, "fuzz", 3);
    } catch (const navora::FormatError&) {
        return 0;
    }
    const navora::Bytes out = navora::writeIndex(x);
    if (navora::readIndex(out, "rewritten", 3) != x) std::abort();
    return 0;
}
