#pragma once
// Stream coding types of playlists and clip information files, by the kind
// of attributes they carry.

#include <cstdint>

namespace navora {

constexpr bool isVideoCodingType(std::uint8_t t) { return t == 0x02 || t == 0x1B || t == 0xEA; }
constexpr bool isAudioCodingType(std::uint8_t t) { return (t >= 0x80 && t <= 0x86) || t == 0xA1 || t == 0xA2; }
constexpr bool isGraphicsCodingType(std::uint8_t t) { return t == 0x90 || t == 0x91; }  // PG, IG
constexpr bool isTextCodingType(std::uint8_t t) { return t == 0x92; }
// A coding type whose attributes the readers decode.
constexpr bool isKnownCodingType(std::uint8_t t) {
    return isVideoCodingType(t) || isAudioCodingType(t) || isGraphicsCodingType(t) || isTextCodingType(t);
}

}  // namespace navora
