// Every clip information file of the corpus through the reader, compared with
// what independent tools say about the discs; the packet-count correction on
// copies of corpus files.

#include "clip/clipinfo_edit.h"
#include "clip/clipinfo_io.h"
#include "clip/clipinfo_write.h"
#include "clip/json.h"
#include "core/fileio.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

using namespace navora;
using namespace navora::test;

namespace {

// Every .clpi under the disc corpus, BACKUP copies included.
std::vector<fs::path> corpusClips() {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(corpusDir() / "tsmuxer"))
        if (e.is_regular_file() && e.path().extension() == ".clpi") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

bool isVersion0300(const Bytes& d) { return d.size() >= 8 && std::string(d.begin() + 4, d.begin() + 8) == "0300"; }

fs::path clipFile(const std::string& disc, const std::string& clip) {
    return corpusDir() / "tsmuxer" / disc / "BDMV" / "CLIPINF" / (clip + ".clpi");
}

// The stream file of a clip information file (also for a BACKUP copy).
fs::path streamOf(const fs::path& clpi) {
    fs::path bdmv = clpi.parent_path().parent_path();
    if (bdmv.filename() == "BACKUP") bdmv = bdmv.parent_path();
    return bdmv / "STREAM" / (clpi.stem().string() + ".m2ts");
}

const TProgramStream* findStream(const TCLPI& c, std::uint16_t pid) {
    for (const auto& s : c.ProgramInfo.program_sequences.at(0).streams)
        if (s.stream_PID == pid) return &s;
    return nullptr;
}

}  // namespace

TEST(ClipInfoCorpus, EveryFileReadsConsistently) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const auto files = corpusClips();
    ASSERT_GE(files.size(), 30u);
    std::size_t uhd = 0;
    std::map<std::size_t, std::size_t> pidEntryCounts;  // PID entries -> files
    for (const auto& f : files) {
        SCOPED_TRACE(f.string());
        const Bytes data = readFile(f);
        uhd += isVersion0300(data);
        const TCLPI c = readClipInfo(data, f.string());
        EXPECT_EQ(c.type_indicator, "HDMV");
        EXPECT_EQ(c.ClipInfo.Format_identifier, "HDMV");
        // Packet count agrees with the stream file: no correction is offered.
        EXPECT_EQ(sourcePacketMismatch(c, fs::file_size(streamOf(f))), std::nullopt);
        ASSERT_EQ(c.ProgramInfo.program_sequences.size(), 1u);
        for (const auto& s : c.ProgramInfo.program_sequences[0].streams) {
            EXPECT_EQ(s.length, 21);
            EXPECT_NE(codingTypeName(s.stream_coding_type), "") << s.stream_PID;
        }
        // Sections follow one another as their lengths say.
        EXPECT_EQ(c.ClipMark_start_address, c.CPI_start_address + 4 + c.CPI.length);
        EXPECT_EQ(c.ExtensionData_start_address,
                  c.ClipMark_start_address + 4 + c.ClipMark_length);  // tsMuxer's empty block at the end
        EXPECT_EQ(c.ExtensionData.length, 0u);
        EXPECT_EQ(ExtDatCap(c.ExtensionData), "no ExtensionData()");
        // The EP map: the video PID first (PiP video second), each per-PID map
        // directly after the previous one, coarse entries pointing into the fine table.
        ASSERT_GE(c.CPI.stream_PID_entries.size(), 1u);
        EXPECT_EQ(c.CPI.stream_PID_entries[0].stream_PID, 0x1011);
        std::uint32_t next = c.CPI.stream_PID_entries[0].EP_map_for_one_stream_PID_start_address;
        for (std::size_t k = 0; k < c.CPI.stream_PID_entries.size(); ++k) {
            const TEPStreamPID& e = c.CPI.stream_PID_entries[k];
            const TEP_map_fosPID& m = c.CPI.EP_maps.at(k);
            SCOPED_TRACE(e.stream_PID);
            EXPECT_EQ(e.EP_stream_type, 1);
            EXPECT_EQ(e.EP_map_for_one_stream_PID_start_address, next);
            EXPECT_EQ(m.EP_fine_table_start_address, 4 + 8u * e.number_of_EP_coarse_entries);
            next += m.EP_fine_table_start_address + 4 * e.number_of_EP_fine_entries;
            for (std::size_t i = 0; i < m.coarse.size(); ++i) {
                EXPECT_LT(m.coarse[i].ref_to_EP_fine_id, m.fine.size());
                EXPECT_LT(m.coarse[i].SPN_EP_coarse, c.ClipInfo.number_of_source_packets);
                if (i > 0) {
                    EXPECT_GT(m.coarse[i].ref_to_EP_fine_id, m.coarse[i - 1].ref_to_EP_fine_id);
                }
            }
        }
        EXPECT_EQ(c.CPI_start_address + 6 + next, c.ClipMark_start_address);
        ++pidEntryCounts[c.CPI.stream_PID_entries.size()];
        const auto j = toJson(c);
        EXPECT_EQ(j["ClipInfo"]["number_of_source_packets"], c.ClipInfo.number_of_source_packets);
        EXPECT_EQ(j["CPI"]["EP_map"]["stream_PID_entries"][0]["EP_map_for_one_stream_PID"]["EP_fine_entries"].size(),
                  c.CPI.EP_maps[0].fine.size());
    }
    EXPECT_EQ(uhd, 2u);  // the UHD disc and its BACKUP copy
    EXPECT_EQ(pidEntryCounts[2], 2u);  // the PiP disc and its BACKUP copy
}

