// The clip information reader on hand-made files: every optional block, the
// layouts the corpus lacks, and the errors of inconsistent files.

#include "clip/clipinfo_io.h"
#include "clip/clipinfo_write.h"
#include "clip/json.h"
#include "support/clipfixture.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace navora;
using namespace navora::test;

namespace {

// A clip with an ATC delta entry (its reserved bits set), a font file, two
// STC sequences, four streams (MPEG-2 video 4:3, an unknown coding type, a
// text subtitle and an IG stream whose StreamCodingInfo is 2 bytes longer
// than usual), an EP map of two PIDs (the first with padding before its fine
// table) and an ExtensionData block with one entry.
Bytes makeClip() {
    HandMadeClip clip;
    clip.version = "0100";
    clip.atcDeltaWord = 0xFFFFFFFF;
    clip.sourcePackets = 1234;
    clip.atcSequences = {{0, 0, {{0x1001, 0, 27000000, 27900000}, {0x1001, 100, 27000001, 27900001}}}};
    clip.programWord = 0xFF01;  // reserved high byte dropped
    clip.streams = {
        handMadeStream(0x1011, 0x02, {0x44, 0x21, 0, 0}),  // MPEG-2 video, 1080i 29.97, aspect 2, flag set
        {0x10, 0x12, 5, 0x77, 0xDE, 0xAD, 0xBE, 0xEF},      // unknown coding type: 4 bytes after the type
        handMadeStream(0x1800, 0x92, {3, 'd', 'e', 'u'}),   // text subtitle
        handMadeStream(0x1400, 0x91, {'f', 'r', 'a', 0}, {0xAA, 0xAA}),  // IG, two extra bytes
    };
    clip.epMaps = {{0x1011, {(3u << 14) | 0x155, 0x100}, {0xAA, 0xAA, 0xAA, 0xAA}, {0x12345678, 0x7FFFFFFF}},
                   {0x1400, {0xFFFFFFFF, 7}, {}, {0xF0000000}}};
    return handMadeClipFile(clip);
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
std::uint32_t get32(const Bytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

}  // namespace

TEST(ClipInfoReader, ReadsEveryBlockOfAHandMadeClip) {
    const TCLPI c = readClipInfo(makeClip(), "x.clpi");
    EXPECT_EQ(c.version_number, "0100");
    EXPECT_EQ(c.ClipInfo.application_type, 6);
    EXPECT_EQ(c.ClipInfo.is_ATC_delta, 1);
    EXPECT_EQ(c.ClipInfo.TS_recording_rate, 48000000u);
    EXPECT_EQ(c.ClipInfo.number_of_source_packets, 1234u);
    EXPECT_EQ(c.ClipInfo.Format_identifier, "HDMV");
    ASSERT_EQ(c.ClipInfo.ATC_deltas.size(), 1u);
    EXPECT_EQ(c.ClipInfo.ATC_deltas[0], (TATCDelta{0x12345678, "00007", "M2TS"}));
    // The font block follows the ATC delta block.
    EXPECT_EQ(c.ClipInfo.font_file_names, std::vector<std::string>{"00003"});

    ASSERT_EQ(c.SequenceInfo.ATC_sequences.size(), 1u);
    ASSERT_EQ(c.SequenceInfo.ATC_sequences[0].STC_sequences.size(), 2u);
    EXPECT_EQ(c.SequenceInfo.ATC_sequences[0].STC_sequences[1], (TSTCSequence{0x1001, 100, 27000001, 27900001}));

    ASSERT_EQ(c.ProgramInfo.number_of_program_sequences, 1);
    const auto& s = c.ProgramInfo.program_sequences[0].streams;
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].video_format, 4);
    EXPECT_EQ(s[0].frame_rate, 4);
    EXPECT_EQ(s[0].aspect_ratio, 2);
    EXPECT_EQ(s[0].video_flag, 1);
    EXPECT_EQ(s[0].recording_number, "00042");
    EXPECT_EQ(streamDetails(s[0]), "1080i, 29.97, 4:3");
    // The unknown coding type is skipped by its length; the next streams stay in step.
    EXPECT_EQ(s[1].stream_coding_type, 0x77);
    EXPECT_EQ(s[1].length, 5);
    EXPECT_EQ(codingTypeName(s[1].stream_coding_type), "");
    EXPECT_EQ(s[2].stream_PID, 0x1800);
    EXPECT_EQ(streamDetails(s[2]), "3, deu");
    EXPECT_EQ(s[3].stream_PID, 0x1400);
    EXPECT_EQ(s[3].language_code, "fra");
    EXPECT_EQ(s[3].country_code, "US");

