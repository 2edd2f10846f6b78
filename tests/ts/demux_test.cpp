// The demultiplexer on small hand-built streams: the four output forms, the
// PES start and continuation rules, the SUP time base, damaged input, cancel
// and the file output.

#include "core/errors.h"
#include "core/logviews.h"
#include "support/testsupport.h"
#include "ts/demux.h"
#include "ts/sourcepacket.h"
#include "packets.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace navora;
using namespace navora::test;

namespace {

Bytes run(const Bytes& stream, std::uint16_t pid, DemuxForm form, DemuxResult* result = nullptr,
          CancelToken* token = nullptr, Log* log = nullptr) {
    Bytes out;
    const DemuxResult r = demuxBuffer(stream, out, DemuxJob{pid, form, token, log});
    if (result) *result = r;
    return out;
}

Bytes record(const char* magic, std::uint32_t pts, std::uint32_t dts, const Bytes& payload) {
    const auto h = recordHeaderBytes({{magic[0], magic[1]}, pts, dts});
    return cat({Bytes(h.begin(), h.end()), payload});
}

// Payload bytes of a PES packet as transport payloads: everything after the
// packets of the stream that carries it.
Bytes segment(std::uint8_t type, std::size_t length, std::uint8_t fill) {
    return cat({Bytes{type, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)},
                ramp(length, fill)});
}

constexpr std::uint64_t kVideoPts = 900000;  // 10 s

}  // namespace

TEST(Demux, FourFormsOfOneStream) {
    // A stray continuation of the PG PID before its first PES start, the
    // primary video's first PES (the SUP time base), three PG PES packets: one
    // with a PTS, one with PTS and DTS over two packets, one without time
    // stamps; packets of other PIDs and a null packet between them.
    const Bytes stray = ramp(184, 0x40);
    const Bytes a = segment(0x18, 3, 1), b = segment(0x15, 290, 7), c = segment(0x80, 0, 0);
    const PesSpec pa{0xBD, kVideoPts + 219600}, pb{0xBD, kVideoPts + 450000, kVideoPts + 440000}, pc{0xBD};
    const Bytes pesA = pesPacket(pa, a), pesB = pesPacket(pb, b), pesC = pesPacket(pc, c);
    const Bytes stream = cat({
        sourcePacket({0x1200}, stray),
        packetize(0x1011, pesPacket({0xE0, kVideoPts}, ramp(500))),
        sourcePacket({0x1100, true}, ramp(184)),
        packetize(0x1200, pesA, 0x0A1B2C3D),
        sourcePacket({kNullPid}, ramp(184)),
        packetize(0x1200, pesB),
        packetize(0x1200, pesC),
    });
    const struct {
        DemuxForm form;
        Bytes expected;
    } cases[] = {
        {DemuxForm::Elementary, cat({a, b, c})},
        {DemuxForm::Pes, cat({stray, pesA, pesB, pesC})},
        {DemuxForm::Sup, cat({record("PG", 219600, 0, a), record("PG", 450000, 440000, b),
                              record("PG", 450000, 440000, c)})},
        {DemuxForm::Menu, cat({record("IG", kVideoPts + 219600, 0, a),
                               record("IG", kVideoPts + 450000, kVideoPts + 440000, b),
                               record("IG", kVideoPts + 450000, kVideoPts + 440000, c)})},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(static_cast<int>(tc.form));
        RecordingLogView view;
        Log log;
        log.setView(&view);
        DemuxResult r;
        EXPECT_EQ(run(stream, 0x1200, tc.form, &r, nullptr, &log), tc.expected);
        EXPECT_EQ(r.packets, stream.size() / 192);
        EXPECT_EQ(r.savedPackets, 5u);
        EXPECT_FALSE(r.cancelled);
        EXPECT_TRUE(demuxProblems(r).empty());
        // One log line per PES packet with a time stamp, in the record forms only.
        const auto lines = view.plainLines();
        if (tc.form == DemuxForm::Sup) {
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[0], "000359D0, 00000000 : 0:00:02.440, 0:00:00.000   18   0A1B2C3D");
            EXPECT_EQ(lines[1], "0006DDD0, 0006B6C0 : 0:00:05.000, 0:00:04.888   15   00000000");
        } else if (tc.form == DemuxForm::Menu) {
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[0].substr(0, 34), "00111570, 00000000 : 0:00:12.440, ");
        } else {
            EXPECT_TRUE(lines.empty());
        }
    }
}

