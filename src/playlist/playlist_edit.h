#pragma once
// Edits of the playlist model: every change the playlist tab makes, as a
// function on the copyable TMPLS that the views, the tests and the command
// line call alike (the views wrap each call in an undo step).
//
// Size bookkeeping. The writer writes lengths and start addresses as stored,
// so every structural edit moves them by exactly the bytes it adds or
// removes: a stream changes its PlayItem's length, its STN_table's length,
// the PlayList length, PlayListMark_start_address and a non-zero
// ExtensionData_start_address; a SubPath (or a SubPlayItem growing) changes
// the lengths above it, the PlayList length and both addresses; a mark changes
// the PlayListMark length and a non-zero ExtensionData address. The sizes are
// those of the removed item as it lies in the file (16 bytes for a usual
// stream, 18 + n (+1 when n is odd) for a secondary audio stream with n
// references, 10 + its SubPlayItems for a SubPath). When the end of the
// PlayList moves from an odd to an even offset or back, the one padding byte
// before the PlayListMark section comes or goes with it, so the marks keep
// starting at an even offset.
//
// Edits that a limit or a rule refuses change nothing and return nothing (or
// false). Indexes of PlayItems, streams, SubPaths and marks that do not exist
// are caller errors and throw std::out_of_range, changing nothing.

#include "playlist/playlist.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// ---- Limits -------------------------------------------------------------------

constexpr std::size_t kMaxPrimaryAudioStreams = 32;
constexpr std::size_t kMaxPGStreams = 255;  // PG and PiP PG together
constexpr std::size_t kMaxIGStreams = 32;
constexpr std::size_t kMaxSecondaryAudioStreams = 32;
constexpr std::size_t kMaxSubPaths = 255;
constexpr std::size_t kMaxMarks = 999;

// ---- Sizes --------------------------------------------------------------------

// Bytes a stream occupies in the STN_table: entry and attributes (16 for the
// usual lengths 9 and 5), for secondary streams with their reference blocks.
std::size_t streamItemSize(const TStreamItem& s);
std::size_t secondaryAudioSize(const TSecAudio& s);
std::size_t secondaryVideoSize(const TSecVideo& s);

// Sets every length field and start address from the content, for a model
// built in code: each length counts its fields and its kept spare bytes, the
// sections follow one another with the room kept between them, the
// PlayListMark section starts at an even offset (a room of at most one zero
// byte is taken as the padding byte and follows the parity; a zero byte is
// put before any other room that would leave the offset odd), and
// ExtensionData_start_address is 0 when the block's length is 0.
// The ExtensionData block's own fields and the counts are left as they are.
void computeSizes(TMPLS& playlist);

// ---- Streams ----------------------------------------------------------------------

// The stream kinds in the order of the STN count grid's columns "Vi", "Au",
// "PG", "IG", "sV", "sA", "PIP": the column index is the kind's value.
enum class StreamKind { PrimaryVideo, PrimaryAudio, PG, IG, SecondaryVideo, SecondaryAudio, PiPPG };
constexpr std::size_t kStreamKindCount = 7;

// The streams of a kind (PG without, PiP PG only the PiP PG entries).
std::size_t streamCount(const TSTN& stn, StreamKind kind);
// Stream row of a kind; PiP PG row r is PG_textST entry PG count + r.
// Throws std::out_of_range for a row the kind does not have.
const TStreamItem& streamAt(const TSTN& stn, StreamKind kind, std::size_t row);
TStreamItem& streamAt(TSTN& stn, StreamKind kind, std::size_t row);

// Whether "+" and "-" can act on the kind: insertion of primary audio below
// 32, PG below 255, IG below 32, secondary audio below 32 and PiP PG while PG
// and PiP PG together are below 255; never of primary or secondary video.
// Deletion while the kind has a stream, of primary audio only while two or
// more remain, of primary video never.
bool canInsertStream(const TSTN& stn, StreamKind kind);
bool canDeleteStream(const TSTN& stn, StreamKind kind);

// An elementary stream of a clip, as its clip information lists it.
struct ClipStream {
    std::uint16_t pid = 0;
    std::uint8_t codingType = 0;
    std::uint8_t audio_presentation_type = 0;
    std::uint8_t sampling_frequency = 0;
    std::string language_code;
};

// Whether a clip's stream can be a stream of the kind: video coding types for
// the video kinds (secondary video on PIDs 0x1B00-0x1B1F, primary video on the
// others), audio coding types for the audio kinds (secondary audio: DD+ and
// DTS-HD secondary coding or PIDs 0x1A00-0x1A1F), PG and text subtitles for
// PG and PiP PG, IG for IG.
bool clipStreamFitsKind(const ClipStream& stream, StreamKind kind);
// The clip's streams of the kind, in clip order.
std::vector<ClipStream> clipStreamsOfKind(const std::vector<ClipStream>& clip, StreamKind kind);
// "audio", "PG", "secondary video", ... as the messages name a kind.
std::string_view streamKindName(StreamKind kind);

