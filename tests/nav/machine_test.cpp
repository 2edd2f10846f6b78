#include "core/logviews.h"
#include "nav/machine.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace navora;

namespace {

TCommand cmd(std::uint32_t w0, std::uint32_t w1 = 0, std::uint32_t w2 = 0) { return TCommand{{w0, w1, w2}}; }

constexpr std::uint32_t kPsr = 0x80000000;

// Keeps every status panel 1 text, and sets the cancel flag from the event
// loop after a number of calls when asked to.
class ReportView : public RecordingLogView {
public:
    explicit ReportView(Log& log) : log_(log) {}
    void setPanel(int panel, const std::string& display, const std::string& plain) override {
        RecordingLogView::setPanel(panel, display, plain);
        if (panel == 1 && !plain.empty()) reports.push_back(plain);
    }
    void processEvents() override {
        ++events;
        if (cancelAfter > 0 && events == cancelAfter) log_.cancelClick();
    }
    std::vector<std::string> reports;
    int events = 0;
    int cancelAfter = 0;

private:
    Log& log_;
};

class Machine : public ::testing::Test {
protected:
    void SetUp() override {
        log.setView(&view);
        log.actiDelayMs = 0;
    }
    RunResult run(const TCommands& list, RunLimits limits = {}) { return m.start(list, limits); }

    Log log;
    ReportView view{log};
    NavMachine m{log};
};

}  // namespace

TEST_F(Machine, ResetFollowsTheOptions) {
    // The options' registers, with "real" values off and on.
    struct Case {
        ResetOptions options;
        std::map<int, std::uint32_t> psr;
    };
    const Case cases[] = {
        {{false, 0, 0x5553}, {{1, 0xFF}, {2, 0x0FFF0FFF}, {4, 0xFFFF}, {5, 0xFFFF}, {19, 0x5553}, {20, 1}}},
        {{true, 2, 0x4445}, {{1, 1}, {2, 0x0FFF0001}, {4, 0}, {5, 1}, {19, 0x4445}, {20, 4}}},
        {{false, 1, 0x5553}, {{20, 2}}},
        {{false, 7, 0x5553}, {{20, 1}}},  // an unknown region index counts as "A"
    };
    for (const auto& tc : cases) {
        m.setGpr(5, 9);
        m.setPsr(100, 9);
        m.setOptions(tc.options);
        m.ResetRegs();
        EXPECT_EQ(m.gpr(5), 0u);
        EXPECT_EQ(m.psr(100), 0u);
        for (auto [n, v] : tc.psr) EXPECT_EQ(m.psr(n), v) << "PSR" << n << " real " << tc.options.realValues;
    }
    // The language registers name English.
    const std::uint32_t eng = ('e' << 16) | ('n' << 8) | 'g';
    for (unsigned n : {16u, 17u, 18u}) EXPECT_EQ(m.psr(n), eng) << "PSR" << n;
    EXPECT_EQ(clampCountryCode(0x3041), 0x4141u);
    EXPECT_EQ(clampCountryCode(0x6000), 0x5A5Au);
}