TEST(Demux, SupTimeBaseIsTheFirstTimedVideoPesStart) {
    // A PG segment before any video keeps its absolute PTS; a video PES start
    // without PTS and one of another PID do not set the base; a segment that
    // is earlier than the base wraps in 32 bits.
    const Bytes s = segment(0x16, 2, 9);
    const Bytes stream = cat({
        packetize(0x1200, pesPacket({0xBD, 1000}, s)),
        packetize(0x1011, pesPacket({0xE0}, ramp(10))),
        packetize(0x1B00, pesPacket({0xE0, 5000}, ramp(10))),
        packetize(0x1011, pesPacket({0xE0, 3000, 2000}, ramp(10))),
        packetize(0x1200, pesPacket({0xBD, 4000}, s)),
        packetize(0x1011, pesPacket({0xE0, 9000}, ramp(10))),
        packetize(0x1200, pesPacket({0xBD, 2999}, s)),
        // A 33-bit PTS keeps its low 32 bits.
        packetize(0x1200, pesPacket({0xBD, (std::uint64_t{1} << 32) + 3001}, s)),
    });
    EXPECT_EQ(run(stream, 0x1200, DemuxForm::Sup),
              cat({record("PG", 1000, 0, s), record("PG", 1000, 0, s), record("PG", 0xFFFFFFFF, 0, s),
                   record("PG", 1, 0, s)}));
}

TEST(Demux, PesPacketsSpanningPacketsWithAdaptationFields) {
    // Payloads of 5 and 400 bytes; transport payloads shortened by adaptation
    // fields in the first, middle and last packets; a PES header with extra
    // stuffing bytes; an adaptation-only packet of the PID in between.
    const Bytes p1 = ramp(5, 0x10), p2 = ramp(400, 0x20);
    const Bytes pes1 = pesPacket({0xFD, 1234, std::nullopt, 3}, p1);
    const Bytes pes2 = pesPacket({0xFD, 5678}, p2);
    auto chunk = [&](std::size_t from, std::size_t n) {
        return Bytes(pes2.begin() + static_cast<std::ptrdiff_t>(from),
                     pes2.begin() + static_cast<std::ptrdiff_t>(from + n));
    };
    const std::size_t first = 150, second = 184, third = pes2.size() - first - second;
    ASSERT_LT(third, 184u);
    const Bytes stream = cat({
        sourcePacket({0x1100, true}, pes1),
        sourcePacket({0x1100, true}, chunk(0, first)),
        sourcePacket({0x1100, false, 0, 0x47, false, 183}),  // adaptation field only
        sourcePacket({0x1100}, chunk(first, second)),
        sourcePacket({0x1101, true}, ramp(184)),
        sourcePacket({0x1100}, chunk(first + second, third)),
    });
    EXPECT_EQ(run(stream, 0x1100, DemuxForm::Elementary), cat({p1, p2}));
    EXPECT_EQ(run(stream, 0x1100, DemuxForm::Pes), cat({pes1, pes2}));
}

TEST(Demux, UnboundedPesPacketRunsToTheNextUnitStart) {
    // A video PES packet with PES_packet_length 0 over four packets; a
    // continuation whose payload happens to begin like a PES header is data;
    // the next unit start ends it.
    const Bytes look = cat({Bytes{0, 0, 1, 0xE0, 0, 0}, ramp(178, 0x33)});
    const Bytes body = cat({ramp(170), look, ramp(200, 0x90)});  // look fills the second packet
    const Bytes open = pesPacket({0xE0, 90000, std::nullopt, 0, 0}, body);
    const Bytes next = pesPacket({0xE0, 93003}, ramp(20, 0x55));
    const Bytes stream = cat({packetize(0x1011, open), packetize(0x1011, next)});
    ASSERT_EQ(stream.size(), 5u * 192);
    EXPECT_EQ(run(stream, 0x1011, DemuxForm::Elementary), cat({body, ramp(20, 0x55)}));
}

