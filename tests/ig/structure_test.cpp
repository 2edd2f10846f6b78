// Menu structure edits: a new menu, object and palette deletion with their
// reference checks and renumbering, the button grid's column rules, the BOG
// and page header fields, cropping and the user time-out.

#include "fixtures.h"
#include "ig/load.h"
#include "ig/save.h"
#include "ig/structure.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

TIGobject pictureObject(std::uint16_t id) {
    TIGobject o;
    o.object_id = id;
    o.picture = bandedPicture(8, 4, 1);
    o.width = 8;
    o.height = 4;
    return o;
}

// Objects 0..6 and palettes 0..3 on two pages; page 1 carries effects.
TIGSc referenceMenu() {
    TIGSc m = smallMenu();
    m.objects.clear();
    for (std::uint16_t o = 0; o < 7; ++o) m.objects.push_back(pictureObject(o));
    m.palettes.resize(4);
    for (std::uint16_t p = 0; p < 4; ++p) m.palettes[p].palette_id = p;
    TPage& p0 = m.pages[0];
    p0.palette_id_ref = 0;
    TIGbutton& b0 = p0.BOGs[0].buttons[0];
    b0.normal_start_object_id_ref = 0;
    b0.normal_end_object_id_ref = 1;
    b0.selected_start_object_id_ref = b0.selected_end_object_id_ref = 1;
    b0.activated_start_object_id_ref = b0.activated_end_object_id_ref = kNoObjectRef;
    TIGbutton& b1 = p0.BOGs[0].buttons[1];
    b1.normal_start_object_id_ref = 4;
    b1.normal_end_object_id_ref = 6;
    b1.selected_start_object_id_ref = b1.selected_end_object_id_ref = 0;
    b1.activated_start_object_id_ref = b1.activated_end_object_id_ref = 6;
    TIGbutton& b2 = p0.BOGs[1].buttons[0];
    b2.normal_start_object_id_ref = b2.normal_end_object_id_ref = 0;
    b2.selected_start_object_id_ref = b2.selected_end_object_id_ref = 0;
    b2.activated_start_object_id_ref = b2.activated_end_object_id_ref = 0;

    TPage p1;
    p1.page_id = 1;
    p1.palette_id_ref = 3;
    Teffect in;
    in.palette_id_ref = 2;
    in.composition_objects = {TCompObject{5, 0}, TCompObject{kNoObjectRef, 0}};
    p1.effects[InEffects].effects = {in};
    Teffect out;
    out.palette_id_ref = 0;
    out.composition_objects = {TCompObject{1, 0}};
    p1.effects[OutEffects].effects = {out};
    m.pages.push_back(p1);
    m.page_buttons = {buildButtonTable(m.pages[0]), buildButtonTable(m.pages[1])};
    return m;
}

}  // namespace

TEST(MenuStructure, NewMenuHoldsOnePageWithTheTemplateButton) {
    TIGSc before = smallMenu();
    before.composition_number = 7;
    before.user_time_out_duration = 900000;
    TIGSc m = newMenu(before);
    EXPECT_EQ(m.composition_number, 7);
    EXPECT_EQ(m.composition_state, before.composition_state);
    EXPECT_EQ(m.user_time_out_duration, 900000u);
    EXPECT_EQ(m.video_width, 1920);
    EXPECT_EQ(m.video_height, 1080);
    EXPECT_EQ(m.frame_rate_id, 1);
    EXPECT_EQ(m.in_time, 180000u);
    EXPECT_EQ(m.stream_model, StreamModel::OutOfMux);
    EXPECT_EQ(m.user_interface_model, UserInterfaceModel::PopUp);
    EXPECT_TRUE(m.objects.empty());
    EXPECT_TRUE(m.palettes.empty());
    ASSERT_EQ(m.pages.size(), 1u);
    const TPage& page = m.pages[0];
    EXPECT_EQ(page.animation_frame_rate_code, 1);
    EXPECT_EQ(page.default_selected_button_id_ref, kNoButton);
    EXPECT_EQ(page.default_activated_button_id_ref, kNoButton);
    ASSERT_EQ(page.BOGs.size(), 1u);
    EXPECT_EQ(page.BOGs[0].default_valid_button_id_ref, kNoButton);
    ASSERT_EQ(page.BOGs[0].buttons.size(), 1u);
    EXPECT_EQ(page.BOGs[0].buttons[0], templateButton());
    EXPECT_EQ(templateButton().button_id, 0);
    EXPECT_EQ(templateButton().normal_start_object_id_ref, kNoObjectRef);
    ASSERT_EQ(m.page_buttons.size(), 1u);
    EXPECT_EQ(m.page_buttons[0].byId.size(), 1u);
    EXPECT_EQ(m.page_buttons[0].byId[0].button_id, 0);

    // Saved, it is an ICS and an END: no palette, no object.
    const Bytes mnu = saveIGS(m, IgsForm::Mnu);
    std::vector<std::uint8_t> types;
    for (std::size_t i = 0; i + 13 <= mnu.size(); i += 13 + (std::size_t{mnu[i + 11]} << 8 | mnu[i + 12]))
        types.push_back(mnu[i + 10]);
    EXPECT_EQ(types, (std::vector<std::uint8_t>{0x18, 0x80}));
    const TIGSc back = loadMNU(mnu, "new.mnu");
    EXPECT_EQ(back.pages, m.pages);
}

