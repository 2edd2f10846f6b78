// navora-cli edit on copies of corpus discs: each operation, scripts, dry runs,
// failures that write nothing, batches over several discs, and libbluray
// reading the results.

#include "core/filenames.h"
#include "nav/decode.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_io.h"
#include "playlist/playlist_io.h"
#include "support/peertools.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <map>

using namespace navora;
using navora::test::readFile;
using navora::test::runCli;
using navora::test::TempDir;
using navora::test::writeFile;
namespace fs = std::filesystem;

namespace {

const char* const kDisc = "tsm04_split_4clips";  // 4 PlayItems, 5 marks, 3 movie objects, 1 title

// A copy of a corpus disc root.
fs::path copyDisc(const TempDir& dir, const std::string& disc, const std::string& as = {}) {
    const fs::path to = dir / (as.empty() ? disc : as);
    fs::copy(test::corpusDir() / "tsmuxer" / disc, to, fs::copy_options::recursive);
    return to;
}

// Every file under a folder with its bytes.
std::map<std::string, Bytes> files(const fs::path& root) {
    std::map<std::string, Bytes> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out[fs::relative(e.path(), root).string()] = readFile(e.path());
    return out;
}

// The names whose bytes differ, appeared or went.
std::vector<std::string> changed(const std::map<std::string, Bytes>& a, const std::map<std::string, Bytes>& b) {
    std::vector<std::string> out;
    for (const auto& [name, bytes] : b)
        if (!a.contains(name) || a.at(name) != bytes) out.push_back(name);
    for (const auto& [name, bytes] : a)
        if (!b.contains(name)) out.push_back(name);
    return out;
}

TINDX indexOf(const fs::path& disc) { return readIndex(readFile(disc / "BDMV/index.bdmv"), "index.bdmv"); }
TMOBJ mobjOf(const fs::path& disc) {
    return readMovieObjects(readFile(disc / "BDMV/MovieObject.bdmv"), "MovieObject.bdmv");
}
TMPLS playlistOf(const fs::path& disc, const std::string& name) {
    return readPlaylist(readFile(disc / "BDMV/PLAYLIST" / (name + ".mpls")), name);
}

std::vector<std::string> args(const fs::path& disc, std::vector<std::string> ops) {
    ops.insert(ops.begin(), {"edit", disc.string()});
    return ops;
}

}  // namespace

