// Arbitrary bytes as MovieObject.bdmv: refused with a FormatError, or read as
// far as they go into a model whose written bytes read and write back
// unchanged. Only what the bytes hold is kept: the model never has more
// objects than 4-byte object heads fit in the input, and its written form is
// never larger than the input.
#include "core/errors.h"
#include "navdb/movieobject_io.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::TMOBJ m;
    try {
        m = navora::readMovieObjects({data, size}, "fuzz");
    } catch (const navora::FormatError&) {
        return 0;
    }
    if (m.mobjs.objects.size() > size / 4) std::abort();
    const navora::Bytes out = navora::writeMovieObjects(m);
    if (out.size() > size) std::abort();
    // Writing normalises (reserved bits become zero); after that a second
    // read and write must give the same bytes.
    if (navora::writeMovieObjects(navora::readMovieObjects(out, "rewritten")) != out) std::abort();
    return 0;
}
