#pragma once
// Builds small transport streams by hand: source packets with or without an
// adaptation field, PES packets, and PES packets cut into source packets.

#include "core/bytes.h"

#include <cstdint>
#include <optional>

namespace navora::test {

struct PacketSpec {
    std::uint16_t pid = 0x1100;
    bool unitStart = false;
    std::uint32_t extraHeader = 0;  // the 4-byte TP_extra_header
    std::uint8_t sync = 0x47;
    bool payloadFlag = true;      // adaptation_field_control bit 4
    int adaptationLength = -1;    // -1: as the payload needs (stuffing); else forced
};

// One 192-byte source packet carrying payload (at most 184 bytes) at its end;
// a shorter payload is preceded by an adaptation field of stuffing bytes.
inline Bytes sourcePacket(const PacketSpec& s, const Bytes& payload = {}) {
    Bytes p(192, 0xFF);
    p[0] = static_cast<std::uint8_t>(s.extraHeader >> 24);
    p[1] = static_cast<std::uint8_t>(s.extraHeader >> 16);
    p[2] = static_cast<std::uint8_t>(s.extraHeader >> 8);
    p[3] = static_cast<std::uint8_t>(s.extraHeader);
    p[4] = s.sync;
    p[5] = static_cast<std::uint8_t>((s.unitStart ? 0x40 : 0) | (s.pid >> 8));
    p[6] = static_cast<std::uint8_t>(s.pid);
    int afl = s.adaptationLength;
    if (afl < 0 && payload.size() < 184) afl = static_cast<int>(183 - payload.size());
    p[7] = static_cast<std::uint8_t>((afl >= 0 ? 0x20 : 0) | (s.payloadFlag ? 0x10 : 0));
    if (afl >= 0) {
        p[8] = static_cast<std::uint8_t>(afl);
        if (afl > 0) p[9] = 0;  // adaptation flags
    }
    std::copy(payload.begin(), payload.end(), p.end() - static_cast<std::ptrdiff_t>(payload.size()));
    return p;
}

inline void put5(Bytes& b, unsigned marker, std::uint64_t ts) {
    b.push_back(static_cast<std::uint8_t>(marker << 4 | ((ts >> 29) & 0x0E) | 1));
    b.push_back(static_cast<std::uint8_t>(ts >> 22));
    b.push_back(static_cast<std::uint8_t>(((ts >> 14) & 0xFE) | 1));
    b.push_back(static_cast<std::uint8_t>(ts >> 7));
    b.push_back(static_cast<std::uint8_t>(((ts << 1) & 0xFE) | 1));
}

struct PesSpec {
    std::uint8_t streamId = 0xBD;
    std::optional<std::uint64_t> pts;  // 33-bit values
    std::optional<std::uint64_t> dts;
    std::uint8_t extraHeaderBytes = 0;  // stuffing in the PES header
    std::optional<std::uint16_t> length;  // PES_packet_length; default: the real length
};

// A whole PES packet: start code, stream_id, PES_packet_length, the optional
// header with PTS/DTS, then payload.
inline Bytes pesPacket(const PesSpec& s, const Bytes& payload) {
    Bytes h;
    if (s.pts) put5(h, s.dts ? 3 : 2, *s.pts);
    if (s.pts && s.dts) put5(h, 1, *s.dts);
    h.insert(h.end(), s.extraHeaderBytes, 0xFF);
    Bytes b = {0, 0, 1, s.streamId, 0, 0, 0x81, static_cast<std::uint8_t>(s.pts ? (s.dts ? 0xC0 : 0x80) : 0),
               static_cast<std::uint8_t>(h.size())};
    b.insert(b.end(), h.begin(), h.end());
    b.insert(b.end(), payload.begin(), payload.end());
    const std::size_t len = s.length ? *s.length : b.size() - 6;
    b[4] = static_cast<std::uint8_t>(len >> 8);
    b[5] = static_cast<std::uint8_t>(len);
    return b;
}

// Cuts bytes into source packets of pid, the first one marked as a unit start.
inline Bytes packetize(std::uint16_t pid, const Bytes& bytes, std::uint32_t extraHeader = 0) {
    Bytes out;
    std::size_t pos = 0;
    do {
        const std::size_t n = std::min<std::size_t>(184, bytes.size() - pos);
        const Bytes chunk(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                          bytes.begin() + static_cast<std::ptrdiff_t>(pos + n));
        const Bytes p = sourcePacket({pid, pos == 0, extraHeader}, chunk);
        out.insert(out.end(), p.begin(), p.end());
        pos += n;
    } while (pos < bytes.size());
    return out;
}

// n bytes counting up from start.
inline Bytes ramp(std::size_t n, std::uint8_t start = 0) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(start + i);
    return b;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace navora::test