    ASSERT_EQ(c.CPI.stream_PID_entries.size(), 2u);
    EXPECT_EQ(c.CPI.stream_PID_entries[0].EP_stream_type, 1);
    EXPECT_EQ(c.CPI.stream_PID_entries[0].number_of_EP_coarse_entries, 1);
    EXPECT_EQ(c.CPI.stream_PID_entries[0].number_of_EP_fine_entries, 2u);
    ASSERT_EQ(c.CPI.EP_maps.size(), 2u);
    EXPECT_EQ(c.CPI.EP_maps[0].coarse[0], (TEPCoarse{3, 0x155, 0x100}));
    EXPECT_EQ(c.CPI.EP_maps[0].fine[0], (TEPFine{0, 1, 0x11A, 0x05678}));
    EXPECT_EQ(c.CPI.EP_maps[0].fine[1], (TEPFine{0, 7, 0x7FF, 0x1FFFF}));
    // The second PID's map follows the first one's fine table.
    EXPECT_EQ(c.CPI.EP_maps[1].coarse[0], (TEPCoarse{0x3FFFF, 0x3FFF, 7}));
    EXPECT_EQ(c.CPI.EP_maps[1].fine[0], (TEPFine{1, 7, 0, 0}));

    EXPECT_EQ(c.ClipMark_length, 0u);
    EXPECT_EQ(c.ExtensionData.entries.size(), 1u);
    EXPECT_EQ(ExtDatCap(c.ExtensionData), "1 entry, 30 bytes");
    EXPECT_EQ(programStreamsFoundText(c), "[b]4[/b] Program stream(s) found.");
}

TEST(ClipInfoReader, RefusesOtherTypesAndVersions) {
    const struct {
        const char* type;
        const char* version;
    } cases[] = {{"HDMX", "0200"}, {"HDMV", "0400"}, {"HDMV", "0000"}, {"MPLS", "0100"}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(std::string(tc.type) + tc.version);
        Bytes b = makeClip();
        std::copy_n(tc.type, 4, b.begin());
        std::copy_n(tc.version, 4, b.begin() + 4);
        try {
            (void)readClipInfo(b, "x.clpi");
            ADD_FAILURE() << "accepted";
        } catch (const WrongTypeError& e) {
            EXPECT_EQ(e.offset(), 8u);
            EXPECT_EQ(e.file(), "x.clpi");
        }
    }
}

TEST(ClipInfoReader, InconsistentFilesAreFormatErrorsAtTheFaultyField) {
    const Bytes good = makeClip();
    const std::size_t prog = get32(good, 12), cpi = get32(good, 16), epMap = cpi + 6;
    const struct {
        const char* what;
        std::function<void(Bytes&)> change;
        std::size_t offset;
    } cases[] = {
        {"SequenceInfo address in the header", [](Bytes& b) { put32(b, 8, 20); }, 8},
        {"CPI address past the end", [&](Bytes& b) { put32(b, 16, static_cast<std::uint32_t>(b.size() + 1)); },
         16},
        {"known coding type with a short StreamCodingInfo", [&](Bytes& b) { b[prog + 14 + 2] = 20; }, prog + 16},
        {"CPI length past the end of the file", [&](Bytes& b) { put32(b, cpi, 0x10000); }, cpi},
        {"more stream PID entries than the section holds", [&](Bytes& b) { b[epMap + 1] = 20; }, epMap + 2},
        {"per-PID map outside the section", [&](Bytes& b) { put32(b, epMap + 2 + 8, 0x1000); }, epMap + 26},
        {"per-PID map inside the entry table", [&](Bytes& b) { put32(b, epMap + 2 + 8, 4); }, epMap + 26},
        {"fine table inside the coarse table", [&](Bytes& b) { put32(b, epMap + 26, 8); }, epMap + 26},
        {"fine count past the section",
         [&](Bytes& b) { b[epMap + 2 + 12 + 7] = 0xFF; },  // second PID: 255 fine entries
         epMap + 26 + 24 + 12},
        {"coarse count past the section",
         [&](Bytes& b) {
             put32(b, epMap + 26 + 24, 4 + 8 * 200);  // keep the fine table behind the coarse one
             b[epMap + 2 + 12 + 4] = 0x03;            // second PID: 193 coarse entries
         },
         epMap + 26 + 24 + 4},
        {"ExtensionData longer than the file", [&](Bytes& b) { put32(b, b.size() - 30, 100); }, good.size() - 30},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.what);
        Bytes b = good;
        tc.change(b);
        try {
            (void)readClipInfo(b, "x.clpi");
            ADD_FAILURE() << "accepted";
        } catch (const WrongTypeError&) {
            ADD_FAILURE() << "wrong type";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.offset(), tc.offset) << e.what();
            EXPECT_EQ(e.file(), "x.clpi");
        }
    }
}