TEST(Demux, PacketsBeforeTheFirstPesStartAndHeaderlessPesAreDropped) {
    // Continuations before any PES start; a padding PES (no optional header)
    // over two packets: neither is part of the elementary stream. A packet
    // whose adaptation_field_length leaves no room for a payload is ignored.
    const Bytes data = ramp(30, 0x70);
    const Bytes stream = cat({
        sourcePacket({0x1100}, ramp(184)),
        sourcePacket({0x1100}, ramp(100)),
        packetize(0x1100, cat({Bytes{0, 0, 1, 0xBE, 0x01, 0x2C}, ramp(300, 0x11)})),
        packetize(0x1100, pesPacket({0xFD, 3600}, data)),
        sourcePacket({0x1100, false, 0, 0x47, true, 250}),
    });
    for (const DemuxForm form : {DemuxForm::Elementary, DemuxForm::Sup, DemuxForm::Menu}) {
        SCOPED_TRACE(static_cast<int>(form));
        const Bytes out = run(stream, 0x1100, form);
        ASSERT_GE(out.size(), data.size());
        EXPECT_EQ(out.size(), data.size() + (form == DemuxForm::Elementary ? 0 : 10));
        EXPECT_TRUE(std::equal(data.begin(), data.end(), out.end() - 30));
    }
    // The PES form writes every transport payload of the PID.
    DemuxResult r;
    EXPECT_EQ(run(stream, 0x1100, DemuxForm::Pes, &r).size(), 184u + 100 + 306 + 44);
    EXPECT_EQ(r.savedPackets, 6u);
}

