// Every playlist of the corpus through the reader and writer, and field values
// compared with what independent tools report for the discs.

#include "core/errors.h"
#include "playlist/hdr.h"
#include "playlist/json.h"
#include "playlist/playlist_io.h"
#include "playlist/playlist_text.h"
#include "support/testsupport.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <tuple>

using namespace navora;
using namespace navora::test;

namespace {

// Every .mpls under the corpus, BACKUP copies included, sorted.
std::vector<fs::path> corpusPlaylists() {
    std::vector<fs::path> out;
    const fs::path root = corpusDir();
    if (!fs::exists(root)) return out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (e.is_regular_file() && ext == ".mpls") out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TMPLS readCorpus(const std::string& disc, const std::string& file) {
    const fs::path p = corpusDir() / "tsmuxer" / disc / "BDMV" / "PLAYLIST" / file;
    return readPlaylist(readFile(p), file);
}

}  // namespace

TEST(PlaylistCorpus, EveryPlaylistRoundTripsByteForByte) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const auto files = corpusPlaylists();
    ASSERT_GE(files.size(), 28u);
    std::size_t backups = 0, uhd = 0;
    for (const auto& f : files) {
        SCOPED_TRACE(f.string());
        if (f.string().find("/BACKUP/") != std::string::npos) ++backups;
        const Bytes data = readFile(f);
        uhd += std::string(data.begin() + 4, data.begin() + 8) == "0300";
        const TMPLS m = readPlaylist(data, f.filename().string());
        EXPECT_EQ(writePlaylist(m), data);
        EXPECT_FALSE(toJson(m).dump().empty());
    }
    // The command line goes through the same reader and writer.
    TempDir tmp;
    for (const auto& f : files) {
        SCOPED_TRACE(f.string());
        const Bytes data = readFile(f);
        const CliResult r = runCli({"roundtrip", f.string(), (tmp / "out.mpls").string()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(readFile(tmp / "out.mpls"), data);
        EXPECT_EQ(runCli({"dump", f.string()}).exitCode, 0);
    }
    EXPECT_GE(backups, 14u);
    EXPECT_EQ(uhd, 2u);  // the UHD disc's playlist and its BACKUP copy
}

// Times (45 kHz), PIDs, coding types and marks against the discs' notes.
TEST(PlaylistCorpus, FieldsMatchTheIndependentTools) {
    NAVORA_NEED_CORPUS("tsmuxer");
    {
        SCOPED_TRACE("tsm04: four PlayItems, marks into later PlayItems");
        const TMPLS m = readCorpus("tsm04_split_4clips", "00000.mpls");
        ASSERT_EQ(m.PlayList.PlayItems.size(), 4u);
        const std::uint32_t in90[] = {54000000, 54450450, 54900900, 55351350, 55801800};
        for (std::size_t i = 0; i < 4; ++i) {
            const TPlayItem& p = m.PlayList.PlayItems[i];
            EXPECT_EQ(p.Clip_Information_file_name, fmt::format("{:05}", i));
            EXPECT_EQ(p.IN_time, in90[i] / 2);
            EXPECT_EQ(p.OUT_time, in90[i + 1] / 2);
            EXPECT_EQ(p.connection_condition, i == 0 ? 1 : 6);
            const TSTN& t = p.STN_table;
            ASSERT_EQ(t.primary_video.size(), 1u);
            EXPECT_EQ(t.primary_video[0].stream_entry.ref_to_stream_PID_of_mainClip, 0x1011);
            EXPECT_EQ(t.primary_video[0].stream_attributes.stream_coding_type, 0x1B);
            EXPECT_EQ(t.primary_video[0].stream_attributes.video_format, 6);
            EXPECT_EQ(t.primary_video[0].stream_attributes.frame_rate, 1);
            ASSERT_EQ(t.primary_audio.size(), 1u);
            EXPECT_EQ(t.primary_audio[0].stream_entry.ref_to_stream_PID_of_mainClip, 0x1100);
            EXPECT_EQ(t.primary_audio[0].stream_attributes.stream_coding_type, 0x81);
            EXPECT_EQ(t.primary_audio[0].stream_attributes.language_code, "eng");
            ASSERT_EQ(t.PG_textST.size(), 1u);
            EXPECT_EQ(t.PG_textST[0].stream_entry.ref_to_stream_PID_of_mainClip, 0x1200);
            EXPECT_EQ(t.PG_textST[0].stream_attributes.stream_coding_type, 0x90);
        }
        ASSERT_EQ(m.PlayListMark.marks.size(), 5u);
        const std::uint32_t start90[] = {0, 225000, 675000, 1125000, 1575000};
        const std::uint16_t item[] = {0, 0, 1, 2, 3};
        for (std::size_t i = 0; i < 5; ++i) {
            EXPECT_EQ(m.PlayListMark.marks[i].mark_type, kEntryMark);
            EXPECT_EQ(m.PlayListMark.marks[i].ref_to_PlayItem_id, item[i]);
            EXPECT_EQ(m.PlayListMark.marks[i].mark_time_stamp, 27000000 + start90[i] / 2);
        }
    }
    {
        SCOPED_TRACE("tsm08: PiP SubPath, secondary audio and video, ExtensionData");
        const TMPLS m = readCorpus("tsm08_pip_secaudio_1080p24", "00000.mpls");
        EXPECT_EQ(m.PlayList_start_address, 0x3Au);
        EXPECT_EQ(m.PlayListMark_start_address, 0xF6u);
        EXPECT_EQ(m.ExtensionData_start_address, 0x10Au);
        EXPECT_EQ(m.PlayList.length, 184u);
        const TSTN& t = m.PlayList.PlayItems.at(0).STN_table;
        ASSERT_EQ(t.secondary_audio.size(), 1u);
        EXPECT_EQ(t.secondary_audio[0].stream_entry.ref_to_stream_PID_of_mainClip, 0x1A00);
        EXPECT_EQ(t.secondary_audio[0].stream_attributes.stream_coding_type, 0xA1);
        ASSERT_EQ(t.secondary_video.size(), 1u);
        EXPECT_EQ(t.secondary_video[0].stream_entry.type, kStreamInMuxOfSubPath);
        EXPECT_EQ(t.secondary_video[0].stream_entry.ref_to_SubPath_id, 0);
        EXPECT_EQ(t.secondary_video[0].stream_entry.ref_to_stream_PID_of_mainClip, 0x1B00);
        EXPECT_EQ(t.secondary_video[0].stream_attributes.video_format, 3);
        ASSERT_EQ(m.PlayList.SubPaths.size(), 1u);
        const TSubPath& sp = m.PlayList.SubPaths[0];
        EXPECT_EQ(sp.SubPath_type, 7);
        ASSERT_EQ(sp.SubPlayItems.size(), 1u);
        EXPECT_EQ(sp.SubPlayItems[0].Clip_Information_file_name, "00000");
        EXPECT_EQ(sp.SubPlayItems[0].SubPlayItem_IN_time, 27000000u);
        EXPECT_EQ(sp.SubPlayItems[0].SubPlayItem_OUT_time, 27900900u);
        ASSERT_EQ(m.ExtensionData.entries.size(), 1u);
        EXPECT_EQ(m.ExtensionData.entries[0], (TExtDataEntry{1, 1, 24, 30}));
        EXPECT_EQ(ExtDatCap(m.ExtensionData), "1 entry, 54 bytes");
    }
    {
        SCOPED_TRACE("tsm12: the blank playlist");
        const TMPLS m = readCorpus("tsm12_blankpl_offset1", "00005.mpls");
        EXPECT_EQ(m.PlayList.number_of_PlayItems, 0);
        EXPECT_TRUE(m.PlayList.PlayItems.empty());
        ASSERT_EQ(m.PlayListMark.marks.size(), 1u);
        EXPECT_EQ(m.PlayListMark.marks[0].ref_to_PlayItem_id, 0xFFFF);
    }
    {
        SCOPED_TRACE("tsm03: IN_time after --cut-start, E-AC-3 deu");
        const TMPLS m = readCorpus("tsm03_3playlists_offsets", "00002.mpls");
        const TPlayItem& p = m.PlayList.PlayItems.at(0);
        EXPECT_EQ(p.IN_time, 27090000u);
        EXPECT_EQ(p.OUT_time, 54630000u / 2);
        EXPECT_EQ(p.STN_table.primary_audio.at(0).stream_attributes.stream_coding_type, 0x84);
        EXPECT_EQ(p.STN_table.primary_audio.at(0).stream_attributes.audio_presentation_type, 6);
        EXPECT_EQ(p.STN_table.primary_audio.at(0).stream_attributes.language_code, "deu");
    }
    {
        // bd_get_title_info(): V #1 pid=0x1011 coding_type=0x24 (HEVC) format=6 rate=1; A eng, fra.
        SCOPED_TRACE("tsm14: UHD, HEVC SDR and static HDR metadata");
        const TMPLS m = readCorpus("tsm14_uhdv3_hevc1080_sdr", "00000.mpls");
        EXPECT_EQ(m.version_number, "0300");
        const TSTN& t = m.PlayList.PlayItems.at(0).STN_table;
        const TStreamAttributes& v = t.primary_video.at(0).stream_attributes;
        EXPECT_EQ(t.primary_video.at(0).stream_entry.ref_to_stream_PID_of_mainClip, 0x1011);
        EXPECT_EQ(v.stream_coding_type, 0x24);
        EXPECT_EQ(std::tuple(v.video_format, v.frame_rate, v.dynamic_range_type, v.color_space, v.cr_flag,
                             v.hdr_plus_flag),
                  std::tuple(6, 1, 0, 0, 0, 0));
        EXPECT_TRUE(v.spare.empty());
        EXPECT_EQ(streamRow(t, StreamKind::PrimaryVideo, 0)[6], "HEVC, 1080p, 23.976, SDR, -");
        EXPECT_EQ(t.primary_audio.at(1).stream_attributes.language_code, "fra");
        ASSERT_EQ(m.ExtensionData.entries.size(), 1u);
        EXPECT_EQ(m.ExtensionData.entries[0], (TExtDataEntry{3, 5, 24, 36}));
        const auto hdr = staticHdrMetadata(m.ExtensionData);
        ASSERT_EQ(hdr.size(), 1u);
        EXPECT_EQ(hdr[0].dynamic_range_type, 1);
        EXPECT_EQ(hdr[0].max_CLL, 0);
    }
    {
        SCOPED_TRACE("tsm07: MPEG-2 1080i and DTS");
        const TMPLS m = readCorpus("tsm07_mpeg2_1080i_dts", "00000.mpls");
        const TSTN& t = m.PlayList.PlayItems.at(0).STN_table;
        EXPECT_EQ(t.primary_video.at(0).stream_attributes.stream_coding_type, 0x02);
        EXPECT_EQ(t.primary_video.at(0).stream_attributes.video_format, 4);
        EXPECT_EQ(t.primary_video.at(0).stream_attributes.frame_rate, 4);
        EXPECT_EQ(t.primary_audio.at(0).stream_attributes.stream_coding_type, 0x82);
        EXPECT_EQ(t.primary_audio.at(1).stream_attributes.language_code, "ita");
    }
}
