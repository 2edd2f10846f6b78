#include "core/errors.h"
#include "navdb/index_edit.h"
#include "navdb/index_io.h"
#include "navdb/fixtures.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

// Four titles that cover the field values the views name and those they do not.
RawIndex mixedIndex() {
    RawIndex r;
    r.provider = "Studio";
    r.titles = {
        {1, 0, 0, 0, ""},       // HDMV, Permitted, Movie, object 0
        {1, 1, 1, 2, ""},       // access type 1: shown as Permitted, kept as 1
        {2, 3, 2, 0, "00007"},  // BD-J, Prohibited2, playback type 2
        {1, 2, 3, 1, ""},       // playback type 3
    };
    return r;
}

}  // namespace

TEST(IndexRead, FieldsOfAHandLaidFileAndByteExactWriteBack) {
    const Bytes raw = rawIndex(mixedIndex());
    const TINDX x = readIndex(raw, "index.bdmv");
    EXPECT_EQ(x.indexes_start_address, 78u);
    EXPECT_EQ(x.content_provider, "Studio");
    EXPECT_EQ(x.indexes.length, 26u + 4 * 12);
    EXPECT_EQ(x.indexes.first_playback.mobj_id_ref, 2);
    EXPECT_EQ(x.indexes.first_playback.playback_type, PlaybackType::Interactive);
    ASSERT_EQ(x.indexes.titles.size(), 4u);
    const TTitle& bdj = x.indexes.titles[2];
    EXPECT_EQ(bdj.title_number, 3u);
    EXPECT_EQ(bdj.object_type, ObjectType::BDJ);
    EXPECT_EQ(bdj.access_type, AccessType::Prohibited2);
    EXPECT_EQ(bdj.playback_type, PlaybackType{2});
    EXPECT_EQ(bdj.bdjo_file_name, "00007");
    EXPECT_EQ(x.indexes.titles[1].access_type, AccessType{1});
    EXPECT_EQ(x.indexes.titles[3].playback_type, PlaybackType{3});
    EXPECT_EQ(writeIndex(x), raw);
}

TEST(IndexRead, ContentProviderOfThirtyTwoCharactersHasNoTerminatingNul) {
    RawIndex r;
    r.provider = std::string(32, 'P');
    const Bytes raw = rawIndex(r);
    TINDX x = readIndex(raw, "index.bdmv");
    EXPECT_EQ(x.content_provider.size(), 32u);
    EXPECT_EQ(writeIndex(x), raw);
    setContentProvider(x, std::string(40, 'Q'));
    const Bytes out = writeIndex(x);
    EXPECT_EQ(std::string(out.begin() + 46, out.begin() + 78), std::string(32, 'Q'));
    EXPECT_EQ(out[78], 0);  // the Indexes length follows at once
}

TEST(IndexRead, EntryReferencesAreCheckedOnlyAgainstAKnownObjectCount) {
    RawIndex r;
    r.firstPlayback.ref = 5;
    r.topMenu.ref = 2;
    const Bytes raw = rawIndex(r);
    const TINDX checked = readIndex(raw, "index.bdmv", 3);
    EXPECT_EQ(checked.indexes.first_playback.mobj_id_ref, kNoObject);
    EXPECT_EQ(checked.indexes.top_menu.mobj_id_ref, 2);
    EXPECT_EQ(BDMVlabels(checked, 3).titles, "0 + 1 titles");
    const TINDX unknown = readIndex(raw, "index.bdmv");
    EXPECT_EQ(unknown.indexes.first_playback.mobj_id_ref, 5);
    EXPECT_EQ(writeIndex(unknown), raw);
}

TEST(IndexRead, BdjEntriesAreOnAndAnEntryTurnedOffIsWrittenAsNoObject) {
    RawIndex r;
    r.firstPlayback = {2, 0, 2, 0, "00001"};
    r.topMenu = {2, 0, 3, 0, "00002"};
    const Bytes raw = rawIndex(r);
    TINDX x = readIndex(raw, "index.bdmv", 0);
    EXPECT_EQ(x.indexes.first_playback.bdjo_file_name, "00001");
    EXPECT_TRUE(entryIsOn(x.indexes.first_playback));
    EXPECT_TRUE(entryIsOn(x.indexes.top_menu));
    EXPECT_EQ(writeIndex(x), raw);

    setEntryOn(x, IndexEntryKind::TopMenu, false, std::nullopt);
    const TINDX back = readIndex(writeIndex(x), "index.bdmv");
    EXPECT_FALSE(entryIsOn(back.indexes.top_menu));
    EXPECT_TRUE(entryIsOn(back.indexes.first_playback));
}

TEST(IndexRead, WrongTypeOrVersionIsRefusedAtOffset8) {
    for (const char* version : {"0400", "0000", "020"}) {
        RawIndex r;
        r.version = version;
        const Bytes raw = rawIndex(r);
        try {
            readIndex(raw, "index.bdmv");
            ADD_FAILURE() << version;
        } catch (const WrongTypeError& e) {
            EXPECT_EQ(e.offset(), 8u) << version;
            EXPECT_EQ(e.file(), "index.bdmv");
        }
    }
    Bytes raw = rawIndex(RawIndex{});
    raw[3] = 'Y';
    EXPECT_THROW(readIndex(raw, "index.bdmv"), WrongTypeError);
}

