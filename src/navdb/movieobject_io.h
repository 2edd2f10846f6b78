#pragma once
// Reading and writing MovieObject.bdmv.

#include "core/bytes.h"
#include "core/errors.h"
#include "navdb/movieobject.h"

#include <span>
#include <string>

namespace navora {

// How far a read of MovieObject.bdmv got.
struct MobjReadReport {
    bool complete = true;            // every declared object, command and block was there
    std::size_t stoppedAt = 0;       // file offset where reading ended
    std::size_t declaredObjects = 0;  // the file's object count
    std::size_t wholeObjects = 0;    // objects read with all their commands
    // The object after the whole ones was cut inside its command list: it is
    // kept with the commands read whole.
    bool partObject = false;
    std::size_t partCommandsKept = 0;
    std::size_t partCommandsDeclared = 0;
    bool extensionDataDropped = false;  // every object was there, the block was not
};

// What a cut read kept and dropped, e.g. "kept 0 of 3 whole movie objects, and
// object 0 with 3 of its 5 commands; dropped 2 commands of object 0 and 2
// movie objects not in the file".
std::string cutReadSummary(const MobjReadReport& report);

// Parses MovieObject.bdmv. Throws WrongTypeError when the type is not "MOBJ"
// or the version not "0100", "0200" or "0300" (offset 8), and FormatError when the file
// ends inside the 50-byte header.
//
// A file that ends early is read as far as it goes, and only what it holds is
// kept: an object cut inside its command list keeps the whole commands read,
// an object cut inside its 4-byte head and the objects not reached are
// dropped (the count is never trusted to size anything), and an ExtensionData
// block that is missing or cut is dropped (start address 0).
// The MovieObjects length is then set to what the model holds, so that a save
// writes a consistent file. report, when given, says whether this happened.
TMOBJ readMovieObjects(std::span<const std::uint8_t> data, const std::string& name,
                       MobjReadReport* report = nullptr);

// The file bytes: 40-byte header, the MovieObjects block, and the
// ExtensionData block when its start address is not 0. Spare bytes kept by
// the reader are written where they were. Throws std::length_error when a
// count does not fit its 16-bit field.
Bytes writeMovieObjects(const TMOBJ& mobj);

}  // namespace navora
