// The ExtensionData editor's result stored into index.bdmv and
// MovieObject.bdmv: the start address each host sets, and the file written
// from it reading back with the block where the address says.

#include "core/errors.h"
#include "fixtures.h"
#include "navdb/index_edit.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_edit.h"
#include "navdb/movieobject_io.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

TExtensionData blockOf(std::size_t n) {
    const Bytes raw = rawExtBlock(n);
    ByteReader in(raw, "x.exd");
    TExtensionData b;
    ReadExtensionData(in, b);
    return b;
}

struct HostCase {
    const char* name;
    Bytes spareBeforeBlock;  // bytes the file holds between its section and its block
};

const HostCase kHostCases[] = {{"plain", {}}, {"padded before the block", {0, 0, 0, 0, 0, 0}}};

}  // namespace

TEST(ExtensionDataHosts, IndexStoresTheBlockWhereItsAddressPoints) {
    for (const HostCase& c : kHostCases) {
        SCOPED_TRACE(c.name);
        RawIndex r;
        r.titles.resize(3);
        const std::uint32_t titlesEnd = 78 + 4 + 26 + 36;
        r.spareAfterTitles = c.spareBeforeBlock;
        r.extStart = static_cast<std::uint32_t>(titlesEnd + c.spareBeforeBlock.size());
        r.extBlock = rawExtBlock(4);
        TINDX x = readIndex(rawIndex(r), "index.bdmv");

        // The same block again changes nothing.
        TINDX same = x;
        setIndexExtensionData(same, x.ext);
        EXPECT_EQ(same, x);

        setIndexExtensionData(x, blockOf(30));
        // Indexes start + 4 + Indexes length, past the bytes kept before the block.
        EXPECT_EQ(x.extension_data_start_address, r.extStart);
        const TINDX back = readIndex(writeIndex(x), "index.bdmv");
        EXPECT_EQ(back.ext, blockOf(30));

        setIndexExtensionData(x, TExtensionData{});
        EXPECT_EQ(x.extension_data_start_address, 0u);
        const Bytes written = writeIndex(x);
        EXPECT_EQ(written.size(), titlesEnd + c.spareBeforeBlock.size());
        EXPECT_EQ(readIndex(written, "index.bdmv").ext, TExtensionData{});
    }
}

TEST(ExtensionDataHosts, IndexWithoutABlockGetsOneAfterItsTitles) {
    RawIndex r;
    r.titles.resize(2);
    TINDX x = readIndex(rawIndex(r), "index.bdmv");
    setIndexExtensionData(x, blockOf(10));
    EXPECT_EQ(x.extension_data_start_address, 78u + 4 + x.indexes.length);
    EXPECT_EQ(readIndex(writeIndex(x), "index.bdmv").ext, blockOf(10));
}

TEST(ExtensionDataHosts, MovieObjectStoresTheBlockWhereItsAddressPoints) {
    for (const HostCase& c : kHostCases) {
        SCOPED_TRACE(c.name);
        RawMobj r;
        r.objects.resize(2);
        r.objects[1].commands.push_back({0x50000001, 0, 0});
        const std::uint32_t objectsEnd = 44 + rawMobjLength(r);
        r.spareAfterObjects = c.spareBeforeBlock;
        r.extStart = static_cast<std::uint32_t>(objectsEnd + c.spareBeforeBlock.size());
        r.extBlock = rawExtBlock(4);
        TMOBJ m = readMovieObjects(rawMobj(r), "MovieObject.bdmv");

        setMovieObjectExtensionData(m, blockOf(17));
        // 44 + MovieObjects length, past the bytes kept before the block.
        EXPECT_EQ(m.extension_data_start_address, r.extStart);
        EXPECT_EQ(readMovieObjects(writeMovieObjects(m), "MovieObject.bdmv").ext, blockOf(17));

        setMovieObjectExtensionData(m, TExtensionData{});
        EXPECT_EQ(m.extension_data_start_address, 0u);
        EXPECT_EQ(writeMovieObjects(m).size(), objectsEnd + c.spareBeforeBlock.size());
    }
}