TEST(ClipInfoCorpus, PacketCountsMatchTheIndependentReport) {
    NAVORA_NEED_CORPUS("tsmuxer");
    // "clip 0: 00000.m2ts pkt_count=15584 ..." lines of each disc's report.
    std::size_t checked = 0;
    for (const auto& disc : corpusDiscs()) {
        std::ifstream txt(disc.string() + ".txt");
        std::string s;
        while (std::getline(txt, s)) {
            const auto ext = s.find(".m2ts pkt_count=");
            if (s.find("clip ") == std::string::npos || ext == std::string::npos || ext < 5) continue;
            SCOPED_TRACE(disc.filename().string() + " " + s);
            const fs::path f = clipFile(disc.filename().string(), s.substr(ext - 5, 5));
            const Bytes data = readFile(f);
            EXPECT_EQ(readClipInfo(data, f.string()).ClipInfo.number_of_source_packets, std::stoul(s.substr(ext + 16)));
            ++checked;
        }
    }
    EXPECT_GE(checked, 13u);
}

TEST(ClipInfoCorpus, StreamsMatchTheDiscReports) {
    NAVORA_NEED_CORPUS("tsmuxer");
    struct Stream {
        std::uint16_t pid;
        std::uint8_t type;
        std::uint8_t format;  // video_format or audio_presentation_type
        std::uint8_t rate;    // frame_rate or sampling_frequency
        const char* lang;
        const char* details;
    };
    const struct {
        const char* disc;
        const char* clip;
        const char* version;
        std::uint32_t packets;
        std::vector<Stream> streams;
    } cases[] = {
        {"tsm02_avc1080p24_2aud_2pg", "00000", "0200", 15584,
         {{0x1011, 0x1B, 6, 1, "", "1080p, 23.976, 16:9"},
          {0x1100, 0x81, 6, 1, "eng", "Multi-ch., 48 kHz, eng"},
          {0x1101, 0x81, 3, 1, "fra", "Stereo, 48 kHz, fra"},
          {0x1200, 0x90, 0, 0, "eng", "eng"},
          {0x1201, 0x90, 0, 0, "fra", "fra"}}},
        {"tsm05_avc720p60_eac3", "00000", "0200", 9120,
         {{0x1011, 0x1B, 5, 7, "", "720p, 59.94, 16:9"},
          {0x1100, 0x84, 6, 1, "eng", "Multi-ch., 48 kHz, eng"},
          {0x1101, 0x81, 3, 1, "spa", "Stereo, 48 kHz, spa"},
          {0x1200, 0x90, 0, 0, "eng", "eng"}}},
        {"tsm07_mpeg2_1080i_dts", "00000", "0200", 16448,
         {{0x1011, 0x02, 4, 4, "", "1080i, 29.97, 16:9"},
          {0x1100, 0x82, 6, 1, "eng", "Multi-ch., 48 kHz, eng"},
          {0x1101, 0x81, 3, 1, "ita", "Stereo, 48 kHz, ita"}}},
        {"tsm08_pip_secaudio_1080p24", "00000", "0200", 12320,
         {{0x1011, 0x1B, 6, 1, "", "1080p, 23.976, 16:9"},
          {0x1100, 0x81, 3, 1, "eng", "Stereo, 48 kHz, eng"},
          {0x1200, 0x90, 0, 0, "eng", "eng"},
          {0x1A00, 0xA1, 3, 1, "eng", "Stereo, 48 kHz, eng"},
          {0x1B00, 0x1B, 3, 1, "", "480p, 23.976, 4:3"}}},
        {"tsm09_avchd_1080p25", "00000", "0100", 4288,
         {{0x1011, 0x1B, 6, 3, "", "1080p, 25, 16:9"},
          {0x1100, 0x81, 3, 1, "deu", "Stereo, 48 kHz, deu"},
          {0x1200, 0x90, 0, 0, "deu", "deu"}}},
        {"tsm12_blankpl_offset1", "00005", "0200", 64, {{0x1011, 0x1B, 5, 1, "", "720p, 23.976, 16:9"}}},
        // bd_get_title_info(): coding_type=0x24 (HEVC) format=6 rate=1 aspect=3.
        {"tsm14_uhdv3_hevc1080_sdr", "00000", "0300", 3200,
         {{0x1011, 0x24, 6, 1, "", "1080p, 23.976, 16:9, SDR, -"},
          {0x1100, 0x81, 6, 1, "eng", "Multi-ch., 48 kHz, eng"},
          {0x1101, 0x84, 3, 1, "fra", "Stereo, 48 kHz, fra"}}},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(std::string(tc.disc) + "/" + tc.clip);
        const fs::path f = clipFile(tc.disc, tc.clip);
        const TCLPI c = readClipInfo(readFile(f), f.string());
        EXPECT_EQ(c.version_number, tc.version);
        EXPECT_EQ(c.ClipInfo.number_of_source_packets, tc.packets);
        EXPECT_EQ(c.ClipInfo.application_type, 1);
        ASSERT_EQ(c.SequenceInfo.ATC_sequences.size(), 1u);
        ASSERT_EQ(c.SequenceInfo.ATC_sequences[0].STC_sequences.size(), 1u);
        const TSTCSequence& stc = c.SequenceInfo.ATC_sequences[0].STC_sequences[0];
        EXPECT_EQ(clipTimeText(stc.presentation_start_time).substr(0, 7), "0:10:00");  // first PTS 600 s
        const auto& ps = c.ProgramInfo.program_sequences.at(0);
        EXPECT_EQ(ps.program_map_PID, 0x0100);
        EXPECT_EQ(ps.streams.size(), tc.streams.size());
        for (const Stream& want : tc.streams) {
            SCOPED_TRACE(want.pid);
            const TProgramStream* s = findStream(c, want.pid);
            ASSERT_NE(s, nullptr);
            EXPECT_EQ(s->stream_coding_type, want.type);
            if (isVideoCodingType(want.type)) {
                EXPECT_EQ(s->video_format, want.format);
                EXPECT_EQ(s->frame_rate, want.rate);
            } else if (isAudioCodingType(want.type)) {
                EXPECT_EQ(s->audio_presentation_type, want.format);
                EXPECT_EQ(s->sampling_frequency, want.rate);
            }
            EXPECT_EQ(s->language_code, want.lang);
            EXPECT_EQ(streamDetails(*s), want.details);
        }
    }
}

