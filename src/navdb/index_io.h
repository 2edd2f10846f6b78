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

// Parses index.bdmv. name is used in error messages.
//
// When movieObjectCount is given, a First Playback or Top Menu HDMV reference
// that is not below it becomes kNoObject (the entry is off). When it is not
// given (MovieObject.bdmv could not be read) the references are kept as read.
//
// Throws WrongTypeError when the type indicator is not "INDX" or the version
// not "0100", "0200" or "0300" (offset 8, after the two words), TooManyTitlesError for
// more than 999 titles, and FormatError for a file that is cut short or whose
// start addresses point outside it (offset = where reading stopped).
TINDX readIndex(std::span<const std::uint8_t> data, const std::string& name,
                std::optional<std::size_t> movieObjectCount = std::nullopt);

// The file bytes: 78-byte header, the Indexes, and the ExtensionData block
// when its start address is not 0. Spare bytes kept by the reader are written
// where they were, so a file read without edits is reproduced byte for byte
// when its reserved bits are zero. Throws std::length_error for more than 999
// titles, which no reader would accept.
Bytes writeIndex(const TINDX& index);

}  // namespace navora