// The row of another stream of the kind (not `row`) that plays the same
// stream as `entry`: for entries of the PlayItem's clip (types 1 and 3) the
// same main PID, for SubPath entries (type 2) the same SubPath, subclip entry
// and sub PID.
std::optional<std::size_t> duplicateStreamRow(const TSTN& stn, StreamKind kind, std::optional<std::size_t> row,
                                              const TStreamEntry& entry);

// Inserts a stream of the kind into PlayItem playItem after row `selected`
// (first when the kind has no stream, last when nothing is selected); the
// following streams move down. PG streams go in before the PiP PG entries;
// PiP PG streams stay after the PG ones. Values: entry length 9, attributes
// length 5, language "eng", and by kind
//   primary audio:   type 1, main PID 0x1100, coding 0x81 (DD), presentation 6, frequency 1
//   PG:              type 1, main PID 0x1200, coding 0x90
//   IG:              type 2, SubPath 0, subclip entry 0, sub PID 0x1400, coding 0x91
//   secondary audio: type 1, main PID 0x1A00, coding 0xA1 (DD+), presentation 3, frequency 1,
//                    no primary audio references (18 bytes)
//   PiP PG:          type 1, main PID 0x1200, coding 0x90
// A main PID another stream of the kind already plays is not taken twice:
// with the PlayItem's clip streams given (clip), the new stream plays the
// first of the clip's streams of the kind that no stream of the kind plays
// yet, with its coding type, language and audio attributes, and there is no
// insertion when every one is taken; without them the PID is the default or
// the next one above it that is free (so also the sub PID of a new IG stream).
// Returns the new stream's row, or nothing when canInsertStream refuses, the
// clip has no free stream of the kind, or the PlayItem's length field cannot
// hold it.
std::optional<std::size_t> insertStream(TMPLS& playlist, std::size_t playItem, StreamKind kind,
                                        std::optional<std::size_t> selected,
                                        const std::vector<ClipStream>* clip = nullptr);

// Deletes stream `row` of the kind; the following ones move up (a PG deletion
// keeps every PiP PG entry after the PG part). Returns the row to select
// afterwards (the one above, or 0), or nothing when canDeleteStream refuses.
std::optional<std::size_t> deleteStream(TMPLS& playlist, std::size_t playItem, StreamKind kind, std::size_t row);

// The stream editors: each field takes a domain value.
enum class StreamField {
    EntryType,          // stream_entry type 0-255 (the list offers 0-3)
    MainPID,            // ref_to_stream_PID_of_mainClip, 16 bits
    SubPID,             // ref_to_stream_PID_of_subClip, 16 bits
    SubPathId,          // ref_to_SubPath_id, 8 bits
    SubClipEntryId,     // ref_to_subClip_entry_id, 8 bits
    CodingType,         // stream_coding_type, 8 bits
    VideoFormat,        // 4 bits
    FrameRate,          // 4 bits
    PresentationType,   // audio_presentation_type, 4 bits
    SamplingFrequency,  // 4 bits
    DynamicRange,       // HEVC dynamic_range_type, 4 bits
    ColourSpace,        // HEVC color_space, 4 bits
    HdrPlusFlag,        // HEVC HDR_plus_flag, 1 bit
};
// Stores value into the field; false (nothing changed) when it does not fit
// the field's width. An entry type or coding type that the reader does not
// decode keeps its bytes uninterpreted: switching between such a type and a
// decoded one re-reads the same bytes the other way, so the stream keeps its
// size and the file its layout.
bool setStreamField(TStreamItem& stream, StreamField field, std::uint32_t value);
// language_code, cut to 3 characters.
void setStreamLanguage(TStreamItem& stream, std::string_view code);

// Why the PID typed into the main or sub PID editor of stream `row` is
// refused: another stream of the kind plays it ("PID 1100 is already audio
// stream 001"), or, for the main PID when the PlayItem's clip is known, the
// clip has no stream of the kind on it ("Clip 00001 has no audio stream on PID
// 1105; it has 1100, 1101"). Nothing when the PID is taken.
std::optional<std::string> streamPidRefusal(const TSTN& stn, StreamKind kind, std::size_t row, StreamField field,
                                            std::uint16_t pid, const std::vector<ClipStream>* clip,
                                            std::string_view clipName);

// ---- SubPaths ---------------------------------------------------------------------

// Below 255 SubPaths and with at least one PlayItem (the new SubPlayItem
// plays the first PlayItem's clip).
bool canInsertSubPath(const TMPLS& playlist);