TEST(Demux, DamagedInputSkipsOnlyWhatIsBadAndReportsEachRange) {
    // 700 packets of PID 0x1100, each one whole PES packet of 10 bytes; packet
    // 690 has a PES header whose data length reaches past the packet.
    auto pes = [](std::size_t i) { return pesPacket({0xFD}, ramp(10, static_cast<std::uint8_t>(i))); };
    Bytes good;
    for (std::size_t i = 0; i < 700; ++i) {
        const Bytes p = sourcePacket({0x1100, true}, pes(i));
        good.insert(good.end(), p.begin(), p.end());
    }
    good[690 * 192 + 192 - 19 + 8] = 200;
    using Range = DemuxResult::Range;
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::set<std::size_t> lost;  // packets missing from the output (690 always is)
        std::vector<Range> skipped;
        std::uint64_t packets;
    } cases[] = {
        {"a bad sync byte costs its packet alone",
         [](Bytes& s) {
             s[10 * 192 + 4] = 0x48;
             s[400 * 192 + 4] = 0x00;
         },
         {10, 400}, {{10 * 192, 192}, {400 * 192, 192}}, 698},
        {"two bad sync bytes in a row",
         [](Bytes& s) { s[20 * 192 + 4] = s[21 * 192 + 4] = 0; },
         {20, 21}, {{20 * 192, 384}}, 698},
        {"50 bytes of zeros between two packets: the grid shifts",
         [](Bytes& s) { s.insert(s.begin() + 21 * 192, 50, 0); },
         {}, {{21 * 192, 50}}, 700},
        {"a packet cut short by 100 bytes is skipped whole",
         [](Bytes& s) { s.erase(s.begin() + 30 * 192 + 40, s.begin() + 30 * 192 + 140); },
         {30}, {{30 * 192, 92}}, 699},
        {"garbage to the end of the stream",
         [](Bytes& s) { std::fill(s.begin() + 695 * 192 + 7, s.end(), 0x11); },
         {695, 696, 697, 698, 699}, {{695 * 192, 5 * 192, true}}, 695},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.what);
        Bytes stream = good;
        tc.damage(stream);
        DemuxResult r;
        const Bytes out = run(stream, 0x1100, DemuxForm::Elementary, &r);
        Bytes expected;
        for (std::size_t i = 0; i < 700; ++i)
            if (i != 690 && !tc.lost.count(i)) {
                const Bytes p = ramp(10, static_cast<std::uint8_t>(i));
                expected.insert(expected.end(), p.begin(), p.end());
            }
        EXPECT_EQ(out, expected);
        EXPECT_EQ(r.skipped, tc.skipped);
        EXPECT_EQ(r.skippedRanges, tc.skipped.size());
        EXPECT_EQ(r.packets, tc.packets);
        EXPECT_EQ(r.cutPesOffsets.size(), 1u);
        EXPECT_TRUE(r.damaged());
    }

    // The report: each skipped range with its offsets, the cut PES header,
    // a partial last packet.
    Bytes stream = good;
    stream[10 * 192 + 4] = 0x48;
    stream.insert(stream.end(), 100, 0x47);
    DemuxResult r;
    run(stream, 0x1100, DemuxForm::Elementary, &r);
    EXPECT_EQ(r.trailingBytes, 100u);
    EXPECT_EQ(r.trailingOffset, 700u * 192);
    EXPECT_EQ(demuxProblems(r),
              (std::vector<std::string>{
                  "Bad sync byte at offset 1920 ($00000780): 192 bytes skipped, up to offset 2112 ($00000840), where "
                  "source packets line up again.",
                  "The PES header in the source packet at offset 132480 ($00020580) does not fit in the packet: its "
                  "PES packet was skipped.",
                  "The last 100 bytes, from offset 134400 ($00020D00), are not a whole source packet and were not "
                  "read."}));

    // Zeros, random bytes, less than one packet, nothing: no packet at all.
    Bytes noise(100000);
    std::uint32_t x = 12345;
    for (auto& b : noise) b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 24);
    for (const Bytes& junk : {Bytes(50000, 0), noise, Bytes(191, 0x47), Bytes{}}) {
        SCOPED_TRACE(junk.size());
        EXPECT_TRUE(run(junk, 0x1100, DemuxForm::Pes, &r).empty());
        EXPECT_EQ(r.packets, 0u);
        EXPECT_EQ(r.skippedBytes + r.trailingBytes, junk.size());
        if (junk.size() == 50000) {
            EXPECT_EQ(demuxProblems(r), (std::vector<std::string>{
                                            "Bad sync byte at offset 0 ($00000000): 50000 bytes skipped, to the end "
                                            "of the file: no source packets line up after it."}));
        }
    }
    EXPECT_TRUE(demuxProblems(r).empty());
    EXPECT_EQ(nothingSavedLine("z.m2ts", 0x1100, r),
              "Nothing saved: z.m2ts holds no source packets (no sync bytes 0x47 192 bytes apart).");
}

namespace {

// 1,000 packets: one video packet, then PES packets of PID 0x1100 with a PTS
// and 500 payload bytes (three packets each).
struct CancelFixture {
    Bytes stream;
    std::vector<std::size_t> starts;  // packet index of each PES start
    CancelFixture() {
        stream = sourcePacket({0x1011}, ramp(184));
        std::uint8_t n = 0;
        while (stream.size() < 1000 * 192) {
            starts.push_back(stream.size() / 192);
            const Bytes p = packetize(0x1100, pesPacket({0xFD, 1000u + n}, ramp(500, n)));
            ++n;
            stream.insert(stream.end(), p.begin(), p.end());
        }
    }
};

}  // namespace

namespace {

// A log surface that cancels the run when the first line arrives.
struct CancellingView : LogView {
    explicit CancellingView(CancelToken& t) : token(t) {}
    void appendLine(const MarkedLine&) override { token.cancel(); }
    CancelToken& token;
};

}  // namespace

