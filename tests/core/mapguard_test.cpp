#include "core/mapguard.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace navora;

namespace {

// Three pages of a file, mapped; the file can then be cut to one page.
struct MappedFile {
    test::TempDir tmp;
    std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    int fd = -1;
    const volatile std::uint8_t* data = nullptr;

    MappedFile() {
        const auto path = tmp / "f";
        test::writeFile(path, Bytes(3 * page, 0xAB));
        fd = ::open(path.c_str(), O_RDONLY);
        void* m = ::mmap(nullptr, 3 * page, PROT_READ, MAP_SHARED, fd, 0);
        if (m != MAP_FAILED) data = static_cast<const std::uint8_t*>(m);
    }
    ~MappedFile() {
        if (data) ::munmap(const_cast<std::uint8_t*>(data), 3 * page);
        if (fd >= 0) ::close(fd);
    }
    void cutToOnePage() const { ASSERT_EQ(::truncate((tmp / "f").c_str(), static_cast<off_t>(page)), 0); }
};

}  // namespace

TEST(MapGuard, AReadPastAFileCutShortReadsZerosInsteadOfEndingTheProcess) {
    MappedFile f;
    ASSERT_NE(f.data, nullptr);
    MapGuard guard(const_cast<const std::uint8_t*>(f.data), 3 * f.page);
    ASSERT_TRUE(guard.active());
    EXPECT_EQ(f.data[2 * f.page], 0xAB);
    f.cutToOnePage();
    EXPECT_EQ(f.data[10], 0xAB);  // still inside the file
    EXPECT_FALSE(guard.damaged());
    EXPECT_EQ(f.data[2 * f.page + 5], 0);
    EXPECT_TRUE(guard.damaged());
}

TEST(MapGuardDeathTest, AFaultOutsideEveryGuardStillEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    MappedFile f;
    ASSERT_NE(f.data, nullptr);
    { MapGuard installed(const_cast<const std::uint8_t*>(f.data), f.page); }  // the handler is in place, unguarding
    f.cutToOnePage();
    EXPECT_DEATH(static_cast<void>(f.data[2 * f.page]), "");
}
