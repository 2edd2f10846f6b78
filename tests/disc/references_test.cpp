// The reference finder on a small disc made from corpus playlists with their
// clip names changed: PlayItems and SubPlayItems, playlists that fail to read,
// Play commands with immediate and register operands; navora-cli refs.

#include "core/fileio.h"
#include "core/logviews.h"
#include "disc/references.h"
#include "navdb/movieobject_io.h"
#include "playlist/playlist_io.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace navora;
using namespace navora::test;

namespace {

TMPLS corpusPlaylist(const std::string& disc, const std::string& name) {
    const fs::path p = corpusDir() / "tsmuxer" / disc / "BDMV" / "PLAYLIST" / (name + ".mpls");
    return readPlaylist(readFile(p), p.string());
}

// The commands of the fixture's two movie objects.
TMOBJ fixtureMovieObjects() {
    TMOBJ m;
    m.mobjs.objects.resize(2);
    m.mobjs.objects[0].commands = {
        {{0x50400001, 0, 0}},           // Move GPR0, 0
        {{0x22000000, 5, 0}},           // Play PL from register 5: not a match
        {{0x42810000, 4, 0}},           // Play PL_PI 4
        {{0x22800000, 5, 0}},           // Play PL 5
    };
    m.mobjs.objects[1].commands = {
        {{0x42C10000, 5, 2}},           // Play PL_PI 5, 2
        {{0x42420000, 5, 1}},           // Play PL_MK, both from registers: not a match
        {{0x42820000, 5, 3}},           // Play PL_MK 5, register 3
        {{0x42C20000, 1, 1}},           // Play PL_MK 1, 1
    };
    m.mobjs.length = movieObjectsLength(m.mobjs);
    return m;
}

// A BDMV folder with the clips 00010-00013 and the playlists:
//   00001: PlayItems 00010, 00099 (no such clip), 00010, 00011
//   00002: cut short
//   00003: a playlist of a version Navora does not know ("0400")
//   00004: PlayItem 00011, a SubPath whose SubPlayItem is 00010
//   00005: no PlayItems
//   abcde: not a playlist number
struct FixtureDisc {
    TempDir dir;
    DiscPaths paths;
    std::vector<std::string> playlists{"00001", "00002", "00003", "00004", "00005", "abcde"};
    std::vector<std::string> clips{"00010", "00011", "00012", "00013"};

    FixtureDisc() : paths{(dir / "BDMV").string() + "/", FileNameSet::make(false)} {
        for (const char* sub : {"PLAYLIST", "CLIPINF", "STREAM"}) fs::create_directories(dir / "BDMV" / sub);
        TMPLS split = corpusPlaylist("tsm04_split_4clips", "00000");
        const char* names[] = {"00010", "00099", "00010", "00011"};
        for (std::size_t i = 0; i < 4; ++i) split.PlayList.PlayItems.at(i).Clip_Information_file_name = names[i];
        writeFile(paths.playlist("00001"), writePlaylist(split));
        const Bytes whole = readFile(paths.playlist("00001"));
        writeFile(paths.playlist("00002"), Bytes(whole.begin(), whole.begin() + 30));
        Bytes later = readFile(corpusDir() / "tsmuxer/tsm14_uhdv3_hevc1080_sdr/BDMV/PLAYLIST/00000.mpls");
        later[5] = '4';
        writeFile(paths.playlist("00003"), later);
        TMPLS pip = corpusPlaylist("tsm08_pip_secaudio_1080p24", "00000");
        pip.PlayList.PlayItems.at(0).Clip_Information_file_name = "00011";
        pip.PlayList.SubPaths.at(0).SubPlayItems.at(0).Clip_Information_file_name = "00010";
        writeFile(paths.playlist("00004"), writePlaylist(pip));
        writeFile(paths.playlist("00005"),
                  readFile(corpusDir() / "tsmuxer/tsm12_blankpl_offset1/BDMV/PLAYLIST/00005.mpls"));
        writeFile(paths.playlist("abcde"), readFile(paths.playlist("00001")));
        for (const auto& c : clips) writeFile(paths.clipInfo(c), Bytes{});
        writeFile(paths.movieObject(), writeMovieObjects(fixtureMovieObjects()));
        fs::copy_file(corpusDir() / "tsmuxer/tsm01_avc1080p24_ac3_chap5s/BDMV/index.bdmv", paths.index());
    }
};

constexpr auto p = ClipRefKind::PlayItem;
constexpr auto s = ClipRefKind::SubPlayItem;

}  // namespace

