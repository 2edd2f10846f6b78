#pragma once
// MovieObject.bdmv: the HDMV movie objects and their command programs.

#include "core/bytes.h"
#include "core/command.h"
#include "core/extdata.h"

#include <cstdint>
#include <string>
#include <vector>

namespace navora {

struct Tmobject {
    std::uint8_t resume_intention_flag = 0;  // 0 discard, 1 suspend
    std::uint8_t menu_call_mask = 0;         // 0 enable, 1 disable
    std::uint8_t title_search_mask = 0;      // 0 enable, 1 disable
    TCommands commands;                      // number_of_navigation_commands is commands.size()

    bool operator==(const Tmobject&) const = default;
};

struct TObjects {
    std::uint32_t length = 6;
    std::uint32_t reserved = 0;
    std::vector<Tmobject> objects;  // number_of_mobjs is objects.size()

    bool operator==(const TObjects&) const = default;
};

struct TMOBJ {
    std::string type_indicator = "MOBJ";
    std::string version = "0200";
    std::uint32_t extension_data_start_address = 0;
    Bytes reserved = Bytes(28, 0);
    TObjects mobjs;
    // Bytes between the last movie object and the ExtensionData block, or up to
    // the end of the file when there is none. Kept so that the stored addresses
    // stay true.
    Bytes spare_after_objects;
    TExtensionData ext;

    bool operator==(const TMOBJ&) const = default;
};

// The MovieObjects length of a block without spare bytes: 6 + the 4-byte head
// and 12 bytes per command of every object.
inline std::uint32_t movieObjectsLength(const TObjects& o) {
    std::uint64_t n = 6;
    for (const Tmobject& m : o.objects) n += 4 + 12 * std::uint64_t{m.commands.size()};
    return static_cast<std::uint32_t>(n);
}

}  // namespace navora
