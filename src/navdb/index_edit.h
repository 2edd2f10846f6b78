#pragma once
// Edits of the index.bdmv model and the texts the title views show.
// Every edit keeps the invariants: the title count equals the array length,
// each title number is its position + 1, and the Indexes length and a
// non-zero ExtensionData start address move by 12 bytes per title.

#include "navdb/index.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace navora {

// ---- Titles ----------------------------------------------------------------

// Inserts a title at 0-based position pos, that is after title number pos
// (pos 0 puts it first; a pos past the end appends). The new title is HDMV,
// access type 0, playback type 0 ("Movie"), movie object 0, and takes the
// BD-J file name of the title that held pos before (empty when appended).
// Returns the new title's position, or nothing when the index already holds
// 999 titles (a file with more would be refused by every reader).
std::optional<std::size_t> insertTitle(TINDX& index, std::size_t pos);

// Deletes the titles first..last (0-based, inclusive; clamped to the list).
// Returns the position to select afterwards (the title before the removed
// block, 0 when the block began at the first title), or nothing when there
// was nothing to delete.
std::optional<std::size_t> deleteTitles(TINDX& index, std::size_t first, std::size_t last);

// Sets every title number to its position + 1.
void renumberTitles(TINDX& index);

void setTitleObjectType(TTitle& title, ObjectType type);
// Access type 1, which shows as "Permitted", is replaced by whatever is set.
void setTitleAccessType(TTitle& title, AccessType type);
void setTitlePlaybackType(TTitle& title, PlaybackType type);
// The BD-J file name, cut to 5 characters.
void setTitleBdjoName(TTitle& title, const std::string& name);
// The movie object an HDMV title plays.
void setTitleObject(TTitle& title, std::uint16_t object);

// ---- First Playback and Top Menu --------------------------------------------

enum class IndexEntryKind { FirstPlayback, TopMenu };

TIndexEntry& indexEntry(TINDX& index, IndexEntryKind kind);
const TIndexEntry& indexEntry(const TINDX& index, IndexEntryKind kind);

// An entry is on when it names a movie object (its reference is not 0xFFFF).
inline bool entryIsOn(const TIndexEntry& e) { return e.mobj_id_ref != kNoObject; }

// The on/off box. Off: the reference becomes 0xFFFF. On: an HDMV entry takes
// the selected movie object (0xFFFF when none is selected); a BD-J entry,
// which has no reference in the file, takes the selection or 0 so that it
// counts as on.
void setEntryOn(TINDX& index, IndexEntryKind kind, bool on, std::optional<std::uint16_t> selectedObject);
void setEntryType(TINDX& index, IndexEntryKind kind, ObjectType type);
// The movie object of an entry (a reference other than 0xFFFF switches it on).
void setEntryObject(TINDX& index, IndexEntryKind kind, std::uint16_t object);
void setEntryPlaybackType(TINDX& index, IndexEntryKind kind, PlaybackType type);

// ---- Content provider ---------------------------------------------------------

// Replaces the content provider text, cut to 32 characters.
void setContentProvider(TINDX& index, const std::string& text);

// Replaces the ExtensionData block (the ExtensionData editor's OK). A block of
// length 0 means none: the start address becomes 0 and no block is written.
// Otherwise the start address is where the writer places the block, after the
// titles and the bytes kept after them: Indexes start address + 4 + Indexes
// length for every file whose Indexes length covers the bytes before its block.
void setIndexExtensionData(TINDX& index, TExtensionData block);

// ---- Display texts -------------------------------------------------------------

// "HDMV", "BD-J"; empty for other values.
std::string objectTypeName(ObjectType type);
// "Permitted" for 0 and 1, "Prohibited1" for 2, "Prohibited2" for 3.
std::string accessTypeName(AccessType type);
// "Movie", "Interactive"; empty for other values.
std::string playbackTypeName(PlaybackType type);

// Column headers of the title grid.
const std::array<std::string, 5>& titleColumns();  // "No.", "object t.", "title search", "playback t.", "OID/file"

// The cells of a title's grid row: number as 3 digits, object type, access
// type name, playback type name, and the movie object reference in decimal
// for HDMV ("??" when it is 0xFFFF or, with a known object count, not below
// it) or the BD-J file name otherwise.
std::array<std::string, 5> indline(const TTitle& title, std::optional<std::size_t> movieObjectCount = std::nullopt);

// The two count labels of the BDMV tab.
struct CountLabels {
    std::string titles;   // "N titles", or "N + K titles" with K entries on
    std::string objects;  // "M objects"
};
CountLabels BDMVlabels(const TINDX& index, std::size_t movieObjectCount);

}  // namespace navora
