// navora-cli demux: the output name with and without a clip information
// file beside the stream, the forms, the messages and the exit codes.

#include "support/testsupport.h"
#include "ts/demux.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

// Runs in dir for the lifetime of the object (the default output goes to the
// current folder).
class InFolder {
public:
    explicit InFolder(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
    ~InFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

// A copy of a corpus disc's stream, with its clip information file in a
// CLIPINF folder beside the STREAM folder when withClip.
fs::path copyStream(const TempDir& tmp, const std::string& disc, bool withClip) {
    const fs::path bdmv = corpusDir() / "tsmuxer" / disc / "BDMV";
    fs::create_directories(tmp / "BDMV" / "STREAM");
    fs::copy_file(bdmv / "STREAM" / "00000.m2ts", tmp / "BDMV" / "STREAM" / "00000.m2ts");
    if (withClip) {
        fs::create_directories(tmp / "BDMV" / "CLIPINF");
        fs::copy_file(bdmv / "CLIPINF" / "00000.clpi", tmp / "BDMV" / "CLIPINF" / "00000.clpi");
    }
    return tmp / "BDMV" / "STREAM" / "00000.m2ts";
}

Bytes expected(const fs::path& stream, std::uint16_t pid, DemuxForm form) {
    Bytes out;
    demuxToMemory(stream, out, DemuxJob{pid, form});
    return out;
}

}  // namespace

TEST(CliDemux, NamesTheOutputAfterTheClipRowOrTheStream) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir tmp, out;
    const fs::path stream = copyStream(tmp, "tsm02_avc1080p24_2aud_2pg", true);
    InFolder cd(out.path());
    const struct {
        std::vector<std::string> options;
        std::uint16_t pid;
        DemuxForm form;
        const char* name;
        std::size_t packets;
    } cases[] = {
        {{"--pid", "1100"}, 0x1100, DemuxForm::Elementary, "00000_PID1100_DD_Multi-ch._48_kHz_eng.aus", 5625},
        {{"--pid", "0x1101", "--pes"}, 0x1101, DemuxForm::Pes, "00000_PID1101_DD_Stereo_48_kHz_fra.PES.aus", 2500},
        {{"--pid", "1200", "--sup", "--pes"}, 0x1200, DemuxForm::Sup, "00000_PID1200_PG_eng.sup", 420},
        {{"--pid", "1201"}, 0x1201, DemuxForm::Elementary, "00000_PID1201_PG_fra.pgs", 435},
        {{"--pid", "1fff"}, 0x1FFF, DemuxForm::Elementary, "00000_PID1FFF.", 0},  // not in the clip
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        std::vector<std::string> args = {"demux", stream.string()};
        args.insert(args.end(), tc.options.begin(), tc.options.end());
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        ASSERT_TRUE(fs::exists(out / tc.name)) << r.out;
        EXPECT_TRUE(readFile(out / tc.name) == expected(stream, tc.pid, tc.form));
        EXPECT_NE(r.out.find("Saving " + std::string(tc.name) + " ..."), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(std::to_string(tc.packets) + " source packets saved. (0:00:0"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Packet: "), std::string::npos) << "no progress line when not on a terminal";
    }
    // The SUP form logs one line per PES packet.
    const CliResult sup = runCli({"demux", stream.string(), "--pid", "1200", "--sup", "-o", "x.sup"});
    EXPECT_NE(sup.out.find("0001B7E4, 00000000 : 0:00:01.251, 0:00:00.000   16   "), std::string::npos) << sup.out;
}

TEST(CliDemux, WithoutAReadableClipTheStreamNamesTheOutput) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir lone, later, uhd, out;
    const fs::path a = copyStream(lone, "tsm01_avc1080p24_ac3_chap5s", false);
    // A clip of a version Navora does not know ("0400"): refused.
    const fs::path b = copyStream(later, "tsm14_uhdv3_hevc1080_sdr", true);
    const fs::path clip = later / "BDMV" / "CLIPINF" / "00000.clpi";
    Bytes v4 = readFile(clip);
    v4[5] = '4';
    fs::remove(clip);
    writeFile(clip, v4);
    InFolder cd(out.path());
    CliResult r = runCli({"demux", a.string(), "--pid", "1100"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(readFile(out / "00000_PID1100.aus") == expected(a, 0x1100, DemuxForm::Elementary));
    r = runCli({"demux", b.string(), "--pid", "1011"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Invalid format: 00000.clpi"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(out / "00000_PID1011.vis"));
    // The UHD ("0300") clip names its HEVC stream by its row.
    fs::remove(out / "00000_PID1011.vis");
    r = runCli({"demux", copyStream(uhd, "tsm14_uhdv3_hevc1080_sdr", true).string(), "--pid", "1011"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(readFile(out / "00000_PID1011_HEVC_1080p_23.976_16_9_SDR_-.vis") ==
                expected(b, 0x1011, DemuxForm::Elementary));
}

TEST(CliDemux, ErrorsAndUsage) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir tmp;
    const fs::path stream = copyStream(tmp, "tsm01_avc1080p24_ac3_chap5s", false);
    // Usage errors exit 2: a PID that is not 1-4 hex digits, no PID, no such stream.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"demux", stream.string(), "--pid", "12345"},
             {"demux", stream.string(), "--pid", "zz"},
             {"demux", stream.string()},
             {"demux", (tmp / "none.m2ts").string(), "--pid", "1100"}}) {
        EXPECT_EQ(runCli(args).exitCode, 2) << args[1];
    }
    // An output that cannot be written: exit 1, one error line, no file.
    const CliResult r = runCli({"demux", stream.string(), "--pid", "1100", "-o", (tmp / "no" / "x.aus").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("ERROR: Cannot create a temporary file beside"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(tmp / "no"));
}
