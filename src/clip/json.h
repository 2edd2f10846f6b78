#pragma once
// The clip information model as JSON, for dumps and tools. Field names are the
// syntax element names of the file; numbers are JSON numbers, texts strings.

#include "clip/clipinfo.h"

#include <nlohmann/json.hpp>

namespace navora {

nlohmann::ordered_json toJson(const TCLPI& clip);

}  // namespace navora
