#pragma once
// Edits of the MovieObject.bdmv model, the title references they move, and the
// texts the movie object views show. The MovieObjects length and a non-zero
// ExtensionData start address move by exactly the bytes added or removed:
// +4 per inserted object, -(4 + 12 x commands) per deleted object.

#include "core/log.h"
#include "navdb/index.h"
#include "navdb/movieobject.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace navora {

// The most movie objects a file can hold: 0xFFFF is the reference "none".
constexpr std::size_t kMaxMovieObjects = 0xFFFF;

// Inserts a blank movie object (flags 0, no commands) at 0-based position pos,
// that is after object pos - 1 (a pos past the end appends). Every title
// reference at or above pos, other than 0xFFFF, moves up by one; First Playback,
// Top Menu and the object operands of commands are not changed. Returns the new
// object's position, or nothing when the file holds the most objects it can.
std::optional<std::size_t> insertMovieObject(TMOBJ& mobj, TINDX& index, std::size_t pos);

// Replaces the ExtensionData block (the ExtensionData editor's OK). A block of
// length 0 means none: the start address becomes 0 and no block is written.
// Otherwise the start address is where the writer places the block, after the
// movie objects and the bytes kept after them: 44 + MovieObjects length for
// every file whose MovieObjects length covers the bytes before its block.
void setMovieObjectExtensionData(TMOBJ& mobj, TExtensionData block);

struct MobjDeleteResult {
    // Numbers of the HDMV titles whose reference no longer names an object,
    // in title order; the caller reports them (logInvalidReferences).
    std::vector<std::uint32_t> invalidTitles;
    std::size_t select = 0;  // the object to show: the one before the removed block, or 0
};

// Deletes the movie objects first..last (0-based, inclusive; clamped). Title
// references below first are kept, those above last move down by the number
// removed, those inside the block become 0xFFFF; 0xFFFF stays 0xFFFF. Returns
// nothing when there was nothing to delete.
std::optional<MobjDeleteResult> deleteMovieObjects(TMOBJ& mobj, TINDX& index, std::size_t first, std::size_t last);

// Logs "Invalid object reference in Title N" as an error for each title and,
// when there was any, shows "See Status" as the status bar's error message.
void logInvalidReferences(Log& log, const std::vector<std::uint32_t>& titles);

// The three flags of a movie object.
enum class MobjFlag { Resume, MenuCall, TitleSearch };
// Sets (suspend, disable) or clears (discard, enable) a flag.
void setMobjFlag(Tmobject& object, MobjFlag flag, bool set);
bool mobjFlag(const Tmobject& object, MobjFlag flag);
// "discard"/"suspend" for resume, "enable"/"disable" for the two masks.
std::string mobjFlagName(MobjFlag flag, bool set);

// Column headers of the movie object grid.
const std::array<std::string, 5>& objectColumns();  // "No.", "resume", "menu call", "title search", "commands"

// The cells of movie object n's grid row: n as 3 digits, the resume, menu call
// and title search names, and the number of commands.
std::array<std::string, 5> objline(const Tmobject& object, std::size_t n);

}  // namespace navora
