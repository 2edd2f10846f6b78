#include "core/errors.h"
#include "core/fileio.h"
#include "core/logviews.h"
#include "disc/workspace.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace navora;
using navora::test::readFile;
using navora::test::TempDir;
using navora::test::writeFile;
namespace fs = std::filesystem;

namespace {

// A save of BDMV/index.bdmv with its backup beside it (inTree) or under the
// output folder.
struct Saver {
    explicit Saver(bool inTree = false) {
        log.setView(&view);
        fs::create_directories(dir / "BDMV");
        options.backupInDiscTree = inTree;
        options.outputFolder = (dir / "out").string();
        backup = backupFileFor(options, file.string());
    }
    bool save(const Bytes& data) {
        return saveDatabaseFile(log, file.string(), "index.bdmv", data, options,
                                (dir / "BDMV" / "BACKUP" / "index.bdmv").string());
    }
    TempDir dir;
    fs::path file = dir / "BDMV" / "index.bdmv";
    std::string backup;
    WorkspaceOptions options;
    Log log;
    RecordingLogView view;
};

const bool kPlacements[] = {false, true};

}  // namespace

// The editor's own backups stay out of the disc tree unless asked for: under
// the output folder, below the file's whole path, and the log says where.
TEST(Backup, BackupsGoToTheOutputFolderOrBesideTheFile) {
    Saver out;
    EXPECT_EQ(fs::path(out.backup), fs::path(out.options.outputFolder) / "backup" /
                                        (fs::absolute(out.file).relative_path().string() + ".backup"));
    Saver beside(true);
    EXPECT_EQ(beside.backup, backupPath(beside.file.string()));
    for (Saver* s : {&out, &beside}) {
        writeFile(s->file, {1});
        ASSERT_TRUE(s->save({2}));
        EXPECT_EQ(readFile(s->backup), Bytes{1});
    }
    EXPECT_EQ(out.view.plainLines(),
              (std::vector<std::string>{"Saving index.bdmv", "  Backup " + out.backup, "index.bdmv saved."}));
    EXPECT_FALSE(fs::exists(backupPath(out.file.string())));
    // Nothing but the saved file in the disc tree.
    std::vector<std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(out.dir / "BDMV"))
        tree.push_back(e.path().filename().string());
    EXPECT_EQ(tree, std::vector<std::string>{"index.bdmv"});
    // Without an output folder they go to the per-user data folder.
    WorkspaceOptions noFolder;
    EXPECT_EQ(backupFileFor(noFolder, "/discs/A/BDMV/index.bdmv"),
              defaultBackupRoot() + "/discs/A/BDMV/index.bdmv.backup");
}

TEST(Backup, OnlyFirstKeepsTheFirstBackup) {
    for (bool inTree : kPlacements) {
        Saver s(inTree);
        writeFile(s.file, {1});
        ASSERT_TRUE(s.save({2}));
        s.view.lines.clear();
        ASSERT_TRUE(s.save({3}));
        EXPECT_EQ(readFile(s.backup), Bytes{1});
        EXPECT_EQ(readFile(s.file), Bytes{3});
        EXPECT_EQ(s.view.plainLines(), (std::vector<std::string>{"Saving index.bdmv", "index.bdmv saved."}));
    }
}

TEST(Backup, OverwriteReplacesTheBackupWithThePreviousFile) {
    for (bool inTree : kPlacements) {
        Saver s(inTree);
        s.options.backupMode = BackupMode::Overwrite;
        writeFile(s.file, {1});
        ASSERT_TRUE(s.save({2}));
        EXPECT_EQ(readFile(s.backup), Bytes{1});
        ASSERT_TRUE(s.save({3}));
        EXPECT_EQ(readFile(s.backup), Bytes{2});
        EXPECT_EQ(readFile(s.file), Bytes{3});
    }
}

