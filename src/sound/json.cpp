#include "sound/json.h"

#include "core/json.h"

namespace navora {

nlohmann::ordered_json toJson(const TSND& s) {
    using json = nlohmann::ordered_json;
    json entries = json::array();
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
        const TSoundEntry& e = s.entries[i];
        entries.push_back({{"sound_id", i},
                           {"channel_configuration", static_cast<int>(e.channel_configuration)},
                           {"sampling_frequency", static_cast<int>(e.sampling_frequency)},
                           {"bits_per_sample", static_cast<int>(e.bits_per_sample)},
                           {"sound_data_start_address", e.sound_data_start_address},
                           {"sound_data_length", e.sound_data_length}});
    }
    json j{{"type_indicator", jsonText(s.type_indicator)},
           {"version_number", jsonText(s.version_number)},
           {"SoundData_start_address", s.SoundData_start_address},
           {"ExtensionData_start_address", s.ExtensionData_start_address},
           {"SoundIndex",
            {{"length", s.length}, {"number_of_sound_entries", s.entries.size()}, {"sound_entries", entries}}}};
    if (s.ExtensionData_start_address != 0) j["ExtensionData"] = toJson(s.ext);
    return j;
}

}  // namespace navora
