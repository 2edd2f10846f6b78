// The program streams of every corpus clip information file against what
// ffprobe reads from the clip's stream file; the clip tab's read step and
// program stream rows.

#include "clip/clipinfo_io.h"
#include "clip/clipinfo_view.h"
#include "core/log.h"
#include "core/logviews.h"
#include "support/peertools.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace navora;
using namespace navora::test;

namespace {

// The coding types a codec that ffprobe names may be stored as.
std::set<std::uint8_t> codingTypesOf(const std::string& codec) {
    static const std::map<std::string, std::set<std::uint8_t>> types = {
        {"mpeg2video", {0x02}},
        {"h264", {0x1B}},
        {"vc1", {0xEA}},
        {"hevc", {0x24}},
        {"pcm_bluray", {0x80}},
        {"ac3", {0x81}},
        {"dts", {0x82, 0x85, 0x86, 0xA2}},
        {"truehd", {0x83}},
        {"eac3", {0x84, 0xA1}},
        {"hdmv_pgs_subtitle", {0x90}},
        {"hdmv_text_subtitle", {0x92}},
    };
    const auto it = types.find(codec);
    return it == types.end() ? std::set<std::uint8_t>{} : it->second;
}

}  // namespace

TEST(ClipInfoPeer, ProgramStreamsMatchFfprobeOfTheStreamFile) {
    NAVORA_NEED_CORPUS("tsmuxer");
    NAVORA_NEED_TOOL("ffprobe");
    std::size_t clips = 0, streams = 0;
    for (const auto& e : fs::recursive_directory_iterator(corpusDir() / "tsmuxer")) {
        if (!e.is_regular_file() || e.path().extension() != ".clpi" ||
            e.path().parent_path().parent_path().filename() == "BACKUP")
            continue;
        SCOPED_TRACE(e.path().string());
        const Bytes data = readFile(e.path());
        const TCLPI clip = readClipInfo(data, e.path().string());
        const fs::path stream = e.path().parent_path().parent_path() / "STREAM" / (e.path().stem().string() + ".m2ts");
        std::map<std::uint16_t, std::string> probed;
        for (const ProbedStream& s : ffprobeStreams(stream)) probed[s.pid] = s.codec;
        ASSERT_EQ(clip.ProgramInfo.program_sequences.size(), 1u);
        const auto& ps = clip.ProgramInfo.program_sequences[0].streams;
        EXPECT_EQ(ps.size(), probed.size());
        for (const TProgramStream& s : ps) {
            SCOPED_TRACE(s.stream_PID);
            ASSERT_TRUE(probed.count(s.stream_PID));
            EXPECT_TRUE(codingTypesOf(probed[s.stream_PID]).count(s.stream_coding_type))
                << probed[s.stream_PID] << " stored as " << int(s.stream_coding_type);
            ++streams;
        }
        ++clips;
    }
    EXPECT_EQ(clips, 17u);
    EXPECT_GE(streams, 48u);
}

TEST(ClipInfoView, ReadStepReadsUhdFilesRefusesUnknownVersionsAndNamesTheRows) {
    NAVORA_NEED_CORPUS("tsmuxer");
    RecordingLogView view;
    Log log;
    log.setView(&view);
    const fs::path uhd = corpusDir() / "tsmuxer/tsm14_uhdv3_hevc1080_sdr/BDMV/CLIPINF/00000.clpi";
    const auto uhdClip = readClipInfoStep(log, uhd, "00000.clpi");
    ASSERT_TRUE(uhdClip);
    EXPECT_EQ(programStreamRows(*uhdClip).at(0), (ProgramStreamRow{0x1011, "1011", "HEVC", "1080p, 23.976, 16:9, SDR, -"}));
    EXPECT_FALSE(log.errorFlag);

    TempDir tmp;
    Bytes later = readFile(uhd);
    later[5] = '4';  // "0400"
    writeFile(tmp / "00000.clpi", later);
    view.lines.clear();
    EXPECT_EQ(readClipInfoStep(log, tmp / "00000.clpi", "00000.clpi"), std::nullopt);
    EXPECT_EQ(view.plainLines(), (std::vector<std::string>{"Reading 00000.clpi", "ERROR: Invalid format: 00000.clpi"}));
    EXPECT_TRUE(view.error);
    EXPECT_TRUE(log.errorFlag);

    view.lines.clear();
    const fs::path pip = corpusDir() / "tsmuxer/tsm08_pip_secaudio_1080p24/BDMV/CLIPINF/00000.clpi";
    const auto clip = readClipInfoStep(log, pip, "00000.clpi");
    ASSERT_TRUE(clip);
    EXPECT_EQ(view.plainLines(),
              (std::vector<std::string>{"Reading 00000.clpi", "5 Program stream(s) found.", ""}));
    EXPECT_EQ(view.panels[0], " Ready. ");
    const auto rows = programStreamRows(*clip);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (ProgramStreamRow{0x1011, "1011", "AVC", "1080p, 23.976, 16:9"}));
    EXPECT_EQ(rows[3], (ProgramStreamRow{0x1A00, "1A00", "DD+", "Stereo, 48 kHz, eng"}));

    // A missing file is an error too; nothing is returned.
    EXPECT_EQ(readClipInfoStep(log, pip.parent_path() / "99999.clpi", "99999.clpi"), std::nullopt);
}
