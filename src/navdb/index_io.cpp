#include "navdb/index_io.h"

#include <fmt/format.h>

namespace navora {

TooManyTitlesError::TooManyTitlesError(std::string file, std::uint64_t offset, std::uint32_t count)
    : FormatError(std::move(file), offset, fmt::format("{} titles, at most 999 are allowed", count)), count_(count) {}

TINDX readIndex(std::span<const std::uint8_t> data, const std::string& name, std::optional<std::size_t>) {
    ByteReader in(data, name);
    in.fail("index.bdmv reader not built yet");
}

Bytes writeIndex(const TINDX&) { return {}; }

}  // namespace navora
