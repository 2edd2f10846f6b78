// Feeds arbitrary bytes to the ExtensionData reader and writes back what it read.
#include "core/errors.h"
#include "core/extdata.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::ByteReader in({data, size});
    navora::TExtensionData b;
    try {
        navora::ReadExtensionData(in, b);
    } catch (const navora::FormatError&) {
        return 0;
    }
    navora::ByteWriter w;
    navora::WriteExtensionData(w, b);
    return 0;
}
