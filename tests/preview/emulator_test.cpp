// The menu emulator with a test clock: Start and its default selection, the
// direction keys, activation, the user time-out, the animation tick, the
// mouse, and the button commands that change buttons and pages.

#include "menus.h"
#include "preview/emulator.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

using namespace navora;
using namespace navora::test;

namespace {

constexpr Colour kBack = rgb(10, 20, 30);

TCommand cmd(std::uint32_t w0, std::uint32_t w1 = 0, std::uint32_t w2 = 0) { return TCommand{{w0, w1, w2}}; }

class CountingPlayer : public WavePlayer {
public:
    bool Play(const Bytes&) override {
        ++plays;
        return true;
    }
    void Stop() override {}
    bool playing() const override { return false; }
    int plays = 0;
};

class Recorder : public PreviewEvents {
public:
    explicit Recorder(const PageRenderer& r) : renderer_(r) {}
    void repaintNow() override { shots.push_back(renderer_.pagePicture()); }
    void pageSelected(int page) override { pages.push_back(page); }
    void cursorChanged(bool hand) override { cursor = hand; }
    void programRan(int button, const RunResult& r) override {
        ran.push_back(button);
        lines += r.steps;
    }
    std::vector<RgbaImage> shots;
    std::vector<int> pages;
    std::vector<int> ran;
    std::uint64_t lines = 0;
    bool cursor = false;

private:
    const PageRenderer& renderer_;
};

class Emulator : public ::testing::Test {
protected:
    void SetUp() override {
        log.actiDelayMs = 0;
        options.colBackground = kBack;
        options.cbPlaySound = true;
        sounds.entries.resize(2);
        emu.setOptions(options);
        emu.renderer().setBuiltInTransparent(true);
        emu.setEvents(&events);
        emu.setSounds(&sounds, &player);
    }
    // Loads the menu and selects page 0, as a load does.
    void load() {
        emu.setMenu(&menu);
        emu.selectPage(0);
    }
    void setOptions() { emu.setOptions(options); }
    std::vector<int> enabled() const {
        std::vector<int> out;
        for (std::size_t i = 0; i < emu.renderer().states().size(); ++i)
            if (emu.renderer().states()[i].enabled) out.push_back(static_cast<int>(i));
        return out;
    }
    // The rectangle at (x, y) of the picture shows object o of the page's palette over the background.
    ::testing::AssertionResult shows(std::size_t o, int x, int y, const RgbaImage* pic = nullptr) const {
        const RgbaImage& p = pic ? *pic : emu.picture();
        const IndexedImage& obj = *menu.objects[o].picture;
        Expected e(p.width, p.height, kBack);
        e.blend(menu, o, 0, x, y);
        for (int j = y; j < y + obj.height; ++j)
            for (int i = x; i < x + obj.width; ++i)
                if ((pixelAt(p, i, j) >> 8) != e.px[static_cast<std::size_t>(j) * p.width + i])
                    return ::testing::AssertionFailure() << "object " << o << " differs at (" << i << ", " << j << ")";
        return ::testing::AssertionSuccess();
    }
    bool blank(int x, int y, int w, int h) const {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                if ((pixelAt(emu.picture(), i, j) >> 8) != kBack) return false;
        return true;
    }

    Log log;
    NavMachine machine{log};
    TestClock clock;
    TIGSc menu = testMenu();
    TSND sounds;
    CountingPlayer player;
    PreviewOptions options;
    MenuEmulator emu{machine, clock, log};
    Recorder events{emu.renderer()};
};

}  // namespace

