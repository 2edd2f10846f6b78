#include "disc/demo.h"
#include "core/logviews.h"
#include "disc/workspace.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>

using namespace navora;
using navora::test::TempDir;
using navora::test::writeFile;
namespace fs = std::filesystem;

namespace {

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A folder with the required layout; the database files are empty stand-ins.
void makeLayout(const fs::path& bdmv, bool withBackup, bool use83) {
    fs::create_directories(bdmv / "PLAYLIST");
    fs::create_directories(bdmv / "CLIPINF");
    if (withBackup) fs::create_directories(bdmv / "BACKUP");
    writeFile(bdmv / (use83 ? "INDEX.BDM" : "index.bdmv"), {});
    writeFile(bdmv / (use83 ? "MOVIEOBJ.BDM" : "MovieObject.bdmv"), {});
}

struct CheckRun {
    bool ok;
    std::vector<std::string> lines;
    Workspace ws;
};

CheckRun check(const fs::path& bdmv, bool use83 = false) {
    Log log;
    RecordingLogView view;
    log.setView(&view);
    CheckRun r;
    r.ws.options.use83 = use83;
    r.ws.folder = bdmv.string() + "/";
    r.ok = r.ws.checkAndRead(log);
    r.lines = view.plainLines();
    return r;
}

}  // namespace

TEST(Workspace, MissingRequiredItemsFailTheCheck) {
    TempDir dir;
    fs::create_directories(dir / "BDMV" / "PLAYLIST");
    CheckRun r = check(dir / "BDMV");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(contains(r.lines, "PLAYLIST folder: OK"));
    EXPECT_TRUE(contains(r.lines, "CLIPINF folder: missing"));
    EXPECT_TRUE(contains(r.lines, "BACKUP folder: missing"));
    EXPECT_TRUE(contains(r.lines, "index.bdmv: missing"));
    EXPECT_TRUE(contains(r.lines, "MovieObject.bdmv: missing"));
    EXPECT_EQ(r.lines.back(), "ERROR: Check failed.");
}

TEST(Workspace, BackupFolderIsRequiredOnlyWithLongNames) {
    TempDir dir;
    makeLayout(dir / "BDMV", /*withBackup=*/false, /*use83=*/true);
    EXPECT_TRUE(check(dir / "BDMV", true).ok);
    TempDir dir2;
    makeLayout(dir2 / "BDMV", false, false);
    EXPECT_FALSE(check(dir2 / "BDMV", false).ok);
}

TEST(Workspace, StreamCheckCountsFoundAndMissing) {
    TempDir dir;
    const fs::path bdmv = dir / "BDMV";
    makeLayout(bdmv, true, false);
    fs::create_directories(bdmv / "STREAM");
    for (const char* n : {"00001", "00002", "00003"}) writeFile(bdmv / "CLIPINF" / (std::string(n) + ".clpi"), {});
    writeFile(bdmv / "STREAM" / "00002.m2ts", Bytes(192 * 3, 0x47));
    CheckRun r = check(bdmv);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(contains(r.lines, "  Found 3 clipinfos."));
    EXPECT_TRUE(contains(r.lines, "  Stream 00001.m2ts missing"));
    EXPECT_TRUE(contains(r.lines, "  Found 1 AV streams, missing 2"));
    ASSERT_EQ(r.ws.streams.size(), 3u);
    EXPECT_EQ(r.ws.streams[0].name, "");
    EXPECT_EQ(r.ws.streams[1].size, 192u * 3);
    EXPECT_EQ(r.lines.back(), "");
}

// Every corpus disc passes the check, and the counts equal the files on disk.
TEST(Workspace, CorpusDiscsPassTheCheckWithTheirFileCounts) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const auto discs = navora::test::corpusDiscs();
    ASSERT_FALSE(discs.empty());
    auto count = [](const fs::path& dir, const std::string& ext) {
        std::size_t n = 0;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir, ec))
            if (e.is_regular_file() && e.path().extension() == ext) ++n;
        return n;
    };
    for (const auto& disc : discs) {
        SCOPED_TRACE(disc.string());
        const fs::path bdmv = disc / "BDMV";
        CheckRun r = check(bdmv);
        ASSERT_TRUE(r.ok);
        const std::size_t clips = count(bdmv / "CLIPINF", ".clpi");
        std::size_t streams = 0;
        for (const auto& e : fs::directory_iterator(bdmv / "CLIPINF"))
            if (fs::exists(bdmv / "STREAM" / e.path().filename().replace_extension(".m2ts"))) ++streams;
        EXPECT_TRUE(contains(r.lines, "  Found " + std::to_string(count(bdmv / "PLAYLIST", ".mpls")) + " playlists."));
        EXPECT_TRUE(contains(r.lines, "  Found " + std::to_string(clips) + " clipinfos."));
        std::string avLine = "  Found " + std::to_string(streams) + " AV streams";
        if (streams < clips) avLine += ", missing " + std::to_string(clips - streams);
        EXPECT_TRUE(contains(r.lines, avLine));
        EXPECT_EQ(r.ws.disc, disc.filename().string());
    }
}

