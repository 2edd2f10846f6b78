#pragma once
// The ExtensionData() block that ends index.bdmv, MovieObject.bdmv,
// playlists, clip information files and sound.bdmv. Kept as an entry table
// plus the raw bytes that follow it.

#include "core/bytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

struct TExtDataEntry {
    std::uint16_t ID1 = 0;
    std::uint16_t ID2 = 0;
    std::uint32_t ext_data_start_address = 0;  // from the start of the block
    std::uint32_t ext_data_length = 0;

    bool operator==(const TExtDataEntry&) const = default;
};

struct TExtensionData {
    std::uint32_t length = 0;  // bytes after the length field; 0 = no block
    std::uint32_t data_block_start_address = 0;
    // The 24 reserved bits after the start address, kept as read so that a
    // block is written back with the bytes it came with.
    std::array<std::uint8_t, 3> reserved{};
    std::uint8_t number_of_ext_data_entries = 0;
    std::vector<TExtDataEntry> entries;
    Bytes data;  // every byte after the entry table, as read

    bool operator==(const TExtensionData&) const = default;
};

// Reads a block from the reader's position: the header, the entry table and
// then every byte up to the end of the buffer as data. The block is reset to
// empty first. Throws FormatError when the header or table is cut short.
void ReadExtensionData(ByteReader& in, TExtensionData& block);
// The same for a file whose block must be whole: throws FormatError at the
// block's start ("ExtensionData block cut short") when the file ends before
// the bytes its length declares.
void ReadWholeExtensionData(ByteReader& in, TExtensionData& block);

// Writes the block: the length, and when it is non-zero the start address,
// the three reserved bytes, the entry count, the entries and the data bytes.
void WriteExtensionData(ByteWriter& out, const TExtensionData& block);

// "no ExtensionData()", "1 entry, 44 bytes", "2 entries, 186 bytes".
std::string ExtDatCap(const TExtensionData& block);

// The hosts of an ExtensionData block, for the start-address rule.
enum class ExtDataHost { Index, MovieObject, Playlist, ClipInfo, Sound };

// The ExtensionData_start_address a host stores after its block was replaced:
// 0 for an empty block (length 0); otherwise by host
//   Index:       sectionStart + 4 + sectionLength (Indexes start, Indexes length)
//   MovieObject: 44 + sectionLength (MovieObjects length; sectionStart unused)
//   Playlist:    sectionStart + 4 + sectionLength (PlayListMark start, length)
//   ClipInfo:    sectionStart + 4 + sectionLength (ClipMark start, length)
//   Sound:       sectionStart (the offset at which the writer places the block)
std::uint32_t extDataStartAddress(ExtDataHost host, const TExtensionData& block, std::uint32_t sectionStart,
                                  std::uint32_t sectionLength);

// The first entry with these IDs, or nothing.
std::optional<std::size_t> findExtDataEntry(const TExtensionData& block, std::uint16_t id1, std::uint16_t id2);
// The ext_data_length bytes of an entry, found by its start address counted
// from the block's start (the data array begins after the entry table, at 12
// + 12 x n). Empty when the entry does not exist or does not lie wholly in the
// data array: readers of known entries then keep the block as bytes.
std::span<const std::uint8_t> extDataEntryPayload(const TExtensionData& block, std::size_t entry);
std::span<std::uint8_t> extDataEntryPayload(TExtensionData& block, std::size_t entry);

// ---- The ExtensionData editor ---------------------------------------------------

// The editor's summary: length + 4, " bytes, ", the entry count and "entry"
// or "entries" ("186 bytes, 2 entries", "44 bytes, 1 entry", "44 bytes, 0
// entry" for length 40 without entries); "None" for length 0.
std::string extDatProp(const TExtensionData& block);

// One row of the entry view: number (3 digits from 000), ID1 and ID2 (4
// hexadecimal digits), start and length (8 hexadecimal digits).
struct ExtDataEntryRow {
    std::string number, id1, id2, start, length;
};
std::vector<ExtDataEntryRow> extDataEntryRows(const TExtensionData& block);

// Stores a typed ID1: the text's hexadecimal digits in either case, every
// other character skipped ("a1b" -> 0x0A1B, "g1" -> 1); more than four digits
// keep the last four. Returns false (and changes nothing) for an entry that
// does not exist.
bool setExtDataEntryID1(TExtensionData& block, std::size_t entry, std::string_view text);

// The part of a hex dump line a run of characters shows.
enum class DumpRunKind {
    Address,  // drawn in blue
    Hex,      // the normal text colour
    Chars,    // red
    Note,     // a line saying the entry runs past the block's data
};
// Characters [begin, end) of a line's text, counted in characters (code
// points), not bytes of the UTF-8 text.
struct DumpRun {
    DumpRunKind kind;
    std::size_t begin;
    std::size_t end;
    bool operator==(const DumpRun&) const = default;
};
struct DumpLine {
    std::string text;  // UTF-8
    std::vector<DumpRun> runs;
};

// The bytes of an entry: from index ext_data_start_address -
// data_block_start_address of the data array, ext_data_length of them, cut
// to what the data array holds (empty when the index lies outside it).
std::span<const std::uint8_t> extDataEntryBytes(const TExtensionData& block, std::size_t entry);

// The data view of an entry: 32 bytes a line, each line one blank, the
// address (ext_data_start_address + 32 per line, at least 4 hexadecimal
// digits), for each of the 32 positions a blank and two hexadecimal digits
// (three blanks past the end), one blank, and the bytes as characters. A byte
// below 0x20 or DEL shows as "."; bytes from 0x80 show as their Windows-1252
// characters ("." where that code page has none). An entry that runs past the
// data array ends with a Note line saying how many of its bytes were shown.
// No lines for an entry that does not exist.
std::vector<DumpLine> extDataDump(const TExtensionData& block, std::size_t entry);

// ---- .exd files: one ExtensionData block as it stands in a BDMV file ------------

// Reads an .exd file's bytes from its first byte. Throws FormatError when the
// file is shorter than its block's length says, or when the length is too
// small for the block's own header and entries. An empty block (length 0) is
// read as such. Bytes after the block are kept as data, as a host's reader
// keeps them (exdBytesBeyondBlock tells how many there are).
TExtensionData readExd(std::span<const std::uint8_t> data, const std::string& name);

// The bytes of the data array that lie beyond the block's length field: what
// an .exd file whose length field is short holds after its block. writeExd
// leaves them out, so the readers of an .exd warn about them.
std::uint64_t exdBytesBeyondBlock(const TExtensionData& block);

// The .exd image of a block: length, data_block_start_address, the three
// reserved bytes, the entry count, the entries, and the first length - 8 - 12 x n data
// bytes (n the entry count; as many as the data array holds when it holds
// fewer). An empty block is its four zero length bytes.
Bytes writeExd(const TExtensionData& block);

}  // namespace navora
