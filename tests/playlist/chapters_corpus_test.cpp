// The playlist engine on the corpus discs: sizes, the figures libbluray's
// bd_list_titles reports, the blank playlist, and chapters imported through
// the command line and read back by libbluray.

#include "playlist/chapters.h"

#include "core/logviews.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"
#include "playlist/playlist_time.h"
#include "support/testsupport.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <sys/wait.h>

using namespace navora;
using namespace navora::test;

namespace {

bool haveBdListTitles() { return std::system("command -v bd_list_titles >/dev/null 2>&1") == 0; }

// One playlist line of `bd_list_titles -a`.
struct Title {
    std::string duration;  // HH:MM:SS
    int chapters = 0, angles = 0, clips = 0;
    int video = 0, audio = 0, pg = 0, ig = 0, secondaryVideo = 0, secondaryAudio = 0;
};

// bd_list_titles -a on a disc root, by playlist file name.
std::map<std::string, Title> listTitles(const fs::path& root) {
    const std::string cmd = "bd_list_titles -a '" + root.string() + "' 2>/dev/null";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    std::string out;
    char buf[512];
    while (p && std::fgets(buf, sizeof buf, p)) out += buf;
    if (p) ::pclose(p);
    static const std::regex line(
        R"(index:\s*\d+ duration: (\d\d:\d\d:\d\d) chapters:\s*(\d+) angles:\s*(\d+) clips:\s*(\d+) \(playlist: (\w+\.mpls)\) V:(\d+) A:(\d+)\s+PG:(\d+)\s+IG:(\d+)\s+SV:(\d+) SA:(\d+))");
    std::map<std::string, Title> titles;
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it) {
        const std::smatch& m = *it;
        titles[m[5]] = {m[1], std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[6]), std::stoi(m[7]),
                        std::stoi(m[8]), std::stoi(m[9]), std::stoi(m[10]), std::stoi(m[11])};
    }
    return titles;
}

// What our model says for the same figures.
Title titleOf(const TMPLS& m) {
    Title t;
    const std::uint64_t s = playlistDuration(m) / kTicksPerSecond;
    t.duration = fmt::format("{:02}:{:02}:{:02}", s / 3600, (s / 60) % 60, s % 60);
    for (const TPlayListMarkEntry& k : m.PlayListMark.marks) t.chapters += k.mark_type == kEntryMark;
    t.angles = 1;
    for (const TPlayItem& p : m.PlayList.PlayItems)
        if (p.is_multi_angle) t.angles = std::max<int>(t.angles, p.multi_clip.number_of_angles);
    t.clips = static_cast<int>(m.PlayList.PlayItems.size());
    const TSTN& n = m.PlayList.PlayItems.at(0).STN_table;
    t.video = n.number_of_primary_video_stream_entries;
    t.audio = n.number_of_primary_audio_stream_entries;
    t.pg = static_cast<int>(n.PG_textST.size());  // libbluray counts PG and PiP PG together
    t.ig = n.number_of_IG_stream_entries;
    t.secondaryVideo = n.number_of_secondary_video_stream_entries;
    t.secondaryAudio = n.number_of_secondary_audio_stream_entries;
    return t;
}

void expectSameTitle(const Title& ours, const Title& theirs) {
    EXPECT_EQ(ours.duration, theirs.duration);
    EXPECT_EQ(ours.chapters, theirs.chapters);
    EXPECT_EQ(ours.angles, theirs.angles);
    EXPECT_EQ(ours.clips, theirs.clips);
    EXPECT_EQ(std::vector({ours.video, ours.audio, ours.pg, ours.ig, ours.secondaryVideo, ours.secondaryAudio}),
              std::vector({theirs.video, theirs.audio, theirs.pg, theirs.ig, theirs.secondaryVideo,
                           theirs.secondaryAudio}));
}

