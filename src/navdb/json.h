#pragma once
// The index.bdmv and MovieObject.bdmv models as JSON, for dumps and tools.
// Field names are the syntax element names of the files; numbers are JSON
// numbers, texts JSON strings, byte runs upper-case hex strings, commands
// arrays of their three words.

#include "core/json.h"
#include "navdb/index.h"
#include "navdb/movieobject.h"

#include <nlohmann/json.hpp>

namespace navora {

nlohmann::ordered_json toJson(const TINDX& index);
nlohmann::ordered_json toJson(const TMOBJ& mobj);


}  // namespace navora
