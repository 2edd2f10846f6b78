#pragma once
// Reading and writing index.bdmv.

#include "core/bytes.h"
#include "core/errors.h"
#include "navdb/index.h"

#include <optional>
#include <span>
#include <string>

namespace navora {

// The file declares more than 999 titles; the read-all sequence ends there.
class TooManyTitlesError : public FormatError {
public:
    TooManyTitlesError(std::string file, std::uint64_t offset, std::uint32_t count);
    std::uint32_t count() const { return count_; }

private:
    std::uint32_t count_;
};

// Parses index.bdmv. name is used in error messages. When movieObjectCount is
// given, a First Playback or Top Menu HDMV reference that is not below it
// becomes kNoObject. Throws FormatError (type or version mismatch, or a file
// cut short; offset = where reading stopped) or TooManyTitlesError.
TINDX readIndex(std::span<const std::uint8_t> data, const std::string& name,
                std::optional<std::size_t> movieObjectCount = std::nullopt);

// The file bytes: 78-byte header, the Indexes, and the ExtensionData block
// when its start address is not 0.
Bytes writeIndex(const TINDX& index);

}  // namespace navora
