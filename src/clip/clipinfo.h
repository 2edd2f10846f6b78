#pragma once
// Clip information file (.clpi): the clip's stream type and packet count, its
// ATC and STC sequences, the elementary streams of its program sequences, the
// entry point map and the ExtensionData() block. Shown, not edited: only the
// source-packet count is ever written back (clipinfo_io.h).

#include "core/streamcoding.h"
#include "core/extdata.h"

#include <cstdint>
#include <string>
#include <vector>

namespace navora {

struct TATCDelta {
    std::uint32_t ATC_delta = 0;
    std::string following_Clip_Information_file_name;  // at most 5 characters
    std::string Clip_codec_identifier;                 // at most 4 characters

    bool operator==(const TATCDelta&) const = default;
};

struct TClipInfo {
    std::uint32_t length = 0;
    std::uint8_t clip_stream_type = 0;
    std::uint8_t application_type = 0;  // 0..7, see applicationTypeName()
    std::uint8_t is_ATC_delta = 0;      // 0/1
    std::uint32_t TS_recording_rate = 0;
    std::uint32_t number_of_source_packets = 0;
    std::uint16_t TS_type_info_block_length = 0;
    std::uint8_t Validity_flags = 0;
    std::string Format_identifier;  // at most 4 characters, "HDMV"
    std::uint8_t number_of_ATC_delta_entries = 0;
    std::vector<TATCDelta> ATC_deltas;  // read only when is_ATC_delta is 1
    std::uint8_t number_of_font_files = 0;
    std::vector<std::string> font_file_names;  // read only when application_type is 6; at most 5 characters each

    bool operator==(const TClipInfo&) const = default;
};

struct TSTCSequence {
    std::uint16_t PCR_PID = 0;
    std::uint32_t SPN_STC_start = 0;
    std::uint32_t presentation_start_time = 0;  // 45 kHz
    std::uint32_t presentation_end_time = 0;    // 45 kHz

    bool operator==(const TSTCSequence&) const = default;
};

struct TATC_sequences {
    std::uint32_t SPN_ATC_start = 0;
    std::uint8_t number_of_STC_sequences = 0;
    std::uint8_t offset_STC_id = 0;
    std::vector<TSTCSequence> STC_sequences;

    bool operator==(const TATC_sequences&) const = default;
};

struct TSequenceInfo {
    std::uint32_t length = 0;
    std::uint8_t number_of_ATC_sequences = 0;
    std::vector<TATC_sequences> ATC_sequences;

    bool operator==(const TSequenceInfo&) const = default;
};


// One elementary stream of a program sequence with its StreamCodingInfo. Only
// the fields of its coding type are read; the others stay at their defaults.
struct TProgramStream {
    std::uint16_t stream_PID = 0;
    std::uint8_t length = 0;  // StreamCodingInfo length: 21 for the known coding types
    std::uint8_t stream_coding_type = 0;
    // video
    std::uint8_t video_format = 0;
    std::uint8_t frame_rate = 0;
    std::uint8_t aspect_ratio = 0;
    std::uint8_t video_flag = 0;  // bit 0 of the byte that holds aspect_ratio; HEVC: the cr_flag
    // HEVC (Ultra HD)
    std::uint8_t dynamic_range_type = 0;  // see DynamicRange
    std::uint8_t color_space = 0;         // see ColourSpace
    std::uint8_t hdr_plus_flag = 0;
    // ISRC, every known coding type
    std::string country_code;      // at most 2 characters
    std::string registrant_code;   // at most 3
    std::string recording_year;    // at most 2
    std::string recording_number;  // at most 5
    // audio
    std::uint8_t audio_presentation_type = 0;
    std::uint8_t sampling_frequency = 0;
    // audio, PG, IG and text subtitle
    std::string language_code;  // at most 3 characters
    // text subtitle
    std::uint8_t character_code = 0;

    bool operator==(const TProgramStream&) const = default;
};

struct TProgram_sequences {
    std::uint32_t SPN_program_sequence_start = 0;
    std::uint16_t program_map_PID = 0;
    std::uint8_t number_of_streams_in_ps = 0;
    std::vector<TProgramStream> streams;

    bool operator==(const TProgram_sequences&) const = default;
};

struct TProgramInfo {
    std::uint32_t length = 0;
    std::uint8_t number_of_program_sequences = 0;
    std::vector<TProgram_sequences> program_sequences;

    bool operator==(const TProgramInfo&) const = default;
};

struct TEPStreamPID {
    std::uint16_t stream_PID = 0;
    std::uint8_t EP_stream_type = 0;                // 4 bits
    std::uint16_t number_of_EP_coarse_entries = 0;
    std::uint32_t number_of_EP_fine_entries = 0;    // 18 bits
    std::uint32_t EP_map_for_one_stream_PID_start_address = 0;  // from the start of EP_map()

    bool operator==(const TEPStreamPID&) const = default;
};

struct TEPCoarse {
    std::uint32_t ref_to_EP_fine_id = 0;  // 18 bits
    std::uint16_t PTS_EP_coarse = 0;      // 14 bits
    std::uint32_t SPN_EP_coarse = 0;

    bool operator==(const TEPCoarse&) const = default;
};

struct TEPFine {
    std::uint8_t is_angle_change_point = 0;  // 0/1
    std::uint8_t I_end_position_offset = 0;  // 3 bits
    std::uint16_t PTS_EP_fine = 0;           // 11 bits
    std::uint32_t SPN_EP_fine = 0;           // 17 bits

    bool operator==(const TEPFine&) const = default;
};

// The entry points of one stream PID, as stored: coarse and fine parts are
// not combined into full time stamps or packet numbers.
struct TEP_map_fosPID {
    std::uint32_t EP_fine_table_start_address = 0;  // from the start of this field
    std::vector<TEPCoarse> coarse;
    std::vector<TEPFine> fine;

    bool operator==(const TEP_map_fosPID&) const = default;
};

struct TCPI {
    std::uint32_t length = 0;  // 0: no CPI, nothing more is read
    std::uint16_t CPI_type = 0;  // the whole word: 12 reserved bits and the 4-bit type
    std::uint8_t number_of_stream_PID_entries = 0;
    std::vector<TEPStreamPID> stream_PID_entries;
    std::vector<TEP_map_fosPID> EP_maps;  // one per stream PID entry, same order

    bool operator==(const TCPI&) const = default;
};

struct TCLPI {
    std::string type_indicator;  // "HDMV"
    std::string version_number;  // "0100", "0200", or "0300" (Ultra HD)
    std::uint32_t SequenceInfo_start_address = 0;
    std::uint32_t ProgramInfo_start_address = 0;
    std::uint32_t CPI_start_address = 0;
    std::uint32_t ClipMark_start_address = 0;
    std::uint32_t ExtensionData_start_address = 0;  // 0 = none
    TClipInfo ClipInfo;
    TSequenceInfo SequenceInfo;
    TProgramInfo ProgramInfo;
    TCPI CPI;
    std::uint32_t ClipMark_length = 0;  // the marks themselves are not read
    TExtensionData ExtensionData;

    bool operator==(const TCLPI&) const = default;
};

}  // namespace navora