TEST(ClipInfoCorpus, CutFilesAreFormatErrorsAtTheCut) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const fs::path f = clipFile("tsm02_avc1080p24_2aud_2pg", "00000");
    const Bytes data = readFile(f);
    // cut length -> offset of the field that no longer fits
    const std::pair<std::size_t, std::size_t> cases[] = {
        {0, 0},           {4, 4},           {30, 28},  // header reserved bytes
        {100, 60},                                     // ClipInfo's reserved block
        {0xE0, 0xE0},                                  // SequenceInfo after its length
        {0x100, 0xFE},                                 // first program sequence
        {0x190, 0x180},                                // CPI section longer than the rest of the file
        {0x214, 0x214},                                // ClipMark
        {0x21A, 0x218},                                // ExtensionData length
    };
    for (const auto& [cut, offset] : cases) {
        SCOPED_TRACE(cut);
        try {
            (void)readClipInfo(std::span(data).first(cut), "cut.clpi");
            ADD_FAILURE() << "accepted";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.offset(), offset) << e.what();
        }
    }
    // Every other cut of every corpus file fails cleanly, never past the cut.
    for (const auto& file : corpusClips()) {
        const Bytes d = readFile(file);
        for (std::size_t cut = 0; cut < d.size(); ++cut) {
            try {
                (void)readClipInfo(std::span(d).first(cut), file.string());
                ADD_FAILURE() << file << " cut at " << cut << " accepted";
            } catch (const FormatError& e) {
                EXPECT_LE(e.offset(), cut) << e.what();
            }
        }
    }
}