TEST(Demux, CancelStopsAtTheNextPesStartOrBlockEnd) {
    const CancelFixture f;
    // Cancelled while the first PES packet is written (its log line): the
    // next PES start (packet 4) ends the run, the PES packet is whole.
    CancelToken token;
    CancellingView view(token);
    Log log;
    log.setView(&view);
    DemuxResult r;
    EXPECT_EQ(run(f.stream, 0x1100, DemuxForm::Menu, &r, &token, &log), record("IG", 1000, 0, ramp(500, 0)));
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.packets, 5u);

    // Cancelled at the end of the first block (341 packets): the run stops
    // there, in every form, whether a PES packet is open or not.
    int polls = 0;
    token.reset();
    token.poll = [&] {
        if (++polls == 1) token.cancel();
    };
    ASSERT_EQ(f.starts[113], 340u);
    for (const DemuxForm form : {DemuxForm::Elementary, DemuxForm::Pes}) {
        polls = 0;
        token.reset();
        const Bytes out = run(f.stream, 0x1100, form, &r, &token);
        EXPECT_TRUE(r.cancelled);
        EXPECT_EQ(polls, 1);
        EXPECT_EQ(r.packets, 341u);
        EXPECT_EQ(r.savedPackets, 340u);
        EXPECT_EQ(out.size(), form == DemuxForm::Pes ? 113u * 514 + 184 : 113u * 500 + 170);
    }

    // Cancelled before the run: nothing is written.
    token.reset();
    token.cancel();
    EXPECT_TRUE(run(f.stream, 0x1100, DemuxForm::Sup, &r, &token).empty());
    EXPECT_TRUE(r.cancelled);
}

namespace {

// packets source packets: video packets, and every seventh a PES packet of
// PID 0x1100 over two packets.
Bytes mixedStream(std::size_t packets) {
    Bytes stream;
    stream.reserve(packets * 192 + 1024);
    const Bytes video = sourcePacket({0x1011}, ramp(184));
    for (std::size_t i = 0; stream.size() < packets * 192;) {
        const Bytes p = i % 7 == 0 ? packetize(0x1100, pesPacket({0xFD, i * 100}, ramp(250, static_cast<std::uint8_t>(i))))
                                   : video;
        stream.insert(stream.end(), p.begin(), p.end());
        i += p.size() / 192;
    }
    stream.resize(packets * 192);
    return stream;
}

}  // namespace

