// Arbitrary bytes as sound.bdmv: refused with a FormatError, or read into a
// model whose texts can be shown and whose written bytes read and write back
// unchanged.
#include "core/errors.h"
#include "sound/json.h"
#include "sound/sound_edit.h"
#include "sound/sound_io.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::TSND s;
    try {
        s = navora::readSound({data, size}, "fuzz");
    } catch (const navora::FormatError&) {
        return 0;
    }
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
        (void)navora::soundGridRow(s.entries[i], i);
        (void)navora::soundReadout(s, i);
    }
    (void)navora::toJson(s).dump();
    const navora::Bytes out = navora::writeSound(s);
    const navora::TSND again = navora::readSound(out, "rewritten");
    if (navora::writeSound(again) != out) std::abort();
    // Laid out, the model is the model of the file written from it.
    navora::layoutSound(s);
    if (!(again == s)) std::abort();
    return 0;
}
