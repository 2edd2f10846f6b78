#pragma once
// Reading and writing MovieObject.bdmv.

#include "core/bytes.h"
#include "core/errors.h"
#include "navdb/movieobject.h"

#include <span>
#include <string>

namespace navora {

// Parses MovieObject.bdmv. Throws FormatError on a type or version mismatch.
// A file that ends before the declared objects or commands have been read
// stops there: the objects not reached stay blank but count as objects.
TMOBJ readMovieObjects(std::span<const std::uint8_t> data, const std::string& name);

// The file bytes: 40-byte header, the MovieObjects block, and the
// ExtensionData block when its start address is not 0.
Bytes writeMovieObjects(const TMOBJ& mobj);

}  // namespace navora
