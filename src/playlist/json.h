#pragma once
// The playlist model as JSON, for dumps and tools. Field names are the syntax
// element names of the file; numbers are JSON numbers, texts JSON strings,
// kept spare bytes upper-case hex strings (present only when not empty).

#include "playlist/playlist.h"

#include <nlohmann/json.hpp>

namespace navora {

nlohmann::ordered_json toJson(const TMPLS& playlist);

}  // namespace navora
