#pragma once
// Reading and writing playlist files (.mpls).

#include "core/bytes.h"
#include "core/errors.h"
#include "playlist/playlist.h"

#include <span>
#include <string>

namespace navora {

// Parses a playlist file. name is used in error messages.
//
// Throws WrongTypeError (offset 8) when the type indicator is not "MPLS" or the
// version not "0100", "0200" or "0300" (Ultra HD); the playlist tab
// reports it as "Invalid format: " + the file name.
//
// Throws FormatError naming the offset when the file is cut short, a start
// address points outside the file or into the section before it, a length
// field runs past the end of the file or is shorter than the fields it holds,
// or an ExtensionData block is cut short. Sections are read at their start
// addresses; PlayItems, SubPaths, SubPlayItems and stream entries are found by
// their length fields, so that bytes a length leaves beyond the known fields
// are kept (spare_*) rather than read as the next item. A stream entry of an
// unknown type or stream attributes of an unknown coding type are kept as
// uninterpreted bytes.
TMPLS readPlaylist(std::span<const std::uint8_t> data, const std::string& name);

// The file bytes. Length fields and start addresses are written as stored;
// each section is placed at its stored start address (the room before it is
// filled from the kept spare bytes, then zeros), and each structure with a
// length field is filled up to that length from its spare bytes, then zeros.
// Reserved bits and the 20 reserved header bytes are written as zero. A model
// read from a file without edits is reproduced byte for byte when its reserved
// bits are zero.
//
// Throws std::invalid_argument, writing nothing, when the model cannot be
// written as a consistent file: a count that differs from its array, a
// structure whose fields need more bytes than its length field gives, or a
// start address that lies inside the section before it.
Bytes writePlaylist(const TMPLS& playlist);

}  // namespace navora
