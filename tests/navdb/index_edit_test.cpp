#include "navdb/index_edit.h"
#include "navdb/index_io.h"

#include <gtest/gtest.h>

using namespace navora;

namespace {

// n HDMV titles; title i refers to object i and carries the BD-J name "T<i>".
// With a block, an empty ExtensionData block follows the titles.
TINDX titles(std::size_t n, bool withBlock = false) {
    TINDX x;
    for (std::size_t i = 0; i < n; ++i) {
        TTitle t;
        t.mobj_id_ref = static_cast<std::uint16_t>(i);
        t.bdjo_file_name = "T" + std::to_string(i);
        x.indexes.titles.push_back(t);
    }
    renumberTitles(x);
    x.indexes.length = indexesLength(x.indexes);
    if (withBlock) {
        x.ext.length = 8;
        x.extension_data_start_address = 78 + 4 + x.indexes.length;
    }
    return x;
}

void expectNumbered(const TINDX& x) {
    for (std::size_t i = 0; i < x.indexes.titles.size(); ++i)
        EXPECT_EQ(x.indexes.titles[i].title_number, i + 1) << "position " << i;
}

}  // namespace

TEST(TitleInsert, IntoAnEmptyListGivesTitleOneHdmvMovieObjectZero) {
    TINDX x;
    const auto length = x.indexes.length;
    ASSERT_EQ(insertTitle(x, 5), 0u);
    ASSERT_EQ(x.indexes.titles.size(), 1u);
    const TTitle& t = x.indexes.titles[0];
    EXPECT_EQ(t.title_number, 1u);
    EXPECT_EQ(t.object_type, ObjectType::HDMV);
    EXPECT_EQ(t.access_type, AccessType::Permitted);
    EXPECT_EQ(t.playback_type, PlaybackType::Movie);
    EXPECT_EQ(t.mobj_id_ref, 0);
    EXPECT_EQ(x.indexes.length, length + 12);
    EXPECT_EQ(x.extension_data_start_address, 0u);  // no block: stays 0
    EXPECT_EQ(indline(t, 1), (std::array<std::string, 5>{"001", "HDMV", "Permitted", "Movie", "0"}));
}

TEST(TitleInsert, AfterATitleTakesTheBdjNameOfThePlaceAndMovesTheBlock) {
    TINDX x = titles(4, true);
    ASSERT_EQ(x.extension_data_start_address, 156u);
    ASSERT_EQ(insertTitle(x, 2), 2u);  // after title 2
    ASSERT_EQ(x.indexes.titles.size(), 5u);
    expectNumbered(x);
    EXPECT_EQ(x.indexes.titles[2].bdjo_file_name, "T2");  // the title that held position 2
    EXPECT_EQ(x.indexes.titles[2].mobj_id_ref, 0);
    EXPECT_EQ(x.indexes.titles[3].mobj_id_ref, 2);  // old title 3 moved up
    EXPECT_EQ(x.indexes.length, indexesLength(x.indexes));
    EXPECT_EQ(x.extension_data_start_address, 168u);

    ASSERT_EQ(insertTitle(x, 99), 5u);  // appended
    EXPECT_EQ(x.indexes.titles[5].bdjo_file_name, "");
    EXPECT_EQ(x.extension_data_start_address, 180u);
    // The edited model is a well-formed file (HDMV titles keep no BD-J name in it).
    const Bytes file = writeIndex(x);
    const TINDX back = readIndex(file, "index.bdmv");
    EXPECT_EQ(back.ext, x.ext);
    EXPECT_EQ(writeIndex(back), file);
}

TEST(TitleInsert, RefusesTheThousandthTitle) {
    TINDX x = titles(999);
    EXPECT_EQ(insertTitle(x, 0), std::nullopt);
    EXPECT_EQ(x.indexes.titles.size(), 999u);
    EXPECT_EQ(x.indexes.length, indexesLength(x.indexes));
}

TEST(TitleDelete, TitlesThreeToFiveOfTen) {
    TINDX x = titles(10, true);
    ASSERT_EQ(x.extension_data_start_address, 228u);
    const auto length = x.indexes.length;
    ASSERT_EQ(deleteTitles(x, 2, 4), 1u);  // the selection goes to title 2
    ASSERT_EQ(x.indexes.titles.size(), 7u);
    expectNumbered(x);
    EXPECT_EQ(x.indexes.titles[2].mobj_id_ref, 5);  // the old title 6 is title 3
    EXPECT_EQ(x.indexes.length, length - 36);
    EXPECT_EQ(x.extension_data_start_address, 228u - 36);
    EXPECT_EQ(readIndex(writeIndex(x), "index.bdmv").ext, x.ext);
}

