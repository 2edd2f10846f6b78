#include "support/testsupport.h"

#include <gtest/gtest.h>

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
}

// The check is about the folder's layout: a database file that is refused
// (the UHD "0300" disc) is an error line, but the check itself passed.
TEST(CliCheck, EveryCorpusDiscPasses) {
    NAVORA_NEED_CORPUS("tsmuxer");
    for (const auto& disc : navora::test::corpusDiscs()) {
        auto r = runCli({"check", disc.string()});
        EXPECT_EQ(r.exitCode, 0) << disc << "\n" << r.out << r.err;
        EXPECT_EQ(r.out.find("Check failed."), std::string::npos) << disc;
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
    EXPECT_EQ(runCli({"--help"}).exitCode, 0);
}
