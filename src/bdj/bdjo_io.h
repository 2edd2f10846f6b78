#pragma once
// Reading BD-J object files, and writing them (for the demo disc and tests;
// the editor does not save them).

#include "bdj/bdjo.h"
#include "core/bytes.h"
#include "core/log.h"

#include <optional>
#include <span>
#include <string>

namespace navora {

// Parses a BD-J object; name is used in error messages. The header's section
// addresses are followed; within the ApplicationManagementTable and after the
// FileAccessInfo path the read position is aligned to an even offset after
// each variable-length part.
//
// Throws WrongTypeError when the type indicator is not "BDJO" or the version
// not "0100"/"0200", and FormatError (with the offset) when the file ends
// inside a section, an address lies beyond its end, or a count cannot fit in
// the bytes left.
TBDJO readBdjo(std::span<const std::uint8_t> data, const std::string& name);

// The read of the BDJO tab: logs "Reading [bl]<name>.bdjo[/bl]", reads
// bdjoFolder + name + ".bdjo" and shows "Ready." A file that cannot be read or
// is refused gives nothing and one error line naming the file, the offset and
// what was found there (e.g. "Format error 00001.bdjo at $00000008: version
// "0300" is not supported ("0100" or "0200")").
std::optional<TBDJO> readBdjoFile(Log& log, const std::string& bdjoFolder, const std::string& name);

// The file of a model, sections in header order right after one another, with
// the addresses and section lengths recomputed, the first header address as
// held and reserved fields zero. Throws std::length_error when a count or a
// text does not fit its field (e.g. more than 15 profiles or a parameter list
// above 255 bytes).
Bytes writeBdjo(const TBDJO& bdjo);

}  // namespace navora
