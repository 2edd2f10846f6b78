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

struct Saver {
    Saver() { log.setView(&view); }
    bool save(const Bytes& data) {
        return saveDatabaseFile(log, file.string(), "index.bdmv", data, options, (dir / "BACKUP" / "index.bdmv").string());
    }
    TempDir dir;
    fs::path file = dir / "index.bdmv";
    std::string backup = backupPath(file.string());
    WorkspaceOptions options;
    Log log;
    RecordingLogView view;
};

}  // namespace

TEST(Backup, OnlyFirstKeepsTheFirstBackup) {
    Saver s;
    writeFile(s.file, {1});
    ASSERT_TRUE(s.save({2}));
    ASSERT_TRUE(s.save({3}));
    EXPECT_EQ(readFile(s.backup), Bytes{1});
    EXPECT_EQ(readFile(s.file), Bytes{3});
    EXPECT_EQ(s.view.plainLines(), (std::vector<std::string>{"Saving index.bdmv", "index.bdmv saved.",
                                                             "Saving index.bdmv", "index.bdmv saved."}));
}

TEST(Backup, OverwriteReplacesTheBackupWithThePreviousFile) {
    Saver s;
    s.options.backupMode = BackupMode::Overwrite;
    writeFile(s.file, {1});
    ASSERT_TRUE(s.save({2}));
    EXPECT_EQ(readFile(s.backup), Bytes{1});
    ASSERT_TRUE(s.save({3}));
    EXPECT_EQ(readFile(s.backup), Bytes{2});
    EXPECT_EQ(readFile(s.file), Bytes{3});
}

TEST(Backup, StopIfExistsRefusesTheSecondSaveAndLeavesTheFile) {
    Saver s;
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

TEST(Backup, OffMakesNoBackupAndBackupDirCopyFollowsItsOption) {
    Saver s;
    s.options.backup = false;
    fs::create_directories(s.dir / "BACKUP");
    writeFile(s.file, {1});
    ASSERT_TRUE(s.save({2}));
    EXPECT_FALSE(fs::exists(s.backup));
    EXPECT_FALSE(fs::exists(s.dir / "BACKUP" / "index.bdmv"));
    s.options.saveToBackupDir = true;
    ASSERT_TRUE(s.save({3}));
    EXPECT_EQ(readFile(s.dir / "BACKUP" / "index.bdmv"), Bytes{3});
}

TEST(Backup, AFailedWritePutsThePreviousFileBack) {
    Saver s;
    writeFile(s.file, {1, 2, 3});
    setWriteFaultHook([](std::size_t) { throw std::runtime_error("disk full"); });
    EXPECT_FALSE(s.save(Bytes(10, 9)));
    setWriteFaultHook(nullptr);
    EXPECT_EQ(readFile(s.file), (Bytes{1, 2, 3}));
    EXPECT_TRUE(s.log.errorFlag);
}

TEST(Backup, TheSavedFileKeepsThePermissionsOfTheFileItReplaces) {
    for (bool backups : {true, false}) {
        Saver s;
        s.options.backup = backups;
        writeFile(s.file, {1});
        fs::permissions(s.file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
        ASSERT_TRUE(s.save({2}));
        EXPECT_EQ(fs::status(s.file).permissions(), fs::perms::owner_read | fs::perms::owner_write) << backups;
    }
}
