#include "navdb/json.h"

#include "core/streamcoding.h"
#include "navdb/uhd.h"

#include <fmt/format.h>

namespace navora {

namespace {

// Fields keep the order they have in the file.
using json = nlohmann::ordered_json;

std::string fourcc(std::uint32_t v) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
    return jsonText(s);
}

json entryJson(const TIndexEntry& e) {
    json j{{"object_type", static_cast<unsigned>(e.object_type)},
           {"playback_type", static_cast<unsigned>(e.playback_type)}};
    if (e.object_type == ObjectType::HDMV || e.mobj_id_ref == kNoObject)
        j["mobj_id_ref"] = e.mobj_id_ref;
    else
        j["bdjo_file_name"] = jsonText(e.bdjo_file_name);
    return j;
}

}  // namespace

json toJson(const TINDX& x) {
    json titles = json::array();
    for (const TTitle& t : x.indexes.titles) {
        json j{{"title_number", t.title_number},
               {"object_type", static_cast<unsigned>(t.object_type)},
               {"access_type", static_cast<unsigned>(t.access_type)},
               {"playback_type", static_cast<unsigned>(t.playback_type)}};
        if (t.object_type == ObjectType::HDMV)
            j["mobj_id_ref"] = t.mobj_id_ref;
        else
            j["bdjo_file_name"] = jsonText(t.bdjo_file_name);
        titles.push_back(std::move(j));
    }
    json j{{"type_indicator", fourcc(x.type_indicator)},
           {"version", fourcc(x.version)},
           {"Indexes_start_address", x.indexes_start_address},
           {"ExtensionData_start_address", x.extension_data_start_address},
           {"reserved", hexText(x.reserved)},
           {"AppInfoBDMV",
            {{"length", x.app_info_length},
             {"flags", appInfoFlagsWord(x.app_info_flags)},
             {"initial_output_mode_preference", x.app_info_flags.initial_output_mode_preference},
             {"SS_content_exist_flag", x.app_info_flags.SS_content_exist_flag},
             {"initial_dynamic_range_type", x.app_info_flags.initial_dynamic_range_type},
             {"initial_dynamic_range", dynamicRangeName(x.app_info_flags.initial_dynamic_range_type)},
             {"video_format", x.app_info_flags.video_format},
             {"frame_rate", x.app_info_flags.frame_rate},
             {"content_provider_user_data", jsonText(x.content_provider)}}},
           {"Indexes",
            {{"length", x.indexes.length},
             {"FirstPlayback", entryJson(x.indexes.first_playback)},
             {"TopMenu", entryJson(x.indexes.top_menu)},
             {"number_of_Titles", x.indexes.titles.size()},
             {"Titles", titles}}}};
    if (!x.spare_before_indexes.empty()) j["spare_before_Indexes"] = hexText(x.spare_before_indexes);
    if (!x.spare_after_titles.empty()) j["spare_after_Titles"] = hexText(x.spare_after_titles);
    if (x.extension_data_start_address != 0) {
        j["ExtensionData"] = toJson(x.ext);
        if (const auto u = uhdDiscInfo(x))
            j["UHD_disc_info"] = {{"disc_type", u->disc_type},
                                  {"4K_flag", u->exist_4k_flag},
                                  {"HDR10plus_flag", u->HDR10plus_flag},
                                  {"Dolby_Vision_flag", u->Dolby_Vision_flag},
                                  {"HDR_flags", u->HDR_flags},
                                  {"HDR", hdrFlagsText(u->HDR_flags)}};
    }
    return j;
}

json toJson(const TMOBJ& m) {
    json objects = json::array();
    for (std::size_t n = 0; n < m.mobjs.objects.size(); ++n) {
        const Tmobject& o = m.mobjs.objects[n];
        json cmds = json::array();
        for (const TCommand& c : o.commands) cmds.push_back({c.w[0], c.w[1], c.w[2]});
        objects.push_back({{"mobj_id", n},
                           {"resume_intention_flag", o.resume_intention_flag},
                           {"menu_call_mask", o.menu_call_mask},
                           {"title_search_mask", o.title_search_mask},
                           {"number_of_navigation_commands", o.commands.size()},
                           {"navigation_commands", cmds}});
    }
    json j{{"type_indicator", jsonText(m.type_indicator)},
           {"version", jsonText(m.version)},
           {"ExtensionData_start_address", m.extension_data_start_address},
           {"reserved", hexText(m.reserved)},
           {"MovieObjects",
            {{"length", m.mobjs.length},
             {"reserved", m.mobjs.reserved},
             {"number_of_mobjs", m.mobjs.objects.size()},
             {"MovieObject", objects}}}};
    if (!m.spare_after_objects.empty()) j["spare_after_MovieObjects"] = hexText(m.spare_after_objects);
    if (m.extension_data_start_address != 0) j["ExtensionData"] = toJson(m.ext);
    return j;
}

}  // namespace navora
