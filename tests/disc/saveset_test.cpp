#include "disc/saveset.h"
#include "core/fileio.h"
#include "core/logviews.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace navora;
using navora::test::readFile;
using navora::test::TempDir;
using navora::test::writeFile;
namespace fs = std::filesystem;

namespace {

// Three files (the last one new) saved together, with a fault at a chosen step.
struct SaveSet {
    SaveSet() {
        log.setView(&view);
        writeFile(dir / "a", {1});
        writeFile(dir / "b", {2});
        for (const char* name : {"a", "b", "c"}) files.push_back({(dir / name).string(), name, Bytes{9, 9}, {}});
        // The backups beside the files, where the test sees them.
        options.backupInDiscTree = true;
    }
    ~SaveSet() {
        setSaveSetRenameHook({});
        setWriteFaultHook({});
    }
    // Every name in the folder with its bytes.
    std::map<std::string, Bytes> folder() const {
        std::map<std::string, Bytes> out;
        for (const auto& e : fs::directory_iterator(dir.path())) out[e.path().filename().string()] = readFile(e.path());
        return out;
    }
    TempDir dir;
    std::vector<FileSave> files;
    WorkspaceOptions options;
    Log log;
    RecordingLogView view;
};

}  // namespace

TEST(SaveSet, WritesEveryFileWithItsBackup) {
    SaveSet s;
    ASSERT_TRUE(saveDatabaseFiles(s.log, s.files, s.options));
    const std::map<std::string, Bytes> want = {
        {"a", {9, 9}}, {"a.backup", {1}}, {"b", {9, 9}}, {"b.backup", {2}}, {"c", {9, 9}}};
    EXPECT_EQ(s.folder(), want);
}

// A fault before any rename (a temporary file that cannot be written) and
// faults after one or two files were replaced all leave the folder exactly as
// it was: no file changed, no backup left, no temporary file.
TEST(SaveSet, AFailureAnywhereLeavesEveryFileAsItWas) {
    struct Case {
        const char* what;
        int failWrite;    // the temporary file whose write fails (-1: none)
        int failRename;   // the rename that fails (-1: none)
        bool backupMade;  // backups on
    };
    const Case cases[] = {
        {"second temporary file", 1, -1, true},
        {"first rename", -1, 0, true},
        {"second rename, after a replaced file", -1, 1, true},
        {"third rename (a new file), after two", -1, 2, true},
        {"third rename, backups off", -1, 2, false},
    };
    for (const Case& c : cases) {
        SaveSet s;
        s.options.backup = c.backupMade;
        // A backup kept from an earlier save stays as it is.
        writeFile(s.dir / "b.backup", {7});
        const auto before = s.folder();
        int writes = 0;
        if (c.failWrite >= 0)
            setWriteFaultHook([&](std::size_t) {
                if (writes++ == c.failWrite) throw std::runtime_error("disc full");
            });
        if (c.failRename >= 0)
            setSaveSetRenameHook([&](std::size_t i) {
                if (static_cast<int>(i) == c.failRename) throw std::runtime_error("rename refused");
            });
        EXPECT_FALSE(saveDatabaseFiles(s.log, s.files, s.options)) << c.what;
        EXPECT_EQ(s.folder(), before) << c.what;
        EXPECT_TRUE(s.log.errorFlag) << c.what;
    }
}
