// navora-cli demux: the output name with and without a clip information
// file beside the stream, the forms, the messages and the exit codes.

#include "support/testsupport.h"
#include "ts/demux.h"

#include "packets.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // A PID the stream does not carry saves nothing: exit 1, no file.
    CliResult none = runCli({"demux", stream.string(), "--pid", "1fff"});
    EXPECT_EQ(none.exitCode, 1) << none.err;
    EXPECT_NE(none.out.find("ERROR: Nothing saved: " + stream.string() + " has no packets of PID 1FFF"),
              std::string::npos)
        << none.out;
    EXPECT_FALSE(fs::exists(out / "00000_PID1FFF."));
    // An existing output is kept unless --force.
    writeFile(out / "keep.aus", Bytes{1, 2, 3});
    none = runCli({"demux", stream.string(), "--pid", "1100", "-o", "keep.aus"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("keep.aus exists; nothing was written (--force replaces it)"), std::string::npos)
        << none.err;
    EXPECT_EQ(readFile(out / "keep.aus"), (Bytes{1, 2, 3}));
    none = runCli({"demux", stream.string(), "--pid", "1100", "-o", "keep.aus", "--force"});
    EXPECT_EQ(none.exitCode, 0) << none.err;
    EXPECT_TRUE(readFile(out / "keep.aus") == expected(stream, 0x1100, DemuxForm::Elementary));
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

TEST(CliDemux, DamagedStreamsSaveWhatIsGoodAndExit3) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir tmp;
    const fs::path stream = copyStream(tmp, "tsm01_avc1080p24_ac3_chap5s", false);
    const Bytes good = readFile(stream);
    const Bytes whole = expected(stream, 0x1100, DemuxForm::Elementary);
    // One bad sync byte, and 1,000 bytes of zeros inserted further on.
    Bytes bad = good;
    bad[1000 * 192 + 4] = 0x46;
    bad.insert(bad.begin() + 5000 * 192, 1000, 0);
    writeFile(tmp / "bad.m2ts", bad);
    CliResult r = runCli({"demux", (tmp / "bad.m2ts").string(), "--pid", "1100", "-o", (tmp / "bad.aus").string()});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    for (const std::string line :
         {"Bad sync byte at offset 192000 ($0002EE00): 192 bytes skipped, up to offset 192192 ($0002EEC0)",
          "Bad sync byte at offset 960000 ($000EA600): 1000 bytes skipped, up to offset 961000 ($000EA9E8)"}) {
        EXPECT_NE(r.err.find("navora-cli: warning: " + (tmp / "bad.m2ts").string() + ": " + line), std::string::npos)
            << r.err;
        EXPECT_NE(r.out.find("WARNING: " + line), std::string::npos) << r.out;
    }
    // The output lacks at most the one packet's payload.
    const Bytes saved = readFile(tmp / "bad.aus");
    EXPECT_LE(saved.size(), whole.size());
    EXPECT_GE(saved.size() + 184, whole.size());

    // Zeros, and inputs that are not regular files: exit 1 at once, no file.
    writeFile(tmp / "zeros.m2ts", Bytes(1 << 20, 0));
    for (const std::string& in : {(tmp / "zeros.m2ts").string(), std::string("/dev/zero")}) {
        r = runCli({"demux", in, "--pid", "1100", "-o", (tmp / "z.aus").string()});
        EXPECT_EQ(r.exitCode, 1) << in;
        EXPECT_NE((r.out + r.err).find(in == "/dev/zero" ? "not a regular file" : "holds no source packets"),
                  std::string::npos)
            << r.out << r.err;
        EXPECT_FALSE(fs::exists(tmp / "z.aus"));
    }
}

namespace {

std::string slurp(const fs::path& p) {
    const Bytes b = readFile(p);
    return std::string(b.begin(), b.end());
}

// navora-cli demux started in the background, output to files in dir.
struct BackgroundCli {
    pid_t pid = -1;
    BackgroundCli(const std::vector<std::string>& args, const fs::path& dir) {
        std::vector<std::string> all = {NAVORA_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, (dir / "cli.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&fa, 2, (dir / "cli.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&fa);
    }
    // Bytes the process has read so far (0 once it has ended).
    std::uint64_t bytesRead() const {
        std::ifstream io("/proc/" + std::to_string(pid) + "/io");
        for (std::string key; io >> key;) {
            std::uint64_t v = 0;
            io >> v;
            if (key == "rchar:") return v;
        }
        return 0;
    }
    int wait() const {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }
};

}  // namespace

TEST(CliDemux, AKilledRunLeavesNothingAndTheNextRunCompletes) {
    // 200 MB of the one PID: long enough to be stopped part-way.
    TempDir tmp;
    Bytes chunk;
    const Bytes p = packetize(0x1100, pesPacket({0xFD}, ramp(170)));
    while (chunk.size() < (8u << 20)) chunk.insert(chunk.end(), p.begin(), p.end());
    {
        std::ofstream f(tmp / "s.m2ts", std::ios::binary);
        for (int i = 0; i < 25; ++i) f.write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(chunk.size()));
    }
    const std::uint64_t size = fs::file_size(tmp / "s.m2ts");
    const std::vector<std::string> args = {"demux", (tmp / "s.m2ts").string(), "--pid", "1100", "-o",
                                           (tmp / "out.aus").string()};
    // A leftover of a run killed by an earlier version, which the next run removes.
    writeFile(tmp / ".out.aus.navora-Ab12Cd", Bytes(1000, 1));
    auto others = [&] {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(tmp.path())) names.insert(e.path().filename().string());
        for (const char* known : {"s.m2ts", "cli.out", "cli.err"}) names.erase(known);
        return names;
    };
    for (const int sig : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(sig);
        BackgroundCli cli(args, tmp.path());
        ASSERT_GT(cli.pid, 0);
        // Stopped once it has read 20 MB of the stream, then sent the signal.
        for (int i = 0; i < 20000 && cli.bytesRead() < (20u << 20); ++i) ::usleep(500);
        ::kill(cli.pid, SIGSTOP);
        const std::uint64_t at = cli.bytesRead();
        ::kill(cli.pid, sig);
        ::kill(cli.pid, SIGCONT);
        const int status = cli.wait();
        if (at >= size) GTEST_SKIP() << "the run ended before it could be stopped";
        if (sig == SIGKILL) {
            EXPECT_TRUE(WIFSIGNALED(status));
        } else {
            // Handled as Ctrl+C: the run is cancelled and says so.
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 1);
            EXPECT_NE(slurp(tmp / "cli.out").find("Saving cancelled."), std::string::npos);
        }
        EXPECT_FALSE(fs::exists(tmp / "out.aus"));
        // Nothing of the killed run is left (its file had no name yet).
        std::set<std::string> left = others();
        left.erase(".out.aus.navora-Ab12Cd");
        EXPECT_TRUE(left.empty()) << *left.begin();
    }
    const CliResult r = runCli(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fs::file_size(tmp / "out.aus"), size / 192 * 170);
    EXPECT_EQ(others(), (std::set<std::string>{"out.aus"}));
}
