#pragma once
// The navigation machine: player status and general purpose registers, and
// the execution of a command list at full speed or one command at a time.

#include "core/log.h"
#include "core/command.h"
#include "nav/decode.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace navora {

// The menu the button commands act on, as the menu emulator keeps it: the
// model queries of the loaded menu and the button state table of the current
// page. Buttons are addressed by id, a slot of a page's button table; every
// query answers "none" (0, false, -1, empty) for pages and ids out of range.
class MenuHost {
public:
    virtual ~MenuHost() = default;

    virtual int pageCount() const = 0;
    // Button id slots of a page.
    virtual int buttonCount(int page) const = 0;
    // The button overlap group of a button of a page; -1 when none.
    virtual int buttonGroup(int page, int id) const = 0;
    virtual bool autoAction(int page, int id) const = 0;
    virtual TCommands buttonCommands(int page, int id) const = 0;
    // Whether a page has out-effects.
    virtual bool hasOutEffects(int page) const = 0;

    // The enabled flags of the current page's button state table.
    virtual bool buttonEnabled(int id) const = 0;
    virtual void setButtonEnabled(int id, bool enabled) = 0;
    // Rebuilds the button state table for a page.
    virtual void SetButtonStates(int page) = 0;
};

// What the button commands show: the drawing orders and the page and button
// lists. Every one does nothing by default, so that a menu can run headless;
// the emulator draws, and tells the views what changed.
class MenuEvents {
public:
    virtual ~MenuEvents() = default;

    // "Show OutEffects".
    virtual bool outEffectsOn() const { return false; }
    virtual void DrawButton(int /*id*/) {}
    virtual void DelButton(int /*id*/) {}
    virtual void DrawSButton() {}  // draws the selected button (PSR10)
    virtual void DrawPage() {}
    virtual void DelPage() {}
    virtual void DrawEffects(int /*page*/) {}   // plays the out-effects of a page
    virtual void cbPageChange(int /*page*/) {}  // chooses the page in the page list
    virtual void chooseButton(int /*id*/) {}    // makes the button the chosen one of the button list
    virtual void popUpOff() {}                  // PopUpMenu Off: a pop-up menu is hidden
};

struct ResetOptions {
    bool realValues = false;           // "Init PSRs with 'real' values"
    int region = 0;                    // 0 "A", 1 "B", 2 "C"
    std::uint32_t countryCode = 0x5553;  // two letters, "US"
};

// The country code box clamps to "AA" .. "ZZ".
std::uint32_t clampCountryCode(std::uint32_t code);

enum class RunEnd {
    EndOfProgram,  // the program line left the list
    Stopped,       // a command ended the run (Break, Jump Object/Title, SetButtonPage)
    TraceStep,     // trace: the next command waits for the next Start
    Cancelled,     // the cancel flag was set
    StepLimit,     // the step limit was reached
};


struct RegisterRef {
    RegisterKind kind = RegisterKind::GPR;
    unsigned number = 0;
    bool operator==(const RegisterRef&) const = default;
};

// One command list of a run: a run starts with the list it was given and
// continues with an auto-action button's list after SetButtonPage.
struct ListRun {
    std::optional<int> button;  // the auto-action button; empty for the list the run was given
    std::uint64_t lines = 0;    // commands executed from this list
    bool operator==(const ListRun&) const = default;
};

// Whether a command takes a player away from the menu it runs in: a jump or
// call elsewhere, a playlist started or ended, a title resumed. Links inside
// the playlist keep the menu.
bool leavesMenu(const TCommand& c);

// The first command of a run that left the menu.
struct LeftMenu {
    std::optional<int> button;  // the auto-action button whose list held it; empty: the list the run was given
    std::size_t line = 0;
    TCommand command;
    bool operator==(const LeftMenu&) const = default;
};

struct RunResult {
    RunEnd end = RunEnd::EndOfProgram;
    std::uint64_t steps = 0;              // commands executed by this run
    bool traceInProgress = false;         // Cancel is enabled, Start shows bold
    std::optional<std::size_t> nextLine;  // trace: the next command's row
    std::optional<std::size_t> lastLine;  // the last executed row
    std::optional<RegisterRef> nextDestination;  // trace: the register of the next command's destination
    std::optional<int> runningButton;     // menu: the button whose program ran last, after an auto action
    TCommands program;                    // the list that ran last (a button's list after an auto action)
    std::vector<ListRun> lists;           // the lists that ran, in order (empty when nothing was executed)
    std::optional<LeftMenu> leftMenu;     // the first executed command that leaves the menu
};

// A run at full speed shows "N commands executed" in status panel 1 after
// every this many commands.
inline constexpr std::uint64_t kRunReportEvery = 16384;

struct RunLimits {
    std::optional<std::uint64_t> maxSteps;  // stop after this many commands
};

class NavMachine {
public:
    explicit NavMachine(Log& log = mainLog());

