#include "core/logviews.h"
#include "navdb/index_edit.h"
#include "navdb/movieobject_edit.h"
#include "navdb/movieobject_io.h"

#include <gtest/gtest.h>

using namespace navora;

namespace {

// Movie objects with the given command counts; object i's commands hold i in word 1.
TMOBJ objects(std::vector<std::size_t> counts, std::uint32_t extStart = 0) {
    TMOBJ m;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        Tmobject o;
        o.commands.assign(counts[i], TCommand{{0x21810000, static_cast<std::uint32_t>(i), 0}});
        m.mobjs.objects.push_back(o);
    }
    m.mobjs.length = movieObjectsLength(m.mobjs);
    m.extension_data_start_address = extStart;
    return m;
}

// HDMV titles on the given references, then one BD-J title.
TINDX titlesOn(std::vector<std::uint16_t> refs) {
    TINDX x;
    for (std::uint16_t r : refs) {
        TTitle t;
        t.mobj_id_ref = r;
        x.indexes.titles.push_back(t);
    }
    TTitle bdj;
    bdj.object_type = ObjectType::BDJ;
    bdj.bdjo_file_name = "00001";
    x.indexes.titles.push_back(bdj);
    renumberTitles(x);
    return x;
}

std::vector<std::uint16_t> refs(const TINDX& x) {
    std::vector<std::uint16_t> r;
    for (const auto& t : x.indexes.titles)
        if (t.object_type == ObjectType::HDMV) r.push_back(t.mobj_id_ref);
    return r;
}

}  // namespace

TEST(MovieObjectInsert, AfterObjectTwoOfFiveMovesLaterReferences) {
    TMOBJ m = objects({1, 2, 3, 4, 5}, 1000);
    TINDX x = titlesOn({0, 2, 3, 4, kNoObject});
    x.indexes.first_playback.mobj_id_ref = 3;
    const auto length = m.mobjs.length;
    ASSERT_EQ(insertMovieObject(m, x, 3), 3u);
    ASSERT_EQ(m.mobjs.objects.size(), 6u);
    EXPECT_EQ(m.mobjs.objects[3], Tmobject{});
    EXPECT_EQ(m.mobjs.objects[4].commands.size(), 4u);  // old object 3 is object 4
    EXPECT_EQ(refs(x), (std::vector<std::uint16_t>{0, 2, 4, 5, kNoObject}));
    EXPECT_EQ(x.indexes.first_playback.mobj_id_ref, 3);  // entries are not moved
    EXPECT_EQ(m.mobjs.length, length + 4);
    EXPECT_EQ(m.extension_data_start_address, 1004u);
    EXPECT_EQ(m.mobjs.length, movieObjectsLength(m.mobjs));
}

TEST(MovieObjectInsert, IntoAnEmptyFileAtTheEndAndAtTheFront) {
    TMOBJ m;
    TINDX x = titlesOn({});
    ASSERT_EQ(insertMovieObject(m, x, 7), 0u);
    EXPECT_EQ(m.mobjs.length, 10u);
    EXPECT_EQ(m.extension_data_start_address, 0u);  // no block: stays 0
    x = titlesOn({0});
    ASSERT_EQ(insertMovieObject(m, x, 7), 1u);  // appended: no reference moves
    EXPECT_EQ(refs(x), (std::vector<std::uint16_t>{0}));
    ASSERT_EQ(insertMovieObject(m, x, 0), 0u);
    EXPECT_EQ(refs(x), (std::vector<std::uint16_t>{1}));
    EXPECT_EQ(readMovieObjects(writeMovieObjects(m), "MovieObject.bdmv"), m);
}