TEST(ReferenceFinder, PlaylistsUsingEachClip) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const FixtureDisc disc;
    RecordingLogView view;
    Log log;
    log.setView(&view);
    const ClipReferenceSearch r = findClipReferences(log, disc.paths, disc.playlists, disc.clips);
    EXPECT_EQ(r.refs, (TCIRefs{{{1, p, 0}, {1, p, 2}, {4, s, 0}}, {{1, p, 3}, {4, p, 0}}, {}, {}}));
    EXPECT_EQ(clipReferenceRows(r.refs[0]),
              (std::vector<ClipRefRow>{{"1", "00001", "p", "00000"}, {"2", "00001", "p", "00002"},
                                       {"3", "00004", "s", "00000"}}));

    // The failed playlists are reported and contribute nothing, the search
    // goes on after them; every playlist gets its "Reading" line.
    ASSERT_EQ(r.failures.size(), 3u);
    EXPECT_EQ(r.failures[0].playlist, "00002");
    EXPECT_NE(r.failures[0].message.find("00002.mpls"), std::string::npos);
    EXPECT_EQ(r.failures[1].message, "Invalid format: 00003.mpls");
    EXPECT_EQ(r.failures[2].message, "abcde.mpls: the name is not a playlist number");
    const auto lines = view.plainLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Reading ", 0) == 0; }),
              6);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "ERROR: Invalid format: 00003.mpls"), lines.end());
    EXPECT_TRUE(log.errorFlag);
    EXPECT_EQ(view.panels[0], " Ready. ");  // the search ran to its end

    // A playlist that vanished meanwhile is one more failure, not the end of the search.
    fs::remove(disc.paths.playlist("00001"));
    const ClipReferenceSearch again = findClipReferences(log, disc.paths, disc.playlists, disc.clips);
    EXPECT_EQ(again.refs, (TCIRefs{{{4, s, 0}}, {{4, p, 0}}, {}, {}}));
    EXPECT_EQ(again.failures.size(), 4u);
}

TEST(ReferenceFinder, OpeningAReferenceSelectsItsPlayItem) {
    EXPECT_EQ(playItemToSelect({1, p, 2}), std::optional<std::uint16_t>(2));
    EXPECT_EQ(playItemToSelect({1, p, 0}), std::nullopt);
    EXPECT_EQ(playItemToSelect({4, s, 3}), std::nullopt);
    EXPECT_EQ(playlistNumber("00800"), std::optional<std::uint16_t>(800));
    for (const char* bad : {"", "123456", "65536", "0080a", "-0001"}) EXPECT_EQ(playlistNumber(bad), std::nullopt) << bad;
}

TEST(ReferenceFinder, MovieObjectCommandsThatPlayAPlaylist) {
    const TMOBJ m = fixtureMovieObjects();
    EXPECT_EQ(findPlaylistPlayers(m, 5), (std::vector<PlayCommandRef>{{0, 3}, {1, 0}, {1, 2}}));
    EXPECT_EQ(findPlaylistPlayers(m, 4), (std::vector<PlayCommandRef>{{0, 2}}));
    EXPECT_TRUE(findPlaylistPlayers(m, 0).empty());  // the Move's operand 0 is no playlist

    RecordingLogView view;
    Log log;
    log.setView(&view);
    findAndLogPlaylistPlayers(log, m, "00005");
    EXPECT_EQ(view.plainLines(), (std::vector<std::string>{"", "PlayList 00005 found in:", "Object 0000, Command line 0003",
                                                           "Object 0001, Command line 0000",
                                                           "Object 0001, Command line 0002"}));
    EXPECT_EQ(view.lines[1].runs.size(), 3u);  // the name is bold, the match lines are plain
    view.lines.clear();
    findAndLogPlaylistPlayers(log, m, "00002");
    EXPECT_EQ(view.plainLines(), (std::vector<std::string>{"", "PlayList 00002 found in:"}));
}

TEST(CliRefs, TextAndJson) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const FixtureDisc disc;
    auto r = runCli({"refs", (disc.dir / "BDMV").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Clip 00010 used by 3 item(s):\n  00001  p  00000\n  00001  p  00002\n  00004  s  00000\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Clip 00013 used by 0 item(s).\n"), std::string::npos);
    EXPECT_NE(r.out.find("PlayList 00005 found in:\nObject 0000, Command line 0003\nObject 0001, Command line 0000\n"
                         "Object 0001, Command line 0002\n"),
              std::string::npos);
    EXPECT_NE(r.err.find("warning: Invalid format: 00003.mpls"), std::string::npos);

    r = runCli({"refs", disc.dir.path().string(), "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["clips"][1]["clip"], "00011");
    EXPECT_EQ(j["clips"][1]["references"],
              nlohmann::json::parse(R"([{"mpls":"00001","kind":"p","item":3},{"mpls":"00004","kind":"p","item":0}])"));
    EXPECT_EQ(j["playlists"][3]["playlist"], "00004");
    EXPECT_EQ(j["playlists"][3]["commands"], nlohmann::json::parse(R"([{"object":0,"command":2}])"));
    EXPECT_EQ(j["failures"].size(), 3u);

    EXPECT_EQ(runCli({"refs", (disc.dir / "BDMV" / "STREAM").string()}).exitCode, 1);  // no PLAYLIST folder there
}
