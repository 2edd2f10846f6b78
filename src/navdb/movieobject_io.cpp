#include "navdb/movieobject_io.h"

namespace navora {

TMOBJ readMovieObjects(std::span<const std::uint8_t> data, const std::string& name) {
    ByteReader in(data, name);
    in.fail("MovieObject.bdmv reader not built yet");
}

Bytes writeMovieObjects(const TMOBJ&) { return {}; }

}  // namespace navora
