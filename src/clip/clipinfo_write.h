#pragma once
// Writing a whole clip information file from its model, for clips built in
// code (the demo discs). Saving an edited clip read from a file goes through
// writeClipInfo() (clipinfo_edit.h), which keeps the bytes the model does not
// hold.

#include "clip/clipinfo.h"
#include "core/bytes.h"

namespace navora {

// The file bytes of clip. Every length, count and start address comes from
// the content, not from the model's fields: each section starts on a 4-byte
// boundary (zeros before it), each EP fine table right after its coarse table,
// and StreamCodingInfo of a known coding type is 21 bytes long (or the
// model's longer length, zero-filled). Reserved bits, number_of_groups and
// ClipMark are zero. A CPI of type 0 without stream PID entries is written
// as its length 0; the ExtensionData block follows ClipMark when it has a
// length or the model keeps a start address for it. A file laid out this way
// (as muxers write them) is written back byte for byte from its model.
//
// Throws std::invalid_argument, writing nothing, for what the file cannot
// hold: ClipMark_length other than 0 (the model keeps no marks), more entries
// than a count field holds, EP maps that do not pair with the stream PID
// entries, or a StreamCodingInfo of an unknown coding type with length 0.
Bytes buildClipInfo(const TCLPI& clip);

}  // namespace navora