TEST(Backup, StopIfExistsRefusesTheSecondSaveAndLeavesTheFile) {
    for (bool inTree : kPlacements) {
        Saver s(inTree);
        s.options.backupMode = BackupMode::StopIfExists;
        writeFile(s.file, {1});
        ASSERT_TRUE(s.save({2}));
        EXPECT_FALSE(s.save({3}));
        EXPECT_EQ(readFile(s.file), Bytes{2});
        EXPECT_EQ(readFile(s.backup), Bytes{1});
        EXPECT_TRUE(s.log.errorFlag);
        EXPECT_EQ(s.view.lines.back().plain, "ERROR: Cannot create backup file.");
        // The next save starts by clearing the flag.
        s.options.backupMode = BackupMode::OnlyFirst;
        EXPECT_TRUE(s.save({4}));
        EXPECT_FALSE(s.log.errorFlag);
    }
}

// The disc's BACKUP copy follows every save by default (a player that falls
// back to it must play the same disc), including a sub-folder it lacks; with
// "Save to BACKUP dir" off a copy that now differs is named in the log; a disc
// without BACKUP gets none.
TEST(Backup, OffMakesNoBackupAndBackupDirCopyFollowsItsOption) {
    Saver s;
    EXPECT_TRUE(s.options.saveToBackupDir);
    s.options.backup = false;
    writeFile(s.file, {1});
    ASSERT_TRUE(s.save({2}));
    EXPECT_FALSE(fs::exists(s.backup));
    EXPECT_FALSE(fs::exists(s.dir / "BDMV" / "BACKUP"));  // no BACKUP folder: none made
    fs::create_directories(s.dir / "BDMV" / "BACKUP");
    ASSERT_TRUE(s.save({3}));
    EXPECT_EQ(readFile(s.dir / "BDMV" / "BACKUP" / "index.bdmv"), Bytes{3});
    const std::string playlist = (s.dir / "BDMV" / "PLAYLIST" / "00001.mpls").string();
    const std::string playlistCopy = (s.dir / "BDMV" / "BACKUP" / "PLAYLIST" / "00001.mpls").string();
    fs::create_directories(s.dir / "BDMV" / "PLAYLIST");
    ASSERT_TRUE(saveDatabaseFile(s.log, playlist, "00001.mpls", {7}, s.options, playlistCopy));
    EXPECT_EQ(readFile(playlistCopy), Bytes{7});

    s.options.saveToBackupDir = false;
    s.view.lines.clear();
    ASSERT_TRUE(s.save({4}));
    EXPECT_EQ(readFile(s.dir / "BDMV" / "BACKUP" / "index.bdmv"), Bytes{3});
    EXPECT_EQ(s.view.plainLines().back(), "  " + (s.dir / "BDMV" / "BACKUP" / "index.bdmv").string() +
                                              " was left as it was (\"Save to BACKUP dir\" is off).");
}

// A BACKUP copy that cannot be written is an error line; the file is saved.
TEST(Backup, AFailedBackupDirCopyIsReported) {
    Saver s;
    fs::create_directories(s.dir / "BDMV" / "BACKUP" / "index.bdmv");  // a folder where the copy goes
    writeFile(s.file, {1});
    EXPECT_TRUE(s.save({2}));
    EXPECT_EQ(readFile(s.file), Bytes{2});
    EXPECT_TRUE(s.log.errorFlag);
    EXPECT_NE(s.view.lines.back().plain.find("The disc's BACKUP copy of index.bdmv was not updated"), std::string::npos)
        << s.view.lines.back().plain;
}

TEST(Backup, AFailedWritePutsThePreviousFileBack) {
    for (bool inTree : kPlacements) {
        Saver s(inTree);
        writeFile(s.file, {1, 2, 3});
        setWriteFaultHook([](std::size_t) { throw std::runtime_error("disk full"); });
        EXPECT_FALSE(s.save(Bytes(10, 9)));
        setWriteFaultHook(nullptr);
        EXPECT_EQ(readFile(s.file), (Bytes{1, 2, 3}));
        EXPECT_TRUE(s.log.errorFlag);
    }
}

TEST(Backup, TheSavedFileKeepsThePermissionsOfTheFileItReplaces) {
    for (bool backups : {true, false}) {
        Saver s(true);
        s.options.backup = backups;
        writeFile(s.file, {1});
        fs::permissions(s.file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
        ASSERT_TRUE(s.save({2}));
        EXPECT_EQ(fs::status(s.file).permissions(), fs::perms::owner_read | fs::perms::owner_write) << backups;
    }
}
