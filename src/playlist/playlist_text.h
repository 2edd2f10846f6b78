#pragma once
// What the playlist tab shows: the vocabulary of its lists with their hints,
// the column titles and the cell texts of every grid, so that the views only
// place strings. No colours or widths here.

#include "playlist/playlist.h"
#include "playlist/playlist_edit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// ---- Names and lists ------------------------------------------------------------

// stream_entry type: "" (0), "PlayItem", "SubPath", "IM PIP"; "" beyond.
std::string entryTypeName(std::uint8_t type);
// The entry type list: "---", "PlayItem", "SubPath", "IM PIP" (index = type).
const std::vector<std::string>& entryTypeItems();
// SubPath_type: "-", "-", "p. Audio", "IG menu", "Text sub", "OoM Sync",
// "OoM Async", "IM Sync" (index = type); "" beyond 7.
std::string subPathTypeName(std::uint8_t type);
const std::vector<std::string>& subPathTypeItems();
// "No", "Yes" (index = repeat word).
const std::vector<std::string>& repeatItems();
// mark_type: "entry-mark" (1), "link point" (2), "" otherwise.
std::string markTypeName(std::uint8_t type);
// The mark type list: "entry-mark", "link point" (index = type - 1).
const std::vector<std::string>& markTypeItems();
// The playback type list: "Sequential", "Random", "Shuffle" (index = type - 1).
const std::vector<std::string>& playlistPlaybackTypeItems();

// A coding list entry: the code it stores, its name and its hint.
struct CodingChoice {
    std::uint8_t code = 0;
    std::string name;
    std::string hint;
};
// "MPEG-2", "AVC", "VC1" (0x02, 0x1B, 0xEA), primary and secondary video.
const std::vector<CodingChoice>& videoCodingChoices();
// "LPCM", "DD", "DTS", "Dolby Lossless", "DD+", "DTS-HD ex. XLL",
// "DTS-HD XLL" (0x80-0x86), "DD+", "DTS-HD" (0xA1, 0xA2), primary and
// secondary audio.
const std::vector<CodingChoice>& audioCodingChoices();
// The list entry of a code; nothing when the list does not offer it.
std::optional<std::size_t> codingChoiceIndex(const std::vector<CodingChoice>& list, std::uint8_t code);

// Lists whose index is the stored value: the names of video formats 0-7,
// frame rates 0-7, audio presentation types 0-12 and sampling frequencies 0-14.
const std::vector<std::string>& videoFormatItems();
const std::vector<std::string>& frameRateItems();
// HEVC: dynamic range ("SDR", "HDR10", "Dolby Vision") and colour space ("-", "BT.709", "BT.2020").
const std::vector<std::string>& dynamicRangeItems();
const std::vector<std::string>& colourSpaceItems();
const std::vector<std::string>& presentationTypeItems();
const std::vector<std::string>& samplingFrequencyItems();

// The language list: 431 ISO 639-2 codes, "eng" first and again at its place.
const std::vector<std::string>& languageItems();
// The first list entry equal to the code; nothing for a code not listed.
std::optional<std::size_t> languageIndex(std::string_view code);

// Hints of the lists for the current choice. Nothing means the choice has no
// hint row and the list keeps showing the previous hint; an empty text clears it.
std::optional<std::string> presentationTypeHint(std::uint8_t type);  // 1, 3, 6, 12
std::optional<std::string> entryTypeHint(std::uint8_t type);         // 0 (empty) to 3
std::optional<std::string> subPathTypeHint(std::uint8_t type);       // 0 to 7

// Which stream editors are shown for a stream of the kind and entry type:
// type 1 the main PID; type 2 SubPath id, subclip entry id and sub PID;
// type 3 main PID and SubPath id. Video kinds add the coding, format and rate
// lists; audio kinds the coding, presentation, frequency and language lists;
// PG and IG the language list; PiP PG only the entry type and PID editors.
struct StreamEditors {
    bool mainPID = false;
    bool subPathId = false;
    bool subClipEntryId = false;
    bool subPID = false;
    bool videoLists = false;
    bool audioLists = false;
    bool language = false;
};
StreamEditors streamEditors(StreamKind kind, std::uint8_t entryType);

// ---- Grids ----------------------------------------------------------------------

// Column titles (row 0 of each grid).
const std::array<std::string, 9>& playItemColumns();     // "No.", "file", "type", "IN time", "OUT time", "length", "UO1", "UO2", "An"
const std::array<std::string, 4>& clipRefColumns();      // "No.", "file", "type", "STC" (angles, clip entries)
const std::array<std::string, 7>& stnCountColumns();     // "Vi", "Au", "PG", "IG", "sV", "sA", "PIP"
const std::array<std::string, 7>& streamColumns();       // "No.", "type", "mPID", "SPid", "sCid", "sPID", "attrib"
const std::array<std::string, 4>& subPathColumns();      // "No.", "type", "repeat", "item"
const std::array<std::string, 11>& subPlayItemColumns(); // "No.", "file", "type", "conn", "multi", "STC", "IN time", "OUT time", "sync PI", "sync PTS", "An"
const std::array<std::string, 6>& markColumns();         // "No.", "type", "PI", "mark time", "entry PID", "duration"

// PlayItem n: n (3 digits from 000), clip name, codec identifier, IN, OUT,
// length OUT - IN (with a "-" when OUT lies before IN), the two UO words as
// 8 hex digits, and the angle count (0 unless multi-angle).
std::array<std::string, 9> playItemRow(const TPlayItem& item, std::size_t n);
// The angle rows of a multi-angle PlayItem, numbered from 1 (none otherwise).
std::vector<std::array<std::string, 4>> angleRows(const TPlayItem& item);
// The seven counts in the column order of stnCountColumns.
std::array<std::string, 7> stnCountRow(const TSTN& stn);
// Stream `row` of a kind: number (3 digits from 001), entry type name, main
// PID (types 1 and 3, 4 hex digits), SubPath id (types 2 and 3), subclip entry
// id and sub PID (type 2), and the attributes. SubPath and subclip ids are two
// decimal digits in the video and secondary lists, two hex digits in the audio,
// PG, IG and PiP PG lists (a type-3 SubPath id four). Attributes: video kinds
// coding, format and rate (HEVC also dynamic range, colour space and
// "HDR10+" when its flag is set); audio kinds coding, presentation type, frequency
// and language; PG, IG and PiP PG the language.
std::array<std::string, 7> streamRow(const TSTN& stn, StreamKind kind, std::size_t row);
// SubPath n: n (3 digits), type name, "Yes"/"No" repeat, SubPlayItem count.
std::array<std::string, 4> subPathRow(const TSubPath& subPath, std::size_t n);
// SubPlayItem n: n, clip name, codec identifier, connection condition,
// "Yes"/"No" multi-clip, STC id, IN, OUT, sync PlayItem, sync PTS as a time,
// clip entry count.
std::array<std::string, 11> subPlayItemRow(const TSubPlayItem& item, std::size_t n);
// The clip entry rows of a SubPlayItem, numbered from 1.
std::vector<std::array<std::string, 4>> clipEntryRows(const TSubPlayItem& item);
// Mark n: n (3 digits), type name, PlayItem (3 digits), time, entry PID (4
// hex digits), duration in decimal ticks.
std::array<std::string, 6> markRow(const TPlayListMarkEntry& mark, std::size_t n);

// "[b]N[/b] PlayItem(s), [b]M[/b] SubPath(s) and [b]K[/b] PlayListMark(s) found."
std::string playlistFoundText(const TMPLS& playlist);

}  // namespace navora