TEST(MenuStructure, DeletingObjectsRenumbersTheReferencesAboveThem) {
    TIGSc m = referenceMenu();
    const auto moved = m.objects[4].picture;
    const DeleteResult r = DelIGobj(m, 2, 3);
    ASSERT_TRUE(r.done) << r.refusal;
    ASSERT_EQ(m.objects.size(), 5u);
    EXPECT_EQ(m.objects[2].picture, moved);  // moved with its picture
    EXPECT_EQ(m.objects[2].object_id, 4);    // and its stored id, which the writer renumbers
    const TIGbutton& b0 = m.pages[0].BOGs[0].buttons[0];
    const TIGbutton& b1 = m.pages[0].BOGs[0].buttons[1];
    EXPECT_EQ(b0.normal_start_object_id_ref, 0);
    EXPECT_EQ(b0.normal_end_object_id_ref, 1);
    EXPECT_EQ(b0.activated_start_object_id_ref, kNoObjectRef);
    EXPECT_EQ(b1.normal_start_object_id_ref, 2);
    EXPECT_EQ(b1.normal_end_object_id_ref, 4);
    EXPECT_EQ(b1.activated_start_object_id_ref, 4);
    const auto& in = m.pages[1].effects[InEffects].effects[0].composition_objects;
    EXPECT_EQ(in[0].object_id_ref, 3);
    EXPECT_EQ(in[1].object_id_ref, kNoObjectRef);
    EXPECT_EQ(m.pages[1].effects[OutEffects].effects[0].composition_objects[0].object_id_ref, 1);

    // Saved and read back, the references still name the same pictures.
    TIGSc saved = m;
    const TIGSc back = loadMNU(saveIGS(saved, IgsForm::Mnu), "deleted.mnu");
    EXPECT_EQ(back.pages[0].BOGs[0].buttons[1].normal_start_object_id_ref, 2);
    EXPECT_EQ(back.objects[2].object_id, 2);
}

TEST(MenuStructure, ObjectsAndPalettesInUseAreNotDeleted) {
    TIGSc m = referenceMenu();
    const TIGSc before = m;
    struct Case {
        bool objects;
        std::size_t first, last;
        const char* refusal;
    };
    const Case cases[] = {
        {true, 5, 5, "Cannot delete object. Remove all reference first."},  // an in-effect
        {true, 2, 4, "Cannot delete object. Remove all reference first."},  // 4 starts a button's range
        {true, 1, 1, "Cannot delete object. Remove all reference first."},  // out-effect and two states
        {false, 0, 0, "Cannot delete palette. Remove all reference first."},
        {false, 1, 2, "Cannot delete palette. Remove all reference first."},  // 2 is an in-effect's
        {false, 3, 3, "Cannot delete palette. Remove all reference first."},  // page 1's palette
    };
    for (const Case& c : cases) {
        const DeleteResult r = c.objects ? DelIGobj(m, c.first, c.last) : DelPale(m, c.first, c.last);
        EXPECT_FALSE(r.done) << c.first;
        EXPECT_EQ(r.refusal, c.refusal) << c.first;
    }
    EXPECT_EQ(m.pages, before.pages);
    EXPECT_EQ(m.objects.size(), before.objects.size());
    EXPECT_EQ(m.palettes, before.palettes);

    // The last palette is never deleted, used or not.
    m.palettes.resize(1);
    for (TPage& p : m.pages) {
        p.palette_id_ref = 5;
        for (auto& seq : p.effects)
            for (Teffect& e : seq.effects) e.palette_id_ref = 5;
    }
    EXPECT_EQ(DelPale(m, 0, 0).refusal, "Cannot delete palette. Remove all objects first.");
    EXPECT_THROW(DelIGobj(m, 3, 9), std::out_of_range);
}