TEST(DemuxFile, AFileReadInPiecesGivesTheSameOutputAsMemory) {
    // 140,000 packets: many chunks, with a bad sync byte at packet 65,530,
    // 100 stray bytes after packet 90,000 (the packet grid goes on 100 bytes
    // later, inside a chunk that helpers go through on their own), and the
    // grid found again across the boundary of two chunks. Read by the
    // caller's thread alone and with helpers, everything comes out as from
    // memory: the output, the problems found, and progress at the same
    // packets.
    Bytes stream = mixedStream(140000);
    stream[65530 * 192 + 4] = 0x11;
    stream.insert(stream.begin() + 90000 * 192, 100, 0x47);
    stream.insert(stream.end(), 50, 0);
    TempDir tmp;
    writeFile(tmp / "s.m2ts", stream);

    std::vector<Progress> expectedProgress;
    CancelToken memoryToken;
    memoryToken.progress = [&](const Progress& p) { expectedProgress.push_back(p); };
    Bytes inMemory;
    const DemuxResult a = demuxBuffer(stream, inMemory, DemuxJob{0x1100, DemuxForm::Elementary, &memoryToken});
    EXPECT_EQ(a.packets, 140000u - 1);
    EXPECT_EQ(a.skipped, (std::vector<DemuxResult::Range>{{65530 * 192, 192}, {90000 * 192, 100}}));
    EXPECT_EQ(a.trailingBytes, 50u);
    // Progress every 32,768 packets, as the position in the file's whole
    // packets (the skipped ones included).
    ASSERT_EQ(expectedProgress.size(), 4u);
    EXPECT_EQ(expectedProgress[0].done, 32768u);
    EXPECT_EQ(expectedProgress[3].done, 4u * 32768 + 1);
    EXPECT_EQ(expectedProgress[3].total, 140000u);

    for (const int readers : {0, 1, 3}) {
        SCOPED_TRACE(readers);
        std::vector<Progress> seen;
        CancelToken token;
        token.progress = [&](const Progress& p) { seen.push_back(p); };
        const DemuxJob job{0x1100, DemuxForm::Elementary, &token, nullptr, readers};
        Bytes fromFile;
        const DemuxResult b = demuxToMemory(tmp / "s.m2ts", fromFile, job);
        const DemuxResult c = demuxToFile(tmp / "s.m2ts", tmp / "out.aus", job);
        EXPECT_EQ(fromFile, inMemory);
        EXPECT_EQ(readFile(tmp / "out.aus"), inMemory);
        for (const DemuxResult* r : {&b, &c}) {
            EXPECT_EQ(r->packets, a.packets);
            EXPECT_EQ(r->skipped, a.skipped);
            EXPECT_EQ(r->trailingBytes, a.trailingBytes);
            EXPECT_EQ(r->trailingOffset, a.trailingOffset);
            EXPECT_EQ(r->bytesWritten, inMemory.size());
        }
        ASSERT_EQ(seen.size(), 2 * expectedProgress.size());
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].done, expectedProgress[i % 4].done);
            EXPECT_EQ(seen[i].total, 140000u);
        }
    }
}

TEST(DemuxFile, DamageAtTheEdgeOfAChunkReadsAsFromMemory) {
    // Files are read in chunks of 512 KiB; what a helper keeps of a chunk
    // it went through is only what lies around the packets it vouches for.
    // Damage where two chunks meet must still come out as from memory.
    struct Case {
        const char* what;
        std::size_t at;     // where
        std::size_t stray;  // bytes inserted there; 0: the sync byte there is damaged
    };
    constexpr std::size_t kChunk = 512 * 1024;
    const Case cases[] = {
        {"the sync byte of the packet across chunks 2 and 3", 3 * kChunk - 188, 0},
        {"the sync byte of chunk 3's first packet, which starts the chunk", 3 * kChunk + 4, 0},
        {"the sync byte of chunk 7's first whole packet", 7 * kChunk + 64 + 4, 0},
        {"100 stray bytes 50 bytes before chunk 5", 5 * kChunk - 50, 100},
    };
    TempDir tmp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes stream = mixedStream(12 * kChunk / 192);
        if (c.stray)
            stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(c.at), c.stray, 0x47);
        else
            stream[c.at] = 0x11;
        writeFile(tmp / "s.m2ts", stream);
        Bytes expected;
        const DemuxResult a = demuxBuffer(stream, expected, DemuxJob{0x1100});
        ASSERT_FALSE(a.skipped.empty());
        for (const int readers : {0, 1, 3}) {
            SCOPED_TRACE(readers);
            Bytes out;
            const DemuxResult b =
                demuxToMemory(tmp / "s.m2ts", out, DemuxJob{0x1100, DemuxForm::Elementary, nullptr, nullptr, readers});
            EXPECT_EQ(out, expected);
            EXPECT_EQ(b.packets, a.packets);
            EXPECT_EQ(b.skipped, a.skipped);
            EXPECT_EQ(b.cutPesOffsets, a.cutPesOffsets);
        }
    }
}

