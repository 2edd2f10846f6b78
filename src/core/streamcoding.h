#pragma once
// Stream coding types of playlists and clip information files, by the kind
// of attributes they carry, and the names the views show for the coded
// stream attributes.

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

// Display names of the codes (the clip tab, the playlist's stream grid and
// its edit lists).
std::string codingTypeName(std::uint8_t stream_coding_type);  // "AVC", "DD+", ...; empty when unknown
std::string videoFormatName(std::uint8_t video_format);       // "1080p", "res.", ... (low 4 bits)
std::string frameRateName(std::uint8_t frame_rate);           // "23.976", ... (low 4 bits)
std::string audioPresentationTypeName(std::uint8_t audio_presentation_type);  // "Stereo", ... (low 4 bits)
std::string samplingFrequencyName(std::uint8_t sampling_frequency);           // "48 kHz", ... (low 4 bits)

}  // namespace navora
