#pragma once
// The ExtensionData() block that ends index.bdmv, MovieObject.bdmv,
// playlists, clip information files and sound.bdmv. Kept as an entry table
// plus the raw bytes that follow it.

#include "core/bytes.h"

#include <cstdint>
#include <string>
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
// three zero bytes, the entry count, the entries and the data bytes.
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

}  // namespace navora
