#pragma once
// The index.bdmv and MovieObject.bdmv models as JSON, for dumps and tools.
// Field names are the syntax element names of the files; numbers are JSON
// numbers, texts JSON strings, byte runs upper-case hex strings, commands
// arrays of their three words.

#include "navdb/extdata.h"
#include "navdb/index.h"
#include "navdb/movieobject.h"

#include <nlohmann/json.hpp>

namespace navora {

nlohmann::ordered_json toJson(const TINDX& index);
nlohmann::ordered_json toJson(const TMOBJ& mobj);
nlohmann::ordered_json toJson(const TExtensionData& block);

// Helpers for the dumps of every file kind:
// a text from a file as a JSON string (UTF-8 kept, anything else read as Latin-1),
std::string jsonText(const std::string& s);
// bytes as upper-case hexadecimal digits.
std::string hexText(const Bytes& b);

}  // namespace navora
