#include "core/errors.h"
#include "navdb/fixtures.h"
#include "navdb/movieobject_io.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

// Objects at 50 (2 commands, ends 78), 78 (none, ends 82) and 82 (3 commands, ends 122).
RawMobj threeObjects() {
    RawMobj r;
    r.objects = {
        {1, 0, 1, {{0x50400001, 0x00000000, 0x00000005}, {0x22800000, 0x00000001, 0x00000000}}},
        {0, 1, 0, {}},
        {1, 1, 1,
         {{0x51C00001, 0x8001C002, 0x00000000}, {0x11000008, 0, 0}, {0x21810000, 0x00000002, 0xFFFFFFFF}}},
    };
    return r;
}

std::vector<std::size_t> commandCounts(const TMOBJ& m) {
    std::vector<std::size_t> n;
    for (const auto& o : m.mobjs.objects) n.push_back(o.commands.size());
    return n;
}

}  // namespace

TEST(MovieObjectRead, FieldsAndByteExactWriteBack) {
    RawMobj r = threeObjects();
    r.extStart = 122;
    r.extBlock = rawExtBlock(4);
    const Bytes raw = rawMobj(r);
    MobjReadReport report;
    const TMOBJ m = readMovieObjects(raw, "MovieObject.bdmv", &report);
    EXPECT_TRUE(report.complete);
    EXPECT_EQ(report.wholeObjects, 3u);
    EXPECT_EQ(m.type_indicator, "MOBJ");
    EXPECT_EQ(m.version, "0200");
    EXPECT_EQ(m.mobjs.length, 78u);
    ASSERT_EQ(commandCounts(m), (std::vector<std::size_t>{2, 0, 3}));
    const Tmobject& o2 = m.mobjs.objects[2];
    EXPECT_EQ(o2.resume_intention_flag, 1);
    EXPECT_EQ(o2.menu_call_mask, 1);
    EXPECT_EQ(o2.title_search_mask, 1);
    EXPECT_EQ(m.mobjs.objects[1].menu_call_mask, 1);
    EXPECT_EQ(m.mobjs.objects[0].title_search_mask, 1);
    EXPECT_EQ(o2.commands[2], (TCommand{{0x21810000, 0x00000002, 0xFFFFFFFF}}));
    EXPECT_EQ(m.ext.entries.size(), 1u);
    EXPECT_EQ(m.ext.data.size(), 4u);
    EXPECT_EQ(writeMovieObjects(m), raw);
}

TEST(MovieObjectRead, WrongTypeOrVersionIsRefusedAtOffset8) {
    for (const char* version : {"0400", "0000", "01"}) {
        RawMobj r;
        r.version = version;
        try {
            readMovieObjects(rawMobj(r), "MovieObject.bdmv");
            ADD_FAILURE() << version;
        } catch (const WrongTypeError& e) {
            EXPECT_EQ(e.offset(), 8u);
        }
    }
    Bytes raw = rawMobj(RawMobj{});
    raw[0] = 'N';
    EXPECT_THROW(readMovieObjects(raw, "MovieObject.bdmv"), WrongTypeError);
}

TEST(MovieObjectRead, AFileCutInsideTheHeaderIsAFormatError) {
    const Bytes full = rawMobj(threeObjects());
    const std::pair<std::size_t, std::uint64_t> cases[] = {{0, 0}, {7, 4}, {8, 8}, {20, 12}, {45, 44}, {49, 48}};
    for (auto [cut, offset] : cases) {
        const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        try {
            readMovieObjects(part, "MovieObject.bdmv");
            ADD_FAILURE() << cut;
        } catch (const WrongTypeError&) {
            ADD_FAILURE() << "cut at " << cut << " reported as a wrong type";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.offset(), offset) << cut;
        }
    }
}

