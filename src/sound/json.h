#pragma once
// The sound.bdmv model as JSON, fields in file order. The samples themselves
// are left out (navora-cli sound export writes them as WAV).

#include "sound/sound.h"

#include <nlohmann/json.hpp>

namespace navora {

nlohmann::ordered_json toJson(const TSND& snd);

}  // namespace navora
