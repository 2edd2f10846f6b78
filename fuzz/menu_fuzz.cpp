// Arbitrary bytes as .mnu records: refused with a FormatError, or loaded into
// a menu that the writer writes, that loads again and writes the same bytes.
#include "core/errors.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "ig/save.h"

#include <cstdlib>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::TIGSc m;
    try {
        m = navora::loadMNU({data, size}, "fuzz");
    } catch (const navora::FormatError&) {
        return 0;
    }
    // Pictures are bounded by the loader; the decoder has its own target, so
    // very large ones are not decoded here to keep the runs fast.
    for (const navora::TIGobject& o : m.objects)
        if (std::size_t{o.width} * o.height > (1u << 16)) return 0;
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
