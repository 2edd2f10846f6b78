#pragma once
// Playlist files (.mpls): the PlayItems with their stream number tables, the
// SubPaths, the marks and the ExtensionData block of one presentation.
//
// Counts are kept as read beside their arrays; the edits keep both equal and
// the writer refuses a model where they differ. Lengths and start addresses
// are written as stored. Bytes the reader does not interpret but that a file
// carries (spare_* fields: the room a length field or start address leaves
// beyond the known fields) are kept, so that a file read without edits is
// written back byte for byte.

#include "core/bytes.h"
#include "core/extdata.h"

#include <cstdint>
#include <string>
#include <vector>

namespace navora {

struct TAppInfoPlayList {
    std::uint32_t length = 14;  // bytes after this field
    std::uint8_t reserved = 0;
    std::uint8_t PlayList_playback_type = 1;  // 1 sequential, 2 random, 3 shuffle
    std::uint16_t playback_count = 0;         // reserved unless the type is 2 or 3
    std::uint32_t UO_mask_table[2] = {0, 0};  // first word = the first 32 bits in the file
    std::uint8_t PlayList_random_access_flag = 0;
    std::uint8_t audio_mix_app_flag = 0;
    std::uint8_t lossless_may_bypass_mixer_flag = 0;
    // Bytes after the flags word up to the end of the section (length > 14).
    Bytes spare;

    bool operator==(const TAppInfoPlayList&) const = default;
};

// A clip reference: further angles of a PlayItem, clip entries of a SubPlayItem.
struct TClipRef {
    std::string Clip_Information_file_name;  // at most 5 characters
    std::string Clip_codec_identifier;       // at most 4 characters
    std::uint8_t ref_to_STC_id = 0;

    bool operator==(const TClipRef&) const = default;
};

struct Tmulti_clip {
    std::uint8_t number_of_angles = 0;
    std::uint8_t is_different_audios = 0;
    std::uint8_t is_seamless_angle_change = 0;
    // number_of_angles entries; entry 0 is the PlayItem's own clip. Empty when
    // the PlayItem has no angles.
    std::vector<TClipRef> angles;

    bool operator==(const Tmulti_clip&) const = default;
};

// stream_entry types.
constexpr std::uint8_t kStreamOfPlayItem = 1;
constexpr std::uint8_t kStreamOfSubPath = 2;
constexpr std::uint8_t kStreamInMuxOfSubPath = 3;

struct TStreamEntry {
    std::uint8_t length = 9;  // bytes after this field
    std::uint8_t type = kStreamOfPlayItem;
    std::uint16_t ref_to_stream_PID_of_mainClip = 0;  // types 1 and 3
    std::uint16_t ref_to_stream_PID_of_subClip = 0;   // type 2
    std::uint8_t ref_to_SubPath_id = 0;               // types 2 and 3
    std::uint8_t ref_to_subClip_entry_id = 0;         // type 2
    // Types 1-3: the bytes after the 9 the layout defines (length > 9).
    // Other types: every byte after the type, uninterpreted.
    Bytes spare;

    bool operator==(const TStreamEntry&) const = default;
};

struct TStreamAttributes {
    std::uint8_t length = 5;  // bytes after this field
    std::uint8_t stream_coding_type = 0;
    std::uint8_t video_format = 0;             // video
    std::uint8_t frame_rate = 0;               // video
    std::uint8_t dynamic_range_type = 0;       // HEVC, see DynamicRange
    std::uint8_t color_space = 0;              // HEVC, see ColourSpace
    std::uint8_t cr_flag = 0;                  // HEVC
    std::uint8_t hdr_plus_flag = 0;            // HEVC
    std::uint8_t audio_presentation_type = 0;  // audio
    std::uint8_t sampling_frequency = 0;       // audio
    std::string language_code;                 // audio, PG, IG, text subtitle; at most 3 characters
    std::uint8_t character_code = 0;           // text subtitle
    // Known coding types: the bytes after the 5 the layout defines (length > 5).
    // Other coding types: every byte after the coding type, uninterpreted.
    Bytes spare;

    bool operator==(const TStreamAttributes&) const = default;
};

struct TStreamItem {
    TStreamEntry stream_entry;
    TStreamAttributes stream_attributes;

    bool operator==(const TStreamItem&) const = default;
};

struct TSecAudio : TStreamItem {
    std::uint8_t number_of_primary_audio_ref_entries = 0;
    std::uint8_t reserved = 0;  // kept as read, written as zero
    std::vector<std::uint8_t> primary_audio_stream_id_ref;

    bool operator==(const TSecAudio&) const = default;
};

struct TSecVideo : TStreamItem {
    std::uint8_t number_of_secondary_audio_ref_entries = 0;
    std::uint8_t reserved = 0;  // kept as read, written as zero
    std::vector<std::uint8_t> secondary_audio_stream_id_ref;
    std::uint8_t number_of_PiP_PG_textST_ref_entries = 0;
    std::vector<std::uint8_t> PiP_PG_textST_stream_id_ref;

    bool operator==(const TSecVideo&) const = default;
};

struct TSTN {
    std::uint16_t length = 14;  // bytes after this field
    std::uint16_t reserved = 0;
    std::uint8_t number_of_primary_video_stream_entries = 0;
    std::uint8_t number_of_primary_audio_stream_entries = 0;
    std::uint8_t number_of_PG_textST_stream_entries = 0;
    std::uint8_t number_of_IG_stream_entries = 0;
    std::uint8_t number_of_secondary_audio_stream_entries = 0;
    std::uint8_t number_of_secondary_video_stream_entries = 0;
    std::uint8_t number_of_PiP_PG_textST_stream_entries_plus = 0;
    std::vector<TStreamItem> primary_video;
    std::vector<TStreamItem> primary_audio;
    std::vector<TStreamItem> PG_textST;  // the PG streams, then the PiP PG streams
    std::vector<TStreamItem> IG;
    std::vector<TSecAudio> secondary_audio;
    std::vector<TSecVideo> secondary_video;
    // Bytes after the last stream up to the end given by length.
    Bytes spare;