// Inserts a SubPath after `selected` (first when there is none, last when
// nothing is selected): length 36, type 3 (IG menu), repeat 0, one
// SubPlayItem of length 28 with the first PlayItem's clip name, codec
// identifier, IN and OUT time, SP_connection_condition 1, not multi-clip.
// 40 bytes. Returns the new SubPath's index, or nothing when refused.
std::optional<std::size_t> insertSubPath(TMPLS& playlist, std::optional<std::size_t> selected);

// Deletes SubPath `index` (its length + 4 bytes). Returns the SubPath to select
// afterwards (the one above, or 0; none is left when the count is 0).
std::size_t deleteSubPath(TMPLS& playlist, std::size_t index);

// SubPath_type; for any type but 2 the repeat word becomes 0.
void setSubPathType(TSubPath& subPath, std::uint8_t type);
// The repeat list is enabled for type 2 only.
bool repeatEditable(const TSubPath& subPath);
// The repeat word := 0 or 1; false (nothing changed) unless the type is 2.
bool setSubPathRepeat(TSubPath& subPath, bool repeat);

// ---- SubPlayItems -------------------------------------------------------------

enum class SubPlayItemColumn { Number, File, Type, Conn, Multi, STC, In, Out, SyncPI, SyncPTS, Clips };

// A typed cell of the SubPlayItem grid, by the cell rules:
//   File:    stored as typed, cut to 5 characters (clip entry 0 follows)
//   Conn:    ignored when it holds a blank or no number; 5 and 6 are stored, any other value as 1
//   Multi:   ignored when it holds a blank; "Y" switches multi-clip on, anything else off
//   STC:     ignored when it holds a blank or is not a number 0-255
//   In, Out, SyncPTS: a typed time (parseTypedTime)
//   SyncPI:  the number modulo 999
//   Number, Type, Clips: not editable
// Returns true when the text was taken; the view then re-shows the row.
bool editSubPlayItemCell(TMPLS& playlist, std::size_t subPath, std::size_t item, SubPlayItemColumn column,
                         std::string_view text);

// Multi-clip on: the SubPlayItem gets the clip entry table with its own clip
// as entry 0 (2 bytes). Off: the table and its further entries go (2 + 10 per
// further entry). Lengths above it move by that size. Nothing happens when
// the flag already has the value; false when a length field cannot hold it.
bool setSubPlayItemMulti(TMPLS& playlist, std::size_t subPath, std::size_t item, bool multi);

// ---- PlayItems ----------------------------------------------------------------

enum class PlayItemColumn { Number, File, Type, In, Out, Length, UO1, UO2, Angles };

// The three independent choices that follow a new IN time; each is asked
// with a Yes/No question and applies to the whole playlist.
struct InTimeCascade {
    bool out = false;           // OUT_time moves with IN (the length stays)
    bool subPlayItems = false;  // every SubPlayItem's IN and OUT move
    bool marks = false;         // every mark's time stamp moves

    bool operator==(const InTimeCascade&) const = default;
};
inline constexpr const char* kAskUpdateOut = "Do you want to update OUT time?";
inline constexpr const char* kAskUpdateSubPlayItems = "Do you want to update SubPlayItems' IN/OUT times?";
inline constexpr const char* kAskUpdateMarks = "Do you want to update PlayListMarks' marktimes?";

// Which of the questions a new IN time asks (true = ask): none when it equals
// the old one; OUT always; SubPlayItems when the playlist has SubPaths; marks
// when it has marks.
InTimeCascade inTimeQuestions(const TMPLS& playlist, std::size_t item, std::uint32_t newIn);

// Stores the new IN time and moves what the choices say by new IN - old IN.
// The moved times stay within 0 and 0xFFFFFFFF (they do not wrap).
void setPlayItemInTime(TMPLS& playlist, std::size_t item, std::uint32_t newIn, const InTimeCascade& cascade);
void setPlayItemOutTime(TMPLS& playlist, std::size_t item, std::uint32_t out);
// The clip name, with angle entry 0 following it. False (nothing changed)
// unless it has exactly 5 characters and no blank.
bool setPlayItemClipName(TMPLS& playlist, std::size_t item, std::string_view name);

// A typed cell of the PlayItem grid, by the cell rules:
//   File:    exactly 5 characters, no blank
//   In:      a typed time; a changed IN applies the cascade choices
//   Out:     a typed time
//   UO1:     8 characters, no blank, read as hexadecimal (other characters skipped) into the first UO word
//   UO2:     the same, keeping only bit 30 (kUO2Bits) of the value
//   Number, Type, Length, Angles: not editable
// Returns true when the text was taken; the view then re-shows the row.
bool editPlayItemCell(TMPLS& playlist, std::size_t item, PlayItemColumn column, std::string_view text,
                      const InTimeCascade& cascade = {});

