// Loading .mnu records laid by hand: objects and palettes, the ICS header
// with and without time-outs, page data field by field, and what the loader
// does with bad data.

#include "core/errors.h"
#include "fixtures.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "ig/save.h"

#include <gtest/gtest.h>

#include <span>

using namespace navora;
using namespace navora::test;

namespace {

constexpr std::uint8_t FL = kFirstInSequence | kLastInSequence;

// A button laid field by field: id, neighbours = id, objects (start, end) per state.
void rawButton(Raw& r, std::uint16_t id, std::uint8_t autoAction, std::uint8_t normalFlags, std::uint16_t ns,
               std::uint16_t ne, std::uint16_t commands) {
    r.u16(id).u16(0xFFFF).u8(autoAction).u16(10 * id).u16(20 * id).u16(id).u16(id).u16(id).u16(id);
    r.u16(ns).u16(ne).u8(normalFlags);
    r.u8(0xFF).u16(ns + 1).u16(ne + 1).u8(0x00);
    r.u8(3).u16(0xFFFF).u16(0xFFFF);
    r.u16(commands);
    for (std::uint16_t c = 0; c < commands; ++c) r.u32(0x21810000).u32(c).u32(0);
}

// A menu the loader refuses: a FormatError at offset whose text holds text.
struct Refusal {
    const char* name;
    Bytes data;
    std::uint64_t offset;
    const char* text;
};

void expectRefused(std::span<const Refusal> cases) {
    for (const Refusal& c : cases) {
        try {
            loadMNU(c.data, "t.mnu");
            ADD_FAILURE() << c.name << ": no error";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.offset(), c.offset) << c.name << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

// Page 3 of a menu: an in-effect with one window and two composition objects
// (one cropped, one forced on), no out-effects, one BOG with buttons 0, 1, 7.
Bytes rawPage(std::uint8_t windows = 1) {
    Raw r;
    r.u8(3).u8(1).u32(0x11223344).u32(0x55667788);
    r.u8(windows);
    for (std::uint8_t w = 0; w < windows; ++w) r.u8(w).u16(10 + w).u16(20).u16(300).u16(400);
    r.u8(1).u24(90000).u8(0).u8(2);
    r.u16(5).u8(0).u8(0x80).u16(100).u16(200).u16(1).u16(2).u16(30).u16(40);
    r.u16(6).u8(0).u8(0x40).u16(110).u16(210);
    r.u8(0).u8(0);  // out_effects
    r.u8(2).u16(1).u16(0xFFFF).u8(0);
    r.u8(1).u16(1).u8(3);
    rawButton(r, 0, 0x00, 0x00, 0, 0, 1);
    rawButton(r, 1, 0x80, 0x80, 2, 3, 0);
    rawButton(r, 7, 0x00, 0xC0, 4, 4, 2);
    return r.b;
}

TEST(LoadMnu, ObjectsPalettesAndInTime) {
    // Object 5 is split over three segments: 7 coded bytes as 3 + 2 + 2.
    const Bytes coded5 = {0x00, 0x83, 0x04, 0x00, 0x00, 0x05, 0x06};
    std::vector<std::array<std::uint8_t, 5>> entries;
    for (std::uint8_t e = 0; e < 16; ++e) entries.push_back({e, static_cast<std::uint8_t>(16 + 10 * e), 128, 128, 255});
    const Bytes data = cat({
        record(IgSegmentType::PDS, pdsBody(0, entries), 0),
        record(IgSegmentType::ODS, odsBody(0, FL, {0x01, 0x00, 0x00}, 3, 1, 1), 1234, 1000),
        record(IgSegmentType::ODS, odsBody(1, FL, {0x00, 0x00}, 2, 1, 1), 1300),
        record(IgSegmentType::ODS, odsBody(5, kFirstInSequence, {0x00, 0x83, 0x04}, 7, 3, 2), 1400),
        record(IgSegmentType::ODS, odsBody(5, 0, {0x00, 0x00}), 1400),
        record(IgSegmentType::ODS, odsBody(5, kLastInSequence, {0x05, 0x06}), 1400),
        record(IgSegmentType::ICS, icsBody(0, {}), 1500),
        record(IgSegmentType::END, {}, 1500),
        // A second display set is not read.
        record(IgSegmentType::ODS, odsBody(9, FL, {0x00, 0x00}, 2, 1, 1), 5000),
    });
    MenuLoadReport report;
    TIGSc m = loadMNU(data, "t.mnu", &report);
    EXPECT_TRUE(report.icsFound && report.endFound && report.warnings.empty());
    EXPECT_EQ(m.in_time, 1234u);
    EXPECT_EQ(igTimeText(90090000), "0:16:41.000");
    EXPECT_EQ(igTimeText(0xFFFFFFFF), "13:15:21.858");
    EXPECT_EQ(igDurationText(5400000 + 89999), "0:01:00");

    ASSERT_EQ(m.objects.size(), 6u);
    for (std::size_t o = 2; o < 5; ++o) {
        EXPECT_EQ(m.objects[o].object_id, 0u);
        EXPECT_FALSE(m.objects[o].defined());
    }
    const TIGobject& o5 = m.objects[5];
    EXPECT_EQ(o5.object_id, 5u);
    EXPECT_EQ(o5.object_data_length, 7u);
    ASSERT_EQ(o5.fragments.size(), 3u);
    EXPECT_EQ(o5.fragments[0].sequence_flags, kFirstInSequence);
    EXPECT_EQ(o5.fragments[2].sequence_flags, kLastInSequence);
    EXPECT_EQ(objectCodedBytes(m, 5), coded5);
    rle_decode(m, 5);
    EXPECT_EQ(m.objects[5].picture->pixels, (std::vector<std::uint8_t>{4, 4, 4, 5, 6, 0}));

    ASSERT_EQ(m.palettes.size(), 1u);
    EXPECT_EQ(m.palettes[0].colours[15], ycrcb2rgb(166, 128, 128, 255));
    EXPECT_EQ(m.palettes[0].entries[15], (TYCrCb{166, 128, 128}));
    for (std::size_t e = 16; e < 256; ++e) EXPECT_TRUE(m.palettes[0].colours[e].zero()) << e;
}

TEST(LoadMnu, PageDataFieldByField) {
    for (const StreamModel model : {StreamModel::OutOfMux, StreamModel::Multiplexed}) {
        const Bytes page = rawPage();
        TIGSc m = loadMNU(cat({record(IgSegmentType::ICS, icsBody(1, page, model), 90000),
                               record(IgSegmentType::END, {})}),
                          "t.mnu");
        SCOPED_TRACE(static_cast<int>(model));
        EXPECT_EQ(m.stream_model, model);
        EXPECT_EQ(m.composition_state, CompositionState::EpochStart);
        EXPECT_EQ(m.frame_rate_id, 1);
        EXPECT_EQ(m.user_time_out_duration, 90000u);
        EXPECT_EQ(m.composition_time_out_pts, model == StreamModel::Multiplexed ? 1000u : 0u);
        EXPECT_EQ(m.selection_time_out_pts, model == StreamModel::Multiplexed ? 2000u : 0u);
        ASSERT_EQ(m.pages.size(), 1u);
        const TPage& p = m.pages[0];
        EXPECT_EQ(p.page_id, 3);
        EXPECT_EQ(p.UO_mask_high, 0x11223344u);
        EXPECT_EQ(p.UO_mask_low, 0x55667788u);
        const Teffectseq& in = p.effects[InEffects];
        ASSERT_EQ(in.number_of_windows, 1);
        EXPECT_EQ(in.windows[0].window_horizontal_position, 10);
        ASSERT_EQ(in.effects.size(), 1u);
        EXPECT_EQ(in.effects[0].effect_duration, 90000u);
        ASSERT_EQ(in.effects[0].composition_objects.size(), 2u);
        const TCompObject& cropped = in.effects[0].composition_objects[0];
        EXPECT_EQ(cropped.flags, kObjectCropped);
        EXPECT_EQ(cropped.cropping_width, 30);
        EXPECT_EQ(cropped.cropping_height, 40);
        EXPECT_EQ(in.effects[0].composition_objects[1].flags, kForcedOn);
        EXPECT_EQ(in.effects[0].composition_objects[1].cropping_width, 0);
        EXPECT_EQ(p.default_selected_button_id_ref, 1);

        ASSERT_EQ(p.BOGs.size(), 1u);
        const auto& buttons = p.BOGs[0].buttons;
        ASSERT_EQ(buttons.size(), 3u);
        EXPECT_EQ(buttons[1].auto_action_flag, 1);
        EXPECT_EQ(buttons[1].normal_repeat_flag, 1);
        EXPECT_EQ(buttons[1].normal_complete_flag, 0);
        EXPECT_EQ(buttons[2].normal_repeat_flag, 1);
        EXPECT_EQ(buttons[2].normal_complete_flag, 1);
        EXPECT_EQ(buttons[2].selected_start_object_id_ref, 5);
        EXPECT_EQ(buttons[2].activated_state_sound_id_ref, 3);
        ASSERT_EQ(buttons[2].commands.size(), 2u);
        EXPECT_EQ(buttons[2].commands[1], (TCommand{{0x21810000, 1, 0}}));

        // Buttons 0, 1 and 7: a table of 8 slots, 2..6 without a button.
        ASSERT_EQ(m.page_buttons[0].byId.size(), 8u);
        for (std::uint16_t id = 2; id < 7; ++id) {
            EXPECT_EQ(m.page_buttons[0].byId[id].button_id, kNoButton);
            EXPECT_EQ(buttonById(m, 0, id), nullptr);
        }
        ASSERT_NE(buttonById(m, 0, 7), nullptr);
        EXPECT_EQ(buttonById(m, 0, 7)->button_horizontal_position, 70);

        // The writer lays the page data out again byte for byte, the complete
        // flags of the state bytes included.
        EXPECT_EQ(pageData(m), page);
        EXPECT_EQ(m.interactive_composition_data_length,
                  page.size() + (model == StreamModel::Multiplexed ? 15 : 5));
    }
}

TEST(LoadMnu, WindowsBeyondTwoAreSkipped) {
    MenuLoadReport report;
    const TIGSc m = loadMNU(record(IgSegmentType::ICS, icsBody(1, rawPage(3))), "t.mnu", &report);
    const Teffectseq& in = m.pages.at(0).effects[InEffects];
    EXPECT_EQ(in.number_of_windows, 2);
    EXPECT_EQ(in.windows[1].window_horizontal_position, 11);
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find("3 windows"), std::string::npos) << report.warnings[0];
    // The fields after the skipped window are read in step.
    EXPECT_EQ(in.effects.at(0).composition_objects.size(), 2u);
    EXPECT_EQ(m.pages[0].BOGs.at(0).buttons.size(), 3u);
}

TEST(LoadMnu, SoftProblemsKeepWhatWasRead) {
    const Bytes pds = record(IgSegmentType::PDS, pdsBody(2, {{1, 100, 128, 128, 255}}));
    const Bytes ics = record(IgSegmentType::ICS, icsBody(1, rawPage()));
    Bytes badHeader = record(IgSegmentType::PDS, pdsBody(0, {}));
    badHeader[0] = 'P';
    Bytes unknown = record(static_cast<IgSegmentType>(0x16), {1, 2, 3, 4, 5});

    struct Case {
        const char* name;
        Bytes data;
        bool ics, formatError;
        std::size_t unknownSegments, palettes, pages;
    } cases[] = {
        {"a record header without IG stops reading", cat({pds, badHeader, ics}), false, true, 0, 3, 0},
        {"an unknown segment is skipped by its length", cat({pds, unknown, ics}), true, false, 1, 3, 1},
        {"no ICS gives a menu without pages", pds, false, false, 0, 3, 0},
        {"an empty file gives an empty menu", {}, false, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        MenuLoadReport report;
        const TIGSc m = loadMNU(c.data, "t.mnu", &report);
        EXPECT_EQ(report.icsFound, c.ics) << c.name;
        EXPECT_EQ(report.formatError, c.formatError) << c.name;
        EXPECT_EQ(report.unknownSegments, c.unknownSegments) << c.name;
        EXPECT_EQ(m.palettes.size(), c.palettes) << c.name;
        EXPECT_EQ(m.pages.size(), c.pages) << c.name;
        EXPECT_EQ(report.warnings.empty(), c.ics && c.unknownSegments == 0) << c.name;
    }
    MenuLoadReport report;
    loadMNU(cat({pds, badHeader}), "t.mnu", &report);
    EXPECT_EQ(report.formatErrorOffset, pds.size());
}

TEST(LoadMnu, BadDataThrowsAtItsOffset) {
    const Bytes pds = record(IgSegmentType::PDS, pdsBody(0, {}));  // 15 bytes
    Bytes longSegment = record(IgSegmentType::ODS, odsBody(0, FL, {0, 0}, 2, 1, 1));
    longSegment.pop_back();
    Raw fewPages;
    fewPages.bytes(rawPage());
    Raw manyCommands;
    manyCommands.u8(0).u8(0).u32(0).u32(0).u8(0).u8(0).u8(0).u8(0).u8(0).u16(0).u16(0).u8(0).u8(1).u16(0).u8(1);
    rawButton(manyCommands, 0, 0, 0, 0, 0, 0);
    manyCommands.b[manyCommands.b.size() - 2] = 0x10;  // 4096 commands announced, none there

    const Refusal cases[] = {
        {"data ending inside a record header", cat({pds, {'I', 'G', 0, 0}}), 15, "inside a record header"},
        {"a segment longer than the data", cat({pds, longSegment}), 25, "ODS segment declares 13 bytes, only 12"},
        {"an ODS too short for its header", cat({pds, record(IgSegmentType::ODS, {0, 1, 0})}), 31,
         "ODS segment of 3 bytes at offset 25 is too short"},
        {"an object larger than any menu",
         record(IgSegmentType::ODS, odsBody(0, FL, {0, 0}, 2, 5000, 10)), 24, "5000x10, larger than any menu"},
        {"page data for fewer pages than announced", record(IgSegmentType::ICS, icsBody(2, fewPages.b)),
         fewPages.b.size(), "page 1 of 2 ends early"},
        {"more commands than bytes", record(IgSegmentType::ICS, icsBody(1, manyCommands.b)), 59,
         "4096 navigation commands"},
    };
    expectRefused(cases);
}

}  // namespace

namespace {

// Object sizes the data cannot back are refused before any picture is sized
// from them: the 4 KB menu whose 64 objects each claim 4096x4096, and objects
// that each have data enough but together declare far more than a menu shows.
TEST(LoadMnu, ObjectSizesTheDataCannotBackAreRefused) {
    const Bytes ics = record(IgSegmentType::ICS, icsBody(0, {}));
    const auto withObjects = [&](std::uint16_t count, std::uint16_t w, std::uint16_t h, const Bytes& coded) {
        Bytes data = ics;
        for (std::uint16_t o = 0; o < count; ++o) {
            const Bytes r = record(IgSegmentType::ODS, odsBody(o, FL, coded, static_cast<std::uint32_t>(coded.size()), w, h));
            data.insert(data.end(), r.begin(), r.end());
        }
        return data;
    };
    const Bytes small = withObjects(64, 4096, 4096, Bytes(44, 0));
    ASSERT_LE(small.size(), 4400u);
    const Bytes endOfLines(2 * 4096, 0);  // 00 00 for every line: a real, empty object
    const std::size_t bigRecord = 10 + 3 + 11 + endOfLines.size();

    const Refusal cases[] = {
        {"64 objects of 4096x4096 in 4 KB", small, ics.size(),
         "object 0 declares 4096x4096 pixels but has only 44 bytes of coded data"},
        {"one byte short of a byte per line", withObjects(1, 8, 100, Bytes(99, 0)), ics.size(),
         "fewer than its 100 lines need (at least 200)"},
        {"four objects of 4096x4096", withObjects(4, 4096, 4096, endOfLines), ics.size() + 3 * bigRecord,
         "declare 67108864 pixels in all, more than 32 pages of the menu's size can show (66355200)"},
    };
    expectRefused(cases);

    // Just inside both limits the menus load: a byte per line, three full-size objects.
    EXPECT_EQ(loadMNU(withObjects(1, 8, 100, Bytes(100, 0)), "t.mnu").objects.size(), 1u);
    EXPECT_EQ(loadMNU(withObjects(3, 4096, 4096, endOfLines), "t.mnu").objects.size(), 3u);
}

}  // namespace