TEST_F(Machine, SetOptions) {
    struct Case {
        std::uint32_t option;
        std::uint32_t d, s, expected;
    };
    const std::vector<Case> cases = {
        {1, 5, 7, 7},
        // Add, Sub and Mul saturate as players do.
        {3, 0xFFFFFFFF, 1, 0xFFFFFFFF},
        {3, 0xFFFFFFFE, 1, 0xFFFFFFFF},
        {3, 0x80000000, 0x80000000, 0xFFFFFFFF},
        {3, 0xFFFFFFFD, 1, 0xFFFFFFFE},
        {4, 0, 1, 0},
        {4, 0, 5, 0},
        {4, 5, 5, 0},
        {4, 6, 5, 1},
        {4, 0xFFFFFFFF, 0xFFFFFFFE, 1},
        {5, 0x10000, 0x10000, 0xFFFFFFFF},
        {5, 0x10000, 0x10001, 0xFFFFFFFF},
        {5, 0xFFFF, 0x10001, 0xFFFFFFFF},
        {5, 0xFFFF, 0x10000, 0xFFFF0000},
        {5, 0xFFFFFFFF, 0, 0},
        {6, 7, 2, 3},
        {6, 7, 0, 0xFFFFFFFF},                 // Div by zero
        {6, 0xFFFFFFFF, 0x10, 0x0FFFFFFF},     // unsigned
        {7, 7, 4, 3},
        {7, 7, 0, 0xFFFFFFFF},                 // Mod by zero
        {9, 0xF0F0, 0xFF00, 0xF000},
        {10, 0xF0F0, 0x0F00, 0xFFF0},
        {11, 0xFF, 0x0F, 0xF0},
        {12, 0, 31, 0x80000000},
        {12, 0, 33, 2},                        // bit number modulo 32
        {13, 5, 3, 5},                         // Bit Clear of a clear bit
        {13, 0xD, 3, 5},
        {14, 1, 33, 2},                        // shift modulo 32
        {14, 0x80000001, 1, 2},
        {15, 0x80000000, 31, 1},               // logical
        {15, 0x80000000, 32, 0x80000000},
        {0, 5, 7, 5},                          // option 0 does nothing
    };
    for (const auto& tc : cases) {
        m.setGpr(1, tc.d);
        m.setGpr(2, tc.s);
        run({cmd(0x50000000 | tc.option, 1, 2)});
        EXPECT_EQ(m.gpr(1), tc.expected) << "option " << tc.option << " d " << tc.d << " s " << tc.s;
        EXPECT_EQ(m.gpr(2), tc.s);
    }
    // Immediate source; immediate destination is never written.
    m.setGpr(1, 1);
    run({cmd(0x50400003, 1, 41), cmd(0x50C00001, 1, 99)});
    EXPECT_EQ(m.gpr(1), 42u);
}

TEST_F(Machine, SwapRndAndRegisters) {
    m.setGpr(1, 7);
    m.setGpr(2, 9);
    run({cmd(0x50000002, 1, 2)});
    EXPECT_EQ(m.gpr(1), 9u);
    EXPECT_EQ(m.gpr(2), 7u);
    run({cmd(0x50400002, 1, 5)});
    EXPECT_EQ(m.gpr(1), 5u);
    // A PSR destination and a GPR number above 4095 wrapped to 12 bits.
    m.setGpr(4095, 3);
    run({cmd(0x50000002, kPsr | 7, 0x7FFFFFFF)});
    EXPECT_EQ(m.psr(7), 3u);
    EXPECT_EQ(m.gpr(4095), 0u);  // the old PSR7

    std::vector<std::uint32_t> bounds;
    // Rnd s gives 1 .. s as players do; 1 for s = 0, without asking the source.
    std::uint32_t pick = 9;
    m.setRandomSource([&](std::uint32_t bound) {
        bounds.push_back(bound);
        return pick;
    });
    run({cmd(0x50400008, 3, 10), cmd(0x50400008, 4, 0)});
    EXPECT_EQ(m.gpr(3), 10u);
    EXPECT_EQ(m.gpr(4), 1u);
    EXPECT_EQ(bounds, std::vector<std::uint32_t>{10});
    pick = 0;
    run({cmd(0x50400008, 3, 0xFFFFFFFF)});
    EXPECT_EQ(m.gpr(3), 1u);
    m.setRandomSource(nullptr);
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 60; ++i) {
        run({cmd(0x50400008, 3, 3)});
        seen.insert(m.gpr(3));
    }
    EXPECT_EQ(seen, (std::set<std::uint32_t>{1, 2, 3}));

    // Operand values: count 0, immediate, register.
    EXPECT_EQ(m.getop1(cmd(0x00000000, 1)), 0xDEADBEEFu);
    EXPECT_EQ(m.getop2(cmd(0x50400001, 1, 77)), 77u);
    m.setdst(cmd(0x10000001, 1), 5);  // count 0: nothing
    m.setsrc(cmd(0x50400001, 1, 2), 5);  // immediate: nothing
    EXPECT_EQ(m.gpr(2), 7u);
}

