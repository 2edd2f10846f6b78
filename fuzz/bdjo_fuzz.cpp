// Arbitrary bytes as a BD-J object: refused with a FormatError, or read into
// a model whose tab texts can be shown and which, once written, reads and
// writes back unchanged.
#include "bdj/bdjo_io.h"
#include "bdj/bdjo_text.h"
#include "bdj/json.h"
#include "core/errors.h"

#include <cstdlib>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::TBDJO b;
    try {
        b = navora::readBdjo({data, size}, "fuzz");
    } catch (const navora::FormatError&) {
        return 0;
    }
    (void)navora::cacheInfoGrid(b);
    (void)navora::accessiblePlayListsGrid(b);
    (void)navora::applicationsGrid(b);
    for (const auto& a : b.applications.applications) {
        (void)navora::profilesGrid(a);
        (void)navora::namesGrid(a);
        (void)navora::parametersGrid(a);
    }
    (void)navora::haviText(b.terminal_info);
    (void)navora::toJson(b).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    navora::Bytes out;
    try {
        out = navora::writeBdjo(b);
    } catch (const std::length_error&) {
        return 0;  // a name or parameter list the file's counts cannot hold again
    }
    if (navora::writeBdjo(navora::readBdjo(out, "rewritten")) != out) std::abort();
    return 0;
}
