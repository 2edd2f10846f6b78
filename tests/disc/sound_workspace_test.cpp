// The workspace and sound.bdmv: read after the check, refused files reported
// and never overwritten, saves with backups; the demo disc's sounds and BD-J
// object.

#include "bdj/bdjo_io.h"
#include "core/logviews.h"
#include "disc/demo.h"
#include "disc/workspace.h"
#include "sound/sound_edit.h"
#include "sound/sound_io.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace navora;
using namespace navora::test;

namespace {

struct SoundRun {
    Log log;
    RecordingLogView view;
    Workspace ws;
    explicit SoundRun(const fs::path& bdmv) {
        log.setView(&view);
        ws.folder = bdmv.string() + "/";
    }
    bool logged(const std::string& part) const {
        const auto lines = view.plainLines();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != l.npos; });
    }
};

}  // namespace

TEST(WorkspaceSound, DemoDiscHasAMonoAndAStereoSoundAndTheBdjTitlesObject) {
    TempDir dir;
    makeDemoDisc(dir.path());
    SoundRun r(dir / "BDMV");
    ASSERT_TRUE(r.ws.checkAndRead(r.log));
    ASSERT_TRUE(r.ws.soundLoaded);
    ASSERT_EQ(r.ws.sound.entries.size(), 2u);
    EXPECT_EQ(r.ws.sound.entries[0].channel_configuration, SoundChannels::Mono);
    EXPECT_EQ(r.ws.sound.entries[1].channel_configuration, SoundChannels::Stereo);
    EXPECT_GT(r.ws.sound.entries[1].sound_data_length, 48000u);  // a tenth of a second at least
    EXPECT_TRUE(r.logged("Found 2 sound entries"));
    EXPECT_FALSE(r.logged("ERROR"));

    const auto& titles = r.ws.index.indexes.titles;
    const auto bdj = std::find_if(titles.begin(), titles.end(), [](const TTitle& t) { return t.object_type == ObjectType::BDJ; });
    ASSERT_NE(bdj, titles.end());
    ASSERT_NE(std::find(r.ws.bdjObjects.begin(), r.ws.bdjObjects.end(), bdj->bdjo_file_name), r.ws.bdjObjects.end());
    const TBDJO b = readBdjo(readFile(r.ws.paths().bdjoFolder() + bdj->bdjo_file_name + ".bdjo"), "demo.bdjo");
    EXPECT_EQ(b.applications.applications.size(), 1u);
    EXPECT_FALSE(b.accessible_playlists.PlayList_file_name.empty());
}

// A sound.bdmv of another version is named in an error line with what was
// found; the workspace holds no sound, so Save cannot replace the file with
// an empty one.
TEST(WorkspaceSound, RefusedFileIsReportedAndNeverOverwritten) {
    TempDir dir;
    makeDemoDisc(dir.path());
    const fs::path sound = dir / "BDMV/AUXDATA/sound.bdmv";
    Bytes data = readFile(sound);
    data[4] = '0';
    data[5] = '3';  // "0300"
    writeFile(sound, data);

    SoundRun r(dir / "BDMV");
    ASSERT_TRUE(r.ws.checkAndRead(r.log));
    EXPECT_TRUE(r.ws.soundPresent);
    EXPECT_FALSE(r.ws.soundLoaded);
    EXPECT_TRUE(r.logged("Format error sound.bdmv at $00000008: version \"0300\" is not supported")) << r.view.text();
    // The views show why, and the command line counts it as refused.
    EXPECT_EQ(r.ws.soundRefusal.rfind("Format error sound.bdmv at $00000008: version \"0300\"", 0), 0u) << r.ws.soundRefusal;
    EXPECT_EQ(r.ws.refusedFiles, std::vector<std::string>{"sound.bdmv"});
    EXPECT_TRUE(r.ws.indexLoaded);
    EXPECT_FALSE(r.ws.saveSound(r.log));
    EXPECT_EQ(readFile(sound), data);
    EXPECT_FALSE(fs::exists(backupFileFor(r.ws.options, sound.string())));
}

TEST(WorkspaceSound, SaveBacksUpAndWritesTheEditedFile) {
    TempDir dir;
    makeDemoDisc(dir.path());
    const fs::path sound = dir / "BDMV/AUXDATA/sound.bdmv";
    const Bytes before = readFile(sound);
    SoundRun r(dir / "BDMV");
    ASSERT_TRUE(r.ws.checkAndRead(r.log));
    ASSERT_TRUE(deleteSound(r.ws.sound, 0));
    ASSERT_TRUE(r.ws.saveSound(r.log));
    EXPECT_TRUE(r.logged("sound.bdmv saved."));
    // The backup lies out of the disc tree by default.
    EXPECT_EQ(readFile(backupFileFor(r.ws.options, sound.string())), before);
    EXPECT_FALSE(fs::exists(backupPath(sound.string())));
    const TSND saved = readSound(readFile(sound), "sound.bdmv");
    EXPECT_EQ(saved, r.ws.sound);
    EXPECT_EQ(saved.entries.size(), 1u);

    // A sound.bdmv created on a disc without AUXDATA gets the folder on its first save.
    fs::remove_all(dir / "BDMV/AUXDATA");
    SoundRun fresh(dir / "BDMV");
    ASSERT_TRUE(fresh.ws.checkAndRead(fresh.log));
    EXPECT_FALSE(fresh.ws.soundPresent || fresh.ws.soundLoaded);
    EXPECT_FALSE(fresh.ws.saveSound(fresh.log));
    fresh.ws.sound = saved;
    fresh.ws.soundLoaded = true;
    ASSERT_TRUE(fresh.ws.saveSound(fresh.log));
    EXPECT_EQ(readSound(readFile(sound), "sound.bdmv"), saved);
}