TEST_F(Machine, ComparesAndSkip) {
    struct Case {
        std::uint32_t option, d, s;
        bool outcome;
    };
    const std::vector<Case> cases = {
        {1, 6, 3, true},  {1, 4, 3, false},          {2, 5, 5, true},  {2, 5, 6, false},
        {3, 5, 6, true},  {4, 0xFFFFFFFF, 1, true},  {4, 0, 1, false}, {5, 2, 2, false},
        {5, 0x80000000, 1, true}, {6, 1, 0xFFFFFFFF, true}, {7, 1, 1, false}, {7, 0, 0xFFFFFFFF, true},
    };
    for (const auto& tc : cases) {
        m.setGpr(1, tc.d);
        m.setGpr(9, 0);
        // compare; Move GPR9 := 1 (skipped when false); Add GPR9 += 2
        run({cmd(0x48400000 | (tc.option << 8), 1, tc.s), cmd(0x50400001, 9, 1), cmd(0x50400003, 9, 2)});
        EXPECT_EQ(m.gpr(9), tc.outcome ? 3u : 2u) << "option " << tc.option << " d " << tc.d;
    }

    // Option 0 keeps the run's last outcome; a new run starts with false.
    m.setGpr(9, 0);
    run({cmd(0x48400200, 1, 1), cmd(0x48400000, 0, 0), cmd(0x50400001, 9, 1)});  // EQ true, then option 0
    EXPECT_EQ(m.gpr(9), 1u);
    m.setGpr(9, 0);
    run({cmd(0x48400000, 0, 0), cmd(0x50400001, 9, 1)});
    EXPECT_EQ(m.gpr(9), 0u);

    // A false EQ skips the GoTo after it.
    m.setGpr(9, 0);
    run({cmd(0x48400200, 1, 2), cmd(0x20810000, 3), cmd(0x50400001, 9, 5), cmd(0x00020000)});
    EXPECT_EQ(m.gpr(9), 5u);
}

TEST_F(Machine, BranchesPlayAndReports) {
    RunResult r = run({cmd(0x21810000, 3), cmd(0x50400001, 9, 1)});
    EXPECT_EQ(m.psr(4), 3u);
    EXPECT_EQ(r.end, RunEnd::Stopped);
    EXPECT_EQ(m.gpr(9), 0u);
    EXPECT_EQ(view.reports, std::vector<std::string>{"Jump Title 3"});

    view.reports.clear();
    r = run({cmd(0x21830000, 3), cmd(0x50400001, 9, 1)});
    EXPECT_EQ(m.psr(4), 3u);
    EXPECT_EQ(r.end, RunEnd::EndOfProgram);
    EXPECT_EQ(m.gpr(9), 1u);
    EXPECT_EQ(r.steps, 2u);

    view.reports.clear();
    m.setGpr(2, 4);
    run({cmd(0x22850000, 2), cmd(0x42C20000, 12, 2), cmd(0x42010000, 2, 0x80000004), cmd(0x22840000, 6),
         cmd(0x21020000, 2), cmd(0x01040000), cmd(0x02030000), cmd(0x11000007), cmd(0x11000008), cmd(0x11000009),
         cmd(0x21800000, 0xFFFFFFFF)});
    EXPECT_EQ(m.psr(5), 2u);  // Link MK 2 set it to 3, Play PL_MK mark 2 to 2
    EXPECT_EQ(m.psr(6), 4u);
    EXPECT_EQ(m.psr(7), 6u);
    EXPECT_EQ(view.reports, (std::vector<std::string>{"Link MK 2", "Play PLatMK 12, 2", "Play PLatPI 4, 3",
                                                      "Link PI 6", "Call Object 4", "Resume", "Terminate PL",
                                                      "Pop up Menu Off", "Still On", "Still Off",
                                                      "Jump Object 4294967295"}));
    view.reports.clear();
    run({cmd(0x22850000, 2)});
    EXPECT_EQ(m.psr(5), 3u);

    // GoTo beyond the end ends the run; a negative target too, with the line set to 0.
    r = run({cmd(0x50400001, 9, 0), cmd(0x20810000, 99), cmd(0x50400001, 9, 1)});
    EXPECT_EQ(r.end, RunEnd::EndOfProgram);
    EXPECT_EQ(m.gpr(9), 0u);
    r = run({cmd(0x00000000), cmd(0x20810000, 0xFFFFFFFF)});
    EXPECT_EQ(m.programLine(), 0);
    EXPECT_EQ(r.steps, 2u);
    // Register GoTo.
    m.setGpr(3, 2);
    r = run({cmd(0x20010000, 3), cmd(0x50400001, 9, 7), cmd(0x00020000)});
    EXPECT_EQ(m.gpr(9), 0u);
    EXPECT_EQ(r.end, RunEnd::Stopped);
    EXPECT_EQ(r.lastLine, 2u);
}