    bool operator==(const TSTN&) const = default;
};

struct TPlayItem {
    std::uint16_t length = 0;                // bytes after this field
    std::string Clip_Information_file_name;  // at most 5 characters, e.g. "00001"
    std::string Clip_codec_identifier = "M2TS";
    std::uint8_t is_multi_angle = 0;
    std::uint8_t connection_condition = 0;  // 0-15
    std::uint8_t ref_to_STC_id = 0;
    std::uint32_t IN_time = 0;   // 45 kHz
    std::uint32_t OUT_time = 0;  // 45 kHz
    std::uint32_t UO_mask_table[2] = {0, 0};
    std::uint8_t PlayItem_random_access_flag = 0;
    std::uint8_t still_mode = 0;
    std::uint16_t still_time = 0;
    Tmulti_clip multi_clip;  // used when is_multi_angle is 1
    TSTN STN_table;
    // Bytes after the STN_table up to the end given by length.
    Bytes spare;

    bool operator==(const TPlayItem&) const = default;
};

struct TSubPlayItem {
    std::uint16_t length = 28;  // bytes after this field
    std::string Clip_Information_file_name;
    std::string Clip_codec_identifier = "M2TS";
    std::uint8_t SP_connection_condition = 0;  // bits 8-1 of the flags word
    std::uint8_t is_multi_Clip_entries = 0;
    std::uint8_t ref_to_STC_id = 0;
    std::uint32_t SubPlayItem_IN_time = 0;   // 45 kHz
    std::uint32_t SubPlayItem_OUT_time = 0;  // 45 kHz
    std::uint16_t sync_PlayItem_id = 0;
    std::uint32_t sync_start_PTS_of_PlayItem = 0;  // 45 kHz
    std::uint8_t number_of_Clip_entries = 0;        // used when is_multi_Clip_entries is 1
    std::uint8_t reserved = 0;
    // number_of_Clip_entries entries when is_multi_Clip_entries is 1; entry 0 is
    // the SubPlayItem's own clip.
    std::vector<TClipRef> clip_entries;
    // Bytes after the fields up to the end given by length.
    Bytes spare;

    bool operator==(const TSubPlayItem&) const = default;
};

struct TSubPath {
    std::uint32_t length = 6;  // bytes after this field
    std::uint8_t reserved = 0;
    std::uint8_t SubPath_type = 0;
    std::uint16_t repeat = 0;  // bit 0 is_repeat_SubPath, the other bits kept
    std::uint8_t reserved2 = 0;
    std::uint8_t number_of_SubPlayItems = 0;
    std::vector<TSubPlayItem> SubPlayItems;
    // Bytes after the last SubPlayItem up to the end given by length.
    Bytes spare;

    bool operator==(const TSubPath&) const = default;
};

struct TPlayList {
    std::uint32_t length = 6;  // bytes after this field
    std::uint16_t reserved = 0;
    std::uint16_t number_of_PlayItems = 0;
    std::uint16_t number_of_SubPaths = 0;
    std::vector<TPlayItem> PlayItems;
    std::vector<TSubPath> SubPaths;
    // Bytes after the last SubPath up to the end given by length.
    Bytes spare;

    bool operator==(const TPlayList&) const = default;
};

// mark_type values.
constexpr std::uint8_t kEntryMark = 1;
constexpr std::uint8_t kLinkPoint = 2;

struct TPlayListMarkEntry {
    std::uint8_t reserved = 0;
    std::uint8_t mark_type = kEntryMark;
    std::uint16_t ref_to_PlayItem_id = 0;
    std::uint32_t mark_time_stamp = 0;  // 45 kHz
    std::uint16_t entry_ES_PID = 0xFFFF;
    std::uint32_t duration = 0;  // 45 kHz

    bool operator==(const TPlayListMarkEntry&) const = default;
};

struct TPlayListMark {
    std::uint32_t length = 2;  // bytes after this field: 2 + 14 per mark
    std::uint16_t number_of_PlayList_marks = 0;
    std::vector<TPlayListMarkEntry> marks;
    // Bytes after the last mark up to the end given by length.
    Bytes spare;

    bool operator==(const TPlayListMark&) const = default;
};

struct TMPLS {
    std::string type_indicator = "MPLS";
    std::string version_number = "0200";  // "0100", "0200", or "0300" (Ultra HD)
    std::uint32_t PlayList_start_address = 58;
    std::uint32_t PlayListMark_start_address = 68;
    std::uint32_t ExtensionData_start_address = 0;  // 0 = no block
    Bytes reserved = Bytes(20, 0);                   // as read; written as zeros
    TAppInfoPlayList AppInfoPlayList;
    // Bytes between the AppInfoPlayList and the PlayList start address.
    Bytes spare_after_AppInfoPlayList;
    TPlayList PlayList;
    // Bytes between the PlayList and the PlayListMark start address: the
    // padding byte that puts the marks at an even offset, and any further room.
    // With no PlayListMark section (start address 0), the bytes up to the
    // ExtensionData block or the end of the file.
    Bytes spare_after_PlayList;
    TPlayListMark PlayListMark;
    // Bytes between the PlayListMark section and the ExtensionData block, or up
    // to the end of the file when there is none.
    Bytes spare_after_PlayListMark;
    TExtensionData ExtensionData;

    bool operator==(const TMPLS&) const = default;
};

}  // namespace navora
