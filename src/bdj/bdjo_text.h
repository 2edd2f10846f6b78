#pragma once
// The texts the BDJO tab shows: its grids, the terminal fields and the key
// switches, from a read model.

#include "bdj/bdjo.h"

#include <array>
#include <string>
#include <vector>

namespace navora {

// Column captions and one row of cell texts per record. An empty caption is
// the index column.
struct TextGrid {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

// "CacheInfo": index from 0, "entry type" (decimal), "ref to name", "language".
TextGrid cacheInfoGrid(const TBDJO& b);
// "Accessible PlayLists": index from 0, "PlayList".
TextGrid accessiblePlayListsGrid(const TBDJO& b);
// The applications: index from 0, "ctrl", "type", "orgID" (8 hex digits),
// "appID" (4), "tag" (2), "prior", "bind", "visib", "icon_loc", "base_dir",
// "classpath_ext", "init_classn.", and the counts "pr.", "na.", "pa.".
TextGrid applicationsGrid(const TBDJO& b);
// The details of one application. Profiles: index from 0, "profile" (4 hex
// digits), "version" (major.minor.micro). Names: index from 0, "lang",
// "name". Parameters: index from 1, "parameter".
TextGrid profilesGrid(const Tapplication& a);
TextGrid namesGrid(const Tapplication& a);
TextGrid parametersGrid(const Tapplication& a);

// A grid with rows is enabled, an empty one (shown with one empty row) is
// not; the applications grid only when it has more than one application.
bool gridEnabled(const TextGrid& grid, bool applicationsGrid = false);

// "Initial HAVi configuration id" in hexadecimal.
std::string haviText(const TTerminalInfo& t);

// The key switches of the KeyInterestTable, in the tab's order.
struct KeySwitch {
    BdjKey key;
    const char* caption;  // "Play", "Stop", ... "PG TextST"
};
const std::array<KeySwitch, 11>& keySwitches();

// The activity line of a read: "Reading [bl]<name>.bdjo[/bl]".
std::string bdjoReadingLine(const std::string& name);

}  // namespace navora