TEST(MovieObjectDelete, ObjectsOneToTwoOfFiveWithThreeAndFourCommands) {
    TMOBJ m = objects({2, 3, 4, 1, 0}, 2000);
    TINDX x = titlesOn({0, 1, 2, 3, 4, kNoObject});
    const auto length = m.mobjs.length;
    const auto result = deleteMovieObjects(m, x, 1, 2);
    ASSERT_TRUE(result);
    EXPECT_EQ(m.mobjs.length, length - 92);
    EXPECT_EQ(m.extension_data_start_address, 2000u - 92);
    EXPECT_EQ(m.mobjs.length, movieObjectsLength(m.mobjs));
    ASSERT_EQ(m.mobjs.objects.size(), 3u);
    EXPECT_EQ(m.mobjs.objects[1].commands[0].w[1], 3u);  // old object 3
    EXPECT_EQ(refs(x), (std::vector<std::uint16_t>{0, kNoObject, kNoObject, 1, 2, kNoObject}));
    // Titles 2 and 3 lost their object; title 6 had none before and is reported too.
    EXPECT_EQ(result->invalidTitles, (std::vector<std::uint32_t>{2, 3, 6}));
    EXPECT_EQ(result->select, 0u);
    EXPECT_EQ(indline(x.indexes.titles[1], m.mobjs.objects.size())[4], "??");
    EXPECT_EQ(indline(x.indexes.titles[4], m.mobjs.objects.size())[4], "2");

    Log log;
    RecordingLogView view;
    log.setView(&view);
    logInvalidReferences(log, result->invalidTitles);
    EXPECT_EQ(view.plainLines(), (std::vector<std::string>{"ERROR: Invalid object reference in Title 2",
                                                           "ERROR: Invalid object reference in Title 3",
                                                           "ERROR: Invalid object reference in Title 6"}));
    EXPECT_TRUE(view.error);
    EXPECT_EQ(view.panels[1], " See Status");
    EXPECT_TRUE(log.errorFlag);
}

TEST(MovieObjectDelete, EveryObjectLeavesEveryHdmvTitleInvalid) {
    TMOBJ m = objects({1, 1, 1}, 300);
    TINDX x = titlesOn({0, 2, 1});
    const auto result = deleteMovieObjects(m, x, 0, 2);
    ASSERT_TRUE(result);
    EXPECT_TRUE(m.mobjs.objects.empty());
    EXPECT_EQ(m.mobjs.length, 6u);
    EXPECT_EQ(m.extension_data_start_address, 300u - 48);
    EXPECT_EQ(result->invalidTitles, (std::vector<std::uint32_t>{1, 2, 3}));  // not the BD-J title 4
    EXPECT_EQ(deleteMovieObjects(m, x, 0, 0), std::nullopt);

    Log log;
    RecordingLogView view;
    log.setView(&view);
    logInvalidReferences(log, {});
    EXPECT_TRUE(view.lines.empty());
    EXPECT_FALSE(view.error);
}

TEST(MovieObjectDelete, SelectsTheObjectBeforeTheBlockAndClampsTheRange) {
    TMOBJ m = objects({0, 0, 0, 0});
    TINDX x = titlesOn({3});
    const auto result = deleteMovieObjects(m, x, 2, 40);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->select, 1u);
    EXPECT_EQ(m.mobjs.objects.size(), 2u);
    EXPECT_EQ(m.mobjs.length, 6u + 8);
}

TEST(MovieObjectRow, FlagsAndCells) {
    Tmobject o;
    setMobjFlag(o, MobjFlag::Resume, 1);
    setMobjFlag(o, MobjFlag::TitleSearch, 1);
    o.commands.resize(12);
    EXPECT_EQ(objline(o, 7), (std::array<std::string, 5>{"007", "suspend", "enable", "disable", "12"}));
    setMobjFlag(o, MobjFlag::Resume, 0);
    setMobjFlag(o, MobjFlag::MenuCall, 1);
    EXPECT_EQ(objline(o, 123), (std::array<std::string, 5>{"123", "discard", "disable", "disable", "12"}));
    EXPECT_EQ(objectColumns()[4], "commands");
}