// ---- UO masks -----------------------------------------------------------------

// The only bit of the second UO word that the views edit.
constexpr std::uint32_t kUO2Bits = 0x40000000;

// One UO check box: the bit it sets in word 0 or 1 of a UO_mask_table, its
// control name and its hint.
struct UOBox {
    int word = 0;
    int bit = 0;  // 31 = the most significant bit, the first in the file
    const char* name = "";  // "cbUO31" ... "cbUO0", "cbUO2_30"
    const char* hint = "";
};
// The 33 boxes: bits 31 down to 0 of the first word, then bit 30 of the second.
const std::array<UOBox, 33>& uoBoxes();

bool uoBit(const std::uint32_t (&mask)[2], const UOBox& box);
void setUOBit(std::uint32_t (&mask)[2], const UOBox& box, bool on);
// A word typed into its hex field: the first word is stored whole, of the
// second only bit 30.
void setUOWord(std::uint32_t (&mask)[2], int word, std::uint32_t value);

// ---- AppInfoPlayList ----------------------------------------------------------

enum class PlaylistPlaybackType : std::uint8_t { Sequential = 1, Random = 2, Shuffle = 3 };
enum class AppInfoFlag { RandomAccess, AudioMix, BypassMixer };

void setPlaybackType(TAppInfoPlayList& appInfo, PlaylistPlaybackType type);
void setPlaybackCount(TAppInfoPlayList& appInfo, std::uint16_t count);
bool appInfoFlag(const TAppInfoPlayList& appInfo, AppInfoFlag flag);
void setAppInfoFlag(TAppInfoPlayList& appInfo, AppInfoFlag flag, bool on);

// ---- Marks ----------------------------------------------------------------------

// Below 999 marks.
bool canInsertMark(const TMPLS& playlist);

// Inserts an entry mark (PlayItem 0 at its IN time, entry PID 0xFFFF,
// duration 0; time 0 when the playlist has no PlayItem) after row `after`
// (first when there is no mark, last when nothing is selected): 14 bytes. A
// playlist without a PlayListMark section gets one. Returns the new mark's
// row, or nothing at 999 marks.
std::optional<std::size_t> insertMark(TMPLS& playlist, std::optional<std::size_t> after);

// Deletes marks first..last (inclusive; clamped to the list), 14 bytes each.
// Returns the row to select (the one above the range, or 0), or nothing when
// there was nothing to delete.
std::optional<std::size_t> deleteMarks(TMPLS& playlist, std::size_t first, std::size_t last);

// The mark time editors.
struct MarkTime {
    long long hours = 0;
    long long minutes = 0;
    long long seconds = 0;
    long long milliseconds = 0;

    bool operator==(const MarkTime&) const = default;
};
// ms = ticks div 45 split into hours, minutes, seconds and milliseconds.
MarkTime splitMarkTime(std::uint32_t ticks);
// Hours 0-25, minutes and seconds 0-59, milliseconds 0-999, so that every
// time fits the 32-bit field.
MarkTime clampMarkTime(const MarkTime& time);
// Stores the clamped time as ticks and returns it for the editors to show.
MarkTime setMarkTime(TPlayListMarkEntry& mark, const MarkTime& time);
void setMarkType(TPlayListMarkEntry& mark, std::uint8_t type);  // 1 entry mark, 2 link point
void setMarkPlayItem(TPlayListMarkEntry& mark, std::uint16_t playItem);

// What is wrong with where a mark lies: a PlayItem the playlist does not have,
// or a time outside its PlayItem's IN to OUT time (both included), such as
// "00:00:00.000 lies outside PlayItem 001 (00:10:00.000 to 00:20:00.000)".
// Nothing when the mark lies within its PlayItem.
std::optional<std::string> markPlaceFault(const TMPLS& playlist, const TPlayListMarkEntry& mark);
// One line per misplaced mark: "Mark 003: " + its fault.
std::vector<std::string> markFaults(const TMPLS& playlist);

// Replaces the whole mark list, moving the PlayListMark length and a non-zero
// ExtensionData address by 14 bytes per mark gained or lost (creating the
// PlayListMark section when the playlist has none).
void replaceMarks(TMPLS& playlist, std::vector<TPlayListMarkEntry> marks);

// ---- ExtensionData ----------------------------------------------------------------

// Replaces the ExtensionData block (the ExtensionData editor's result). A
// block of length 0 means none: the address becomes 0 and nothing is written.
// Otherwise the block follows the PlayListMark section (and the room kept
// after it): PlayListMark_start_address + 4 + its length.
void setPlaylistExtensionData(TMPLS& playlist, TExtensionData block);

}  // namespace navora
