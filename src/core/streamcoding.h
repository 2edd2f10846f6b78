#pragma once
// Stream coding types of playlists and clip information files, by the kind
// of attributes they carry, and the attribute fields both file kinds store
// after a coding type.

#include "core/bytes.h"

#include <cstdint>
#include <string>

namespace navora {

constexpr bool isVideoCodingType(std::uint8_t t) { return t == 0x02 || t == 0x1B || t == 0xEA; }
constexpr bool isAudioCodingType(std::uint8_t t) { return (t >= 0x80 && t <= 0x86) || t == 0xA1 || t == 0xA2; }
constexpr bool isGraphicsCodingType(std::uint8_t t) { return t == 0x90 || t == 0x91; }  // PG, IG
constexpr bool isTextCodingType(std::uint8_t t) { return t == 0x92; }
// A coding type whose attributes the readers decode.
constexpr bool isKnownCodingType(std::uint8_t t) {
    return isVideoCodingType(t) || isAudioCodingType(t) || isGraphicsCodingType(t) || isTextCodingType(t);
}

// The 4 bytes of attributes that follow a known coding type, in a
// playlist's stream_attributes and a clip's StreamCodingInfo alike:
//   video:            video_format (4 bits), frame_rate (4), aspect_ratio (4),
//                     3 reserved bits, a flag (1), 16 reserved bits
//   audio:            audio_presentation_type (4), sampling_frequency (4), language_code (3 bytes)
//   PG, IG:           language_code (3 bytes), 8 reserved bits
//   text subtitle:    character_code (8), language_code (3 bytes)
// Playlists keep no aspect ratio and flag: theirs are reserved bits, read as
// zero by well-formed files and written as zero.
struct StreamCodingFields {
    std::uint8_t video_format = 0;
    std::uint8_t frame_rate = 0;
    std::uint8_t aspect_ratio = 0;
    std::uint8_t video_flag = 0;
    std::uint8_t audio_presentation_type = 0;
    std::uint8_t sampling_frequency = 0;
    std::uint8_t character_code = 0;
    std::string language_code;  // at most 3 characters
};

// Reads the fields of a known coding type (nothing for other types).
StreamCodingFields readStreamCodingFields(ByteReader& in, std::uint8_t codingType);
// Writes them (nothing for a coding type that is not known).
void writeStreamCodingFields(ByteWriter& out, std::uint8_t codingType, const StreamCodingFields& f);

}  // namespace navora