TEST(Workspace, DemoDiscReadsAndAShortMovieObjectFileIsReadAsFarAsItGoes) {
    TempDir dir;
    makeDemoDisc(dir.path());
    const fs::path bdmv = dir / "BDMV";
    CheckRun whole = check(bdmv);
    ASSERT_TRUE(whole.ok);
    ASSERT_TRUE(whole.ws.mobjLoaded && whole.ws.indexLoaded);
    EXPECT_TRUE(whole.ws.refusedFiles.empty() && whole.ws.incompleteFiles.empty());
    const auto& objects = whole.ws.mobj.mobjs.objects;
    ASSERT_GE(objects.size(), 3u);
    ASSERT_GE(objects[1].commands.size(), 2u);
    for (const auto& l : whole.lines) EXPECT_EQ(l.find("ends early"), std::string::npos) << l;

    // Cut the file inside the second object's second command: the first object
    // and one command of the second are kept, the rest is reported dropped.
    Bytes data = navora::test::readFile(bdmv / "MovieObject.bdmv");
    const std::size_t firstObject = 50 + 4 + 12 * objects[0].commands.size();
    data.resize(firstObject + 4 + 12 + 5);
    writeFile(bdmv / "MovieObject.bdmv", data);
    CheckRun cut = check(bdmv);
    ASSERT_TRUE(cut.ok);
    ASSERT_EQ(cut.ws.mobj.mobjs.objects.size(), 2u);
    EXPECT_EQ(cut.ws.mobj.mobjs.objects[1].commands.size(), 1u);
    EXPECT_EQ(cut.ws.incompleteFiles, std::vector<std::string>{"MovieObject.bdmv"});
    const std::size_t n = objects.size(), c = objects[1].commands.size();
    EXPECT_TRUE(contains(cut.lines, fmt::format("  MovieObject.bdmv ends early at ${:08X}: kept 1 of {} movie objects "
                                                "whole, and object 1 with 1 of its {} commands; dropped {} commands of "
                                                "object 1 and {} movie objects not in the file.",
                                                firstObject + 16, n, c, c - 1, n - 2)))
        << fmt::format("{}", fmt::join(cut.lines, "\n"));
    // The index keeps references to objects the cut file lost.
    EXPECT_EQ(cut.ws.index, whole.ws.index);
    EXPECT_TRUE(cut.ws.incompleteNotes.at("MovieObject.bdmv")
                    .starts_with(fmt::format("ends early at ${:08X}: kept 1 of {} movie objects whole", firstObject + 16, n)));
    // Saving writes what was kept: the file is whole again and no longer listed.
    Log log;
    ASSERT_TRUE(cut.ws.saveMovieObjects(log));
    EXPECT_TRUE(cut.ws.incompleteFiles.empty());
    EXPECT_TRUE(cut.ws.incompleteNotes.empty());
    CheckRun again = check(bdmv);
    EXPECT_TRUE(again.ws.incompleteFiles.empty());
    EXPECT_EQ(again.ws.mobj.mobjs.objects, cut.ws.mobj.mobjs.objects);
}

// Temporary files that interrupted saves left in the disc's folders are
// removed by the check, each with a log line; a symbolic link in PLAYLIST
// that leads nowhere is no playlist.
TEST(Workspace, SaveLeftoversAreRemovedAndDanglingLinksAreNoPlaylists) {
    TempDir dir;
    makeDemoDisc(dir.path());
    const fs::path bdmv = dir / "BDMV";
    const std::size_t playlists = check(bdmv).ws.playlists.size();
    writeFile(bdmv / "index.bdmv.navora-save-k3Jx9Q", {1});
    writeFile(bdmv / "PLAYLIST" / "00000.mpls.navora-save-Zz0000", {1});
    fs::create_symlink(bdmv / "PLAYLIST" / "gone.mpls", bdmv / "PLAYLIST" / "77777.mpls");
    CheckRun r = check(bdmv);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(contains(r.lines, "  Removed index.bdmv.navora-save-k3Jx9Q, left by a save that did not finish."));
    EXPECT_TRUE(contains(r.lines, "  Removed 00000.mpls.navora-save-Zz0000, left by a save that did not finish."));
    EXPECT_FALSE(fs::exists(bdmv / "index.bdmv.navora-save-k3Jx9Q"));
    EXPECT_FALSE(fs::exists(bdmv / "PLAYLIST" / "00000.mpls.navora-save-Zz0000"));
    EXPECT_EQ(r.ws.playlists.size(), playlists);
    EXPECT_TRUE(contains(r.lines, fmt::format("  Found {} playlists.", playlists)));
}
