#pragma once
// BD-J object files (BDJO/*.bdjo): the terminal settings, cached files,
// accessible playlists, applications, key interests and file access of one
// Java title. Read and shown; Navora does not edit them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace navora {

struct TTerminalInfo {
    std::uint32_t length = 0;
    std::string default_font_file_name;              // 5 characters
    std::uint8_t initial_HAVi_configuration_id = 0;  // 4 bits
    bool menu_call_mask = false;
    bool title_search_mask = false;

    bool operator==(const TTerminalInfo&) const = default;
};

struct TAppCacheEntry {
    std::uint8_t entry_type = 0;
    std::string ref_to_name;    // 5 characters
    std::string language_code;  // 3 characters

    bool operator==(const TAppCacheEntry&) const = default;
};

struct TAppCacheInfo {
    std::uint32_t length = 0;
    std::vector<TAppCacheEntry> entries;  // number_of_entries = entries.size()

    bool operator==(const TAppCacheInfo&) const = default;
};

struct TTableOfAccessiblePlayLists {
    std::uint32_t length = 0;
    bool access_to_all_flag = false;
    bool autostart_first_PlayList_flag = false;
    std::vector<std::string> PlayList_file_name;  // 5 characters each; number_of_acc_PlayLists = size()

    bool operator==(const TTableOfAccessiblePlayLists&) const = default;
};

struct TAppProfile {
    std::uint16_t application_profile = 0;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t micro = 0;

    bool operator==(const TAppProfile&) const = default;
};

struct Tapplication_name {
    std::string language;  // 3 characters
    std::string name;

    bool operator==(const Tapplication_name&) const = default;
};

struct Tapplication {
    std::uint8_t application_control_code = 0;
    std::uint8_t application_type = 0;
    std::uint32_t organization_id = 0;
    std::uint16_t application_id = 0;
    std::uint8_t descriptor_tag = 0;
    std::uint32_t descriptor_length = 0;
    std::vector<TAppProfile> profiles;  // at most 15 (4-bit count)
    std::uint8_t application_priority = 0;
    std::uint8_t binding = 0;     // 2 bits
    std::uint8_t visibility = 0;  // (byte >> 4) & 2, as the reader takes it
    std::vector<Tapplication_name> names;
    std::string icon_locator;
    std::uint16_t icon_flags = 0;
    std::string base_directory;
    std::string classpath_extension;
    std::string initial_class_name;
    std::vector<std::string> parameters;

    bool operator==(const Tapplication&) const = default;
};

struct TApplicationManagementTable {
    std::uint32_t length = 0;
    std::vector<Tapplication> applications;  // number_of_applications = size()

    bool operator==(const TApplicationManagementTable&) const = default;
};

struct TFilAccesInfo {
    std::string directory_path;

    bool operator==(const TFilAccesInfo&) const = default;
};

// The key bits of the KeyInterestTable that the tab shows, from bit 31 down.
enum class BdjKey : std::uint8_t {
    Play = 31, Stop = 30, FFW = 29, REW = 28, Next = 27, Prev = 26, Pause = 25, StillOff = 24,
    SecondaryAudio = 23, SecondaryVideo = 22, PGTextST = 21,
};

struct TBDJO {
    std::string type_indicator;  // "BDJO"
    std::string version_number;  // "0100" or "0200"
    std::uint32_t first_address = 0;  // kept, not used
    std::uint32_t AppCacheInfo_start_address = 0;
    std::uint32_t TableOfAccessiblePlayLists_start_address = 0;
    std::uint32_t ApplicationManagementTable_start_address = 0;
    std::uint32_t KeyInterestTable_start_address = 0;
    std::uint32_t FileAccessInfo_start_address = 0;
    TTerminalInfo terminal_info;
    TAppCacheInfo app_cache_info;
    TTableOfAccessiblePlayLists accessible_playlists;
    TApplicationManagementTable applications;
    std::uint32_t key_interest = 0;  // KeyInterestTable: the 32-bit key mask
    TFilAccesInfo file_access_info;

    bool operator==(const TBDJO&) const = default;
};

// Whether the key mask has the key's bit set.
inline bool hasKeyInterest(std::uint32_t mask, BdjKey key) {
    return (mask >> static_cast<unsigned>(key)) & 1u;
}

}  // namespace navora
