// Whole discs: the demo disc, and a corpus disc edited, saved and checked by
// libbluray's bd_info.

#include "disc/demo.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "core/logviews.h"
#include "disc/workspace.h"
#include "navdb/index_edit.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_edit.h"
#include "navdb/movieobject_io.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

using namespace navora;
using namespace navora::test;

namespace {

bool haveBdInfo() { return std::system("command -v bd_info >/dev/null 2>&1") == 0; }

// bd_info's report on a disc root (stdout only), and its exit code.
std::pair<int, std::string> bdInfo(const fs::path& root) {
    const std::string cmd = "bd_info '" + root.string() + "' 2>/dev/null";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    std::string out;
    char buf[512];
    while (p && std::fgets(buf, sizeof buf, p)) out += buf;
    const int status = p ? ::pclose(p) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

void expectContains(const std::string& text, const std::string& line) {
    EXPECT_NE(text.find(line), std::string::npos) << "missing \"" << line << "\" in:\n" << text;
}

// A writable copy of a corpus disc root.
fs::path copyDisc(const fs::path& from, const fs::path& to) {
    fs::copy(from, to, fs::copy_options::recursive);
    for (const auto& e : fs::recursive_directory_iterator(to))
        fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
    return to;
}

bool hasWord(const TMOBJ& m, std::uint32_t word0) {
    for (const auto& o : m.mobjs.objects)
        for (const auto& c : o.commands)
            if (c.opcode() == word0) return true;
    return false;
}

}  // namespace

TEST(DemoDisc, ReadsBackWholeAndConsistent) {
    TempDir a, b;
    makeDemoDisc(a.path());
    makeDemoDisc(b.path());
    const fs::path bdmv = a / "BDMV";
    const Bytes indexBytes = readFile(bdmv / "index.bdmv");
    const Bytes mobjBytes = readFile(bdmv / "MovieObject.bdmv");
    EXPECT_EQ(indexBytes, readFile(b / "BDMV" / "index.bdmv"));  // deterministic
    EXPECT_EQ(mobjBytes, readFile(b / "BDMV" / "MovieObject.bdmv"));
    EXPECT_EQ(readFile(bdmv / "BACKUP" / "index.bdmv"), indexBytes);

    MobjReadReport report;
    const TMOBJ m = readMovieObjects(mobjBytes, "MovieObject.bdmv", &report);
    EXPECT_TRUE(report.complete);
    EXPECT_EQ(m.mobjs.length, movieObjectsLength(m.mobjs));
    EXPECT_EQ(writeMovieObjects(m), mobjBytes);
    // Valid, forbidden and invalid words for the command grid to paint.
    for (std::uint32_t w : {0x22800000u, 0x21810000u, 0x50400001u, 0x51C00001u, 0x48400200u, 0x11000008u,
                            0x22050000u, 0x12345678u, 0x48800100u})
        EXPECT_TRUE(hasWord(m, w)) << std::hex << w;

    const TINDX x = readIndex(indexBytes, "index.bdmv", m.mobjs.objects.size());
    EXPECT_EQ(x.indexes.length, indexesLength(x.indexes));
    EXPECT_EQ(writeIndex(x), indexBytes);
    EXPECT_EQ(BDMVlabels(x, m.mobjs.objects.size()).titles, "4 + 2 titles");
    bool bdj = false;
    for (const auto& t : x.indexes.titles) {
        if (t.object_type == ObjectType::BDJ) bdj = !t.bdjo_file_name.empty();
        else EXPECT_LT(t.mobj_id_ref, m.mobjs.objects.size()) << t.title_number;
    }
    EXPECT_TRUE(bdj);
}

// A write that fails part-way (a full disk) leaves no partial disc: neither a
// new one nor files mixed into an existing one; the staging folder goes too.
TEST(DemoDisc, AFailedWriteLeavesNothingBehind) {
    TempDir dir;
    int saves = 0;
    setWriteFaultHook([&](std::size_t) { ++saves; });
    makeDemoDisc(dir / "counted");
    setWriteFaultHook(nullptr);
    ASSERT_GT(saves, 2);
    const auto contents = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(dir.path())) names.push_back(fs::relative(e.path(), dir.path()).string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = contents();
    for (const int failing : {1, saves / 2, saves}) {
        SCOPED_TRACE(failing);
        int n = 0;
        setWriteFaultHook([&](std::size_t) {
            if (++n == failing) throw std::runtime_error("No space left on device");
        });
        EXPECT_THROW(makeDemoDisc(dir / "new" / "disc"), IoError);
        n = 0;
        EXPECT_THROW(makeDemoDisc(dir / "counted"), IoError);
        setWriteFaultHook(nullptr);
        EXPECT_EQ(contents(), before);
    }
}

TEST(DemoDisc, PassesTheCheckAndBdInfo) {
    TempDir dir;
    const CliResult made = runCli({"make-demo", dir.path().string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const CliResult check = runCli({"check", dir.path().string()});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    expectContains(check.out, "Found 5 objects");
    expectContains(check.out, "Found 4 titles");
    EXPECT_EQ(check.out.find("ERROR"), std::string::npos) << check.out;

    if (!haveBdInfo()) GTEST_SKIP() << "bd_info (Debian libbluray-bin) is not on PATH";
    const auto [rc, out] = bdInfo(dir.path());
    EXPECT_EQ(rc, 0);
    expectContains(out, "First Play supported: yes");
    expectContains(out, "Top menu supported  : yes");
    expectContains(out, "HDMV titles         : 3");
    expectContains(out, "BD-J titles         : 1");
}

// A tsMuxer disc edited through the workspace: a title and a movie object
// inserted, both files saved, and libbluray reads the new title count.
TEST(EditedDisc, BdInfoSeesTheInsertedTitles) {
    NAVORA_NEED_CORPUS("tsmuxer");
    if (!haveBdInfo()) GTEST_SKIP() << "bd_info (Debian libbluray-bin) is not on PATH";
    TempDir tmp;
    const fs::path root = copyDisc(corpusDir() / "tsmuxer" / "tsm01_avc1080p24_ac3_chap5s", tmp / "disc");
    expectContains(bdInfo(root).second, "HDMV titles         : 1");

    Log log;
    RecordingLogView view;
    log.setView(&view);
    Workspace ws;
    ws.folder = (root / "BDMV").string() + "/";
    ASSERT_TRUE(ws.checkAndRead(log)) << view.text();
    ASSERT_TRUE(ws.indexLoaded && ws.mobjLoaded) << view.text();

    // A new movie object 3 that plays playlist 0, and two new titles after title 1.
    const auto obj = insertMovieObject(ws.mobj, ws.index, 3);
    ASSERT_EQ(obj, 3u);
    ws.mobj.mobjs.objects[3].commands.push_back(TCommand{{0x22800000, 0, 0}});
    ws.mobj.mobjs.length += 12;  // the command insert's own bookkeeping
    const auto hdmv = insertTitle(ws.index, 1);
    ASSERT_EQ(hdmv, 1u);
    ws.index.indexes.titles[1].mobj_id_ref = 3;
    const auto bdj = insertTitle(ws.index, 2);
    ASSERT_EQ(bdj, 2u);
    setTitleObjectType(ws.index.indexes.titles[2], ObjectType::BDJ);
    setTitleBdjoName(ws.index.indexes.titles[2], "00000");
    ASSERT_TRUE(ws.saveIndex(log)) << view.text();
    ASSERT_TRUE(ws.saveMovieObjects(log)) << view.text();
    EXPECT_TRUE(fs::exists(backupFileFor(ws.options, (root / "BDMV" / "index.bdmv").string())));
    // The disc's own BACKUP copies follow the save.
    EXPECT_EQ(readFile(root / "BDMV" / "BACKUP" / "index.bdmv"), readFile(root / "BDMV" / "index.bdmv"));
    EXPECT_EQ(readFile(root / "BDMV" / "BACKUP" / "MovieObject.bdmv"), readFile(root / "BDMV" / "MovieObject.bdmv"));

    const auto [rc, out] = bdInfo(root);
    EXPECT_EQ(rc, 0);
    expectContains(out, "HDMV titles         : 2");
    expectContains(out, "BD-J titles         : 1");
    expectContains(out, "First Play supported: yes");

    Workspace again;
    again.folder = ws.folder;
    ASSERT_TRUE(again.checkAndRead(log));
    EXPECT_EQ(again.index, ws.index);
    EXPECT_EQ(again.mobj, ws.mobj);
    EXPECT_EQ(again.mobj.mobjs.length, movieObjectsLength(again.mobj.mobjs));
}
