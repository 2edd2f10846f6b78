#pragma once
// Stream coding types of playlists and clip information files, by the kind
// of attributes they carry; the attribute fields both file kinds store after
// a coding type; and the names the views show for the coded attributes.

#include "core/bytes.h"

#include <cstdint>
#include <string>

namespace navora {

// The stream_coding_type values with a known attribute layout.
enum class CodingType : std::uint8_t {
    MPEG2Video = 0x02,
    AVC = 0x1B,
    HEVC = 0x24,  // Ultra HD discs
    VC1 = 0xEA,
    LPCM = 0x80,
    AC3 = 0x81,
    DTS = 0x82,
    TrueHD = 0x83,
    EAC3 = 0x84,
    DTSHD = 0x85,
    DTSHDMaster = 0x86,
    EAC3Secondary = 0xA1,
    DTSHDSecondary = 0xA2,
    PG = 0x90,
    IG = 0x91,
    TextSubtitle = 0x92,
};

constexpr bool isVideoCodingType(std::uint8_t t) {
    const auto c = static_cast<CodingType>(t);
    return c == CodingType::MPEG2Video || c == CodingType::AVC || c == CodingType::HEVC || c == CodingType::VC1;
}
constexpr bool isHevcCodingType(std::uint8_t t) { return static_cast<CodingType>(t) == CodingType::HEVC; }

// The dynamic range of an HEVC stream and the initial dynamic range of a disc
// (4 bits); other values are kept as read.
enum class DynamicRange : std::uint8_t { SDR = 0, HDR10 = 1, DolbyVision = 2 };
// The colour space of an HEVC stream (4 bits); other values are kept as read.
enum class ColourSpace : std::uint8_t { BT709 = 1, BT2020 = 2 };
constexpr bool isAudioCodingType(std::uint8_t t) {
    const auto c = static_cast<CodingType>(t);
    return (t >= static_cast<std::uint8_t>(CodingType::LPCM) &&
            t <= static_cast<std::uint8_t>(CodingType::DTSHDMaster)) ||
           c == CodingType::EAC3Secondary || c == CodingType::DTSHDSecondary;
}
constexpr bool isGraphicsCodingType(std::uint8_t t) {
    const auto c = static_cast<CodingType>(t);
    return c == CodingType::PG || c == CodingType::IG;
}
constexpr bool isTextCodingType(std::uint8_t t) { return static_cast<CodingType>(t) == CodingType::TextSubtitle; }
// A coding type whose attributes the readers decode.
constexpr bool isKnownCodingType(std::uint8_t t) {
    return isVideoCodingType(t) || isAudioCodingType(t) || isGraphicsCodingType(t) || isTextCodingType(t);
}

// Display names of the codes (the clip tab, the playlist's stream grid and
// its edit lists).
std::string codingTypeName(std::uint8_t stream_coding_type);  // "AVC", "DD+", ...; empty when unknown
std::string videoFormatName(std::uint8_t video_format);       // "1080p", "res.", ... (low 4 bits)
std::string frameRateName(std::uint8_t frame_rate);           // "23.976", ... (low 4 bits)
std::string audioPresentationTypeName(std::uint8_t audio_presentation_type);  // "Stereo", ... (low 4 bits)
std::string samplingFrequencyName(std::uint8_t sampling_frequency);           // "48 kHz", ... (low 4 bits)
std::string dynamicRangeName(std::uint8_t dynamic_range_type);  // "SDR", "HDR10", "Dolby Vision", "res." (low 4 bits)
std::string colourSpaceName(std::uint8_t color_space);           // "-", "BT.709", "BT.2020", "res." (low 4 bits)

// Where the attribute fields stand: a playlist's stream_attributes or a
// clip's StreamCodingInfo. They differ only for HEVC.
enum class AttributeLayout { Playlist, Clip };
// The 4 bytes of attributes that follow a known coding type, in a
// playlist's stream_attributes and a clip's StreamCodingInfo alike:
//   video:            video_format (4 bits), frame_rate (4), aspect_ratio (4),
//                     3 reserved bits, a flag (1), 16 reserved bits
//   HEVC, playlist:   video_format (4), frame_rate (4), dynamic_range_type (4),
//                     color_space (4), cr_flag (1), HDR_plus_flag (1), 14 reserved bits
//   HEVC, clip:       video_format (4), frame_rate (4), aspect_ratio (4), 3 reserved
//                     bits, cr_flag (1; the video flag of the other video types),
//                     dynamic_range_type (4), color_space (4), HDR_plus_flag (1),
//                     7 reserved bits
//   audio:            audio_presentation_type (4), sampling_frequency (4), language_code (3 bytes)
//   PG, IG:           language_code (3 bytes), 8 reserved bits
//   text subtitle:    character_code (8), language_code (3 bytes)
// Playlists keep no aspect ratio and flag: theirs are reserved bits, read as
// zero by well-formed files and written as zero.
struct StreamCodingFields {
    std::uint8_t video_format = 0;
    std::uint8_t frame_rate = 0;
    std::uint8_t aspect_ratio = 0;
    std::uint8_t video_flag = 0;  // HEVC: the cr_flag
    std::uint8_t dynamic_range_type = 0;  // HEVC
    std::uint8_t color_space = 0;         // HEVC
    std::uint8_t hdr_plus_flag = 0;       // HEVC
    std::uint8_t audio_presentation_type = 0;
    std::uint8_t sampling_frequency = 0;
    std::uint8_t character_code = 0;
    std::string language_code;  // at most 3 characters
};

// Reads the fields of a known coding type (nothing for other types).
StreamCodingFields readStreamCodingFields(ByteReader& in, std::uint8_t codingType, AttributeLayout layout);
// Writes them (nothing for a coding type that is not known).
void writeStreamCodingFields(ByteWriter& out, std::uint8_t codingType, const StreamCodingFields& f,
                             AttributeLayout layout);

}  // namespace navora
