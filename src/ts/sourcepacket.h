#pragma once
// The source packet of a BDAV transport stream file (.m2ts) and the 10-byte
// record header of the SUP and .mnu files.
//
// A source packet is 192 bytes: a 4-byte TP_extra_header (copy permission and
// a 30-bit arrival time stamp), then a 188-byte transport packet whose sync
// byte sits at offset 4. All fields are big-endian.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace navora {

inline constexpr std::size_t kSourcePacketBytes = 192;
inline constexpr std::size_t kTpExtraHeaderBytes = 4;
inline constexpr std::uint8_t kSyncByte = 0x47;
inline constexpr std::uint16_t kNullPid = 0x1FFF;
// The primary video stream of a BD clip; its first PTS is the time base of SUP files.
inline constexpr std::uint16_t kPrimaryVideoPid = 0x1011;

// Bytes of the transport payload that may follow the 4-byte transport packet header.
inline constexpr unsigned kMaxPayload = 184;

// The 13-bit PID of a source packet.
constexpr std::uint16_t packetPid(const std::uint8_t* sp) {
    return static_cast<std::uint16_t>(((sp[5] & 0x1Fu) << 8) | sp[6]);
}
constexpr bool hasAdaptationField(const std::uint8_t* sp) { return (sp[7] & 0x20u) != 0; }
constexpr bool hasPayload(const std::uint8_t* sp) { return (sp[7] & 0x10u) != 0; }
constexpr bool payloadUnitStart(const std::uint8_t* sp) { return (sp[5] & 0x40u) != 0; }

// The payload length of a source packet: 184 without an adaptation field,
// else 183 - adaptation_field_length. The payload is the last L bytes of the
// source packet. An adaptation_field_length above 183 leaves no room for a
// payload inside the packet: such a packet has no valid length (-1).
constexpr int payloadLength(const std::uint8_t* sp) {
    if (!hasAdaptationField(sp)) return kMaxPayload;
    const unsigned afl = sp[8];
    return afl > kMaxPayload - 1 ? -1 : static_cast<int>(kMaxPayload - 1 - afl);
}

// A PTS or DTS field of a PES header (5 bytes) as its low 32 bits: the
// 33-bit value with its most significant bit dropped, in 90 kHz ticks.
constexpr std::uint32_t readTimeStamp(const std::uint8_t* b) {
    return ((b[0] & 0x0Eu) << 29) | (std::uint32_t{b[1]} << 22) | ((b[2] & 0xFEu) << 14) | (std::uint32_t{b[3]} << 7) |
           ((b[4] & 0xFEu) >> 1);
}

// PES stream_ids whose packets have no optional PES header (program stream
// map, padding, private stream 2, ECM, EMM, directory, DSM-CC, H.222.1 type E).
constexpr bool pesWithoutHeader(std::uint8_t streamId) {
    switch (streamId) {
    case 0xBC: case 0xBE: case 0xBF: case 0xF0: case 0xF1: case 0xF2: case 0xF8: case 0xFF: return true;
    default: return false;
    }
}

// The record header that precedes each PES payload (one graphics segment) in
// SUP ("PG") and .mnu ("IG") files.
inline constexpr std::size_t kRecordHeaderBytes = 10;

struct RecordHeader {
    char magic[2] = {'I', 'G'};
    std::uint32_t pts = 0;  // 90 kHz
    std::uint32_t dts = 0;  // 90 kHz; 0 when the PES packet had only a PTS

    bool operator==(const RecordHeader&) const = default;
};

constexpr std::array<std::uint8_t, kRecordHeaderBytes> recordHeaderBytes(const RecordHeader& h) {
    return {static_cast<std::uint8_t>(h.magic[0]), static_cast<std::uint8_t>(h.magic[1]),
            static_cast<std::uint8_t>(h.pts >> 24),  static_cast<std::uint8_t>(h.pts >> 16),
            static_cast<std::uint8_t>(h.pts >> 8),   static_cast<std::uint8_t>(h.pts),
            static_cast<std::uint8_t>(h.dts >> 24),  static_cast<std::uint8_t>(h.dts >> 16),
            static_cast<std::uint8_t>(h.dts >> 8),   static_cast<std::uint8_t>(h.dts)};
}

// The record header at the start of b (at least kRecordHeaderBytes bytes).
constexpr RecordHeader parseRecordHeader(std::span<const std::uint8_t> b) {
    RecordHeader h;
    h.magic[0] = static_cast<char>(b[0]);
    h.magic[1] = static_cast<char>(b[1]);
    h.pts = (std::uint32_t{b[2]} << 24) | (std::uint32_t{b[3]} << 16) | (std::uint32_t{b[4]} << 8) | b[5];
    h.dts = (std::uint32_t{b[6]} << 24) | (std::uint32_t{b[7]} << 16) | (std::uint32_t{b[8]} << 8) | b[9];
    return h;
}

}  // namespace navora
