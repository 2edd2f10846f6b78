#include "bdj/json.h"

#include "bdj/bdjo_text.h"
#include "core/json.h"

namespace navora {

namespace {

using json = nlohmann::ordered_json;

json texts(const std::vector<std::string>& v) {
    json a = json::array();
    for (const std::string& s : v) a.push_back(jsonText(s));
    return a;
}

json applicationJson(const Tapplication& a) {
    json profiles = json::array();
    for (const TAppProfile& p : a.profiles)
        profiles.push_back({{"application_profile", p.application_profile},
                            {"major", p.major},
                            {"minor", p.minor},
                            {"micro", p.micro}});
    json names = json::array();
    for (const Tapplication_name& n : a.names)
        names.push_back({{"language", jsonText(n.language)}, {"name", jsonText(n.name)}});
    return {{"application_control_code", a.application_control_code},
            {"application_type", a.application_type},
            {"organization_id", a.organization_id},
            {"application_id", a.application_id},
            {"descriptor_tag", a.descriptor_tag},
            {"descriptor_length", a.descriptor_length},
            {"profiles", profiles},
            {"application_priority", a.application_priority},
            {"binding", a.binding},
            {"visibility", a.visibility},
            {"names", names},
            {"icon_locator", jsonText(a.icon_locator)},
            {"icon_flags", a.icon_flags},
            {"base_directory", jsonText(a.base_directory)},
            {"classpath_extension", jsonText(a.classpath_extension)},
            {"initial_class_name", jsonText(a.initial_class_name)},
            {"parameters", texts(a.parameters)}};
}

}  // namespace

json toJson(const TBDJO& b) {
    json cache = json::array();
    for (const TAppCacheEntry& e : b.app_cache_info.entries)
        cache.push_back({{"entry_type", e.entry_type},
                         {"ref_to_name", jsonText(e.ref_to_name)},
                         {"language_code", jsonText(e.language_code)}});
    json apps = json::array();
    for (const Tapplication& a : b.applications.applications) apps.push_back(applicationJson(a));
    json keys = json::array();
    for (const KeySwitch& k : keySwitches())
        if (hasKeyInterest(b.key_interest, k.key)) keys.push_back(k.caption);
    const TTerminalInfo& t = b.terminal_info;
    const TTableOfAccessiblePlayLists& pl = b.accessible_playlists;
    return {{"type_indicator", jsonText(b.type_indicator)},
            {"version_number", jsonText(b.version_number)},
            {"first_address", b.first_address},
            {"AppCacheInfo_start_address", b.AppCacheInfo_start_address},
            {"TableOfAccessiblePlayLists_start_address", b.TableOfAccessiblePlayLists_start_address},
            {"ApplicationManagementTable_start_address", b.ApplicationManagementTable_start_address},
            {"KeyInterestTable_start_address", b.KeyInterestTable_start_address},
            {"FileAccessInfo_start_address", b.FileAccessInfo_start_address},
            {"TerminalInfo",
             {{"length", t.length},
              {"default_font_file_name", jsonText(t.default_font_file_name)},
              {"initial_HAVi_configuration_id", t.initial_HAVi_configuration_id},
              {"menu_call_mask", t.menu_call_mask},
              {"title_search_mask", t.title_search_mask}}},
            {"AppCacheInfo",
             {{"length", b.app_cache_info.length},
              {"number_of_entries", b.app_cache_info.entries.size()},
              {"entries", cache}}},
            {"TableOfAccessiblePlayLists",
             {{"length", pl.length},
              {"number_of_acc_PlayLists", pl.PlayList_file_name.size()},
              {"access_to_all_flag", pl.access_to_all_flag},
              {"autostart_first_PlayList_flag", pl.autostart_first_PlayList_flag},
              {"PlayList_file_names", texts(pl.PlayList_file_name)}}},
            {"ApplicationManagementTable",
             {{"length", b.applications.length},
              {"number_of_applications", b.applications.applications.size()},
              {"applications", apps}}},
            {"KeyInterestTable", {{"key_mask", b.key_interest}, {"keys", keys}}},
            {"FileAccessInfo", {{"directory_path", jsonText(b.file_access_info.directory_path)}}}};
}

}  // namespace navora
