#pragma once
// The edits of a clip information model and the writer that saves them. The
// model does not hold every byte of the file (reserved fields, ClipMark), so
// a save starts from the file's bytes as read and changes only what the
// edits can change: the packet count and the ExtensionData() block.

#include "clip/clipinfo.h"
#include "core/bytes.h"

#include <cstdint>
#include <span>
#include <string>

namespace navora {

// Replaces the ExtensionData() block and recomputes its start address from
// ClipMark. The block the model holds already changes nothing. Returns
// whether the model changed.
bool setClipExtensionData(TCLPI& clip, const TExtensionData& block);

// Sets number_of_source_packets (the packet-count correction). Throws
// std::out_of_range for a count above 32 bits (the model is unchanged).
// Returns whether the model changed.
bool setSourcePackets(TCLPI& clip, std::uint64_t count);

// The file bytes of clip, made from the bytes it was read from: bytes 56-59
// hold its packet count, and when its ExtensionData() block differs from the
// one in base, the old block is replaced by it (the header's start address
// follows; an empty block is written only when the model keeps a start
// address for it); every other byte is base's. Throws FormatError / WrongTypeError
// when base does not read as a clip information file, and FormatError when a
// new block would overwrite bytes after ClipMark that are not a block.
Bytes writeClipInfo(std::span<const std::uint8_t> base, const TCLPI& clip, const std::string& name);

}  // namespace navora
