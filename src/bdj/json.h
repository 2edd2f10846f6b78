#pragma once
// The BD-J object model as JSON, fields in file order.

#include "bdj/bdjo.h"

#include <nlohmann/json.hpp>

namespace navora {

nlohmann::ordered_json toJson(const TBDJO& bdjo);

}  // namespace navora
