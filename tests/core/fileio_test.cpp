#include "core/errors.h"
#include "core/fileio.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <new>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace navora;
using navora::test::TempDir;
using navora::test::readFile;
using navora::test::writeFile;
namespace fs = std::filesystem;

TEST(FileIo, SaveAtomicReplacesTheFile) {
    TempDir dir;
    const auto p = dir / "a.bin";
    saveAtomic(p, Bytes{1, 2, 3});
    saveAtomic(p, Bytes{4, 5});
    EXPECT_EQ(readWholeFile(p), (Bytes{4, 5}));
    // Nothing but the target is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
}

TEST(FileIo, AWriteThatFailsPartWayLeavesTheOldFileIntact) {
    TempDir dir;
    const auto p = dir / "index.bdmv";
    const Bytes old(1000, 0x11);
    saveAtomic(p, old);
    setWriteFaultHook([](std::size_t written) {
        if (written > 0) throw std::runtime_error("disk full");
    });
    const Bytes big(3 << 20, 0x22);  // several chunks
    EXPECT_THROW(saveAtomic(p, big), IoError);
    setWriteFaultHook(nullptr);
    EXPECT_EQ(readWholeFile(p), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
}

TEST(FileIo, MissingFilesAndFoldersAreClearErrors) {
    TempDir dir;
    try {
        readWholeFile(dir / "nope.bdmv");
        FAIL();
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("nope.bdmv"), std::string::npos);
    }
    EXPECT_THROW(saveAtomic(dir / "no" / "such" / "dir.bin", Bytes{1}), IoError);
}

// Database files are read only when they are regular files within the size
// cap: a device, a FIFO (which must not block), a folder or an over-size
// sparse file is refused at once with the file's name and the reason.
TEST(FileIo, DatabaseFileReadsRefuseWhatIsNotASmallRegularFile) {
    TempDir dir;
    fs::create_symlink("/dev/zero", dir / "zero.bdmv");
    ASSERT_EQ(::mkfifo((dir / "fifo.bdmv").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.bdmv");
    {
        std::ofstream big(dir / "big.mpls", std::ios::binary);
    }
    fs::resize_file(dir / "big.mpls", kMaxDatabaseFileSize + 1);  // sparse: costs no disk
    struct Case {
        const char* name;
        const char* reason;
    };
    const Case cases[] = {
        {"zero.bdmv", "not a regular file"},
        {"fifo.bdmv", "not a regular file"},
        {"folder.bdmv", "not a regular file"},
        {"big.mpls", "16777217 bytes is more than the 16777216 bytes"},
        {"missing.bdmv", "No such file"},
    };
    for (const Case& c : cases) {
        try {
            (void)readDatabaseFile(dir / c.name);
            ADD_FAILURE() << c.name << " was read";
        } catch (const IoError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(c.name), std::string::npos) << what;
            EXPECT_NE(what.find(c.reason), std::string::npos) << what;
        }
    }
    // At the cap the file is read whole.
    saveAtomic(dir / "small.bin", Bytes{1, 2, 3});
    EXPECT_EQ(readDatabaseFile(dir / "small.bin", 3), (Bytes{1, 2, 3}));
    EXPECT_THROW(readDatabaseFile(dir / "small.bin", 2), IoError);
}

// A save killed part-way leaves the previous file as it was; whatever
// temporary file it left behind is recognised and removed by the next save.
// Leftovers of other files, and a temporary file a running save holds, stay.
TEST(FileIo, TemporaryFilesOfInterruptedSavesAreCleanedUp) {
    TempDir dir;
    const fs::path target = dir / "index.bdmv";
    saveAtomic(target, Bytes{1, 2, 3});

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setWriteFaultHook([](std::size_t) { ::raise(SIGKILL); });
        saveAtomic(target, Bytes(3 << 20, 0x22));
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(readWholeFile(target), (Bytes{1, 2, 3}));

    // Leftovers as a killed save (or an earlier version) could leave them.
    writeFile(dir / "index.bdmv.navora-save-AbC123", Bytes{9});
    writeFile(dir / ".index.bdmv.navora-xYz789", Bytes{9});
    writeFile(dir / "MovieObject.bdmv.navora-save-QQQQQQ", Bytes{9});
    writeFile(dir / "index.bdmv.navora-save-Held00", Bytes{9});
    writeFile(dir / "index.bdmv.navora-saved", Bytes{9});  // not a temporary name
    const int held = ::open((dir / "index.bdmv.navora-save-Held00").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    saveAtomic(target, Bytes{4, 5});
    EXPECT_EQ(readWholeFile(target), (Bytes{4, 5}));
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"index.bdmv", "MovieObject.bdmv.navora-save-QQQQQQ",
                                            "index.bdmv.navora-save-Held00", "index.bdmv.navora-saved"}));

    // The folder-wide clean-up takes every leftover nobody holds.
    EXPECT_EQ(removeStaleSaveFiles(dir.path()),
              std::vector<fs::path>{dir / "MovieObject.bdmv.navora-save-QQQQQQ"});
    ::close(held);
    EXPECT_EQ(removeStaleSaveFiles(dir.path()), std::vector<fs::path>{dir / "index.bdmv.navora-save-Held00"});
}

namespace {

// Failures reach the user in the program's own words, never as the library's
// "std::bad_alloc" or "filesystem error" texts.
TEST(FileIo, ErrorTextSaysWhatFailed) {
    TempDir dir;
    writeFile(dir / "file", Bytes{1});
    try {
        fs::create_directories(dir / "file" / "img");
        FAIL();
    } catch (const fs::filesystem_error& e) {
        const std::string text = errorText(e);
        EXPECT_EQ(text, "cannot create directories \"" + (dir / "file" / "img").string() + "\": Not a directory");
    }
    const std::string memory = errorText(std::bad_alloc());
    EXPECT_EQ(memory.find("bad_alloc"), std::string::npos);
    EXPECT_NE(memory.find("out of memory"), std::string::npos);
    EXPECT_EQ(errorText(IoError("cannot read x")), "cannot read x");
}

// Several files land together or not at all.
TEST(FileIo, AStagedFolderLandsWholeOrNotAtAll) {
    TempDir dir;
    fs::create_directories(dir / "out");
    writeFile(dir / "out" / "old.png", Bytes{1});
    {
        StagedFolder staged(dir / "out");
        saveAtomic(staged.path() / "a.png", Bytes{2});
        saveAtomic(staged.path() / "old.png", Bytes{3});
    }  // no commit: the old file stays alone
    EXPECT_EQ(readFile(dir / "out" / "old.png"), Bytes{1});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
    EXPECT_FALSE(fs::exists(dir / "out" / "a.png"));
    {
        StagedFolder staged(dir / "deep" / "new");
        saveAtomic(staged.path() / "a.png", Bytes{2});
    }  // the folders it made go as well
    EXPECT_FALSE(fs::exists(dir / "deep"));
    for (const fs::path& target : {dir / "out", dir / "new"}) {
        StagedFolder staged(target);
        fs::create_directories(staged.path() / "sub");
        saveAtomic(staged.path() / "sub" / "b.png", Bytes{4});
        saveAtomic(staged.path() / "old.png", Bytes{5});
        staged.commit();
        EXPECT_EQ(readFile(target / "sub" / "b.png"), Bytes{4});
        EXPECT_EQ(readFile(target / "old.png"), Bytes{5});
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 2);
}

}  // namespace
