// The multiplexer: constant tables, packet layout, PES packets at the packet
// boundaries, periodic tables and a cut PES stream.

#include "fixtures.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "ig/save.h"
#include "ts_extract.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

// CRC-32/MPEG-2: polynomial 0x04C11DB7, initial value all ones, no reflection, no final xor.
std::uint32_t crc32Mpeg2(std::span<const std::uint8_t> data) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::uint8_t byte : data) {
        crc ^= std::uint32_t{byte} << 24;
        for (int i = 0; i < 8; ++i) crc = (crc & 0x80000000) ? (crc << 1) ^ 0x04C11DB7 : crc << 1;
    }
    return crc;
}

TEST(MuxTables, ConstantCrcsAreTheSectionsCrc) {
    const std::string check = "123456789";
    ASSERT_EQ(crc32Mpeg2({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}), 0x0376E6E7u);
    for (auto section : {patSection(), pmtSection(), sitSection()}) {
        const std::size_t length = (std::size_t{section[1]} & 0x0F) << 8 | section[2];
        ASSERT_EQ(section.size(), 3 + length) << std::hex << int(section[0]);
        const auto body = section.first(section.size() - 4);
        const std::uint32_t stored = std::uint32_t{section[section.size() - 4]} << 24 |
                                     std::uint32_t{section[section.size() - 3]} << 16 |
                                     std::uint32_t{section[section.size() - 2]} << 8 | section[section.size() - 1];
        EXPECT_EQ(crc32Mpeg2(body), stored) << "table_id " << std::hex << int(section[0]);
    }
}

struct Packet {
    std::uint32_t ats;
    std::uint16_t pid;
    bool unitStart;
    std::uint8_t control;  // adaptation_field_control
    std::uint8_t counter;
    const std::uint8_t* bytes;  // the 192 bytes
};

std::vector<Packet> packets(const Bytes& ts) {
    std::vector<Packet> out;
    for (std::size_t at = 0; at + 192 <= ts.size(); at += 192) {
        const std::uint8_t* p = ts.data() + at;
        EXPECT_EQ(p[4], 0x47);
        out.push_back({std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3],
                       static_cast<std::uint16_t>((p[5] & 0x1F) << 8 | p[6]), (p[5] & 0x40) != 0,
                       static_cast<std::uint8_t>(p[7] >> 4), static_cast<std::uint8_t>(p[7] & 0x0F), p});
    }
    return out;
}

TEST(Mux, SmallMenuLayout) {
    TIGSc m = smallMenu();
    TIGSc copy = m;
    const Bytes mnu = saveIGS(copy, IgsForm::Mnu);
    MuxReport report;
    const Bytes ts = Mux(m, &report);
    EXPECT_FALSE(report.muxError);
    ASSERT_EQ(ts.size() % 6144, 0u);
    EXPECT_EQ(report.packets, ts.size() / 192);
    const auto ps = packets(ts);
    ASSERT_GE(ps.size(), 5u);
    EXPECT_EQ(ps[0].pid, 0x0000);
    EXPECT_EQ(ps[1].pid, kPmtPid);
    EXPECT_EQ(ps[2].pid, kSitPid);
    EXPECT_EQ(ps[3].pid, kPcrPid);
    EXPECT_EQ(ps[3].control, 2);
    EXPECT_EQ(Bytes(ps[0].bytes + 8, ps[0].bytes + 9 + patSection().size()),
              cat({{0x00}, Bytes(patSection().begin(), patSection().end())}));

    std::uint8_t igCounter = 0;
    const Packet* lastIg = nullptr;
    for (std::size_t k = 0; k < ps.size(); ++k) {
        EXPECT_EQ(ps[k].ats, 0x10000000u + 846u * k) << k;
        if (ps[k].pid == kIgPid) {
            EXPECT_EQ(ps[k].counter, igCounter) << k;
            igCounter = (igCounter + 1) & 0x0F;
            lastIg = &ps[k];
        } else if (ps[k].pid == kPcrPid || ps[k].pid == kNullPid) {
            EXPECT_EQ(ps[k].counter, 0) << k;
        }
    }
    EXPECT_GT(igCounter + 0, 0);
    // The END segment's PES packet (17 bytes) fills one packet behind an
    // adaptation field of 166 bytes.
    ASSERT_NE(lastIg, nullptr);
    EXPECT_TRUE(lastIg->unitStart);
    EXPECT_EQ(lastIg->control, 3);
    EXPECT_EQ(lastIg->bytes[8], 166);
    EXPECT_EQ(lastIg->bytes[9 + 166 + 14], 0x80);  // segment_type of END

    // The IG stream carries exactly the segments and time stamps of the .mnu form.
    EXPECT_EQ(extractMnu(ts, kIgPid), mnu);
}