TEST(ClipInfoCorpus, EveryFileWritesBackByteForByte) {
    NAVORA_NEED_CORPUS("tsmuxer");
    for (const auto& f : corpusClips()) {
        SCOPED_TRACE(f.string());
        const Bytes data = readFile(f);
        if (isVersion0300(data)) continue;
        EXPECT_EQ(writeClipInfo(data, readClipInfo(data, f.string()), f.string()), data);
    }
}

// The whole-file writer lays a clip out as the muxer did: from the model
// alone, every file (Ultra HD ones included) comes out byte for byte.
TEST(ClipInfoCorpus, EveryFileIsBuiltAgainFromItsModel) {
    NAVORA_NEED_CORPUS("tsmuxer");
    for (const auto& f : corpusClips()) {
        SCOPED_TRACE(f.string());
        const Bytes data = readFile(f);
        EXPECT_EQ(buildClipInfo(readClipInfo(data, f.string())), data);
    }
}

TEST(ClipInfoCorpus, PacketCorrectionChangesOnlyTheCountAndReadsBack) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const fs::path src = clipFile("tsm02_avc1080p24_2aud_2pg", "00000");
    const Bytes before = readFile(src);
    TCLPI clip = readClipInfo(before, src.string());

    // A stream file 1,000,000 bytes longer than the count says.
    const auto count = sourcePacketMismatch(clip, 15584u * 192 + 1000000);
    ASSERT_EQ(count, std::optional<std::uint64_t>(15584 + 5208));
    EXPECT_EQ(sourcePacketMismatch(clip, 15584u * 192 + 191), std::nullopt);
    EXPECT_EQ(sourcePacketMismatch(clip, 0), std::nullopt);  // missing stream file

    EXPECT_TRUE(setSourcePackets(clip, *count));
    EXPECT_FALSE(setSourcePackets(clip, *count));
    EXPECT_EQ(clip.ClipInfo.number_of_source_packets, 20792u);
    const Bytes after = writeClipInfo(before, clip, src.string());
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        if (i < kSourcePacketsOffset || i >= kSourcePacketsOffset + 4) {
            ASSERT_EQ(after[i], before[i]) << i;
        }
    EXPECT_EQ(Bytes(after.begin() + 56, after.begin() + 60), (Bytes{0x00, 0x00, 0x51, 0x38}));
    EXPECT_EQ(readClipInfo(after, src.string()), clip);
}