TEST(MenuStructure, DeletingAPaletteRenumbersPagesAndEffects) {
    TIGSc m = referenceMenu();
    // Palette 1 is unused; page 1 uses 3, its in-effect 2, its out-effect 0.
    m.palettes[3].colours[9] = {1, 2, 3, 4};
    const DeleteResult r = DelPale(m, 1, 1);
    ASSERT_TRUE(r.done) << r.refusal;
    ASSERT_EQ(m.palettes.size(), 3u);
    EXPECT_EQ(m.palettes[1].palette_id, 1);
    EXPECT_EQ(m.palettes[2].palette_id, 2);
    EXPECT_EQ(m.palettes[2].colours[9], (TRGBA{1, 2, 3, 4}));
    EXPECT_EQ(m.pages[0].palette_id_ref, 0);
    EXPECT_EQ(m.pages[1].palette_id_ref, 2);
    EXPECT_EQ(m.pages[1].effects[InEffects].effects[0].palette_id_ref, 1);
    EXPECT_EQ(m.pages[1].effects[OutEffects].effects[0].palette_id_ref, 0);
    EXPECT_EQ(getpalref(m, 2), "1 ");
}

TEST(MenuStructure, ButtonGridColumnRules) {
    // Page 0 of smallMenu: 3 button slots, 6 objects, 1920x1080; button 0 of BOG 0.
    struct Case {
        ButtonColumn column;
        std::string text;
        TIGbutton before;  // fields changed from the fixture's button 0
        std::string shown;  // the cell afterwards
        std::string other;  // another cell it moved, as "column=text"
    };
    TIGbutton base = smallMenu().pages[0].BOGs[0].buttons[0];
    auto with = [&](auto change) {
        TIGbutton b = base;
        change(b);
        return b;
    };
    const auto normal = [](std::uint16_t s, std::uint16_t e) {
        return [=](TIGbutton& b) {
            b.normal_start_object_id_ref = s;
            b.normal_end_object_id_ref = e;
        };
    };
    const Case cases[] = {
        {ButtonColumn::Value, "00A1", base, "00A1", ""},
        {ButtonColumn::Value, "00 1", base, "FFFF", ""},  // a blank: the mask is not filled
        {ButtonColumn::AutoAction, "Y", base, "Yes", ""},
        {ButtonColumn::AutoAction, "N", with([](TIGbutton& b) { b.auto_action_flag = 1; }), "No", ""},
        {ButtonColumn::X, "1919", base, "1919", ""},
        {ButtonColumn::X, "1920", base, "0", ""},  // not below video_width
        {ButtonColumn::Y, "1079", base, "1079", ""},
        {ButtonColumn::Y, "1080", base, "50", ""},
        {ButtonColumn::Upper, "0002", base, "0002", ""},
        {ButtonColumn::Lower, "0003", base, "0000", ""},  // beyond the 3 slots
        {ButtonColumn::Right, "FFFF", base, "0000", ""},
        {ButtonColumn::NormalStart, "0005", with(normal(0, 3)), "0005", "n.end=0005"},
        {ButtonColumn::NormalStart, "0002", with(normal(0, 3)), "0002", "n.end=0003"},
        {ButtonColumn::NormalStart, "0001", with(normal(0, kNoObjectRef)), "0001", "n.end=0001"},
        {ButtonColumn::NormalStart, "0006", with(normal(0, 3)), "0000", "n.end=0003"},  // no object 6
        {ButtonColumn::SelectedEnd, "0004", base, "0004", "s.start=0001"},
        {ButtonColumn::ActivatedEnd, "0006", base, "0002", ""},
        {ButtonColumn::NormalRepeat, "Y", with(normal(2, 2)), "No", ""},  // a single object cannot repeat
        {ButtonColumn::NormalRepeat, "Y", with(normal(2, 4)), "Yes", ""},
        {ButtonColumn::SelectedRepeat, "N", with([](TIGbutton& b) {
             b.selected_end_object_id_ref = 3;
             b.selected_repeat_flag = 1;
         }),
         "No", ""},
        {ButtonColumn::SelectedSound, "01", base, "01", ""},
        {ButtonColumn::SelectedSound, "02", base, "FF", ""},  // two sound entries
        {ButtonColumn::ActivatedSound, "FF", with([](TIGbutton& b) { b.activated_state_sound_id_ref = 1; }), "FF",
         ""},
        {ButtonColumn::Commands, "9", base, "1", ""},
        {ButtonColumn::Id, "0005", base, "0000", ""},
    };
    const auto& titles = buttonColumnTitles();
    for (const Case& c : cases) {
        const std::string label = std::string(titles[static_cast<int>(c.column)]) + " <- '" + c.text + "'";
        TIGSc m = smallMenu();
        m.pages[0].BOGs[0].buttons[0] = c.before;
        setButtonCell(m, 0, 0, 0, c.column, c.text, 2);
        const TIGbutton& b = m.pages[0].BOGs[0].buttons[0];
        EXPECT_EQ(buttonCellText(b, c.column), c.shown) << label;
        if (!c.other.empty()) {
            const auto eq = c.other.find('=');
            const std::string_view name = std::string_view(c.other).substr(0, eq);
            const int col = static_cast<int>(std::find(titles.begin(), titles.end(), name) - titles.begin());
            EXPECT_EQ(buttonCellText(b, static_cast<ButtonColumn>(col)), c.other.substr(eq + 1)) << label;
        }
        // The button table still finds the edited button by its id.
        EXPECT_EQ(buttonById(m, 0, 0), &b) << label;
    }
    EXPECT_EQ(buttonColumnMask(ButtonColumn::X), "9999");
    EXPECT_EQ(buttonColumnMask(ButtonColumn::NormalRepeat), ">L");
    EXPECT_EQ(buttonColumnMask(ButtonColumn::Commands), "-");
}

