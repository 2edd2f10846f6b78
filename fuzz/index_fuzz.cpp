// Arbitrary bytes as index.bdmv: the reader either refuses them with a
// FormatError or gives a model whose written bytes read and write back
// unchanged.
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
    // Writing normalises (reserved bits become zero); after that a second
    // read and write must give the same bytes.
    if (navora::writeIndex(navora::readIndex(out, "rewritten", 3)) != out) std::abort();
    return 0;
}