TEST(ClipInfoCorpus, ExtensionDataEditWritesTheBlockAndUndoGivesTheFileBack) {
    NAVORA_NEED_CORPUS("tsmuxer");
    for (const auto& f : corpusClips()) {
        SCOPED_TRACE(f.string());
        const Bytes data = readFile(f);
        if (isVersion0300(data)) continue;
        const TCLPI original = readClipInfo(data, f.string());
        TCLPI clip = original;
        TExtensionData block;
        block.length = 30;
        block.data_block_start_address = 24;
        block.number_of_ext_data_entries = 1;
        block.entries = {TExtDataEntry{0x1000, 1, 24, 10}};
        block.data = Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        EXPECT_TRUE(setClipExtensionData(clip, block));
        const Bytes edited = writeClipInfo(data, clip, f.string());
        // The block ends the file where ClipMark ends, and reads back as the model.
        EXPECT_EQ(edited.size(), std::size_t{original.ClipMark_start_address} + 4 + original.ClipMark_length + 34);
        EXPECT_EQ(readClipInfo(edited, f.string()), clip);
        EXPECT_EQ(Bytes(edited.begin(), edited.begin() + 24), Bytes(data.begin(), data.begin() + 24));
        // Undone (the model as read): the bytes the file had.
        EXPECT_EQ(writeClipInfo(edited, original, f.string()), data);
        // No block at all: the file ends with ClipMark. An empty block is
        // already there and stays as the file holds it.
        TCLPI none = original;
        const bool had = original.ExtensionData.length != 0;
        EXPECT_EQ(setClipExtensionData(none, TExtensionData{}), had);
        const Bytes bare = writeClipInfo(data, none, f.string());
        if (had) {
            EXPECT_EQ(bare.size(), std::size_t{original.ClipMark_start_address} + 4 + original.ClipMark_length);
        } else {
            EXPECT_EQ(bare, data);
        }
        EXPECT_EQ(readClipInfo(bare, f.string()), none);
    }
}

TEST(ClipInfoCorpus, PacketCorrectionRefusesWhatItCannotWriteSoundly) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const fs::path src = clipFile("tsm01_avc1080p24_ac3_chap5s", "00000");
    const Bytes original = readFile(src);
    TCLPI clip = readClipInfo(original, src.string());
    const TCLPI kept = clip;

    // A count that does not fit 32 bits (a stream file above 768 GiB).
    EXPECT_THROW(setSourcePackets(clip, std::uint64_t{1} << 32), std::out_of_range);
    EXPECT_EQ(clip, kept);
    // The bytes to write over are no clip information file.
    Bytes other = original;
    std::copy_n("MPLS", 4, other.begin());
    EXPECT_THROW((void)writeClipInfo(other, clip, src.string()), WrongTypeError);
    // Bytes after ClipMark that are no ExtensionData block are not overwritten by a new block.
    Bytes bare(original.begin(), original.begin() + clip.ClipMark_start_address + 4 + clip.ClipMark_length);
    std::fill_n(bare.begin() + 24, 4, 0);  // no ExtensionData block
    bare.push_back(0);
    TCLPI none = readClipInfo(bare, src.string());
    TExtensionData block;
    block.length = 8;
    block.data_block_start_address = 12;
    EXPECT_TRUE(setClipExtensionData(none, block));
    EXPECT_THROW((void)writeClipInfo(bare, none, src.string()), FormatError);
}