fs::path copyDisc(const fs::path& from, const fs::path& to) {
    fs::copy(from, to, fs::copy_options::recursive);
    for (const auto& e : fs::recursive_directory_iterator(to))
        fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
    return to;
}

}  // namespace

// The sizes the content gives are the sizes every real playlist stores, so
// that the edits' bookkeeping starts from the same ground.
TEST(PlaylistCorpusEdit, ContentSizesAreTheStoredOnes) {
    NAVORA_NEED_CORPUS("tsmuxer");
    std::size_t n = 0;
    for (const fs::path& disc : corpusDiscs())
        for (const auto& e : fs::directory_iterator(disc / "BDMV" / "PLAYLIST")) {
            SCOPED_TRACE(e.path().string());
            const Bytes data = readFile(e.path());
            const TMPLS m = readPlaylist(data, e.path().filename().string());
            TMPLS computed = m;
            computeSizes(computed);
            EXPECT_EQ(computed, m);
            ++n;
        }
    EXPECT_GE(n, 13u);
}

// PlayItem count, chapters, duration, angles and the first PlayItem's stream
// counts of every corpus playlist agree with libbluray. The disc whose blank
// playlist crashes bd_list_titles is left out.
TEST(PlaylistCorpusEdit, FiguresMatchBdListTitles) {
    NAVORA_NEED_CORPUS("tsmuxer");
    if (!haveBdListTitles()) GTEST_SKIP() << "bd_list_titles (Debian libbluray-bin) is not on PATH";
    std::size_t compared = 0;
    for (const fs::path& disc : corpusDiscs()) {
        const std::string name = disc.filename().string();
        if (name == "tsm12_blankpl_offset1") continue;
        SCOPED_TRACE(name);
        const auto titles = listTitles(disc);
        std::size_t playlists = 0;
        for (const auto& e : fs::directory_iterator(disc / "BDMV" / "PLAYLIST")) {
            const std::string file = e.path().filename().string();
            SCOPED_TRACE(file);
            ++playlists;
            const auto it = titles.find(file);
            ASSERT_NE(it, titles.end()) << "bd_list_titles does not list it";
            expectSameTitle(titleOf(readPlaylist(readFile(e.path()), file)), it->second);
            ++compared;
        }
        EXPECT_EQ(titles.size(), playlists);
    }
    EXPECT_GE(compared, 12u);
}

