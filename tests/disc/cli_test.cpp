#include "support/testsupport.h"

#include "core/fileio.h"
#include "playlist/playlist_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

using navora::test::runCli;
namespace fs = std::filesystem;

TEST(CliCheck, CorpusDiscPassesFromRootFolderOrFile) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const auto discs = navora::test::corpusDiscs();
    ASSERT_FALSE(discs.empty());
    const fs::path root = discs.front();
    for (const fs::path& arg : {root, root / "BDMV", root / "BDMV" / "index.bdmv"}) {
        auto r = runCli({"check", arg.string()});
        EXPECT_EQ(r.exitCode, 0) << arg << "\n" << r.out << r.err;
        EXPECT_NE(r.out.find("Checking required files and directories..."), std::string::npos);
        EXPECT_EQ(r.out.find("Check failed."), std::string::npos);
        EXPECT_EQ(r.out.find("\x1b["), std::string::npos) << "no ANSI codes when not on a terminal";
    }
}

TEST(CliCheck, FailedCheckExitsOne) {
    navora::test::TempDir dir;
    fs::create_directories(dir / "BDMV" / "PLAYLIST");
    auto r = runCli({"check", (dir / "BDMV").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("ERROR: Check failed."), std::string::npos);
    // A folder that is no disc at all says so, instead of listing what a BDMV folder lacks.
    fs::create_directories(dir / "photos");
    r = runCli({"check", (dir / "photos").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("ERROR: No BDMV folder in " + (dir / "photos").string()), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("missing"), std::string::npos) << r.out;
}

// Every corpus disc, the UHD "0300" one included, reads whole. The "blank"
// playlist of tsm12, whose mark refers to a PlayItem it does not have
// (libbluray 1.3.4 crashes on it), fails the check.
TEST(CliCheck, EveryCorpusDiscReadsWhole) {
    NAVORA_NEED_CORPUS("tsmuxer");
    for (const auto& disc : navora::test::corpusDiscs()) {
        const bool blank = disc.filename() == "tsm12_blankpl_offset1";
        auto r = runCli({"check", disc.string()});
        EXPECT_EQ(r.exitCode, blank ? 1 : 0) << disc << "\n" << r.out << r.err;
        EXPECT_EQ(r.out.find("Check failed."), std::string::npos) << disc;
        if (blank) {
            EXPECT_NE(r.out.find("ERROR: 00005.mpls: Mark 000: refers to PlayItem 65535, which the playlist does not "
                                 "have (0 PlayItems)"),
                      std::string::npos)
                << r.out;
            EXPECT_NE(r.err.find("1 playlist mark(s) outside their PlayItem"), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.err, "");
        }
    }
}

// The check is about the folder's layout: a database file of a version Navora
// does not know is refused, an error line and exit 3 with the refused files
// named, but the check itself passed.
TEST(CliCheck, UnknownVersionsAreNamedAsRefusedFiles) {
    NAVORA_NEED_CORPUS("tsmuxer");
    navora::test::TempDir tmp;
    const fs::path root = tmp / "disc";
    fs::copy(navora::test::corpusDir() / "tsmuxer" / "tsm14_uhdv3_hevc1080_sdr", root, fs::copy_options::recursive);
    for (const char* name : {"index.bdmv", "MovieObject.bdmv"}) {
        const fs::path f = root / "BDMV" / name;
        fs::permissions(f, fs::perms::owner_write, fs::perm_options::add);
        navora::Bytes data = navora::test::readFile(f);
        data[5] = '4';  // "0400"
        navora::test::writeFile(f, data);
    }
    auto r = runCli({"check", root.string()});
    EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
    EXPECT_EQ(r.out.find("Check failed."), std::string::npos);
    EXPECT_NE(r.err.find("refused MovieObject.bdmv, index.bdmv"), std::string::npos) << r.err;
}

// A database file that is a device, a FIFO or an over-size sparse file is
// refused at once (nothing blocks, nothing grows): check names it and exits 3,
// dump exits 1 with one line.
TEST(CliCheck, FilesThatAreNotSmallRegularFilesAreRefusedAtOnce) {
    navora::test::TempDir dir;
    const fs::path bdmv = dir / "BDMV";
    fs::create_directories(bdmv / "PLAYLIST");
    fs::create_directories(bdmv / "CLIPINF");
    fs::create_directories(bdmv / "BACKUP");
    using Make = void (*)(const fs::path&);
    struct Kind {
        const char* what;
        const char* reason;
        Make make;
    };
    const Kind kinds[] = {
        {"/dev/zero", "not a regular file", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
        {"a FIFO", "not a regular file", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"a sparse 3 GB file", "3221225472 bytes is more than", [](const fs::path& p) {
             navora::test::writeFile(p, {});
             fs::resize_file(p, 3ull << 30);
         }},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.what);
        for (const char* name : {"index.bdmv", "MovieObject.bdmv", "PLAYLIST/00000.mpls"}) fs::remove(bdmv / name);
        k.make(bdmv / "index.bdmv");
        k.make(bdmv / "MovieObject.bdmv");
        k.make(bdmv / "PLAYLIST" / "00000.mpls");
        auto r = runCli({"check", bdmv.string()});
        EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
        EXPECT_NE(r.err.find("refused MovieObject.bdmv, index.bdmv"), std::string::npos) << r.err;
        EXPECT_NE(r.out.find(std::string("MovieObject.bdmv: ") + k.reason), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(std::string("index.bdmv: ") + k.reason), std::string::npos) << r.out;
        for (const char* name : {"index.bdmv", "MovieObject.bdmv", "PLAYLIST/00000.mpls"}) {
            auto d = runCli({"dump", (bdmv / name).string()});
            EXPECT_EQ(d.exitCode, 1) << name;
            EXPECT_NE(d.err.find(std::string(name) + ": " + k.reason), std::string::npos) << d.err;
            EXPECT_EQ(std::count(d.err.begin(), d.err.end(), '\n'), 1) << d.err;
        }
    }
}

// A disc whose MovieObject.bdmv was cut is read, and exits 3 naming the file.
TEST(CliCheck, ACutMovieObjectFileExitsThree) {
    navora::test::TempDir dir;
    ASSERT_EQ(runCli({"make-demo", dir.path().string()}).exitCode, 0);
    const fs::path mobj = dir / "BDMV" / "MovieObject.bdmv";
    fs::resize_file(mobj, fs::file_size(mobj) - 20);
    auto r = runCli({"check", dir.path().string()});
    EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
    EXPECT_NE(r.err.find("read incomplete MovieObject.bdmv"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("MovieObject.bdmv ends early at $"), std::string::npos) << r.out;
    // The commands that read the file alone say the same by their exit code.
    const std::vector<std::vector<std::string>> alone = {
        {"dump", mobj.string()}, {"disasm", mobj.string()}, {"roundtrip", mobj.string(), (dir / "out.bdmv").string()}};
    for (const auto& args : alone) {
        auto a = runCli(args);
        EXPECT_EQ(a.exitCode, 3) << args[0] << "\n" << a.err;
        EXPECT_NE(a.err.find("ends early"), std::string::npos) << args[0] << "\n" << a.err;
    }
}

TEST(CliCheck, UsageErrorsExitTwoWithOneLine) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"check", "/no/such/folder"}, {"--bogus"}, {"check"}, {}, {"no-such-command"}}) {
        auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << (args.empty() ? "" : args[0]) << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    auto v = runCli({"--version"});
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_NE(v.out.find("0.30b"), std::string::npos);
    auto help = runCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* line : {"Exit codes:", "0  every file read", "1  the check failed", "2  usage error",
                             "3  the folder was read, but a file was refused or read incomplete"})
        EXPECT_NE(help.out.find(line), std::string::npos) << line << "\n" << help.out;
}