TEST_F(Emulator, DirectionKeysSelfNeighboursAndAutoActions) {
    menu.pages[0].default_selected_button_id_ref = 0;
    buttonOf(menu, 0, 0).selected_state_sound_id_ref = 1;
    buttonOf(menu, 0, 0).left_button_id_ref = 7;  // names no button
    TIGbutton& b1 = buttonOf(menu, 0, 1);
    b1.auto_action_flag = 1;
    b1.selected_state_sound_id_ref = 0;
    load();
    emu.start();
    EXPECT_EQ(machine.psr(10), 0u);
    EXPECT_TRUE(shows(1, 20, 20));
    EXPECT_EQ(player.plays, 1);  // the selected sound of button 0

    // Up names button 0 itself, left names no button: nothing changes, no sound.
    const RgbaImage before = emu.picture();
    for (NavKey k : {NavKey::Up, NavKey::Left}) emu.key(k);
    EXPECT_EQ(machine.psr(10), 0u);
    EXPECT_EQ(emu.picture(), before);
    EXPECT_EQ(player.plays, 1);
    EXPECT_TRUE(events.ran.empty());

    // Right moves onto button 1, whose automatic action runs at once: button
    // 0 returns to normal, button 1 is not drawn selected, its sound is silent.
    emu.key(NavKey::Right);
    EXPECT_EQ(machine.psr(10), 1u);
    EXPECT_EQ(machine.gpr(101), 1u);
    EXPECT_EQ(events.ran, std::vector<int>{1});
    EXPECT_EQ(emu.chosenButton(), 1);
    EXPECT_TRUE(shows(0, 20, 20));
    EXPECT_TRUE(shows(5, 100, 20));
    EXPECT_EQ(player.plays, 1);

    // Down from button 1 selects button 2 in its selected state; its own up leads back to 0.
    emu.key(NavKey::Down);
    EXPECT_EQ(machine.psr(10), 2u);
    EXPECT_TRUE(shows(11, 20, 100));
    emu.key(NavKey::Up);
    EXPECT_EQ(machine.psr(10), 0u);
    EXPECT_EQ(player.plays, 2);
    // The machine acts on the menu only during the emulator's runs.
    EXPECT_EQ(machine.host(), nullptr);
}

TEST_F(Emulator, StartWithoutDefaultSelectionRunsEachBogsAutoAction) {
    // Each auto-action button's program appends its id to GPR5 (GPR5 x 10 + id + 1).
    auto program = [](std::uint16_t id) {
        return TCommands{cmd(0x50400005, 5, 10), cmd(0x50400003, 5, id + 1u)};
    };
    TPage& page = menu.pages[0];
    TIGbutton b3 = testButton(3, 100, 100, 3, 3, 4, 4, 5, 5);
    TBOG bog3;
    bog3.default_valid_button_id_ref = 3;
    bog3.buttons = {b3};
    page.BOGs.push_back(bog3);
    page.BOGs[1].default_valid_button_id_ref = kNoButton;  // contributes nothing
    page.BOGs[2].default_valid_button_id_ref = 0;          // not one of its own buttons
    for (TBOG& bog : page.BOGs)
        for (TIGbutton& b : bog.buttons) {
            b.auto_action_flag = 1;
            b.commands = program(b.button_id);
        }
    rebuildTables(menu);
    load();
    machine.setGpr(5, 0);
    emu.start();
    EXPECT_EQ(machine.gpr(5), 14u);  // button 0, then button 3
    EXPECT_EQ(events.ran, (std::vector<int>{0, 3}));
    EXPECT_EQ(machine.psr(10), 0xFFFFu);
}