TEST(MenuStructure, ButtonCommandsReplaceOnlyThatButton) {
    TIGSc m = referenceMenu();
    const TIGbutton other = m.pages[0].BOGs[0].buttons[0];
    const TCommands list = {TCommand{{0x21810000, 3, 0}}, TCommand{}};
    EXPECT_TRUE(setButtonCommands(m, 0, 1, 0, list));
    EXPECT_EQ(m.pages[0].BOGs[1].buttons[0].commands, list);
    EXPECT_EQ(m.pages[0].BOGs[0].buttons[0], other);
    EXPECT_FALSE(setButtonCommands(m, 0, 1, 0, list));  // the same list changes nothing
    EXPECT_THROW(setButtonCommands(m, 0, 1, 9, list), std::out_of_range);

    // Line edits run the command editor's rules on the button: a GoTo to line
    // 1 follows its target when a line is inserted before it.
    const TCommand goTo{{0x20810000, 1, 0}};
    ASSERT_TRUE(setButtonCommands(m, 0, 1, 0, {goTo, TCommand{}}));
    const EditResult r = editButtonCommands(m, 0, 1, 0, [](TCommands& l) { return inscmd(l, 0, {TCommand{}}); });
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(m.pages[0].BOGs[1].buttons[0].commands, (TCommands{TCommand{{0x20810000, 2, 0}}, TCommand{}, TCommand{}}));
    EXPECT_EQ(m.pages[0].BOGs[0].buttons[0], other);
    EXPECT_THROW(editButtonCommands(m, 0, 1, 9, [](TCommands& l) { return delecmd(l, 0, 0); }), std::out_of_range);
}