// The playlist with no PlayItem and a mark on PlayItem 0xFFFF: it reads, is
// written unchanged, and chapter export reports the mark instead of looking
// past the PlayItems; import is refused.
TEST(PlaylistCorpusEdit, BlankPlaylistReadsSavesAndReportsItsDanglingMark) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const fs::path file = corpusDir() / "tsmuxer" / "tsm12_blankpl_offset1" / "BDMV" / "PLAYLIST" / "00005.mpls";
    const Bytes data = readFile(file);
    TMPLS m = readPlaylist(data, "00005.mpls");
    EXPECT_EQ(writePlaylist(m), data);
    Log log;
    RecordingLogView view;
    log.setView(&view);
    EXPECT_EQ(exportChapters(m, ChapterFormat::PTS, log), "");
    EXPECT_EQ(view.plainLines(),
              std::vector<std::string>{
                  "Mark 000 refers to PlayItem 65535, which the playlist does not have (0 PlayItems): not exported."});
    EXPECT_TRUE(playlistTimeline(m).items.empty());
    EXPECT_FALSE(playlistTimeline(m).marks.at(0).at);
    EXPECT_THROW((void)importChapters(m, "0\n", ChapterFormat::PTS, log), ChapterError);
    EXPECT_EQ(writePlaylist(m), data);

    const CliResult r = runCli({"chapters", "export", file.string(), "--format", "time"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Mark 000 refers to PlayItem 65535"), std::string::npos) << r.err;
    TempDir tmp;
    writeFile(tmp / "ch.txt", Bytes{'0', '\n'});
    const CliResult refused =
        runCli({"chapters", "import", file.string(), (tmp / "ch.txt").string(), "-o", (tmp / "out.mpls").string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("00005.mpls: The playlist has no PlayItem"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(tmp / "out.mpls"));
}

// Chapters exported in each format and imported back through the command
// line give the same marks; a new list of seven chapters written into a copy
// of the disc is what libbluray then reports.
TEST(PlaylistCorpusEdit, ChaptersThroughTheCommandLineReachLibbluray) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir tmp;
    const fs::path root = copyDisc(corpusDir() / "tsmuxer" / "tsm04_split_4clips", tmp / "disc");
    const fs::path mpls = root / "BDMV" / "PLAYLIST" / "00000.mpls";
    const Bytes original = readFile(mpls);
    for (const char* format : {"pts", "frame", "time"}) {
        SCOPED_TRACE(format);
        const fs::path txt = tmp / (std::string(format) + ".txt");
        const CliResult ex = runCli({"chapters", "export", mpls.string(), "--format", format, "-o", txt.string()});
        ASSERT_EQ(ex.exitCode, 0) << ex.err;
        const CliResult im = runCli({"chapters", "import", mpls.string(), txt.string(), "--format", format, "-o",
                                     (tmp / "back.mpls").string()});
        ASSERT_EQ(im.exitCode, 0) << im.err;
        EXPECT_NE(im.out.find("5 PlayListMark(s) written"), std::string::npos) << im.out;
        // The frame format goes to the nearest frame (at most half a frame
        // either way), the time format down to whole milliseconds; the marks
        // land on the same PlayItems.
        const TMPLS a = readPlaylist(original, "a.mpls");
        const TMPLS b = readPlaylist(readFile(tmp / "back.mpls"), "b.mpls");
        ASSERT_EQ(b.PlayListMark.marks.size(), 5u);
        for (std::size_t i = 0; i < 5; ++i) {
            EXPECT_EQ(b.PlayListMark.marks[i].ref_to_PlayItem_id, a.PlayListMark.marks[i].ref_to_PlayItem_id);
            const std::int64_t moved = std::int64_t{b.PlayListMark.marks[i].mark_time_stamp} -
                                       std::int64_t{a.PlayListMark.marks[i].mark_time_stamp};
            EXPECT_LE(std::abs(moved), std::string(format) == "frame" ? 938 : 45) << i;
            if (std::string(format) == "time") {
                EXPECT_LE(moved, 0) << i;
            }
        }
        if (std::string(format) == "pts") {
            EXPECT_EQ(readFile(tmp / "back.mpls"), original);
        }
    }
    // 23.976 fps: the 2.5 s chapter lies 59.94 frames in, nearest frame 60.
    const CliResult frames = runCli({"chapters", "export", mpls.string(), "--format", "frame"});
    EXPECT_EQ(frames.out, "0\r\n60\r\n180\r\n300\r\n420\r\n");

    const std::string seven = "00:00:00.000\n00:00:01.000\n00:00:04.000\n00:00:06.000\n00:00:09.000\n"
                              "00:00:14.000\n00:00:19.000\n";
    writeFile(tmp / "seven.txt", Bytes(seven.begin(), seven.end()));
    const CliResult im = runCli({"chapters", "import", mpls.string(), (tmp / "seven.txt").string(), "--format",
                                 "time", "-o", mpls.string()});
    ASSERT_EQ(im.exitCode, 0) << im.err;
    const TMPLS m = readPlaylist(readFile(mpls), "00000.mpls");
    EXPECT_EQ(m.PlayListMark.length, 2u + 14 * 7);
    if (!haveBdListTitles()) GTEST_SKIP() << "bd_list_titles (Debian libbluray-bin) is not on PATH";
    const auto titles = listTitles(root);
    ASSERT_EQ(titles.count("00000.mpls"), 1u);
    EXPECT_EQ(titles.at("00000.mpls").chapters, 7);
    expectSameTitle(titleOf(m), titles.at("00000.mpls"));
}
