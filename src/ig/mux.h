#pragma once
// The menu as a stand-alone BDAV transport stream: 192-byte source packets
// holding a PAT, a PMT, a Selection Information Table, a PCR carrier and the
// IG stream on PID 0x1400. The timing is synthetic: arrival time stamps
// advance by a fixed step per packet and the PCR is constant.

#include "core/bytes.h"
#include "core/log.h"
#include "ig/model.h"
#include "ts/sourcepacket.h"

#include <cstdint>
#include <span>

namespace navora {

inline constexpr std::uint16_t kIgPid = 0x1400;
inline constexpr std::uint16_t kPmtPid = 0x0100;
inline constexpr std::uint16_t kSitPid = 0x001F;
inline constexpr std::uint16_t kPcrPid = 0x1001;
inline constexpr std::size_t kSourcePacket = kSourcePacketBytes;
// Arrival time stamp of the first packet and its step per packet (27 MHz:
// 48 Mbit/s for 188-byte packets).
inline constexpr std::uint32_t kFirstArrivalTime = 0x10000000;
inline constexpr std::uint32_t kArrivalStep = 846;
// Periodic tables among the IG packets, by packet count.
inline constexpr std::uint64_t kPcrPeriod = 2500;
inline constexpr std::uint64_t kPatPmtPhase = 2000;
inline constexpr std::uint64_t kSitPeriod = 25000;
inline constexpr std::uint64_t kSitPhase = 2;
// The file is padded with null packets to whole units of this many packets.
inline constexpr std::uint64_t kAlignedUnit = 32;

struct MuxReport {
    bool muxError = false;  // the PES data ended inside a packet ("Mux error")
    std::uint64_t packets = 0;
};

// Multiplexes PES packets (as saveIGS writes them in the PES form) into
// source packets. Bytes between PES packets that do not start with
// 00 00 01 BD are skipped 4 at a time. A PES packet cut short is written
// with stuffing where its bytes are missing, "Mux error" is logged and the
// run goes on.
Bytes muxPES(std::span<const std::uint8_t> pes, MuxReport* report = nullptr, Log* log = nullptr);

// Writes the menu in the PES form (saveIGS) and multiplexes it.
Bytes Mux(const TIGSc& menu, MuxReport* report = nullptr, Log* log = nullptr);

// The constant table sections the multiplexer writes, from table_id to the
// end of their CRC_32.
std::span<const std::uint8_t> patSection();
std::span<const std::uint8_t> pmtSection();
std::span<const std::uint8_t> sitSection();

}  // namespace navora