TEST(DemuxFile, ACancelStopsAtTheSamePacketWhateverReadsTheFile) {
    // 20 chunks' worth of packets, cancelled at the 30th poll (a block end
    // inside the fifth chunk, which a helper may have gone through on its
    // own): the run stops at the packet it stops at from memory.
    const CancelFixture f;
    Bytes stream;
    while (stream.size() < 20 * 512 * 1024) stream.insert(stream.end(), f.stream.begin(), f.stream.end());
    TempDir tmp;
    writeFile(tmp / "s.m2ts", stream);
    const auto cancelAt30 = [](CancelToken& token, int& polls) {
        token.poll = [&] {
            if (++polls == 30) token.cancel();
        };
    };
    CancelToken memoryToken;
    int memoryPolls = 0;
    cancelAt30(memoryToken, memoryPolls);
    Bytes expected;
    const DemuxResult a = demuxBuffer(stream, expected, DemuxJob{0x1100, DemuxForm::Pes, &memoryToken});
    ASSERT_TRUE(a.cancelled);
    EXPECT_EQ(a.packets, 30u * kDemuxBlockPackets);
    for (const int readers : {0, 1, 3}) {
        SCOPED_TRACE(readers);
        CancelToken token;
        int polls = 0;
        cancelAt30(token, polls);
        Bytes out;
        const DemuxResult b = demuxToMemory(tmp / "s.m2ts", out, DemuxJob{0x1100, DemuxForm::Pes, &token, nullptr, readers});
        EXPECT_TRUE(b.cancelled);
        EXPECT_EQ(polls, 30);
        EXPECT_EQ(b.packets, a.packets);
        EXPECT_EQ(b.savedPackets, a.savedPackets);
        EXPECT_EQ(out, expected);
    }
}

TEST(DemuxFile, CancelledOrFailedExportLeavesNoPartialOutput) {
    const CancelFixture f;
    TempDir tmp;
    writeFile(tmp / "s.m2ts", f.stream);
    writeFile(tmp / "old.aus", Bytes{1, 2, 3});
    CancelToken token;
    token.poll = [&] { token.cancel(); };
    for (const char* name : {"new.aus", "old.aus"}) {
        const DemuxResult r = demuxToFile(tmp / "s.m2ts", tmp / name, DemuxJob{0x1100, DemuxForm::Elementary, &token});
        EXPECT_TRUE(r.cancelled);
    }
    EXPECT_FALSE(fs::exists(tmp / "new.aus"));
    EXPECT_EQ(readFile(tmp / "old.aus"), (Bytes{1, 2, 3}));
    // Failures: a missing stream, an output folder that does not exist, the
    // stream itself as the output.
    EXPECT_THROW(demuxToFile(tmp / "none.m2ts", tmp / "x.aus", DemuxJob{0x1100}), IoError);
    EXPECT_THROW(demuxToFile(tmp / "s.m2ts", tmp / "no" / "x.aus", DemuxJob{0x1100}), IoError);
    EXPECT_THROW(demuxToFile(tmp / "s.m2ts", tmp / "." / "s.m2ts", DemuxJob{0x1100}), IoError);
    EXPECT_EQ(readFile(tmp / "s.m2ts"), f.stream);
    // Nothing but the two files is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()), 2);
    // A stream without the PID, or of zeros, saves nothing: no new file, and
    // an existing one stays as it was.
    writeFile(tmp / "zeros.m2ts", Bytes(100 * 192, 0));
    for (const char* stream : {"s.m2ts", "zeros.m2ts"}) {
        for (const char* out : {"empty.sup", "old.aus"}) {
            const DemuxResult r = demuxToFile(tmp / stream, tmp / out, DemuxJob{0x1200, DemuxForm::Sup});
            EXPECT_EQ(r.savedPackets, 0u);
            EXPECT_FALSE(r.saved);
        }
    }
    EXPECT_FALSE(fs::exists(tmp / "empty.sup"));
    EXPECT_EQ(readFile(tmp / "old.aus"), (Bytes{1, 2, 3}));
}