TEST_F(Emulator, UserTimeOut) {
    struct Case {
        std::string name;
        std::uint32_t duration;
        std::uint16_t defaultSelected, defaultActivated;
        std::int64_t firstAfter;  // ms after Start of the first activation; 0: none
        std::uint32_t button;     // the button activated
    };
    const Case cases[] = {
        {"ten seconds", 900000, 0, 2, 10000, 2},
        {"the selected button (0xFFFE)", 900000, 1, 0xFFFE, 10000, 1},
        {"no default activated button", 900000, 0, kNoButton, 0, 0},
        {"a duration of 0 never expires", 0, 0, 2, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        menu.user_time_out_duration = c.duration;
        menu.pages[0].default_selected_button_id_ref = c.defaultSelected;
        menu.pages[0].default_activated_button_id_ref = c.defaultActivated;
        machine.ResetRegs();
        load();
        clock.set(0);
        emu.start();
        const unsigned gpr = 100 + c.button;
        if (c.firstAfter == 0) {
            advanceTime(emu, clock, 60000);
            for (unsigned g : {100u, 101u, 102u}) EXPECT_EQ(machine.gpr(g), 0u) << g;
            continue;
        }
        EXPECT_EQ(emu.userTimer().periodMs, c.firstAfter);
        advanceTime(emu, clock, c.firstAfter - 1);
        EXPECT_EQ(machine.gpr(gpr), 0u);
        advanceTime(emu, clock, 1);
        EXPECT_EQ(machine.gpr(gpr), 1u);
        EXPECT_EQ(machine.psr(10), c.button);
        EXPECT_TRUE(shows(buttonOf(menu, 0, static_cast<std::uint16_t>(c.button)).selected_start_object_id_ref,
                          buttonOf(menu, 0, static_cast<std::uint16_t>(c.button)).button_horizontal_position,
                          buttonOf(menu, 0, static_cast<std::uint16_t>(c.button)).button_vertical_position));
        // It repeats every period, whichever button is selected by then.
        advanceTime(emu, clock, c.firstAfter);
        EXPECT_EQ(machine.gpr(gpr), 2u);
        advanceTime(emu, clock, c.firstAfter);
        EXPECT_EQ(machine.gpr(gpr), 3u);
    }
}

TEST_F(Emulator, AnimationTickSkipsADisabledButton) {
    // Button 0's program disables button 2, whose normal state animates.
    menu.pages[0].default_selected_button_id_ref = 0;
    buttonOf(menu, 0, 0).commands = {cmd(0x31800005, 2)};
    buttonOf(menu, 0, 2).normal_repeat_flag = 1;
    options.cbAnimate = true;
    setOptions();
    load();
    emu.start();
    EXPECT_TRUE(emu.animationTimer().fires());
    EXPECT_EQ(emu.animationTimer().periodMs, 41);
    advanceTime(emu, clock, 41);
    EXPECT_TRUE(shows(9, 20, 100));
    emu.activate();
    EXPECT_EQ(enabled(), (std::vector<int>{0, 1}));
    EXPECT_TRUE(blank(20, 100, 40, 20));
    advanceTime(emu, clock, 41 * 5);
    EXPECT_TRUE(blank(20, 100, 40, 20));

    // Switching "Animate buttons" off stops the timer.
    options.cbAnimate = false;
    setOptions();
    EXPECT_FALSE(emu.animationTimer().active);
}

TEST_F(Emulator, SetButtonPageWithOutEffects) {
    // Page 0's out-effect shows object 12 for 500 ms; button 0 jumps to
    // button 1 of page 1, where buttons 0 and 1 share a BOG (0 its default).
    TPage& p0 = menu.pages[0];
    Teffectseq& out = p0.effects[OutEffects];
    out.number_of_windows = 1;
    out.windows[0] = {0, 200, 100, 60, 30};
    Teffect effect;
    effect.effect_duration = 45000;
    effect.composition_objects = {TCompObject{12, 0, 0, 200, 100}};
    out.effects = {effect};
    p0.default_selected_button_id_ref = 0;
    TPage p1 = p0;
    p1.page_id = 1;
    p1.effects = {};
    p1.default_selected_button_id_ref = 0;
    p1.BOGs[0].buttons.push_back(p1.BOGs[1].buttons[0]);
    p1.BOGs.erase(p1.BOGs.begin() + 1);
    menu.pages.push_back(p1);
    rebuildTables(menu);

    struct Case {
        std::string name;
        bool outEffects;
        std::uint32_t source;
        std::size_t shots;
    };
    const Case cases[] = {
        {"out-effects on", true, 0x80000001, 1},
        {"out-effects off", false, 0x80000001, 0},
        {"suppressed by bit 30", true, 0xC0000001, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buttonOf(menu, 0, 0).commands = {cmd(0x51C00003, 0x80000001, c.source), cmd(0x50400001, 9, 1)};
        options.cbOutEffect = c.outEffects;
        setOptions();
        machine.ResetRegs();
        load();
        events.shots.clear();
        events.pages.clear();
        emu.start();
        const std::int64_t before = clock.nowMs();
        emu.activate();
        // The activated sequence (three objects, 41 ms each), then the out-effect.
        ASSERT_EQ(events.shots.size(), 3 + c.shots);
        EXPECT_EQ(clock.nowMs() - before, 3 * 41 + (c.shots ? 500 : 0));
        if (c.shots) {
            // The out-effect is shown on the erased page.
            Expected e(kVideoWidth, kVideoHeight, kBack);
            e.blend(menu, 12, 0, 200, 100);
            EXPECT_EQ(firstDifference(events.shots[3], e), "");
        }
        EXPECT_EQ(machine.gpr(9), 0u);  // the run ended at SetButtonPage
        EXPECT_EQ(machine.psr(11), 1u);
        EXPECT_EQ(machine.psr(10), 1u);
        EXPECT_EQ(emu.page(), 1);
        EXPECT_EQ(events.pages, std::vector<int>{1});
        // The selected button is the enabled one of its BOG on the new page.
        EXPECT_EQ(enabled(), (std::vector<int>{1, 2}));
        Expected page(kVideoWidth, kVideoHeight, kBack);
        page.blend(menu, 6, 0, 100, 20);
        page.blend(menu, 8, 0, 20, 100);
        EXPECT_EQ(firstDifference(emu.picture(), page), "");
    }
}

TEST_F(Emulator, MouseHoverAndClick) {
    menu.pages[0].default_selected_button_id_ref = 0;
    buttonOf(menu, 0, 2).selected_start_object_id_ref = kNoObjectRef;  // never hit
    load();
    emu.start();
    // Button 0's selected object is 40x20 at (20, 20); shrunk by 5 it runs from (25, 25) to (55, 35).
    struct Move {
        int x, y;
        bool hand;
        std::uint32_t selected;
    };
    const Move moves[] = {
        {25, 25, true, 0}, {55, 35, true, 0}, {24, 30, false, 0}, {40, 36, false, 0},
        {30, 110, false, 0},  // button 2 (below) has no selected object
        {105, 30, false, 1},  // inside button 1's shrunk rectangle: "right" is pressed
        {104, 30, false, 1}, {110, 30, true, 1},
    };
    for (const Move& m : moves) {
        emu.mouseMove(m.x, m.y);
        EXPECT_EQ(emu.handCursor(), m.hand) << m.x << "," << m.y;
        EXPECT_EQ(events.cursor, m.hand) << m.x << "," << m.y;
        EXPECT_EQ(machine.psr(10), m.selected) << m.x << "," << m.y;
    }
    // A click outside the selected button does nothing; on its edge (bounds included) it activates.
    emu.mouseDown(141, 40);
    EXPECT_EQ(machine.gpr(101), 0u);
    emu.mouseDown(140, 40);
    EXPECT_EQ(machine.gpr(101), 1u);
    // A click on another button selects it (the pointer may have jumped there
    // without passing its neighbours); the next click activates it.
    emu.mouseDown(30, 30);
    EXPECT_EQ(machine.psr(10), 0u);
    EXPECT_EQ(machine.gpr(100), 0u);
    emu.mouseDown(30, 30);
    EXPECT_EQ(machine.gpr(100), 1u);
    // A button whose selected object is none is never hit.
    emu.mouseDown(30, 110);
    EXPECT_EQ(machine.psr(10), 0u);
    // Nothing happens without a selection.
    machine.setPsr(10, 0xFFFF);
    emu.mouseDown(120, 30);
    EXPECT_EQ(machine.gpr(101), 1u);
}

TEST_F(Emulator, TraceStepsThroughTheActivatedButton) {
    menu.pages[0].default_selected_button_id_ref = 0;
    buttonOf(menu, 0, 0).commands = {cmd(0x50400001, 1, 7), cmd(0x50400001, 2, 8)};
    load();
    emu.start();
    machine.setTrace(true);
    emu.activate();  // the program starts: nothing is executed yet
    EXPECT_TRUE(machine.traceInProgress());
    EXPECT_EQ(machine.gpr(1), 0u);
    emu.start();  // each Start executes one command of the chosen button
    EXPECT_EQ(machine.gpr(1), 7u);
    EXPECT_EQ(machine.gpr(2), 0u);
    emu.start();
    EXPECT_EQ(machine.gpr(2), 8u);
    EXPECT_FALSE(machine.traceInProgress());
}

TEST_F(Emulator, NumberKeysAndThePopUpKey) {
    // Buttons 0, 1, 2 answer 5, 6, 7; button 2 acts as soon as it is chosen.
    menu.user_interface_model = UserInterfaceModel::PopUp;
    menu.pages[0].default_selected_button_id_ref = 0;
    for (std::uint16_t id = 0; id < 3; ++id) buttonOf(menu, 0, id).button_numeric_select_value = 5 + id;
    buttonOf(menu, 0, 2).auto_action_flag = 1;
    buttonOf(menu, 0, 1).commands.push_back(cmd(0x11000007));  // PopUpMenu Off
    load();

    // Hidden after Start: keys, numbers, the mouse and the timers do nothing.
    emu.start();
    EXPECT_FALSE(emu.menuShown());
    EXPECT_TRUE(blank(0, 0, kVideoWidth, kVideoHeight));
    emu.numberKey(6);
    emu.key(NavKey::Right);
    emu.activate();
    emu.mouseDown(30, 30);
    EXPECT_EQ(machine.psr(10), 0xFFFFu);
    EXPECT_TRUE(events.ran.empty());

    // The pop-up key shows page 0 with its default selection.
    emu.popup();
    EXPECT_TRUE(emu.menuShown());
    EXPECT_EQ(machine.psr(10), 0u);
    EXPECT_TRUE(shows(1, 20, 20));

    // A digit nobody answers changes nothing; 6 selects button 1 (no auto action).
    emu.numberKey(9);
    EXPECT_EQ(machine.psr(10), 0u);
    emu.numberKey(6);
    EXPECT_EQ(machine.psr(10), 1u);
    EXPECT_TRUE(events.ran.empty());
    EXPECT_TRUE(shows(0, 20, 20));
    EXPECT_TRUE(shows(6, 100, 20));
    // 7 selects button 2, whose auto action runs at once.
    emu.numberKey(7);
    EXPECT_EQ(machine.psr(10), 2u);
    EXPECT_EQ(events.ran, std::vector<int>{2});
    EXPECT_EQ(machine.gpr(102), 1u);

    // Button 1's PopUpMenu Off hides the menu; the key shows it again, the next hides it.
    emu.numberKey(6);
    emu.activate();
    EXPECT_FALSE(emu.menuShown());
    EXPECT_TRUE(blank(0, 0, kVideoWidth, kVideoHeight));
    emu.popup();
    EXPECT_TRUE(emu.menuShown());
    EXPECT_TRUE(shows(1, 20, 20));
    emu.popup();
    EXPECT_FALSE(emu.menuShown());
    EXPECT_TRUE(blank(0, 0, kVideoWidth, kVideoHeight));

    // An always-on menu ignores the pop-up key.
    menu.user_interface_model = UserInterfaceModel::Normal;
    load();
    emu.start();
    emu.popup();
    EXPECT_TRUE(emu.menuShown());
    EXPECT_TRUE(shows(1, 20, 20));
}