// Each operation changes exactly what it names, in exactly the files it
// names (each with its backup), and the files read back.
TEST(CliEdit, EachOperationChangesWhatItNames) {
    NAVORA_NEED_CORPUS("tsmuxer");
    struct Case {
        const char* what;
        std::vector<std::string> ops;
        std::vector<std::string> files;                               // the files written
        std::function<void(const fs::path&, const fs::path&)> check;  // (original, edited)
    };
    const Case cases[] = {
        {"First Playback off",
         {"--first-playback", "off"},
         {"BDMV/index.bdmv"},
         [](const fs::path&, const fs::path& d) {
             EXPECT_EQ(indexOf(d).indexes.first_playback.mobj_id_ref, kNoObject);
         }},
        {"Top Menu to title 1's object",
         {"--top-menu", "off", "--top-menu", "title:1"},
         {"BDMV/index.bdmv"},
         [](const fs::path& o, const fs::path& d) {
             EXPECT_EQ(indexOf(o).indexes.top_menu.mobj_id_ref, 1u);
             EXPECT_EQ(indexOf(d).indexes.top_menu.mobj_id_ref, indexOf(o).indexes.titles[0].mobj_id_ref);
         }},
        {"every UO bit of every playlist and PlayItem cleared, then two set",
         {"--uo-mask", "all=clear", "--uo-mask", "all:item all=clear", "--uo-mask", "00000:item 2=UO29=1,uo2_30=1"},
         {"BDMV/PLAYLIST/00000.mpls"},
         [](const fs::path&, const fs::path& d) {
             const TMPLS m = playlistOf(d, "00000");
             EXPECT_EQ(m.AppInfoPlayList.UO_mask_table[0], 0u);
             for (std::size_t i = 0; i < m.PlayList.PlayItems.size(); ++i) {
                 EXPECT_EQ(m.PlayList.PlayItems[i].UO_mask_table[0], i == 2 ? 1u << 29 : 0u);
                 EXPECT_EQ(m.PlayList.PlayItems[i].UO_mask_table[1] & 0x40000000u, i == 2 ? 0x40000000u : 0u);
             }
         }},
        {"a chapter every 5 s over 4 PlayItems of 5.005 s",
         {"--chapters", "00000.mpls=every:5s"},
         {"BDMV/PLAYLIST/00000.mpls"},
         [](const fs::path& o, const fs::path& d) {
             const TMPLS m = playlistOf(d, "00000");
             const auto& items = playlistOf(o, "00000").PlayList.PlayItems;
             // Playlist times 0, 5, 10, 15, 20 s: each just before the end of a PlayItem but the first.
             ASSERT_EQ(m.PlayListMark.marks.size(), 5u);
             for (std::size_t k = 0; k < 5; ++k) {
                 const auto& mark = m.PlayListMark.marks[k];
                 const std::uint32_t item = k == 0 ? 0 : static_cast<std::uint32_t>(k - 1);
                 EXPECT_EQ(mark.ref_to_PlayItem_id, item) << k;
                 EXPECT_EQ(mark.mark_time_stamp, k == 0 ? items[0].IN_time : items[item].OUT_time - 225 * k) << k;
             }
         }},
        {"command replaced, inserted at the top and deleted",
         {"--insert", "mobj:0:0=Move GPR7, 5", "--command", "mobj:0:1=GoTo 0", "--delete", "mobj:0:1"},
         {"BDMV/MovieObject.bdmv"},
         [](const fs::path& o, const fs::path& d) {
             TCommands want = mobjOf(o).mobjs.objects[0].commands;
             want.insert(want.begin(), TCommand{{0x50400001, 7, 5}});
             want.erase(want.begin() + 1);
             EXPECT_EQ(mobjOf(d).mobjs.objects[0].commands, want);
         }},
        {"title 1 to movie object 0 and a script over two files",
         {"--title", "1=mobj:0", "--script", "SCRIPT"},
         {"BDMV/index.bdmv", "BDMV/PLAYLIST/00000.mpls"},
         [](const fs::path&, const fs::path& d) {
             EXPECT_EQ(indexOf(d).indexes.first_playback.mobj_id_ref, kNoObject);
             EXPECT_EQ(playlistOf(d, "00000").AppInfoPlayList.UO_mask_table[0], 1u);
         }},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const fs::path disc = copyDisc(dir, kDisc);
        const fs::path original = test::corpusDir() / "tsmuxer" / kDisc;
        writeFile(dir / "script.json",
                  Bytes(std::string_view(R"([{"first-playback": "off"}, {"--uo-mask": "00000=UO0=1"}])").begin(),
                        std::string_view(R"([{"first-playback": "off"}, {"--uo-mask": "00000=UO0=1"}])").end()));
        std::vector<std::string> ops = c.ops;
        for (std::string& o : ops)
            if (o == "SCRIPT") o = (dir / "script.json").string();
        const auto before = files(disc);
        const auto r = runCli(args(disc, ops));
        ASSERT_EQ(r.exitCode, 0) << c.what << "\n" << r.out << r.err;
        std::vector<std::string> want;
        // Each file changes with the disc's own copy in BACKUP (the editor's
        // backups go outside the disc).
        for (const std::string& f : c.files) {
            want.push_back(f);
            want.push_back("BDMV/BACKUP/" + f.substr(std::string("BDMV/").size()));
        }
        std::sort(want.begin(), want.end());
        auto got = changed(before, files(disc));
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, want) << c.what << "\n" << r.out;
        c.check(original, disc);
    }
}