TEST(DemuxFile, NonRegularInputsAreRefusedAtOnceAndLeftoversOfKilledRunsRemoved) {
    TempDir tmp;
    ASSERT_EQ(::mkfifo((tmp / "fifo").c_str(), 0600), 0);
    for (const fs::path& in : {fs::path("/dev/zero"), tmp / "fifo", tmp.path()}) {
        SCOPED_TRACE(in.string());
        EXPECT_THROW(demuxToFile(in, tmp / "x.aus", DemuxJob{0x1100}), IoError);
    }
    EXPECT_FALSE(fs::exists(tmp / "x.aus"));

    // Temporary files that runs killed before left beside the target (this
    // version's names and the hidden names of earlier ones) go; those of
    // another target stay.
    const CancelFixture f;
    writeFile(tmp / "s.m2ts", f.stream);
    for (const char* name : {"x.aus.navora-save-Ab12Cd", ".x.aus.navora-Zz99Yy", "y.aus.navora-save-Ab12Cd"})
        writeFile(tmp / name, Bytes(1000, 7));
    EXPECT_TRUE(demuxToFile(tmp / "s.m2ts", tmp / "x.aus", DemuxJob{0x1100}).saved);
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(tmp.path())) names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"fifo", "s.m2ts", "x.aus", "y.aus.navora-save-Ab12Cd"}));
}

TEST(DemuxFile, MenuFormIntoMemoryAndTheTemporaryMenuFile) {
    const Bytes seg = segment(0x18, 40, 3);
    const Bytes stream = packetize(0x1400, pesPacket({0xBD, 90090000, 90000000}, seg));
    TempDir tmp;
    writeFile(tmp / "m.m2ts", stream);
    Bytes mnu;
    EXPECT_EQ(demuxMenu(tmp / "m.m2ts", 0x1400, mnu).savedPackets, 1u);
    EXPECT_EQ(mnu, record("IG", 90090000, 90000000, seg));
    EXPECT_EQ(menuTempFile().filename(), "Navora_MENU.tmp");
    demuxMenuToTempFile(tmp / "m.m2ts", 0x1400);
    EXPECT_EQ(readFile(menuTempFile()), mnu);
    fs::remove(menuTempFile());
}

TEST(DemuxFile, AStreamCutShortWhileItIsReadFailsCleanly) {
    // Another program cuts the stream to 1 MB while its first chunks are
    // scanned: the reads past the new end, the caller's or a helper's, fail
    // the run with an error, and nothing is left behind.
    Bytes stream;
    const Bytes p = packetize(0x1100, pesPacket({0xFD}, ramp(170)));
    while (stream.size() < 100000 * 192) stream.insert(stream.end(), p.begin(), p.end());
    TempDir tmp;
    for (const int readers : {0, 2}) {
        SCOPED_TRACE(readers);
        writeFile(tmp / "s.m2ts", stream);
        CancelToken token;
        int polls = 0;
        token.poll = [&] {
            if (++polls == 10) fs::resize_file(tmp / "s.m2ts", 1 << 20);
        };
        try {
            demuxToFile(tmp / "s.m2ts", tmp / "out.aus", DemuxJob{0x1100, DemuxForm::Elementary, &token, nullptr, readers});
            ADD_FAILURE() << "no error";
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find("s.m2ts: the file was cut short while it was read"), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()), 1);
    }
}

TEST(DemuxFile, AWriteThatFailsMidwayLeavesNoFile) {
    // 3 MB of output against a file size limit of 1 MB: the failure of the
    // write, on the caller's thread (no helper reader) or on the writer's
    // own (two helpers, so a core to spare), reaches the caller, and nothing
    // is left behind.
    Bytes stream;
    const Bytes p = packetize(0x1100, pesPacket({0xFD}, ramp(170)));
    for (int i = 0; i < 18000; ++i) stream.insert(stream.end(), p.begin(), p.end());
    TempDir tmp;
    writeFile(tmp / "s.m2ts", stream);
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    for (const int readers : {0, 2}) {
        SCOPED_TRACE(readers);
        try {
            demuxToFile(tmp / "s.m2ts", tmp / "out.aus", DemuxJob{0x1100, DemuxForm::Elementary, nullptr, nullptr, readers});
            ADD_FAILURE() << "no error";
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find("Cannot write "), std::string::npos) << e.what();
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()), 1);
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
}