// After the header a short file is read as far as it goes and keeps only what
// it holds: whole commands of an object cut inside its command list, no object
// cut inside its head, none of the objects not reached; the length is made to
// match so that writing it back gives a file that reads back whole. The
// summary says what was kept and what was dropped.
TEST(MovieObjectRead, AFileCutAfterTheHeaderKeepsOnlyWhatItHolds) {
    RawMobj r = threeObjects();
    r.extStart = 122;
    r.extBlock = rawExtBlock(4);  // 122..150
    const Bytes full = rawMobj(r);
    struct Case {
        std::size_t cut;
        std::vector<std::size_t> commands;
        std::size_t wholeObjects, stoppedAt;
        const char* summary;
    };
    const Case cases[] = {
        {50, {}, 0, 50, "kept 0 of 3 movie objects whole; dropped 3 movie objects not in the file"},
        {52, {}, 0, 50, nullptr},
        {54, {0}, 0, 54,
         "kept 0 of 3 movie objects whole, and object 0 with 0 of its 2 commands; dropped 2 commands of object 0 "
         "and 2 movie objects not in the file"},
        {66, {1}, 0, 66, nullptr},
        {77, {1}, 0, 66, nullptr},
        {78, {2}, 1, 78, "kept 1 of 3 movie objects whole; dropped 2 movie objects not in the file"},
        {82, {2, 0}, 2, 82, nullptr},
        {100, {2, 0, 1}, 2, 98,
         "kept 2 of 3 movie objects whole, and object 2 with 1 of its 3 commands; dropped 2 commands of object 2"},
        {121, {2, 0, 2}, 2, 110, nullptr},
        {122, {2, 0, 3}, 3, 122, "kept 3 of 3 movie objects whole; dropped the ExtensionData block"},
        {130, {2, 0, 3}, 3, 122, nullptr},
        {149, {2, 0, 3}, 3, 122, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("cut at " + std::to_string(c.cut));
        const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.cut));
        MobjReadReport report;
        const TMOBJ m = readMovieObjects(part, "MovieObject.bdmv", &report);
        EXPECT_FALSE(report.complete);
        EXPECT_EQ(report.declaredObjects, 3u);
        EXPECT_EQ(report.wholeObjects, c.wholeObjects);
        EXPECT_EQ(report.stoppedAt, c.stoppedAt);
        EXPECT_EQ(commandCounts(m), c.commands);
        if (c.summary) {
            EXPECT_EQ(cutReadSummary(report), c.summary);
        }
        EXPECT_EQ(m.extension_data_start_address, 0u);
        EXPECT_EQ(m.ext, TExtensionData{});
        EXPECT_EQ(m.mobjs.length, movieObjectsLength(m.mobjs));
        if (c.cut >= 54) {
            EXPECT_EQ(m.mobjs.objects[0].resume_intention_flag, 1);
        }

        MobjReadReport again;
        EXPECT_EQ(readMovieObjects(writeMovieObjects(m), "MovieObject.bdmv", &again), m);
        EXPECT_TRUE(again.complete);
    }
    MobjReadReport whole;
    readMovieObjects(full, "MovieObject.bdmv", &whole);
    EXPECT_TRUE(whole.complete);
}

// A count of 65,535 objects in a small file is never taken at its word: the
// objects read are the ones whose bytes are there, and writing the model back
// gives a file no larger than the one read.
TEST(MovieObjectRead, AHugeObjectCountInASmallFileKeepsOnlyTheRealObjects) {
    Bytes raw = rawMobj(threeObjects());
    raw[48] = raw[49] = 0xFF;
    MobjReadReport report;
    const TMOBJ m = readMovieObjects(raw, "MovieObject.bdmv", &report);
    EXPECT_EQ(commandCounts(m), (std::vector<std::size_t>{2, 0, 3}));
    EXPECT_LE(m.mobjs.objects.capacity(), raw.size() / 4);
    EXPECT_EQ(cutReadSummary(report), "kept 3 of 65535 movie objects whole; dropped 65532 movie objects not in the file");
    EXPECT_EQ(writeMovieObjects(m).size(), raw.size());
}

TEST(MovieObjectRead, SpareBytesBeforeTheBlockAreKept) {
    RawMobj r = threeObjects();
    r.spareAfterObjects = {0, 0, 0, 0, 0, 7};
    r.extStart = 128;
    r.extBlock = rawExtBlock(3);
    const Bytes raw = rawMobj(r);
    const TMOBJ m = readMovieObjects(raw, "MovieObject.bdmv");
    EXPECT_EQ(m.spare_after_objects, r.spareAfterObjects);
    EXPECT_EQ(m.ext.data.size(), 3u);
    EXPECT_EQ(writeMovieObjects(m), raw);

    // Without a block, trailing bytes are kept too.
    RawMobj t = threeObjects();
    t.spareAfterObjects = {1, 2, 3};
    const Bytes tail = rawMobj(t);
    EXPECT_EQ(writeMovieObjects(readMovieObjects(tail, "MovieObject.bdmv")), tail);
}
