#pragma once
// JSON helpers shared by the dumps of every file kind. Fields keep the order
// they have in the file; texts from files become valid UTF-8; byte runs are
// upper-case hexadecimal.

#include "core/bytes.h"
#include "core/extdata.h"

#include <nlohmann/json.hpp>

#include <string>

namespace navora {

// A text from a file as a JSON string (UTF-8 kept, anything else read as Latin-1).
std::string jsonText(const std::string& s);
// Bytes as upper-case hexadecimal digits.
std::string hexText(const Bytes& b);

nlohmann::ordered_json toJson(const TExtensionData& block);

}  // namespace navora