// One PES packet of `total` bytes.
Bytes pesPacket(std::size_t total, std::uint8_t fill) {
    Bytes p(total, fill);
    p[0] = 0;
    p[1] = 0;
    p[2] = 1;
    p[3] = 0xBD;
    p[4] = static_cast<std::uint8_t>((total - 6) >> 8);
    p[5] = static_cast<std::uint8_t>(total - 6);
    if (total >= 14) {  // flags, header length 5 and a PTS
        const std::uint8_t header[] = {0x84, 0x80, 5, 0x21, 0x00, 0x01, 0x00, 0x01};
        std::copy(std::begin(header), std::end(header), p.begin() + 6);
    }
    return p;
}

TEST(MuxPes, PesPacketsAtThePacketBoundaries) {
    struct Case {
        std::size_t total;
        std::vector<int> adaptationLengths;  // per IG packet, -1: none
    } cases[] = {
        {17, {166}},
        {183, {0}},
        {184, {-1}},
        {185, {-1, 182}},
        {368, {-1, -1}},
        {369, {-1, -1, 182}},
    };
    for (const Case& c : cases) {
        const Bytes pes = pesPacket(c.total, 0x5A);
        const Bytes ts = muxPES(pes);
        std::vector<int> lengths;
        Bytes payload;
        for (const Packet& p : packets(ts)) {
            if (p.pid != kIgPid) continue;
            const bool adaptation = p.control == 3;
            lengths.push_back(adaptation ? p.bytes[8] : -1);
            const std::size_t start = adaptation ? 9u + p.bytes[8] : 8u;
            if (adaptation && p.bytes[8] > 0) {
                EXPECT_EQ(p.bytes[9], 0x00) << "adaptation flags";
            }
            payload.insert(payload.end(), p.bytes + start, p.bytes + 192);
        }
        EXPECT_EQ(lengths, c.adaptationLengths) << c.total;
        EXPECT_EQ(payload, pes) << c.total;
    }
}

TEST(MuxPes, TablesRepeatAmongContinuationPackets) {
    Bytes pes;
    for (int i = 0; i < 71; ++i) {
        const Bytes p = pesPacket(65541, static_cast<std::uint8_t>(i));
        pes.insert(pes.end(), p.begin(), p.end());
    }
    const auto ts = muxPES(pes);
    const auto ps = packets(ts);
    ASSERT_GT(ps.size(), 25003u);
    std::vector<std::size_t> pcr, pat, pmt, sit;
    for (std::size_t k = 4; k < ps.size(); ++k) {
        if (ps[k].pid == kPcrPid) pcr.push_back(k);
        if (ps[k].pid == 0) pat.push_back(k);
        if (ps[k].pid == kPmtPid) pmt.push_back(k);
        if (ps[k].pid == kSitPid) sit.push_back(k);
    }
    ASSERT_GE(pcr.size(), 9u);
    for (std::size_t k : pcr) EXPECT_EQ(k % 2500, 0u) << k;
    for (std::size_t k : pat) EXPECT_EQ(k % 2500, 2000u) << k;
    for (std::size_t k : pmt) EXPECT_EQ(k % 2500, 2001u) << k;
    EXPECT_EQ(pcr.front(), 2500u);
    EXPECT_EQ(pat.front(), 2000u);
    EXPECT_EQ(sit, (std::vector<std::size_t>{25002}));
    // Each table's continuity counter advances with each of its packets.
    EXPECT_EQ(ps[pat[0]].counter, 1);
    EXPECT_EQ(ps[pat[1]].counter, 2);
    EXPECT_EQ(ps[pmt[0]].counter, 1);
    EXPECT_EQ(ps[sit[0]].counter, 1);
    EXPECT_EQ(ps[pcr[0]].counter, 0);
    EXPECT_EQ(extractMnu(ts, kIgPid).size(), 71u * (10 + 65541 - 14));
}

TEST(MuxPes, CutPesPacketIsMuxError) {
    Bytes pes = pesPacket(500, 0x11);
    pes.resize(300);
    Log log;
    MuxReport report;
    const Bytes ts = muxPES(pes, &report, &log);
    EXPECT_TRUE(report.muxError);
    EXPECT_TRUE(log.errorFlag);
    ASSERT_EQ(ts.size() % 6144, 0u);
    const auto ps = packets(ts);
    // 500 bytes take three packets; the third has no data and is stuffing.
    ASSERT_EQ(ps[6].pid, kIgPid);
    EXPECT_EQ(ps[6].bytes[191], 0xFF);
    EXPECT_EQ(ps[7].pid, kNullPid);
}

}  // namespace