TEST(ClipInfoReader, JsonUsesTheSyntaxNames) {
    const auto j = toJson(readClipInfo(makeClip(), "x.clpi"));
    EXPECT_EQ(j["ClipInfo"]["number_of_source_packets"], 1234);
    EXPECT_EQ(j["ClipInfo"]["font_file_names"][0], "00003");
    EXPECT_EQ(j["ProgramInfo"]["program_sequences"][0]["streams"][2]["StreamCodingInfo"]["language_code"], "deu");
    EXPECT_FALSE(j["ProgramInfo"]["program_sequences"][0]["streams"][1]["StreamCodingInfo"].contains("ISRC"));
    const auto& map = j["CPI"]["EP_map"]["stream_PID_entries"][1]["EP_map_for_one_stream_PID"];
    EXPECT_EQ(map["EP_fine_entries"][0]["is_angle_change_point"], 1);
    EXPECT_EQ(j["ExtensionData"]["ext_data_entries"][0]["ID2"], 2);
    EXPECT_EQ(j.begin().key(), "type_indicator");
}

// The lengths and start addresses a model holds, set aside: the whole-file
// writer makes its own.
TCLPI withoutLayout(TCLPI c) {
    c.SequenceInfo_start_address = c.ProgramInfo_start_address = c.CPI_start_address = 0;
    c.ClipMark_start_address = c.ExtensionData_start_address = 0;
    c.ClipInfo.length = c.SequenceInfo.length = c.ProgramInfo.length = c.CPI.length = 0;
    for (TEPStreamPID& e : c.CPI.stream_PID_entries) e.EP_map_for_one_stream_PID_start_address = 0;
    for (TEP_map_fosPID& m : c.CPI.EP_maps) m.EP_fine_table_start_address = 0;
    return c;
}

TEST(ClipInfoWriter, AHandMadeClipIsBuiltFromItsModel) {
    // Reserved bits, padding and the bytes of an unknown coding type are not
    // in the model; everything else reads back as it was read.
    const TCLPI c = readClipInfo(makeClip(), "x.clpi");
    const Bytes built = buildClipInfo(c);
    const TCLPI back = readClipInfo(built, "built.clpi");
    EXPECT_EQ(withoutLayout(back), withoutLayout(c));
    EXPECT_EQ(back.SequenceInfo_start_address % 4, 0u);
    EXPECT_EQ(back.CPI.EP_maps[0].EP_fine_table_start_address, 12u);  // right after the one coarse entry
    EXPECT_EQ(back.ExtensionData_start_address, back.ClipMark_start_address + 4);
    EXPECT_EQ(buildClipInfo(back), built);
}

TEST(ClipInfoWriter, RefusesWhatTheFileCannotHold) {
    const TCLPI good = readClipInfo(makeClip(), "x.clpi");
    const struct {
        const char* what;
        std::function<void(TCLPI&)> change;
    } cases[] = {
        {"marks the model does not keep", [](TCLPI& c) { c.ClipMark_length = 4; }},
        {"256 streams", [](TCLPI& c) { auto& s = c.ProgramInfo.program_sequences[0].streams; s.resize(256, s[0]); }},
        {"an EP map without its stream PID entry", [](TCLPI& c) { c.CPI.EP_maps.emplace_back(); }},
        {"an unknown coding type of length 0", [](TCLPI& c) { c.ProgramInfo.program_sequences[0].streams[1].length = 0; }},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.what);
        TCLPI c = good;
        tc.change(c);
        EXPECT_THROW((void)buildClipInfo(c), std::invalid_argument);
    }
}

TEST(ClipInfoTexts, TablesAndFormats) {
    EXPECT_EQ(codingTypeName(0x1B), "AVC");
    EXPECT_EQ(codingTypeName(0xA1), "DD+");
    EXPECT_EQ(codingTypeName(0x86), "DTS-HD XLL");
    EXPECT_EQ(videoFormatName(5), "720p");
    EXPECT_EQ(videoFormatName(9), "res.");
    EXPECT_EQ(frameRateName(7), "59.94");
    EXPECT_EQ(frameRateName(5), "-");
    EXPECT_EQ(audioPresentationTypeName(12), "St.+M-ch.");
    EXPECT_EQ(samplingFrequencyName(14), "c:48, e:192 kHz");
    EXPECT_EQ(samplingFrequencyName(15), "res.");
    EXPECT_EQ(aspectRatioName(3), "16:9");
    EXPECT_EQ(aspectRatioName(2), "4:3");
    EXPECT_EQ(applicationTypeName(5), "Sub TS for a Interactive Graphics menu");
    EXPECT_EQ(applicationTypeName(8), "");
    EXPECT_EQ(clipTimeText(27000000), "0:10:00.000");
    EXPECT_EQ(clipTimeText(45000u * 3600 * 25 + 45 * 1234), "1:00:01.234");  // hours wrap at 24
    EXPECT_EQ(sourcePacketQuestion(1005208),
              "The m2ts file contains 1,005,208 packets.\nDo you want to correct the packet value of ClipInfo?");
    EXPECT_EQ(sourcePacketQuestion(999, '.'),
              "The m2ts file contains 999 packets.\nDo you want to correct the packet value of ClipInfo?");
}
