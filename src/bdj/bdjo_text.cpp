#include "bdj/bdjo_text.h"

#include <fmt/format.h>

namespace navora {

TextGrid cacheInfoGrid(const TBDJO& b) {
    TextGrid g{{"", "entry type", "ref to name", "language"}, {}};
    for (std::size_t i = 0; i < b.app_cache_info.entries.size(); ++i) {
        const TAppCacheEntry& e = b.app_cache_info.entries[i];
        g.rows.push_back({std::to_string(i), std::to_string(e.entry_type), e.ref_to_name, e.language_code});
    }
    return g;
}

TextGrid accessiblePlayListsGrid(const TBDJO& b) {
    TextGrid g{{"", "PlayList"}, {}};
    for (std::size_t i = 0; i < b.accessible_playlists.PlayList_file_name.size(); ++i)
        g.rows.push_back({std::to_string(i), b.accessible_playlists.PlayList_file_name[i]});
    return g;
}

TextGrid applicationsGrid(const TBDJO& b) {
    TextGrid g{{"", "ctrl", "type", "orgID", "appID", "tag", "prior", "bind", "visib", "icon_loc", "base_dir",
                "classpath_ext", "init_classn.", "pr.", "na.", "pa."},
               {}};
    const auto& apps = b.applications.applications;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const Tapplication& a = apps[i];
        g.rows.push_back({std::to_string(i), std::to_string(a.application_control_code),
                          std::to_string(a.application_type), fmt::format("{:08X}", a.organization_id),
                          fmt::format("{:04X}", a.application_id), fmt::format("{:02X}", a.descriptor_tag),
                          std::to_string(a.application_priority), std::to_string(a.binding),
                          std::to_string(a.visibility), a.icon_locator, a.base_directory, a.classpath_extension,
                          a.initial_class_name, std::to_string(a.profiles.size()), std::to_string(a.names.size()),
                          std::to_string(a.parameters.size())});
    }
    return g;
}

TextGrid profilesGrid(const Tapplication& a) {
    TextGrid g{{"", "profile", "version"}, {}};
    for (std::size_t i = 0; i < a.profiles.size(); ++i) {
        const TAppProfile& p = a.profiles[i];
        g.rows.push_back({std::to_string(i), fmt::format("{:04X}", p.application_profile),
                          fmt::format("{}.{}.{}", p.major, p.minor, p.micro)});
    }
    return g;
}

TextGrid namesGrid(const Tapplication& a) {
    TextGrid g{{"", "lang", "name"}, {}};
    for (std::size_t i = 0; i < a.names.size(); ++i)
        g.rows.push_back({std::to_string(i), a.names[i].language, a.names[i].name});
    return g;
}

TextGrid parametersGrid(const Tapplication& a) {
    TextGrid g{{"", "parameter"}, {}};
    for (std::size_t i = 0; i < a.parameters.size(); ++i) g.rows.push_back({std::to_string(i + 1), a.parameters[i]});
    return g;
}

bool gridEnabled(const TextGrid& grid, bool applications) { return grid.rows.size() > (applications ? 1u : 0u); }

std::string haviText(const TTerminalInfo& t) { return fmt::format("{:X}", t.initial_HAVi_configuration_id); }

const std::array<KeySwitch, 11>& keySwitches() {
    static const std::array<KeySwitch, 11> keys{{
        {BdjKey::Play, "Play"},
        {BdjKey::Stop, "Stop"},
        {BdjKey::FFW, "FFW"},
        {BdjKey::REW, "REW"},
        {BdjKey::Next, "Next"},
        {BdjKey::Prev, "Prev."},
        {BdjKey::Pause, "Pause"},
        {BdjKey::StillOff, "Still off"},
        {BdjKey::SecondaryAudio, "sec.audio"},
        {BdjKey::SecondaryVideo, "sec.video"},
        {BdjKey::PGTextST, "PG TextST"},
    }};
    return keys;
}

std::string bdjoReadingLine(const std::string& name) { return "Reading [bl]" + name + ".bdjo" + "[/bl]"; }

}  // namespace navora
