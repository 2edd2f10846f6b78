#include "ts/programmap.h"

#include "core/errors.h"
#include "ts/sourcepacket.h"

#include <fstream>

namespace navora {

namespace {

// The section of a packet whose payload starts one (pointer_field, then the
// section), cut to its section_length; empty when it does not fit the packet.
std::span<const std::uint8_t> sectionOf(const std::uint8_t* sp) {
    if (!payloadUnitStart(sp) || !hasPayload(sp)) return {};
    const int len = payloadLength(sp);
    if (len <= 1) return {};
    const std::uint8_t* payload = sp + kSourcePacketBytes - len;
    const std::size_t pointer = payload[0];
    if (pointer + 1 + 3 > static_cast<std::size_t>(len)) return {};
    const std::uint8_t* section = payload + 1 + pointer;
    const std::size_t left = static_cast<std::size_t>(len) - 1 - pointer;
    const std::size_t sectionLength = ((section[1] & 0x0Fu) << 8) | section[2];
    if (3 + sectionLength > left || sectionLength < 9) return {};
    return {section, 3 + sectionLength};
}

}  // namespace

std::vector<ProgramStream> readProgramMap(std::span<const std::uint8_t> packets) {
    std::optional<std::uint16_t> pmtPid;
    for (std::size_t at = 0; at + kSourcePacketBytes <= packets.size(); at += kSourcePacketBytes) {
        const std::uint8_t* sp = packets.data() + at;
        if (sp[kTpExtraHeaderBytes] != kSyncByte) continue;
        const std::uint16_t pid = packetPid(sp);
        if (pid == 0 && !pmtPid) {
            // PAT: program_number (16), reserved (3), PID (13) after the 8-byte header.
            const auto s = sectionOf(sp);
            if (s.empty() || s[0] != 0x00) continue;
            for (std::size_t i = 8; i + 4 + 4 <= s.size(); i += 4) {
                const std::uint16_t program = static_cast<std::uint16_t>((s[i] << 8) | s[i + 1]);
                if (program != 0) {
                    pmtPid = static_cast<std::uint16_t>(((s[i + 2] & 0x1Fu) << 8) | s[i + 3]);
                    break;
                }
            }
        } else if (pmtPid && pid == *pmtPid) {
            const auto s = sectionOf(sp);
            if (s.empty() || s[0] != 0x02) continue;
            // PCR_PID (13 bits) at 8, program_info_length (12 bits) at 10, then the streams;
            // the last 4 bytes are the CRC.
            const std::size_t infoLength = ((s[10] & 0x0Fu) << 8) | s[11];
            std::vector<ProgramStream> streams;
            std::size_t i = 12 + infoLength;
            while (i + 5 <= s.size() - 4) {
                ProgramStream ps;
                ps.stream_type = s[i];
                ps.pid = static_cast<std::uint16_t>(((s[i + 1] & 0x1Fu) << 8) | s[i + 2]);
                const std::size_t esInfo = ((s[i + 3] & 0x0Fu) << 8) | s[i + 4];
                streams.push_back(ps);
                i += 5 + esInfo;
            }
            return streams;
        }
    }
    return {};
}

std::vector<ProgramStream> readProgramMap(const std::filesystem::path& stream, std::size_t maxBytes) {
    std::ifstream in(stream, std::ios::binary);
    if (!in) throw IoError("Cannot open " + stream.string());
    std::vector<std::uint8_t> head(maxBytes - maxBytes % kSourcePacketBytes);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return readProgramMap(head);
}

std::optional<std::uint16_t> firstPidOfType(const std::vector<ProgramStream>& map, std::uint8_t streamType) {
    for (const ProgramStream& s : map)
        if (s.stream_type == streamType) return s.pid;
    return std::nullopt;
}

}  // namespace navora