TEST(TitleDelete, EdgesOfTheRange) {
    TINDX x = titles(3);
    EXPECT_EQ(deleteTitles(x, 0, 0), 0u);  // block at the first title: select the first
    EXPECT_EQ(x.indexes.titles[0].mobj_id_ref, 1);
    EXPECT_EQ(deleteTitles(x, 1, 50), 0u);  // clamped to the end
    EXPECT_EQ(x.indexes.titles.size(), 1u);
    EXPECT_EQ(deleteTitles(x, 3, 4), std::nullopt);
    EXPECT_EQ(deleteTitles(x, 0, 0), 0u);
    EXPECT_TRUE(x.indexes.titles.empty());
    EXPECT_EQ(x.indexes.length, 26u);
    EXPECT_EQ(deleteTitles(x, 0, 0), std::nullopt);
}

TEST(TitleFields, BdjoNameIsCutToFiveCharacters) {
    TTitle t;
    setTitleBdjoName(t, "1234567");
    EXPECT_EQ(t.bdjo_file_name, "12345");
}

TEST(TitleRow, CellsOfTheTitleGrid) {
    constexpr auto HDMV = ObjectType::HDMV, BDJ = ObjectType::BDJ;
    constexpr auto Permitted = AccessType::Permitted, Prohibited1 = AccessType::Prohibited1,
                   Prohibited2 = AccessType::Prohibited2;
    constexpr auto Movie = PlaybackType::Movie, Interactive = PlaybackType::Interactive;
    struct Case {
        TTitle title;
        std::optional<std::size_t> objects;
        std::array<std::string, 5> cells;
    };
    const Case cases[] = {
        {{7, HDMV, AccessType{1}, Movie, 3, ""}, 5, {"007", "HDMV", "Permitted", "Movie", "3"}},
        {{12, HDMV, Prohibited1, Interactive, 4, ""}, std::nullopt, {"012", "HDMV", "Prohibited1", "Interactive", "4"}},
        {{1, BDJ, Prohibited2, PlaybackType{2}, 0, "00042"}, 5, {"001", "BD-J", "Prohibited2", "", "00042"}},
        {{999, ObjectType{3}, Permitted, PlaybackType{3}, 0, "x"}, 5, {"999", "", "Permitted", "", "x"}},
        {{2, HDMV, Permitted, Movie, kNoObject, ""}, 5, {"002", "HDMV", "Permitted", "Movie", "??"}},
        {{2, HDMV, Permitted, Movie, 5, ""}, 5, {"002", "HDMV", "Permitted", "Movie", "??"}},
        {{2, HDMV, Permitted, Movie, 5, ""}, std::nullopt, {"002", "HDMV", "Permitted", "Movie", "5"}},
    };
    for (const Case& c : cases) EXPECT_EQ(indline(c.title, c.objects), c.cells) << c.title.title_number;
    EXPECT_EQ(titleColumns()[4], "OID/file");
}

TEST(FirstPlaybackTopMenu, OnOffRulesAndCountLabels) {
    TINDX x = titles(12);
    setEntryOn(x, IndexEntryKind::FirstPlayback, true, 2);
    setEntryOn(x, IndexEntryKind::TopMenu, true, 0);
    EXPECT_EQ(x.indexes.first_playback.mobj_id_ref, 2);
    EXPECT_EQ(BDMVlabels(x, 4).titles, "12 + 2 titles");
    EXPECT_EQ(BDMVlabels(x, 4).objects, "4 objects");

    setEntryOn(x, IndexEntryKind::TopMenu, false, 0);
    EXPECT_EQ(x.indexes.top_menu.mobj_id_ref, kNoObject);
    EXPECT_EQ(BDMVlabels(x, 4).titles, "12 + 1 titles");
    setEntryOn(x, IndexEntryKind::FirstPlayback, true, std::nullopt);  // nothing selected: off
    EXPECT_EQ(BDMVlabels(x, 4).titles, "12 titles");

    // A BD-J entry has no reference in the file; switched on it counts as on.
    setEntryType(x, IndexEntryKind::TopMenu, ObjectType::BDJ);
    EXPECT_EQ(x.indexes.top_menu.object_type, ObjectType::BDJ);
    setEntryOn(x, IndexEntryKind::TopMenu, true, std::nullopt);
    EXPECT_TRUE(entryIsOn(x.indexes.top_menu));
    EXPECT_EQ(BDMVlabels(x, 0).titles, "12 + 1 titles");
}
