// Arbitrary bytes as a playlist: refused with a FormatError, or read into a
// model whose written bytes read and write back unchanged.
#include "core/errors.h"
#include "playlist/playlist_io.h"

#include <cstdlib>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::TMPLS m;
    try {
        m = navora::readPlaylist({data, size}, "fuzz");
    } catch (const navora::FormatError&) {
        return 0;
    }
    navora::Bytes out;
    try {
        out = navora::writePlaylist(m);
    } catch (const std::invalid_argument&) {
        std::abort();  // whatever the reader accepts, the writer must be able to write
    }
    // Writing normalises (reserved bits become zero); after that a second
    // read and write must give the same bytes.
    if (navora::writePlaylist(navora::readPlaylist(out, "rewritten")) != out) std::abort();
    return 0;
}
