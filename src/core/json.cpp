#include "core/json.h"

#include <fmt/format.h>

namespace navora {

using json = nlohmann::ordered_json;

std::string jsonText(const std::string& s) {
    try {
        (void)nlohmann::json(s).dump();
        return s;
    } catch (const nlohmann::json::type_error&) {
    }
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string hexText(const Bytes& b) {
    std::string s;
    s.reserve(b.size() * 2);
    for (std::uint8_t v : b) s += fmt::format("{:02X}", v);
    return s;
}

json toJson(const TExtensionData& b) {
    json entries = json::array();
    for (const TExtDataEntry& e : b.entries)
        entries.push_back({{"ID1", e.ID1},
                           {"ID2", e.ID2},
                           {"ext_data_start_address", e.ext_data_start_address},
                           {"ext_data_length", e.ext_data_length}});
    return {{"length", b.length},
            {"data_block_start_address", b.data_block_start_address},
            {"number_of_ext_data_entries", b.entries.size()},
            {"ext_data_entries", entries},
            {"data_length", b.data.size()}};
}

}  // namespace navora
