#include "core/errors.h"
#include "core/fileio.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace navora;
using navora::test::TempDir;
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
