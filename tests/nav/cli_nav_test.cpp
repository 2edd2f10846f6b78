// navora-cli disasm and run, on small files made here and on the corpus.

#include "core/bytes.h"
#include "core/command.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace navora;
using namespace navora::test;

namespace {

TCommand cmd(std::uint32_t w0, std::uint32_t w1 = 0, std::uint32_t w2 = 0) { return TCommand{{w0, w1, w2}}; }

// A MovieObject.bdmv holding the given programs.
Bytes movieObjectFile(const std::vector<TCommands>& programs, const std::string& version = "0200") {
    ByteWriter body;
    body.putlword(0);  // reserved
    body.putword(static_cast<std::uint16_t>(programs.size()));
    for (const TCommands& p : programs) {
        body.putword(0x8000);
        body.putword(static_cast<std::uint16_t>(p.size()));
        for (const TCommand& c : p)
            for (std::uint32_t w : c.w) body.putlword(w);
    }
    ByteWriter f;
    f.putstring("MOBJ", 4);
    f.putstring(version, 4);
    f.putlword(0);
    f.putzeros(28);
    f.putlword(static_cast<std::uint32_t>(body.size() + 2));
    f.putbytes(body.bytes());
    return f.take();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

bool contains(const std::vector<std::string>& ls, const std::string& l) {
    return std::find(ls.begin(), ls.end(), l) != ls.end();
}

class CliNav : public ::testing::Test {
protected:
    std::string write(const Bytes& data) {
        const fs::path p = dir / ("MovieObject" + std::to_string(++n) + ".bdmv");
        writeFile(p, data);
        return p.string();
    }
    TempDir dir;
    int n = 0;
};

}  // namespace

TEST_F(CliNav, DisasmPrintsProgramListRows) {
    const std::string f = write(movieObjectFile({{TCommand{}, cmd(0x20810000, 5)}, {}, {cmd(0x11000008)}}));
    CliResult r = runCli({"disasm", f});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "; object 000\n"
                     "0000  [00000000,00000000,00000000]  NOP\n"
                     "0001  [20810000,00000005 ,00000000]  GoTo 5\n"
                     "; object 001\n"
                     "; object 002\n"
                     "0000  [11000008,00000000,00000000]  *Still On  ; Forbidden opcode\n");
    r = runCli({"disasm", f, "--object", "2"});
    EXPECT_EQ(r.out, "; object 002\n0000  [11000008,00000000,00000000]  *Still On  ; Forbidden opcode\n");
    r = runCli({"disasm", f, "--object", "3"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(lines(r.err).size(), 1u);
}

TEST_F(CliNav, RunReportsAndDumps) {
    const std::string f = write(movieObjectFile({{
        cmd(0x50000001, 10, 3),           // Move GPR10, GPR3
        cmd(0x48400200, 10, 0x10),        // EQ GPR10, 16
        cmd(0x21830000, 2),               // Call Title 2 (skipped unless GPR3 = 16)
        cmd(0x42C20000, 4, 2),            // Play PL_MK 4, 2
        cmd(0x50400003, 0x80000004, 0x10),  // Add PSR4, 16
        cmd(0x00020000),                  // Break
        cmd(0x50400001, 11, 1),           // not reached
    }}));
    CliResult r = runCli({"run", f, "--object", "0", "--set", "GPR3=0x10", "--set", "psr4=1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[0], "Call Title 2");
    EXPECT_EQ(out[1], "Play PLatMK 4, 2");
    EXPECT_EQ(out[2], "PSR0: 00000001 (1) - Interactive Graphics Stream Number (b7-b0) {1-32,$ff}");
    EXPECT_TRUE(contains(out, "PSR4: 00000012 (18) - Title Number (b15-b0) {1-999,$ffff}"));
    EXPECT_TRUE(contains(out, "PSR5: 00000002 (2) - Chapter Number (b15-b0) {1-999,$ffff}"));
    EXPECT_EQ(out.back(), "GPR3: 00000010 (16)   GPR10: 00000010 (16)   ");
    EXPECT_EQ(runCli({"run", f, "--object", "0", "--set", "GPR3=0x10", "--set", "psr4=1"}).out, r.out);

    // Without the register set the call is skipped; trace shows every next line.
    r = runCli({"run", f, "--object", "0", "--trace", "--real"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto traced = lines(r.out);
    EXPECT_EQ(traced[0], "Line 0000 : 50000001 0000000A  00000003  : Move GPR10, GPR3");
    EXPECT_EQ(traced[1], "Line 0001 : 48400200 0000000A  00000010  : EQ GPR10, 16");
    EXPECT_EQ(traced[2], "Line 0003 : 42C20000 00000004  00000002  : Play PL_MK 4, 2");
    EXPECT_EQ(traced[3], "Play PLatMK 4, 2");
    EXPECT_TRUE(contains(traced, "PSR4: 00000010 (16) - Title Number (b15-b0) {1-999,$ffff}"));  // real values: 0
}

TEST_F(CliNav, EndlessLoopStopsAtTheStepLimit) {
    const std::string f = write(movieObjectFile({{cmd(0x50400003, 1, 1), cmd(0x20810000, 0)}}));
    CliResult r = runCli({"run", f, "--object", "0", "--max-steps", "1001"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    EXPECT_EQ(out[0], "Step limit of 1001 commands reached.");
    EXPECT_EQ(out.back(), "GPR1: 000001F5 (501)   ");
    r = runCli({"run", f, "--object", "0", "--max-steps", "7", "--trace"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(lines(r.out), "Step limit of 7 commands reached."));
    EXPECT_TRUE(contains(lines(r.out), "GPR1: 00000004 (4)   "));
}

TEST_F(CliNav, Errors) {
    const std::string f = write(movieObjectFile({{TCommand{}}}));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const std::vector<Case> cases = {
        {{"run", f, "--object", "0", "--set", "PSR128=1"}, 2},
        {{"run", f, "--object", "0", "--set", "GPR4096=1"}, 2},
        {{"run", f, "--object", "0", "--set", "GPR1=0x100000000"}, 2},
        {{"run", f, "--object", "0", "--set", "XPR1=1"}, 2},
        {{"run", f, "--object", "0", "--set", "GPR1"}, 2},
        {{"run", f, "--object", "0", "--set", "GPR1=12a"}, 2},
        {{"run", f, "--object", "0", "--region", "D"}, 2},
        // Numbers out of range are usage errors, never wrapped round.
        {{"run", f, "--object", "-1"}, 2},
        {{"run", f, "--object", "65535"}, 2},
        {{"disasm", f, "--object", "-1"}, 2},
        {{"run", f, "--object", "0", "--max-steps", "-1"}, 2},
        {{"run", f, "--object", "0", "--max-steps", "1000000001"}, 2},
        {{"run", f, "--object", "0", "--seed", "-5"}, 2},
        {{"run", f, "--object", "0", "--seed", "4294967296"}, 2},
        {{"run", f, "--object", "1"}, 1},
        {{"run", (dir / "missing.bdmv").string(), "--object", "0"}, 1},
        {{"disasm", (dir / "missing.bdmv").string()}, 1},
        {{"run", write(movieObjectFile({{}}, "0400")), "--object", "0"}, 1},
        {{"disasm", write(Bytes{'M', 'O', 'B', 'J', '0', '2'})}, 1},
    };
    for (const auto& tc : cases) {
        CliResult r = runCli(tc.args);
        std::string joined;
        for (const auto& a : tc.args) joined += a + " ";
        EXPECT_EQ(r.exitCode, tc.exitCode) << joined;
        EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

// A cut file is read as far as it goes: every command that reads it warns
// once with what was kept and dropped, does its work on what is there, and
// exits 3; an object the file no longer holds does not exist (exit 1).
TEST_F(CliNav, CutFileIsReadAsFarAsItGoesAndExitsThree) {
    Bytes data = movieObjectFile({{cmd(0x20810000, 5), cmd(0x50400001, 1, 2)}, {cmd(0x00020000)}});
    data.resize(data.size() - 4 - 12 - 6);  // object 0 ends inside its second command; object 1 is gone
    const std::string f = write(data);
    const std::string out = (dir / "out.bdmv").string();
    const std::string warning = "ends early at offset 66: kept 0 of 2 movie objects whole, and object 0 with 1 of "
                                "its 2 commands; dropped 1 command of object 0 and 1 movie object not in the file";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::size_t errLines;
    };
    const Case cases[] = {
        {{"disasm", f}, 3, 1},
        {{"run", f, "--object", "0"}, 3, 1},
        {{"dump", f}, 3, 1},
        {{"roundtrip", f, out}, 3, 1},
        {{"run", f, "--object", "1"}, 1, 2},
    };
    for (const Case& c : cases) {
        CliResult r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << r.err;
        ASSERT_EQ(lines(r.err).size(), c.errLines) << r.err;
        EXPECT_NE(lines(r.err)[0].find(warning), std::string::npos) << r.err;
    }
    EXPECT_EQ(runCli({"disasm", f}).out, "; object 000\n0000  [20810000,00000005 ,00000000]  GoTo 5\n");
    EXPECT_NE(runCli({"run", f, "--object", "1"}).err.find("no movie object 1 (the file has 1)"), std::string::npos);
    // The written file holds what was kept: the header and object 0 with its one command.
    EXPECT_EQ(readFile(out).size(), 50u + 4 + 12);
    EXPECT_EQ(runCli({"disasm", out}).exitCode, 0);
}

TEST(CliNavCorpus, DisasmKnownCommands) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const fs::path file = corpusDir() / "tsmuxer/tsm02_avc1080p24_2aud_2pg/BDMV/MovieObject.bdmv";
    CliResult r = runCli({"disasm", file.string(), "--object", "0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{
                                "; object 000",
                                "0000  [50000001,0000000A ,00000000 ]  Move GPR10, GPR0",
                                "0001  [50400001,00000000 ,00000000 ]  Move GPR0, 0",
                                "0002  [51C00001,8001C002 ,00000000 ]  SetStream 1, 2, (0), (0)",
                                "0003  [50400001,00000000 ,00000000 ]  Move GPR0, 0",
                                "0004  [42820000,00000000 ,0000000A ]  Play PL_MK 0, GPR10",
                                "0005  [00020000,00000000,00000000]  Break",
                            }));
    r = runCli({"disasm", file.string()});
    const auto all = lines(r.out);
    EXPECT_EQ(all.size(), 3u + 6 + 9 + 5);
    EXPECT_TRUE(contains(all, "0008  [21810000,00000001 ,00000000]  Jump Title 1"));
    EXPECT_TRUE(contains(all, "0002  [48400300,0000000A ,0000FFFF ]  NE GPR10, 65535"));
}

TEST(CliNavCorpus, RunEveryMovieObject) {
    NAVORA_NEED_CORPUS("tsmuxer");
    int files = 0;
    // Every corpus movie object, those of the UHD ("0300") disc included,
    // disassembles and runs the same way twice.
    for (const fs::path& disc : corpusDiscs()) {
        const fs::path file = disc / "BDMV" / "MovieObject.bdmv";
        if (!fs::exists(file)) continue;
        ++files;
        CliResult d = runCli({"disasm", file.string()});
        EXPECT_EQ(d.exitCode, 0) << file << d.err;
        int objects = 0;
        for (const std::string& l : lines(d.out)) objects += l.starts_with("; object ");
        EXPECT_GT(objects, 0) << file;
        for (int o = 0; o < objects; ++o) {
            const std::vector<std::string> args = {"run", file.string(), "--object", std::to_string(o), "--max-steps",
                                                   "10000"};
            CliResult a = runCli(args);
            CliResult b = runCli(args);
            EXPECT_EQ(a.exitCode, 0) << file << " object " << o << ": " << a.err;
            EXPECT_EQ(a.out, b.out) << file << " object " << o;
            EXPECT_NE(a.out.find("PSR20: 00000001 (1) - Region Code"), std::string::npos) << a.out;
        }
    }
    ASSERT_GT(files, 0);

    // tsm02 object 1: NE GPR10, 65535 holds, Play PL GPR10, then NE GPR10, 0 fails and skips
    // the Jump Title GPR10 before Jump Title 1.
    const fs::path tsm02 = corpusDir() / "tsmuxer/tsm02_avc1080p24_2aud_2pg/BDMV/MovieObject.bdmv";
    CliResult r = runCli({"run", tsm02.string(), "--object", "1"});
    const auto out = lines(r.out);
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[0], "Play PL 0");
    EXPECT_EQ(out[1], "Jump Title 1");
    EXPECT_EQ(out.back(), "GPR3: 0000FFFF (65535)   ");
}

// asm reads disasm's output back to the exact words of every command, and
// stops at the first line that does not assemble, naming its line and column.
TEST(CliAsm, DisasmOutputReadsBackAndErrorsNameTheColumn) {
    TempDir dir;
    const TCommands program = {cmd(0x50400001, 0x80000010, 0x00656E67), cmd(0x51C00001, 0x8001C002, 0),
                               cmd(0x12345678, 1, 2), cmd(0x20810000, 0)};
    writeFile(dir / "MovieObject.bdmv", movieObjectFile({program, {cmd(0x11000008)}}));
    const CliResult listing = runCli({"disasm", (dir / "MovieObject.bdmv").string()});
    ASSERT_EQ(listing.exitCode, 0);
    writeFile(dir / "rows.lst", Bytes(listing.out.begin(), listing.out.end()));
    const CliResult r = runCli({"asm", (dir / "rows.lst").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "50400001 80000010 00656E67\n51C00001 8001C002 00000000\n12345678 00000001 00000002\n"
              "20810000 00000000 00000000\n11000008 00000000 00000000\n");

    const std::string typed = "; typed\r\nGoTo 3\r\n\r\n0001  Move GPR1, PSR4\r\nMove GPR1 5\r\nNOP\r\n";
    writeFile(dir / "typed.txt", Bytes(typed.begin(), typed.end()));
    const CliResult bad = runCli({"asm", (dir / "typed.txt").string()});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("typed.txt:5:11: expected \",\" between operands"), std::string::npos) << bad.err;
    EXPECT_EQ(runCli({"asm", (dir / "missing.txt").string()}).exitCode, 1);
}