TEST_F(Machine, SetStreamAndPackedRegisters) {
    // Immediate: audio 1, PG 2 displayed (bit 14), IG and angle flags clear.
    m.setPsr(2, 0xF0000000 | 0x00050000 | 0xFFF);
    run({cmd(0x51C00001, 0x8001C002, 0x00000000)});
    EXPECT_EQ(m.psr(1), 1u);
    EXPECT_EQ(m.psr(2), 0x80050002u);
    EXPECT_EQ(m.psr(0), 1u);
    EXPECT_EQ(m.psr(3), 1u);
    run({cmd(0x51C00001, 0x00000000, 0x80038005)});
    EXPECT_EQ(m.psr(0), 3u);
    EXPECT_EQ(m.psr(3), 5u);
    // Register forms: the sub-fields name GPRs; the flags are the word's own.
    m.setGpr(3, 0x1207);   // audio: low 8 bits
    m.setGpr(5, 0xF00A);   // PG: low 12 bits
    m.setGpr(6, 0x1FF);
    run({cmd(0x51000001, 0x8003C005, 0x00068006)});
    EXPECT_EQ(m.getop1(cmd(0x51000001, 0x8003C005, 0)), 0x8007C00Au);
    EXPECT_EQ(m.psr(1), 7u);
    EXPECT_EQ(m.psr(2), 0x8005000Au);
    EXPECT_EQ(m.psr(3), 0xFFu);
    EXPECT_EQ(m.getop2(cmd(0x51000003, 0, 0x80000006)), 0x800001FFu);
    EXPECT_EQ(m.getop1(cmd(0x51000006, 0xC0FF0006, 0)), 0xC08F00FFu);
    // The immediate operand of a packed word is the word itself.
    EXPECT_EQ(m.getop1(cmd(0x51800001, 0x8003C005, 0)), 0x8003C005u);
    // SetSecondaryStream and SetNVTimer change nothing.
    auto psrs = [&] {
        std::vector<std::uint32_t> v;
        for (unsigned n = 0; n < kPsrCount; ++n) v.push_back(m.psr(n));
        return v;
    };
    const auto before = psrs();
    run({cmd(0x51C00006, 0xFFFFFFFF, 0xFFFFFFFF), cmd(0x51C00002, 1, 1)});
    EXPECT_EQ(psrs(), before);
}

TEST_F(Machine, ButtonCommandsWithoutMenu) {
    m.setGpr(9, 0);
    RunResult r = run({cmd(0x31800004, 1), cmd(0x31800005, 1), cmd(0x51C00003, 0x80000001, 0x80000000),
                       cmd(0x50400001, 9, 1)});
    EXPECT_EQ(r.end, RunEnd::Stopped);
    EXPECT_EQ(view.reports, std::vector<std::string>{"SetButtonPage "});
    EXPECT_EQ(m.gpr(9), 0u);
    EXPECT_EQ(m.psr(10), 0xFFFFu);
}

namespace {

// A menu of pages with buttons; button b of every page is in group b / 2.
// It records the drawing and list events the commands send.
class FakeMenu : public MenuHost, public MenuEvents {
public:
    int pages = 2;
    int buttons = 4;
    std::vector<bool> enabled = std::vector<bool>(4, true);
    std::map<int, TCommands> programs;  // auto-action buttons of page 1
    std::vector<std::string> calls;

    int pageCount() const override { return pages; }
    int buttonCount(int page) const override { return page >= 0 && page < pages ? buttons : 0; }
    int buttonGroup(int page, int id) const override {
        return page >= 0 && page < pages && id >= 0 && id < buttons ? id / 2 : -1;
    }
    bool autoAction(int page, int id) const override { return page == 1 && programs.count(id); }
    TCommands buttonCommands(int, int id) const override {
        const auto it = programs.find(id);
        return it == programs.end() ? TCommands{} : it->second;
    }
    bool buttonEnabled(int id) const override { return enabled.at(static_cast<std::size_t>(id)); }
    void setButtonEnabled(int id, bool on) override { enabled.at(static_cast<std::size_t>(id)) = on; }
    bool hasOutEffects(int page) const override { return page == 0; }
    void SetButtonStates(int page) override { calls.push_back("SetButtonStates " + std::to_string(page)); }

