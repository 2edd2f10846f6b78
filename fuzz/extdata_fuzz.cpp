// Feeds arbitrary bytes to the ExtensionData reader and writes back what it
// read, then reads them as an .exd file and draws every entry's data view as
// the ExtensionData editor does (entries may point anywhere).
#include "core/errors.h"
#include "core/extdata.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

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
    for (std::size_t e = 0; e < b.entries.size(); ++e) {
        const auto bytes = navora::extDataEntryBytes(b, e);
        if (!bytes.empty() && (bytes.data() < b.data.data() || bytes.data() + bytes.size() > b.data.data() + b.data.size()))
            std::abort();
        (void)navora::extDataDump(b, e);
    }
    (void)navora::extDataEntryRows(b);
    try {
        const navora::TExtensionData exd = navora::readExd({data, size}, "fuzz.exd");
        // What Save writes, Load reads back the same.
        const navora::Bytes image = navora::writeExd(exd);
        if (navora::writeExd(navora::readExd(image, "again.exd")) != image) std::abort();
    } catch (const navora::FormatError&) {
    }
    return 0;
}