TEST(MenuStructure, BogPageHeaderAndCroppingFields) {
    TIGSc m = referenceMenu();
    // Default valid button: 0xFFFF or a slot of the page's 3-slot table.
    EXPECT_TRUE(setDefaultValidButton(m, 0, 1, 2));
    EXPECT_FALSE(setDefaultValidButton(m, 0, 1, 3));
    EXPECT_EQ(m.pages[0].BOGs[1].default_valid_button_id_ref, 2);
    EXPECT_TRUE(setDefaultValidButton(m, 0, 1, kNoButton));
    EXPECT_THROW(setDefaultValidButton(m, 0, 2, 0), std::out_of_range);

    EXPECT_TRUE(setPagePalette(m, 0, 3));
    EXPECT_FALSE(setPagePalette(m, 0, 4));  // only four palettes
    EXPECT_EQ(m.pages[0].palette_id_ref, 3);
    EXPECT_TRUE(setDefaultSelectedButton(m, 0, 0xFFFE));
    EXPECT_TRUE(setDefaultActivatedButton(m, 0, 1));
    EXPECT_TRUE(setUOMaskHigh(m, 0, 0x80000000));
    EXPECT_TRUE(setUOMaskLow(m, 0, 3));
    EXPECT_TRUE(setAnimationFrameRateCode(m, 0, 4));
    EXPECT_FALSE(setAnimationFrameRateCode(m, 0, 4));  // unchanged: no undo step
    EXPECT_EQ(m.pages[0].default_selected_button_id_ref, 0xFFFE);
    EXPECT_EQ(m.pages[0].UO_mask_high, 0x80000000u);
    EXPECT_EQ(m.pages[0].UO_mask_low, 3u);

    EXPECT_TRUE(setCropping(m, 1, InEffects, 0, 0, CropField::Width, 40));
    EXPECT_TRUE(setCropping(m, 1, InEffects, 0, 0, CropField::Y, 4));
    EXPECT_FALSE(setCropping(m, 1, InEffects, 0, 0, CropField::X, -1));
    const TCompObject& c = m.pages[1].effects[InEffects].effects[0].composition_objects[0];
    EXPECT_EQ(c.cropping_width, 40);
    EXPECT_EQ(c.cropping_vertical_position, 4);
    EXPECT_EQ(c.cropping_horizontal_position, 0);
    EXPECT_THROW(setCropping(m, 1, OutEffects, 0, 1, CropField::X, 0), std::out_of_range);
}

// References that name no button are listed with page, BOG and button; the
// two special default activated values and "none" are valid.
TEST(MenuStructure, ReferenceFaultsNameTheirPlace) {
    TIGSc m = smallMenu();
    EXPECT_TRUE(menuReferenceFaults(m).empty());
    TPage& p = m.pages[0];
    p.default_activated_button_id_ref = 0xFFFE;
    EXPECT_TRUE(menuReferenceFaults(m).empty());
    p.default_selected_button_id_ref = 7;
    p.default_activated_button_id_ref = 9;
    p.BOGs[1].default_valid_button_id_ref = 0;  // a button of BOG 0
    p.BOGs[0].buttons[1].lower_button_id_ref = 5;
    const std::vector<std::string> expected = {
        "Page 0: default selected button 0007 does not exist",
        "Page 0: default activated button 0009 does not exist",
        "Page 0, BOG 0, button 0001: lower button 0005 does not exist",
        "Page 0, BOG 1: default valid button 0000 is not one of the BOG's buttons",
    };
    EXPECT_EQ(menuReferenceFaults(m), expected);
    EXPECT_EQ(menuReferenceFaults(m, 0), expected);
    EXPECT_TRUE(menuReferenceFaults(m, 1).empty());
}

TEST(MenuStructure, UserTimeOutParsing) {
    struct Case {
        const char* text;
        std::uint32_t ticks;
    };
    const Case good[] = {
        {"0:00:10", 900000}, {"0:00:00", 0}, {" 0:01:05 ", 65 * 90000}, {"0:3:06", 186 * 90000}, {"0:02", 120 * 90000},
        {"0:00:01.5", 135000}, {"0:00:01.05", 94500}, {"0:03:06.411", 16776990},
    };
    for (const Case& c : good) EXPECT_EQ(parseUserTimeOut(c.text), c.ticks) << c.text;
    for (const char* bad : {"", "10", "0:60:00", "0:00:60", "24:00:00", "0:00:1x", "0:00:00:00", "a:bc:de", "0::10",
                            "0:00:01.", "0:00:01.1234", "0:02.5"}) {
        try {
            parseUserTimeOut(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const InvalidTimeError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid time");
        }
    }
    // Longer than the 24-bit field holds: refused instead of cut.
    EXPECT_THROW(parseUserTimeOut("0:03:07"), InvalidTimeError);

    TIGSc m = smallMenu();
    EXPECT_TRUE(setUserTimeOut(m, "0:00:20"));
    EXPECT_EQ(m.user_time_out_duration, 1800000u);
    EXPECT_THROW(setUserTimeOut(m, "1:00:00"), InvalidTimeError);
    EXPECT_EQ(m.user_time_out_duration, 1800000u);

    // The box's text: whole seconds plain, any other time-out with its milliseconds.
    EXPECT_EQ(userTimeOutText(900000), "0:00:10");
    EXPECT_EQ(userTimeOutText(135000), "0:00:01.500");
    EXPECT_EQ(userTimeOutText(kMaxUserTimeOut), "0:03:06.413");
    EXPECT_EQ(parseUserTimeOut(userTimeOutText(135000)), 135000u);
}
