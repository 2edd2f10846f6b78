#include "ts_extract.h"

namespace navora::test {

namespace {

std::uint32_t timeStamp(const std::uint8_t* b) {
    return static_cast<std::uint32_t>((b[0] & 0x0E) << 29 | b[1] << 22 | (b[2] & 0xFE) << 14 | b[3] << 7 |
                                      (b[4] & 0xFE) >> 1);
}

void putU32(Bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

// Appends the record of one whole PES packet.
void emit(Bytes& out, const Bytes& pes) {
    if (pes.size() < 9 || pes[0] != 0 || pes[1] != 0 || pes[2] != 1) return;
    const unsigned flags = pes[7] >> 6;
    const std::size_t payload = 9u + pes[8];
    if (payload > pes.size()) return;
    out.push_back('I');
    out.push_back('G');
    putU32(out, flags & 2 ? timeStamp(&pes[9]) : 0);
    putU32(out, flags == 3 ? timeStamp(&pes[14]) : 0);
    out.insert(out.end(), pes.begin() + static_cast<std::ptrdiff_t>(payload), pes.end());
}

}  // namespace

Bytes extractMnu(std::span<const std::uint8_t> ts, std::uint16_t pid) {
    Bytes out;
    Bytes pes;
    std::size_t expected = 0;
    bool inPes = false;
    for (std::size_t at = 0; at + 192 <= ts.size(); at += 192) {
        const std::uint8_t* p = ts.data() + at + 4;
        if (p[0] != 0x47 || (((p[1] & 0x1F) << 8) | p[2]) != pid || !(p[3] & 0x10)) continue;
        std::size_t start = 4;
        if (p[3] & 0x20) start += 1 + p[4];
        if (start > 188) continue;
        if (p[1] & 0x40) {
            // A PES packet of unbounded length (PES_packet_length 0) ends where the next begins.
            if (inPes && expected == 0) emit(out, pes);
            pes.clear();
            expected = 0;
            inPes = true;
        }
        if (!inPes) continue;
        pes.insert(pes.end(), p + start, p + 188);
        if (expected == 0 && pes.size() >= 6 && (pes[4] | pes[5]) != 0)
            expected = 6 + (std::size_t{pes[4]} << 8 | pes[5]);
        if (expected != 0 && pes.size() >= expected) {
            pes.resize(expected);
            emit(out, pes);
            pes.clear();
            expected = 0;
            inPes = false;
        }
    }
    if (inPes && expected == 0) emit(out, pes);
    return out;
}

}  // namespace navora::test