    bool outEffectsOn() const override { return true; }
    void DrawButton(int id) override { calls.push_back("DrawButton " + std::to_string(id)); }
    void DelButton(int id) override { calls.push_back("DelButton " + std::to_string(id)); }
    void DrawSButton() override { calls.push_back("DrawSButton"); }
    void DrawPage() override { calls.push_back("DrawPage"); }
    void DelPage() override { calls.push_back("DelPage"); }
    void DrawEffects(int page) override { calls.push_back("DrawEffects " + std::to_string(page)); }
    void cbPageChange(int page) override { calls.push_back("cbPageChange " + std::to_string(page)); }
    void chooseButton(int id) override { calls.push_back("chooseButton " + std::to_string(id)); }
};

}  // namespace

TEST_F(Machine, ButtonCommandsOnAMenu) {
    FakeMenu menu;
    m.setMenu(&menu, &menu);
    m.setPsr(11, 0);
    m.setPsr(10, 1);

    // EnableButton of the selected button's group partner: PSR10 is parked at
    // 0xFFFF during the run and given the enabled button at its end.
    RunResult r = run({cmd(0x31800004, 0), cmd(0x50000001, 9, kPsr | 10)});
    EXPECT_EQ(m.gpr(9), 0xFFFFu);
    EXPECT_EQ(m.psr(10), 0u);
    EXPECT_EQ(menu.enabled, (std::vector<bool>{true, false, true, true}));
    EXPECT_EQ(menu.calls, (std::vector<std::string>{"DrawButton 0", "DrawSButton"}));

    // DisableButton; out-of-range ids are ignored.
    menu.calls.clear();
    run({cmd(0x31800005, 3), cmd(0x31800005, 4), cmd(0x31800004, 0xFFFF)});
    EXPECT_EQ(menu.enabled, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(menu.calls, (std::vector<std::string>{"DelButton 3"}));

    // SetButtonPage to page 1 button 3: out-effects of page 0, page drawn, run ends.
    menu.calls.clear();
    m.setGpr(9, 0);
    r = run({cmd(0x51C00003, 0x80000003, 0x80000001), cmd(0x50400001, 9, 1)});
    EXPECT_EQ(r.end, RunEnd::Stopped);
    EXPECT_EQ(m.psr(11), 1u);
    EXPECT_EQ(m.psr(10), 3u);
    EXPECT_EQ(m.gpr(9), 0u);
    EXPECT_EQ(menu.enabled, (std::vector<bool>{true, false, false, true}));
    EXPECT_EQ(menu.calls, (std::vector<std::string>{"SetButtonStates 1", "DelPage", "DrawEffects 0",
                                                    "cbPageChange 1", "DrawPage"}));

    // Button only, on the same page, into another group: the old one is redrawn.
    // Button 0 has an auto action: its program continues the run.
    menu.calls.clear();
    menu.programs[0] = {cmd(0x50400001, 9, 44)};
    r = run({cmd(0x51800003, 0x80000000, 0), cmd(0x50400001, 9, 1)});
    EXPECT_EQ(m.psr(10), 0u);
    EXPECT_EQ(m.gpr(9), 44u);
    EXPECT_EQ(r.runningButton, 0);
    EXPECT_EQ(r.program, menu.programs[0]);
    EXPECT_EQ(r.lists, (std::vector<ListRun>{{std::nullopt, 1}, {0, 1}}));
    EXPECT_EQ(menu.calls, (std::vector<std::string>{"DrawButton 3", "DrawSButton", "chooseButton 0"}));

    // Page and button flags clear, or out of range: nothing changes.
    menu.programs.clear();
    for (const TCommand& c : {cmd(0x51C00003, 0x00000001, 0x00000000), cmd(0x51C00003, 0x80000009, 0x80000005)}) {
        run({c});
        EXPECT_EQ(m.psr(11), 1u);
        EXPECT_EQ(m.psr(10), 0u);
    }
}

TEST_F(Machine, EmptyButtonSlotsAreNeverEnabled) {
    // Slot 2 of the button table holds no button (no group): neither
    // SetButtonPage nor EnableButton may mark it enabled or touch a group.
    class Gappy : public FakeMenu {
    public:
        int buttonGroup(int page, int id) const override { return id == 2 ? -1 : FakeMenu::buttonGroup(page, id); }
    };
    struct Case {
        const char* what;
        std::uint32_t selected;
        TCommand command;
        std::uint32_t psr10;
    };
    const Case cases[] = {
        {"SetButtonPage, button only", 0, cmd(0x51800003, 0x80000002, 0), 2},
        {"SetButtonPage, same page and button", 0, cmd(0x51C00003, 0x80000002, 0x80000000), 2},
        {"EnableButton from a selected button", 0, cmd(0x31800004, 2), 0},
        {"EnableButton while the empty slot is selected", 2, cmd(0x31800004, 2), 2},
    };
    for (const Case& tc : cases) {
        Gappy menu;
        menu.enabled = {true, false, false, true};
        m.setMenu(&menu, &menu);
        m.setPsr(11, 0);
        m.setPsr(10, tc.selected);
        run({tc.command});
        EXPECT_EQ(menu.enabled, (std::vector<bool>{true, false, false, true})) << tc.what;
        EXPECT_EQ(m.psr(10), tc.psr10) << tc.what;
        for (const std::string& call : menu.calls) EXPECT_NE(call, "DrawButton 2") << tc.what;
    }
    m.setMenu(nullptr);
}

TEST_F(Machine, ButtonCommandsOnAHeadlessMenu) {
    // A host without events: the commands change the state table and the
    // registers, nothing is drawn, and the reports reach the observer.
    FakeMenu menu;
    m.setMenu(&menu);
    std::vector<std::string> reports;
    m.onReport = [&](const std::string& text) { reports.push_back(text); };
    m.setPsr(11, 0);
    m.setPsr(10, 0);
    run({cmd(0x31800005, 3), cmd(0x51800003, 0x80000002, 0), cmd(0x21820000, 7)});
    EXPECT_EQ(menu.enabled, (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ(m.psr(10), 2u);
    EXPECT_TRUE(menu.calls.empty());
    EXPECT_EQ(reports, std::vector<std::string>{});  // SetButtonPage ended the run before Call Object
    run({cmd(0x21820000, 7)});
    EXPECT_EQ(reports, std::vector<std::string>{"Call Object 7"});
}

TEST_F(Machine, TraceStepping) {
    const TCommands list = {cmd(0x50400001, 1, 5), cmd(0x50400003, kPsr | 4, 1), cmd(0x00020000)};
    m.setTrace(true);
    RunResult r = m.start(list);
    EXPECT_EQ(r.steps, 0u);
    EXPECT_EQ(r.end, RunEnd::TraceStep);
    EXPECT_TRUE(m.traceInProgress());
    EXPECT_EQ(r.nextLine, 0u);
    EXPECT_EQ(r.nextDestination, (RegisterRef{RegisterKind::GPR, 1}));
    EXPECT_EQ(m.gpr(1), 0u);
    EXPECT_EQ(log.panelText[1], "Line 0000 : 50400001 00000001  00000005  : Move GPR1, 5");
    EXPECT_EQ(log.panelText[0], "Running trace...");

    r = m.start(list);
    EXPECT_EQ(r.steps, 1u);
    EXPECT_EQ(m.gpr(1), 5u);
    EXPECT_EQ(m.programLine(), 1);
    EXPECT_EQ(r.nextDestination, (RegisterRef{RegisterKind::PSR, 4}));
    EXPECT_EQ(log.panelText[1], "Line 0001 : 50400003 80000004  00000001  : Add PSR4, 1       ;PSR4: Title Number "
                                "(b15-b0) {1-999,$ffff}");

    // A click on a row executes that one command.
    r = m.executeLine(list, 0);
    EXPECT_EQ(r.steps, 1u);
    EXPECT_EQ(m.programLine(), 1);

    // Cancel ends the trace without executing and leaves the cancel flag alone;
    // with no trace in progress the click sets the flag.
    log.traceCancelHandler = [&] { return m.cancelTrace(list); };
    log.cancelClick();
    EXPECT_FALSE(log.cancelFlag);
    EXPECT_FALSE(m.traceInProgress());
    EXPECT_EQ(m.psr(4), 0xFFFFu);
    EXPECT_EQ(log.panelText[0], "Ready. ");
    EXPECT_EQ(log.panelText[1], "");
    log.cancelClick();
    EXPECT_TRUE(log.cancelFlag);

    // Stepping through to the end.
    m.start(list);
    int starts = 0;
    while (m.traceInProgress() && starts < 10) {
        r = m.start(list);
        ++starts;
    }
    EXPECT_EQ(starts, 3);
    EXPECT_EQ(r.end, RunEnd::Stopped);
    EXPECT_EQ(m.psr(4), 0x10000u);

    // A traced GoTo to a negative line ends the trace with the line at 0.
    const TCommands back = {cmd(0x50400003, 2, 1), cmd(0x20810000, 0xFFFFFFFF)};
    m.start(back);
    m.start(back);
    r = m.start(back);
    EXPECT_EQ(r.steps, 1u);
    EXPECT_EQ(r.end, RunEnd::EndOfProgram);
    EXPECT_FALSE(m.traceInProgress());
    EXPECT_EQ(m.programLine(), 0);
    EXPECT_EQ(log.panelText[0], "Ready. ");
    EXPECT_EQ(m.gpr(2), 1u);

    // Trace off: the next Start runs from line 0 to the end.
    m.setTrace(false);
    m.setGpr(1, 0);
    r = m.start(list);
    EXPECT_EQ(r.steps, 3u);
    EXPECT_EQ(m.gpr(1), 5u);
}

TEST_F(Machine, EndlessLoopEndsByCancelOrStepLimit) {
    const TCommands loop = {cmd(0x50400003, 1, 1), cmd(0x20810000, 0)};
    view.cancelAfter = 1000;
    RunResult r = run(loop);
    EXPECT_EQ(r.end, RunEnd::Cancelled);
    EXPECT_EQ(r.steps, 999u);
    EXPECT_EQ(m.gpr(1), 500u);
    EXPECT_EQ(log.panelText[1], "Cancelled.");

    // A new run clears the cancel flag; the step limit ends it.
    view.cancelAfter = 0;
    m.setGpr(1, 0);
    r = run(loop, RunLimits{5000});
    EXPECT_EQ(r.end, RunEnd::StepLimit);
    EXPECT_EQ(r.steps, 5000u);
    EXPECT_EQ(m.gpr(1), 2500u);
    EXPECT_EQ(log.panelText[1], "Step limit of 5000 commands reached.");

    // A long run reports its count as it goes.
    view.reports.clear();
    r = run(loop, RunLimits{2 * kRunReportEvery + 5});
    const auto n = [](std::uint64_t v) { return std::to_string(v); };
    EXPECT_EQ(view.reports, (std::vector<std::string>{n(kRunReportEvery) + " commands executed",
                                                      n(2 * kRunReportEvery) + " commands executed",
                                                      "Step limit of " + n(2 * kRunReportEvery + 5) +
                                                          " commands reached."}));
}

TEST_F(Machine, RegisterDumps) {
    m.setPsr(33, 1);
    m.setPsr(29, 0);
    m.setPsr(21, 0x10);
    for (int n = 1; n <= 6; ++n) m.setGpr(n * 100, static_cast<std::uint32_t>(n));
    const auto psr = m.psrDump();
    // 21 fixed lines, PSR21, PSR30, PSR31, then PSR33 43 48 49 50 61 (six) on one line.
    ASSERT_EQ(psr.size(), 25u);
    EXPECT_EQ(psr[0], "[b]PSR0[/b]: 00000001 (1) - Interactive Graphics Stream Number (b7-b0) {1-32,$ff}");
    EXPECT_EQ(psr[8], "[b]PSR8[/b]: FFFFFFFF (4294967295) - Presentation Time in 45kHz {0-$ffffffff}");
    EXPECT_EQ(psr[21], "[b]PSR21[/b]: 00000010 (16) - ");
    EXPECT_EQ(psr[22], "[b]PSR30[/b]: 0001F0F8 (127224) - Player Capability for Text Subtitle");
    EXPECT_EQ(psr[24],
              "[b]PSR33[/b]: 00000001 (1)   [b]PSR43[/b]: 0000FFFF (65535)   [b]PSR48[/b]: FFFFFFFF (4294967295)   "
              "[b]PSR49[/b]: FFFFFFFF (4294967295)   [b]PSR50[/b]: FFFFFFFF (4294967295)   "
              "[b]PSR61[/b]: FFFF0000 (4294901760)   ");
    const auto gpr = m.gprDump();
    ASSERT_EQ(gpr.size(), 2u);
    EXPECT_EQ(gpr[1], "[b]GPR600[/b]: 00000006 (6)   ");
    EXPECT_TRUE(gpr[0].starts_with("[b]GPR100[/b]: 00000001 (1)   [b]GPR200[/b]"));
}
