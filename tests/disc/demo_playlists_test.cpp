// The demo disc's playlists: every view of the playlist tab has something to
// show, the files are consistent, and libbluray reads them.

#include "clip/clipinfo_edit.h"
#include "clip/clipinfo_io.h"
#include "disc/demo.h"
#include "disc/demo_menu.h"
#include "core/logviews.h"
#include "disc/workspace.h"
#include "playlist/chapters.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace navora;
using namespace navora::test;

TEST(DemoDisc, PlaylistsShowEveryView) {
    TempDir dir;
    makeDemoDisc(dir.path());
    const fs::path pl = dir / "BDMV" / "PLAYLIST";
    for (const char* name : {"00000.mpls", "00001.mpls"}) {
        SCOPED_TRACE(name);
        const Bytes data = readFile(pl / name);
        EXPECT_EQ(readFile(dir / "BDMV" / "BACKUP" / "PLAYLIST" / name), data);
        const TMPLS m = readPlaylist(data, name);
        EXPECT_EQ(writePlaylist(m), data);
        TMPLS computed = m;
        computeSizes(computed);
        EXPECT_EQ(computed, m);
    }

    const TMPLS m = readPlaylist(readFile(pl / "00000.mpls"), "00000.mpls");
    const auto& items = m.PlayList.PlayItems;
    ASSERT_GE(items.size(), 3u);
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const TPlayItem& p) {
        return p.is_multi_angle && p.multi_clip.angles.size() == 3;
    }));
    const TSTN& t = items[0].STN_table;
    EXPECT_GE(t.primary_audio.size(), 2u);
    for (StreamKind k : {StreamKind::PrimaryVideo, StreamKind::PG, StreamKind::IG, StreamKind::SecondaryAudio,
                         StreamKind::SecondaryVideo, StreamKind::PiPPG})
        EXPECT_GE(streamCount(t, k), 1u) << static_cast<int>(k);
    bool multiClip = false;
    for (const TSubPath& sp : m.PlayList.SubPaths)
        for (const TSubPlayItem& s : sp.SubPlayItems) multiClip |= s.clip_entries.size() >= 2;
    EXPECT_TRUE(multiClip);
    const auto& marks = m.PlayListMark.marks;
    EXPECT_GE(marks.size(), 3u);
    EXPECT_TRUE(std::any_of(marks.begin(), marks.end(), [](const auto& k) { return k.mark_type == kLinkPoint; }));
    EXPECT_EQ(m.ExtensionData.entries.size(), 2u);
    Log log;
    EXPECT_FALSE(exportChapters(m, ChapterFormat::Frame, log).empty());

    const CliResult check = runCli({"check", dir.path().string()});
    EXPECT_NE(check.out.find("Found 2 playlists."), std::string::npos) << check.out;
}