    // The registers. Numbers out of range read 0 and are not written.
    std::uint32_t gpr(unsigned n) const { return n < kGprCount ? GPR_[n] : 0; }
    std::uint32_t psr(unsigned n) const { return n < kPsrCount ? PSR_[n] : 0; }
    void setGpr(unsigned n, std::uint32_t value) {
        if (n < kGprCount) GPR_[n] = value;
    }
    void setPsr(unsigned n, std::uint32_t value) {
        if (n < kPsrCount) PSR_[n] = value;
    }

    // The start values of the next ResetRegs.
    const ResetOptions& options() const { return options_; }
    void setOptions(const ResetOptions& options) { options_ = options; }

    // "Trace": one command per Start. Switching it off ends a trace in
    // progress: the next Start begins at line 0.
    bool trace() const { return trace_; }
    void setTrace(bool on);
    // A traced program waits for the next Start (Cancel ends it).
    bool traceInProgress() const { return traceInProgress_; }
    // Drops a trace in progress without running anything (a new folder is read).
    void endTrace() { traceInProgress_ = false; }

    // The next command to execute.
    std::int32_t programLine() const { return programLine_; }
    void setProgramLine(std::int32_t line) { programLine_ = line; }

    // The menu of the menu tab and what its commands show; the host is null
    // on the BDMV tab. Without events the commands draw nothing.
    MenuHost* host() const { return host_; }
    MenuEvents& events() const { return events_ ? *events_ : noEvents_; }
    MenuEvents* menuEvents() const { return events_; }
    void setMenu(MenuHost* host, MenuEvents* events = nullptr) {
        host_ = host;
        events_ = events;
    }

    // Called with the text of every report (jump, play and call commands),
    // besides status panel 1.
    std::function<void(const std::string&)> onReport;

    // Source of Rnd: a number in 0 .. bound - 1 for bound > 0 (Rnd adds 1).
    void setRandomSource(std::function<std::uint32_t(std::uint32_t bound)> source) { random_ = std::move(source); }
    void seedRandom(std::uint32_t seed) { rng_.seed(seed); }

    void ResetRegs();

    std::uint32_t getop1(const TCommand& c) const;
    std::uint32_t getop2(const TCommand& c) const;
    void setdst(const TCommand& c, std::uint32_t value);
    void setsrc(const TCommand& c, std::uint32_t value);

    // Runs (or traces one command of) the list from the program line.
    RunResult ExecComm(const TCommands& list, RunLimits limits = {});

    // Start on the BDMV tab: unless a trace is in progress, the program line
    // becomes -1 (trace on) or 0 (trace off); then runs.
    RunResult start(const TCommands& list, RunLimits limits = {});
    // Starts a program from its beginning (a button's program on the menu tab).
    RunResult startProgram(const TCommands& list, RunLimits limits = {});
    // Trace on: a click on a command row executes that one command.
    RunResult executeLine(const TCommands& list, std::size_t line);
    // Cancel during a trace: the program line becomes 0xFFFF and the run
    // starts again, which ends at once. Returns false when no trace was in
    // progress (the click then belongs to the cancel flag).
    bool cancelTrace(const TCommands& list);

    // Register dumps as log lines with markup.
    std::vector<std::string> psrDump() const;
    std::vector<std::string> gprDump() const;

    // The status panel 1 text of a traced next command.
    static std::string traceLineText(const TCommands& list, std::size_t line, CommandContext context);

private:
    enum class Flow { Next, Skip, Jump, End, Continue };
    struct Step {
        Flow flow = Flow::Next;
        std::int64_t target = 0;
    };
    Step exec(const TCommand& c, TCommands& list);
    Step execSetButtonPage(const TCommand& c, std::uint32_t d, std::uint32_t s, TCommands& list);
    void execSet(const TCommand& c, SetOption option, std::uint32_t d, std::uint32_t s);
    void execEnableButton(std::uint32_t d);
    void execDisableButton(std::uint32_t d);
    std::uint32_t packedRegisterValue(std::uint32_t w0, std::uint32_t w) const;
    std::uint32_t rnd(std::uint32_t bound);
    void report(const std::string& text);
    CommandContext context() const { return host_ ? CommandContext::Button : CommandContext::MovieObject; }

    std::array<std::uint32_t, kGprCount> GPR_{};
    std::array<std::uint32_t, kPsrCount> PSR_{};
    ResetOptions options_;
    bool trace_ = false;
    std::int32_t programLine_ = 0;
    bool traceInProgress_ = false;
    MenuHost* host_ = nullptr;
    MenuEvents* events_ = nullptr;
    static inline MenuEvents noEvents_;
    std::function<std::uint32_t(std::uint32_t bound)> random_;
    Log& log_;
    std::mt19937 rng_;
    bool lastCompare_ = false;
    std::optional<std::uint16_t> enabledButton_;
    std::optional<int> runningButton_;
};

}  // namespace navora
