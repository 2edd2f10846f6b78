#pragma once
// The menu model as JSON, for dumps and tools: fields in stream order, named
// as the syntax names them; commands as their three words and as command
// lines; objects with their size, data length, segments and reference text;
// palettes with every entry that has a display colour or Y, Cr, Cb values.

#include "ig/model.h"

#include <nlohmann/json.hpp>

namespace navora {

nlohmann::ordered_json toJson(const TIGSc& menu);

}  // namespace navora