// libbluray lists both playlists with their PlayItems, angles and marks (it
// warns that the clips are missing).
TEST(DemoDisc, BdListTitlesReadsThePlaylists) {
    if (std::system("command -v bd_list_titles >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "bd_list_titles (Debian libbluray-bin) is not on PATH";
    TempDir dir;
    makeDemoDisc(dir.path());
    const std::string cmd = "timeout 60 bd_list_titles -a '" + dir.path().string() + "' 2>/dev/null";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    EXPECT_EQ(::pclose(p), 0) << out;
    EXPECT_NE(out.find("chapters:   5 angles:  3 clips:   3 (playlist: 00000.mpls) V:1 A:2  PG:3  IG:1  SV:1 SA:1"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("clips:   1 (playlist: 00001.mpls)"), std::string::npos) << out;
}

// A workspace on a fresh demo disc that logs into view and keeps the disc's
// BACKUP copies in step.
class DemoWorkspace : public ::testing::Test {
protected:
    DemoWorkspace() {
        makeDemoDisc(dir.path());
        log.setView(&view);
        ws.folder = (dir / "BDMV").string() + "/";
        ws.options.saveToBackupDir = true;
    }

    TempDir dir;
    Log log;
    RecordingLogView view;
    Workspace ws;
};
class WorkspacePlaylist : public DemoWorkspace {};
class WorkspaceClip : public DemoWorkspace {};

// The playlist tab's read and save: the log lines, a refused file leaving the
// model, and the save through the backup step into the file of the given name.
TEST_F(WorkspacePlaylist, ReadEditSave) {
    EXPECT_FALSE(ws.savePlaylist(log, "00000")) << "nothing read yet";
    ASSERT_TRUE(ws.readPlaylistFile(log, "00000")) << view.text();
    EXPECT_EQ(view.plainLines().at(0), "Reading 00000.mpls");
    EXPECT_EQ(view.plainLines().at(1), "3 PlayItem(s), 2 SubPath(s) and 6 PlayListMark(s) found.");

    const fs::path bad = dir / "BDMV" / "PLAYLIST" / "00002.mpls";
    Bytes later = readFile(dir / "BDMV" / "PLAYLIST" / "00001.mpls");
    later[5] = '4';  // a version Navora does not know
    writeFile(bad, later);
    view.lines.clear();
    EXPECT_FALSE(ws.readPlaylistFile(log, "00002"));
    EXPECT_NE(view.text().find("ERROR: Invalid format: 00002.mpls"), std::string::npos) << view.text();
    EXPECT_EQ(ws.playlistName, "00000");
    EXPECT_EQ(ws.playlist.PlayList.PlayItems.size(), 3u);

    ASSERT_TRUE(insertMark(ws.playlist, std::nullopt));
    const Bytes before = readFile(dir / "BDMV" / "PLAYLIST" / "00000.mpls");
    ASSERT_TRUE(ws.savePlaylist(log, "00000")) << view.text();
    const Bytes saved = readFile(dir / "BDMV" / "PLAYLIST" / "00000.mpls");
    EXPECT_EQ(saved, writePlaylist(ws.playlist));
    EXPECT_EQ(readFile(backupFileFor(ws.options, (dir / "BDMV" / "PLAYLIST" / "00000.mpls").string())), before);
    EXPECT_FALSE(fs::exists(dir / "BDMV" / "PLAYLIST" / "00000.mpls.backup"));
    EXPECT_EQ(readFile(dir / "BDMV" / "BACKUP" / "PLAYLIST" / "00000.mpls"), saved);
    EXPECT_EQ(readPlaylist(saved, "00000.mpls").PlayListMark.marks.size(), 7u);
}

// The clip tab's read and save: the log lines, a refused file leaving the
// model, and a save of the packet count and ExtensionData through the backup
// step that changes nothing else of the file.
TEST_F(WorkspaceClip, ReadEditSave) {
    ws.options.backupInDiscTree = true;
    fs::create_directories(dir / "BDMV" / "BACKUP" / "CLIPINF");
    const std::string name = kDemoMenuClip;
    const fs::path file = dir / "BDMV" / "CLIPINF" / (name + ".clpi");
    EXPECT_FALSE(ws.saveClip(log)) << "nothing read yet";
    ASSERT_TRUE(ws.readClipFile(log, name)) << view.text();
    EXPECT_EQ(view.plainLines().at(0), "Reading " + name + ".clpi");
    const Bytes before = readFile(file);

    const fs::path bad = dir / "BDMV" / "CLIPINF" / "00009.clpi";
    Bytes uhd = before;
    uhd[5] = '4';
    writeFile(bad, uhd);
    view.lines.clear();
    EXPECT_FALSE(ws.readClipFile(log, "00009"));
    EXPECT_NE(view.text().find("ERROR: Invalid format: 00009.clpi"), std::string::npos) << view.text();
    EXPECT_EQ(ws.clipName, name);

    const TCLPI read = ws.clip;
    ASSERT_TRUE(setSourcePackets(ws.clip, read.ClipInfo.number_of_source_packets + 7));
    TExtensionData block;
    block.length = 8;
    block.data_block_start_address = 12;
    ASSERT_TRUE(setClipExtensionData(ws.clip, block));
    ASSERT_TRUE(ws.saveClip(log)) << view.text();
    const Bytes saved = readFile(file);
    EXPECT_EQ(readClipInfo(saved, name), ws.clip);
    EXPECT_EQ(readFile(fs::path(file.string() + ".backup")), before);
    EXPECT_EQ(readFile(dir / "BDMV" / "BACKUP" / "CLIPINF" / (name + ".clpi")), saved);
    // Saving the model as read again gives the original bytes back.
    ws.clip = read;
    ASSERT_TRUE(ws.saveClip(log)) << view.text();
    EXPECT_EQ(readFile(file), before);
}