// --dry-run prints each field before and after and writes nothing; --json
// gives the same as data; an edit that changes nothing writes nothing.
TEST(CliEdit, DryRunShowsChangesAndWritesNothing) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir dir;
    const fs::path disc = copyDisc(dir, kDisc);
    const auto before = files(disc);
    auto r = runCli(args(disc, {"--dry-run", "--first-playback", "off", "--uo-mask", "00000=UO0=1"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("index.bdmv\n  /Indexes/FirstPlayback/mobj_id_ref: 2 -> 65535\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("00000.mpls\n  /AppInfoPlayList/UO_mask_table/0: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("dry run: nothing written"), std::string::npos) << r.out;

    r = runCli(args(disc, {"--dry-run", "--json", "--insert", "mobj:0:1=GoTo 0"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["ok"], true);
    EXPECT_EQ(j["written"], false);
    ASSERT_EQ(j["files"].size(), 1u);
    EXPECT_EQ(j["files"][0]["file"], "MovieObject.bdmv");
    bool sawInsert = false;
    for (const auto& c : j["files"][0]["changes"])
        if (c["after"] == "20810000 00000000 00000000  GoTo 0") sawInsert = true;
    EXPECT_TRUE(sawInsert) << r.out;
    EXPECT_EQ(files(disc), before);

    // Setting what is already there changes nothing.
    r = runCli(args(disc, {"--title", "1=mobj:0"}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("nothing to change"), std::string::npos) << r.out;
    EXPECT_EQ(files(disc), before);
}

// An operation that fails, anywhere in the list or a script, and a file the
// operations need that is refused, leave every file as it was.
TEST(CliEdit, AFailureWritesNothing) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir dir;
    const fs::path disc = copyDisc(dir, kDisc);
    const std::string script = (dir / "bad.json").string();
    const std::string_view text = R"([{"chapters": "00000=every:1s"}, {"delete": "mobj:0:99"}, {"title": "1=mobj:0"}])";
    writeFile(script, Bytes(text.begin(), text.end()));
    struct Case {
        std::vector<std::string> ops;
        int exit;
        const char* message;
    };
    const Case cases[] = {
        {{"--first-playback", "off", "--uo-mask", "all=clear", "--script", script}, 1, "has no line 99"},
        {{"--uo-mask", "all=clear", "--first-playback", "mobj:3"}, 1, "no movie object 3"},
        {{"--uo-mask", "00007=clear"}, 1, "no playlist 00007.mpls"},
        {{"--uo-mask", "00000:item 4=clear"}, 1, "has no PlayItem 4"},
        {{"--first-playback", "title:2"}, 1, "no title 2"},
        {{"--chapters", "00000=" + (dir / "missing.txt").string()}, 1, "missing.txt"},
        // Usage errors, found before the disc is read.
        {{"--command", "mobj:0:0=GoTo x"}, 2, "column 6"},
        {{"--uo-mask", "all=UO33=1"}, 2, "no UO bit"},
        {{"--chapters", "00000=every:5"}, 2, "every:N followed by"},
        {{"--title", "0=mobj:0"}, 2, "1..999"},
        {{"--first-playback", "mobj:x"}, 2, "0..65534"},
        {{"--delete", "object:0:1"}, 2, "mobj:N:LINE"},
        {{}, 2, "no operation"},
    };
    const auto before = files(disc);
    for (const Case& c : cases) {
        const auto r = runCli(args(disc, c.ops));
        EXPECT_EQ(r.exitCode, c.exit) << c.message << "\n" << r.out << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(files(disc), before) << c.message;
    }
    // A damaged playlist is refused: exit 3, nothing written, also not index.bdmv.
    auto pl = readFile(disc / "BDMV/PLAYLIST/00000.mpls");
    pl.resize(40);
    writeFile(disc / "BDMV/PLAYLIST/00000.mpls", pl);
    const auto damaged = files(disc);
    const auto r = runCli(args(disc, {"--first-playback", "off", "--uo-mask", "all=clear"}));
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("00000.mpls was refused"), std::string::npos) << r.err;
    EXPECT_EQ(files(disc), damaged);
    EXPECT_EQ(runCli(args(disc, {"a", "b"})).exitCode, 2);
}

// --each: every disc is edited on its own; one that fails is left whole and
// the others are done; exit 1.
TEST(CliEdit, EachDiscOnItsOwn) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir dir;
    const fs::path a = copyDisc(dir, kDisc, "a");
    const fs::path b = copyDisc(dir, "tsm12_blankpl_offset1", "b");  // no playlist 00000
    const fs::path c = copyDisc(dir, "tsm01_avc1080p24_ac3_chap5s", "c");
    const auto bBefore = files(b);
    auto r = runCli({"edit", "--each", a.string(), b.string(), c.string(), "--first-playback", "off", "--uo-mask",
                     "00000=clear", "--json"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j["discs"].size(), 3u);
    EXPECT_EQ(j["discs"][0]["written"], true);
    EXPECT_EQ(j["discs"][1]["ok"], false);
    EXPECT_NE(j["discs"][1]["error"].get<std::string>().find("no playlist 00000"), std::string::npos);
    EXPECT_EQ(j["discs"][2]["written"], true);
    EXPECT_EQ(files(b), bBefore);
    for (const fs::path& d : {a, c}) EXPECT_EQ(indexOf(d).indexes.first_playback.mobj_id_ref, kNoObject);
}

// libbluray reads what edit wrote: the chapters bd_list_titles counts and
// the First Playback bd_info reports.
TEST(CliEdit, LibblurayReadsTheResult) {
    NAVORA_NEED_CORPUS("tsmuxer");
    NAVORA_NEED_TOOL("bd_info");
    NAVORA_NEED_TOOL("bd_list_titles");
    TempDir dir;
    const fs::path disc = copyDisc(dir, "tsm01_avc1080p24_ac3_chap5s");
    auto info = [&] { return test::runTool({"bd_info", disc.string()}).out; };
    auto titles = [&] { return test::runTool({"bd_list_titles", "-a", "-l", disc.string()}).out; };
    ASSERT_NE(info().find("First Play supported: yes"), std::string::npos);
    ASSERT_NE(titles().find("chapters:   4"), std::string::npos);

    ASSERT_EQ(runCli(args(disc, {"--first-playback", "off", "--chapters", "00000=every:2s"})).exitCode, 0);
    EXPECT_NE(info().find("First Play supported: no"), std::string::npos) << info();
    EXPECT_NE(titles().find("chapters:  11"), std::string::npos) << titles();  // 0, 2, ... 20 s of 20.02 s

    ASSERT_EQ(runCli(args(disc, {"--first-playback", "title:1"})).exitCode, 0);
    EXPECT_NE(info().find("First Play supported: yes"), std::string::npos) << info();
}