// A mark outside its PlayItem (a new mark left at 00:00:00 while its PlayItem
// starts later) fails the check, naming the playlist and the mark; the demo
// disc as written passes.
TEST(CliCheck, MarksOutsideTheirPlayItemFailTheCheck) {
    navora::test::TempDir dir;
    ASSERT_EQ(runCli({"make-demo", dir.path().string()}).exitCode, 0);
    auto r = runCli({"check", dir.path().string()});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("marks outside their PlayItem"), std::string::npos) << r.out;

    const fs::path file = dir / "BDMV" / "PLAYLIST" / "00000.mpls";
    navora::TMPLS m = navora::readPlaylist(navora::readWholeFile(file), "00000.mpls");
    ASSERT_FALSE(m.PlayListMark.marks.empty());
    ASSERT_GT(m.PlayList.PlayItems.at(0).IN_time, 0u);
    m.PlayListMark.marks[0].ref_to_PlayItem_id = 0;
    m.PlayListMark.marks[0].mark_time_stamp = 0;
    navora::saveAtomic(file, navora::writePlaylist(m));
    r = runCli({"check", dir.path().string()});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("ERROR: 00000.mpls: Mark 000: 00:00:00.000 lies outside PlayItem 000"), std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("1 playlist mark(s) outside their PlayItem"), std::string::npos) << r.err;
}