TEST(IndexRead, TitleLimitIs999) {
    RawIndex r;
    r.titles.assign(999, RawEntry{});
    EXPECT_EQ(readIndex(rawIndex(r), "index.bdmv").indexes.titles.size(), 999u);
    r.titles.push_back(RawEntry{});
    try {
        readIndex(rawIndex(r), "index.bdmv");
        FAIL();
    } catch (const TooManyTitlesError& e) {
        EXPECT_EQ(e.count(), 1000u);
        EXPECT_EQ(e.offset(), 108u);
    }
    // The count alone decides: a huge count in a short file is refused as such.
    RawIndex big;
    big.declaredTitles = 40000;
    EXPECT_THROW(readIndex(rawIndex(big), "index.bdmv"), TooManyTitlesError);
}

// Where the reader stops on a cut file: the offset of the field that did not fit.
TEST(IndexRead, CutFilesAreFormatErrorsAtTheFieldThatDoesNotFit) {
    RawIndex r = mixedIndex();
    r.extStart = 78 + 4 + 26 + 4 * 12;  // 156, right after the titles
    r.extBlock = rawExtBlock(10);        // 34 bytes
    const Bytes full = rawIndex(r);
    ASSERT_EQ(full.size(), 190u);
    struct Case {
        std::size_t cut;
        std::uint64_t offset;
    };
    const Case cases[] = {
        {0, 0},     {3, 0},     {6, 4},     {30, 16},   {45, 44},   {77, 46},   {80, 78},   {90, 90},
        {100, 100}, {107, 106}, {115, 108}, {155, 108}, {157, 156}, {170, 168}, {180, 156}, {189, 156},
    };
    for (const Case& c : cases) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.cut));
        try {
            readIndex(cut, "cut.bdmv");
            ADD_FAILURE() << "cut at " << c.cut << " was accepted";
        } catch (const WrongTypeError&) {
            ADD_FAILURE() << "cut at " << c.cut << " reported as a wrong type";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.offset(), c.offset) << "cut at " << c.cut << ": " << e.what();
            EXPECT_EQ(e.file(), "cut.bdmv");
        }
    }
    // Every other length, too: a clear error, never a crash or a model.
    for (std::size_t n = 0; n < full.size(); ++n) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_THROW(readIndex(cut, "cut.bdmv"), FormatError) << n;
    }
    EXPECT_NO_THROW(readIndex(full, "cut.bdmv"));
}

TEST(IndexRead, SpareBytesBeforeTheIndexesAndBeforeTheBlockAreKept) {
    RawIndex r = mixedIndex();
    r.spareBeforeIndexes = {1, 2, 3, 4, 5, 6};
    r.indexesStart = 84;
    r.spareAfterTitles = {0, 0, 0, 0, 9, 9, 9, 9};
    r.extStart = 84 + 4 + 26 + 48 + 8;
    r.extBlock = rawExtBlock(5);
    const Bytes raw = rawIndex(r);
    TINDX x = readIndex(raw, "index.bdmv");
    EXPECT_EQ(x.spare_before_indexes, r.spareBeforeIndexes);
    EXPECT_EQ(x.spare_after_titles, r.spareAfterTitles);
    ASSERT_EQ(x.ext.entries.size(), 1u);
    EXPECT_EQ(x.ext.entries[0].ID1, 0x1000);
    EXPECT_EQ(x.ext.data.size(), 5u);
    EXPECT_EQ(writeIndex(x), raw);

    // After an edit the stored address still names the block.
    insertTitle(x, 4);
    const Bytes edited = writeIndex(x);
    const TINDX back = readIndex(edited, "index.bdmv");
    EXPECT_EQ(back.extension_data_start_address, r.extStart + 12);
    EXPECT_EQ(back.ext, x.ext);
    EXPECT_EQ(edited.size(), raw.size() + 12);
}

TEST(IndexRead, StartAddressesOutsideTheFileAreFormatErrors) {
    struct Case {
        std::uint32_t indexesStart, extStart;
        const char* words;
    };
    const Case cases[] = {
        {40, 0, "points into the header"},
        {5000, 0, "Indexes start address"},
        {78, 5000, "ExtensionData start address"},
    };
    for (const Case& c : cases) {
        RawIndex r;
        r.indexesStart = c.indexesStart;
        r.extStart = c.extStart;
        try {
            readIndex(rawIndex(r), "index.bdmv");
            ADD_FAILURE() << c.words;
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
        }
    }
}

TEST(IndexWrite, RefusesMoreTitlesThanAReaderAccepts) {
    TINDX x;
    x.indexes.titles.resize(1000);
    EXPECT_THROW(writeIndex(x), std::length_error);
}
