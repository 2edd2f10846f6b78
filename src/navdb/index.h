#pragma once
// index.bdmv: First Playback, Top Menu and the titles of the disc.

#include "core/bytes.h"
#include "core/extdata.h"

#include <cstdint>
#include <string>
#include <vector>

namespace navora {

constexpr std::uint16_t kNoObject = 0xFFFF;  // movie object reference "none"
constexpr std::size_t kMaxTitles = 999;      // the reader refuses more

// What a title or an entry starts: a movie object (HDMV) or a BD-J object.
// Other values of the 2-bit field are kept as read.
enum class ObjectType : std::uint8_t { HDMV = 1, BDJ = 2 };
// Title Search into a title (2 bits). 1 has no name of its own: it shows as
// "Permitted" and is kept as read.
enum class AccessType : std::uint8_t { Permitted = 0, Prohibited1 = 2, Prohibited2 = 3 };
// How a title or an entry plays (2 bits); other values are kept as read.
enum class PlaybackType : std::uint8_t { Movie = 0, Interactive = 1 };

// First Playback or Top Menu. The entry is on when mobj_id_ref is not
// kNoObject. A BD-J entry has no reference in the file: the reader sets it to 0
// (on), and the writer writes an entry that is off as HDMV with kNoObject.
struct TIndexEntry {
    ObjectType object_type = ObjectType::HDMV;
    PlaybackType playback_type = PlaybackType::Movie;  // 0..3
    std::uint16_t mobj_id_ref = kNoObject;
    std::string bdjo_file_name;  // at most 5 characters

    bool operator==(const TIndexEntry&) const = default;
};

struct TTitle {
    std::uint32_t title_number = 0;  // 1-based position; shown, never written
    ObjectType object_type = ObjectType::HDMV;
    AccessType access_type = AccessType::Permitted;
    PlaybackType playback_type = PlaybackType::Movie;
    std::uint16_t mobj_id_ref = 0;   // used when object_type is HDMV
    std::string bdjo_file_name;      // used otherwise; at most 5 characters

    bool operator==(const TTitle&) const = default;
};

struct TIndexes {
    std::uint32_t length = 26;  // bytes after this field: 26 + 12 per title in a file without spare bytes
    TIndexEntry first_playback;
    TIndexEntry top_menu;
    std::vector<TTitle> titles;  // number_of_Titles is titles.size()

    bool operator==(const TIndexes&) const = default;
};

// The AppInfoBDMV flags word, field by field from bit 15 down. Reserved bits
// are kept as read so that the word is written back unchanged.
struct TAppInfoFlags {
    std::uint8_t reserved_bit15 = 0;
    std::uint8_t initial_output_mode_preference = 0;  // 0 = 2D, 1 = 3D
    std::uint8_t SS_content_exist_flag = 0;           // 3D content on the disc
    std::uint8_t reserved_bit12 = 0;
    std::uint8_t initial_dynamic_range_type = 0;  // 4 bits, Ultra HD discs; see DynamicRange
    std::uint8_t video_format = 0;                // 4 bits; 0 = not given
    std::uint8_t frame_rate = 0;                  // 4 bits; 0 = not given

    bool operator==(const TAppInfoFlags&) const = default;
};

std::uint16_t appInfoFlagsWord(const TAppInfoFlags& flags);
TAppInfoFlags appInfoFlagsFromWord(std::uint16_t word);

struct TINDX {
    std::uint32_t type_indicator = 0x494E4458;  // "INDX"
    std::uint32_t version = 0x30323030;         // "0200"; "0100", or "0300" on Ultra HD discs
    std::uint32_t indexes_start_address = 78;
    std::uint32_t extension_data_start_address = 0;
    Bytes reserved = Bytes(24, 0);
    std::uint32_t app_info_length = 34;
    TAppInfoFlags app_info_flags;
    std::string content_provider;  // at most 32 characters
    // Bytes between the AppInfoBDMV and the Indexes start address (a longer
    // AppInfoBDMV); empty in the usual file, where the Indexes start at 78.
    Bytes spare_before_indexes;
    TIndexes indexes;
    // Bytes between the last title and the ExtensionData block, or up to the end
    // of the file when there is none. Kept so that the stored addresses stay true.
    Bytes spare_after_titles;
    TExtensionData ext;

    bool operator==(const TINDX&) const = default;
};

// An index.bdmv of version "0300": the disc is an Ultra HD Blu-ray.
constexpr std::uint32_t kIndexVersionUhd = 0x30333030;
inline bool isUhd(const TINDX& x) { return x.version == kIndexVersionUhd; }

// The Indexes length of a block without spare bytes: First Playback, Top Menu,
// the title count and 12 bytes per title.
inline std::uint32_t indexesLength(const TIndexes& ix) {
    return static_cast<std::uint32_t>(26 + 12 * ix.titles.size());
}

}  // namespace navora
