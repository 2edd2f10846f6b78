#include "nav/machine.h"

#include "nav/disasm.h"

#include <fmt/format.h>

#include <algorithm>

namespace navora {

bool leavesMenu(const TCommand& c) {
    if (!isValidCommand(c.w[0])) return false;
    switch (opcodeOf(c.w[0])) {
    case Opcode::JumpObject:
    case Opcode::JumpTitle:
    case Opcode::CallObject:
    case Opcode::CallTitle:
    case Opcode::Resume:
    case Opcode::PlayPL:
    case Opcode::PlayPLatPI:
    case Opcode::PlayPLatMK:
    case Opcode::TerminatePL: return true;
    default: return false;
    }
}

std::uint32_t clampCountryCode(std::uint32_t code) { return std::clamp<std::uint32_t>(code, 0x4141, 0x5A5A); }

NavMachine::NavMachine(Log& log) : log_(log) { ResetRegs(); }

void NavMachine::setTrace(bool on) {
    trace_ = on;
    if (!on && traceInProgress_) {
        traceInProgress_ = false;
        log_.slogR();
    }
}

void NavMachine::ResetRegs() {
    GPR_.fill(0);
    PSR_.fill(0);
    const bool real = options_.realValues;
    PSR_[kPsrIgStream] = 1;
    PSR_[kPsrPrimaryAudio] = real ? 1 : 0xFF;
    PSR_[kPsrPgTextSt] = real ? 0x0FFF0001 : 0x0FFF0FFF;
    PSR_[kPsrAngle] = 1;
    PSR_[kPsrTitle] = real ? 0 : 0xFFFF;
    PSR_[kPsrChapter] = real ? 1 : 0xFFFF;
    PSR_[kPsrPresentationTime] = 0xFFFFFFFF;
    PSR_[kPsrSelectedButton] = kNoButtonSelected;
    PSR_[kPsrStyle] = 0xFF;
    PSR_[kPsrSecondaryStreams] = 0xFFFF;
    PSR_[kPsrAudioCapability] = 0xAA;
    PSR_[kPsrAudioLanguage] = PSR_[kPsrPgLanguage] = PSR_[kPsrMenuLanguage] = 0x656E67;  // "eng"
    PSR_[kPsrCountry] = options_.countryCode;
    // A region index read from the settings is not range-checked; anything
    // but "B" and "C" counts as "A".
    const int region = options_.region >= 0 && options_.region <= 2 ? options_.region : 0;
    PSR_[kPsrRegion] = 1u << region;
    PSR_[kPsrVideoCapability] = 3;
    PSR_[kPsrTextCapability] = 0x0001F0F8;
    PSR_[kPsrPlayerProfile] = 0x00030200;
    PSR_[kPsrMenuPageCopy] = kNoMenuPage;
    for (unsigned n = kPsrCharacteristicTextFirst; n < kPsrCharacteristicTextFirst + 3; ++n) PSR_[n] = 0xFFFFFFFF;
    PSR_[kPsrCharacteristicTextLast] = 0xFFFF0000;
}

std::uint32_t NavMachine::packedRegisterValue(std::uint32_t w0, std::uint32_t w) const {
    switch (packedKind(w0)) {
    case PackedKind::SetStream:
        return (w & 0x8000C000u) + ((GPR_[(w >> 16) & 0xFFF] & 0xFF) << 16) + (GPR_[w & 0xFFF] & 0xFFF);
    case PackedKind::SetButtonPage: return (w & 0x80000000u) + (GPR_[w & 0xFFF] & 0xFFFF);
    case PackedKind::SetSecondaryStream: return (w & 0xC08F0000u) + (GPR_[w & 0xFFF] & 0xFF);
    case PackedKind::None: break;
    }
    return 0;
}

namespace {

std::uint32_t operandValue(const TCommand& c, int n, const std::array<std::uint32_t, kGprCount>& gpr,
                           const std::array<std::uint32_t, kPsrCount>& psr) {
    const std::uint32_t w = operandWord(c, n);
    if (operandImmediate(c, n)) return w;
    return registerKind(w) == RegisterKind::PSR ? psr[psrNumber(w)] : gpr[gprNumber(w)];
}

}  // namespace

std::uint32_t NavMachine::getop1(const TCommand& c) const {
    if (operandCount(c) == 0) return 0xDEADBEEF;
    if (!op1Immediate(c.w[0]) && packedKind(c.w[0]) != PackedKind::None) return packedRegisterValue(c.w[0], c.w[1]);
    return operandValue(c, 1, GPR_, PSR_);
}

std::uint32_t NavMachine::getop2(const TCommand& c) const {
    if (operandCount(c) == 0) return 0xDEADBEEF;
    if (!op2Immediate(c.w[0]) && packedKind(c.w[0]) != PackedKind::None) return packedRegisterValue(c.w[0], c.w[2]);
    return operandValue(c, 2, GPR_, PSR_);
}

void NavMachine::setdst(const TCommand& c, std::uint32_t value) {
    if (operandCount(c) == 0 || op1Immediate(c.w[0])) return;
    const std::uint32_t w = c.w[1];
    if (registerKind(w) == RegisterKind::PSR)
        PSR_[psrNumber(w)] = value;
    else
        GPR_[gprNumber(w)] = value;
}

void NavMachine::setsrc(const TCommand& c, std::uint32_t value) {
    if (operandCount(c) == 0 || op2Immediate(c.w[0])) return;
    const std::uint32_t w = c.w[2];
    if (registerKind(w) == RegisterKind::PSR)
        PSR_[psrNumber(w)] = value;
    else
        GPR_[gprNumber(w)] = value;
}

std::uint32_t NavMachine::rnd(std::uint32_t bound) {
    // Players give 1 .. bound, and 1 for a bound of 0.
    if (bound == 0) return 1;
    if (random_) return random_(bound) % bound + 1;
    return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(rng_) + 1;
}

void NavMachine::report(const std::string& text) {
    if (onReport) onReport(text);
    log_.slogw(text, 1);
}

namespace {

// A page number held in PSR11 as a page index; out-of-range values name no page.
int pageIndex(std::uint32_t v) { return v <= 0x7FFFFFFFu ? static_cast<int>(v) : -1; }

// Marks i the enabled button of its button overlap group. A slot of the
// button table that holds no button belongs to no group: it names no button,
// so nothing is enabled and no group changes.
void enableInGroup(MenuHost& host, int page, int i) {
    const int group = host.buttonGroup(page, i);
    if (group < 0) return;
    const int n = host.buttonCount(page);
    for (int id = 0; id < n; ++id)
        if (id != i && host.buttonGroup(page, id) == group) host.setButtonEnabled(id, false);
    host.setButtonEnabled(i, true);
}

}  // namespace

NavMachine::Step NavMachine::execSetButtonPage(const TCommand& c, std::uint32_t d, std::uint32_t s,
                                               TCommands& list) {
    if (!host_) {
        report("SetButtonPage ");
        return {Flow::End};
    }
    MenuHost& h = *host_;
    MenuEvents& ev = events();
    const std::uint32_t oldButton = PSR_[kPsrSelectedButton];
    const std::uint32_t oldPage = PSR_[kPsrMenuPage];
    const bool pageFlag = s & 0x80000000u;
    const bool buttonFlag = d & 0x80000000u;
    if (pageFlag && (s & 0xFF) < static_cast<std::uint32_t>(std::max(h.pageCount(), 0))) PSR_[kPsrMenuPage] = s & 0xFF;
    const int page = pageIndex(PSR_[kPsrMenuPage]);
    const auto buttons = static_cast<std::uint32_t>(std::max(h.buttonCount(page), 0));
    if (buttonFlag && (d & 0xFFFF) < buttons) PSR_[kPsrSelectedButton] = d & 0xFFFF;
    if (PSR_[kPsrMenuPage] != oldPage) h.SetButtonStates(page);
    const bool selectedValid = PSR_[kPsrSelectedButton] < buttons;
    const int selected = static_cast<int>(PSR_[kPsrSelectedButton]);
    if (selectedValid) enableInGroup(h, page, selected);
    if (pageFlag) {
        const int old = pageIndex(oldPage);
        if (!(c.w[2] & 0x40000000u) && ev.outEffectsOn() && h.hasOutEffects(old)) {
            ev.DelPage();
            ev.DrawEffects(old);
        }
        ev.cbPageChange(page);
        ev.DrawPage();
    }
    if (buttonFlag && !pageFlag) {
        if (oldButton < buttons && h.buttonGroup(page, static_cast<int>(oldButton)) != h.buttonGroup(page, selected))
            ev.DrawButton(static_cast<int>(oldButton));
        ev.DrawSButton();
    }
    if (selectedValid && h.autoAction(page, selected)) {
        list = h.buttonCommands(page, selected);
        ev.chooseButton(selected);
        runningButton_ = selected;
        return {Flow::Continue};
    }
    return {Flow::End};
}

NavMachine::Step NavMachine::exec(const TCommand& c, TCommands& list) {
    const std::uint32_t w0 = c.w[0];
    const std::uint32_t d = getop1(c);
    const std::uint32_t s = getop2(c);

    // Every word in the compare range compares, valid or not.
    if (w0 >= kFirstCompareWord && w0 <= kLastCompareWord) {
        bool outcome = lastCompare_;
        switch (static_cast<CompareOption>((w0 >> 8) & 7)) {
        case CompareOption::Previous: break;
        case CompareOption::BC: outcome = (d & s) != 0; break;
        case CompareOption::EQ: outcome = d == s; break;
        case CompareOption::NE: outcome = d != s; break;
        case CompareOption::GE: outcome = d >= s; break;
        case CompareOption::GT: outcome = d > s; break;
        case CompareOption::LE: outcome = d <= s; break;
        case CompareOption::LT: outcome = d < s; break;
        }
        lastCompare_ = outcome;
        return outcome ? Step{} : Step{Flow::Skip};
    }
    // So does every Set operation 1-15, with either immediate flag.
    if ((w0 & ~(kImmediate1 | kImmediate2 | 0xFu)) == kSetOperations && (w0 & 0xF) != 0) {
        execSet(c, static_cast<SetOption>(w0 & 0xF), d, s);
        return {};
    }
    // The other commands run only in the words of the table.
    if (!isValidCommand(w0)) return {};

    auto n = [](std::uint32_t v) { return std::to_string(v); };
    switch (opcodeOf(w0)) {
    case Opcode::GoTo: return {Flow::Jump, static_cast<std::int32_t>(d)};
    case Opcode::Break: return {Flow::End};
    case Opcode::JumpObject: report("Jump Object " + n(d)); return {Flow::End};
    case Opcode::JumpTitle:
        PSR_[kPsrTitle] = d;
        report("Jump Title " + n(d));
        return {Flow::End};
    case Opcode::CallObject: report("Call Object " + n(d)); return {};
    case Opcode::CallTitle:
        PSR_[kPsrTitle] = d;
        report("Call Title " + n(d));
        return {};
    case Opcode::Resume: report("Resume"); return {};
    case Opcode::PlayPL:
        report("Play PL " + n(d));
        PSR_[kPsrPlaylist] = d;
        return {};
    case Opcode::PlayPLatPI:
        PSR_[kPsrPlaylist] = d;
        PSR_[kPsrPlayItem] = s;
        report("Play PLatPI " + n(d) + ", " + n(s));
        return {};
    case Opcode::PlayPLatMK:
        PSR_[kPsrPlaylist] = d;
        PSR_[kPsrChapter] = s;
        report("Play PLatMK " + n(d) + ", " + n(s));
        return {};
    case Opcode::TerminatePL: report("Terminate PL"); return {};
    case Opcode::LinkPI:
        report("Link PI " + n(d));
        PSR_[kPsrPlayItem] = d;
        return {};
    case Opcode::LinkMK:
        report("Link MK " + n(d));
        PSR_[kPsrChapter] = d + 1;
        return {};
    case Opcode::SetStream:
        if (d & 0x80000000u) PSR_[kPsrPrimaryAudio] = (d >> 16) & 0xFF;
        if (d & 0x8000u)
            PSR_[kPsrPgTextSt] = (PSR_[kPsrPgTextSt] & 0x0FFF0000u) + (d & 0xFFF) + (((d >> 14) & 1) << 31);
        if (s & 0x80000000u) PSR_[kPsrIgStream] = (s >> 16) & 0xFF;
        if (s & 0x8000u) PSR_[kPsrAngle] = s & 0xFF;
        return {};
    case Opcode::SetButtonPage: return execSetButtonPage(c, d, s, list);
    case Opcode::EnableButton: execEnableButton(d); return {};
    case Opcode::DisableButton: execDisableButton(d); return {};
    case Opcode::PopUpMenuOff:
        report("Pop up Menu Off");
        if (host_) events().popUpOff();
        return {};
    case Opcode::StillOn: report("Still On"); return {};
    case Opcode::StillOff: report("Still Off"); return {};
    default: break;
    }
    // NOP, SetNVTimer, SetSecondaryStream and the words of no command here do nothing.
    return {};
}

// Buttons exist only on the menu tab.
void NavMachine::execEnableButton(std::uint32_t d) {
    if (!host_) return;
    const int page = pageIndex(PSR_[kPsrMenuPage]);
    const int buttons = host_->buttonCount(page);
    const int i = static_cast<int>(d & 0xFFFF);
    // An empty slot names no button: nothing to enable or draw.
    if (i >= buttons || host_->buttonGroup(page, i) < 0) return;
    if (PSR_[kPsrSelectedButton] < static_cast<std::uint32_t>(buttons) &&
        host_->buttonGroup(page, static_cast<int>(PSR_[kPsrSelectedButton])) == host_->buttonGroup(page, i)) {
        PSR_[kPsrSelectedButton] = kNoButtonSelected;
        enabledButton_ = static_cast<std::uint16_t>(i);
    }
    enableInGroup(*host_, page, i);
    events().DrawButton(i);
}

void NavMachine::execDisableButton(std::uint32_t d) {
    if (!host_) return;
    const int i = static_cast<int>(d & 0xFFFF);
    if (i >= host_->buttonCount(pageIndex(PSR_[kPsrMenuPage]))) return;
    host_->setButtonEnabled(i, false);
    events().DelButton(i);
}

namespace {

std::uint32_t saturate(std::uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(v); }

}  // namespace

void NavMachine::execSet(const TCommand& c, SetOption option, std::uint32_t d, std::uint32_t s) {
    const std::uint32_t bit = s & 31;
    switch (option) {
    case SetOption::None: break;
    case SetOption::Move: setdst(c, s); break;
    case SetOption::Swap:
        setdst(c, s);
        setsrc(c, d);
        break;
    // Players saturate instead of wrapping: a disc's program counts on it.
    case SetOption::Add: setdst(c, saturate(std::uint64_t{d} + s)); break;
    case SetOption::Sub: setdst(c, d > s ? d - s : 0); break;
    case SetOption::Mul: setdst(c, saturate(std::uint64_t{d} * s)); break;
    case SetOption::Div: setdst(c, s == 0 ? 0xFFFFFFFFu : d / s); break;
    case SetOption::Mod: setdst(c, s == 0 ? 0xFFFFFFFFu : d % s); break;
    case SetOption::Rnd: setdst(c, rnd(s)); break;
    case SetOption::And: setdst(c, d & s); break;
    case SetOption::Or: setdst(c, d | s); break;
    case SetOption::Xor: setdst(c, d ^ s); break;
    case SetOption::BitSet: setdst(c, d | (1u << bit)); break;
    case SetOption::BitClear: setdst(c, d & ~(1u << bit)); break;
    case SetOption::ShiftLeft: setdst(c, d << bit); break;
    case SetOption::ShiftRight: setdst(c, d >> bit); break;
    }
}

std::string NavMachine::traceLineText(const TCommands& list, std::size_t line, CommandContext context) {
    if (line >= list.size()) return {};
    const CommandRow row = comm2str(list[line], line, context);
    return "Line " + dec4(line) + " : " + row.opcode + " " + row.destination + " " + row.source + " : " + row.line;
}

RunResult NavMachine::ExecComm(const TCommands& input, RunLimits limits) {
    TCommands list = input;  // a SetButtonPage auto action may replace it
    RunResult r;
    // A traced program is one run over many Starts: the comparison outcome
    // carries over from step to step.
    if (!(trace_ && traceInProgress_)) lastCompare_ = false;
    enabledButton_.reset();
    runningButton_.reset();
    log_.cancelFlag = false;

    bool stopped = false;
    bool interrupted = false;
    std::int64_t pc = programLine_;
    while (pc >= 0 && pc < static_cast<std::int64_t>(list.size())) {
        if (LogView* v = log_.view()) v->processEvents();
        if (log_.cancelFlag) {
            r.end = RunEnd::Cancelled;
            interrupted = true;
            break;
        }
        if (limits.maxSteps && r.steps >= *limits.maxSteps) {
            r.end = RunEnd::StepLimit;
            interrupted = true;
            break;
        }
        if (!r.leftMenu && leavesMenu(list[static_cast<std::size_t>(pc)]))
            r.leftMenu = LeftMenu{r.lists.size() > 1 ? r.lists.back().button : std::nullopt,
                                  static_cast<std::size_t>(pc), list[static_cast<std::size_t>(pc)]};
        const Step st = exec(list[static_cast<std::size_t>(pc)], list);
        ++r.steps;
        if (r.lists.empty()) r.lists.push_back({});
        ++r.lists.back().lines;
        // A long run says how far it has come, so that it does not look hung.
        if (r.steps % kRunReportEvery == 0) log_.slog(fmt::format("{} commands executed", r.steps), 1);
        r.lastLine = static_cast<std::size_t>(pc);
        switch (st.flow) {
        case Flow::Next: pc += 1; break;
        case Flow::Skip: pc += 2; break;
        case Flow::Jump: pc = st.target; break;
        case Flow::End:
            pc = static_cast<std::int64_t>(list.size());
            stopped = true;
            break;
        case Flow::Continue:
            pc = 0;
            r.lastLine.reset();
            r.lists.push_back({runningButton_, 0});
            break;
        }
        programLine_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(pc, INT32_MIN, INT32_MAX));
        if (trace_) break;
    }

    if (enabledButton_ && PSR_[kPsrSelectedButton] == kNoButtonSelected) {
        PSR_[kPsrSelectedButton] = *enabledButton_;
        if (host_) events().DrawSButton();
    }
    // A line below 0 is where a trace starts (nothing executed yet: line 0 is
    // next) or where a GoTo sent the program (the run has ended).
    const bool jumpedBelowZero = programLine_ < 0 && r.steps > 0;
    if (programLine_ < 0) programLine_ = 0;

    const bool inside = !jumpedBelowZero && static_cast<std::size_t>(programLine_) < list.size();
    traceInProgress_ = trace_ && inside;
    if (!interrupted) r.end = stopped ? RunEnd::Stopped : traceInProgress_ ? RunEnd::TraceStep : RunEnd::EndOfProgram;
    r.traceInProgress = traceInProgress_;
    r.runningButton = runningButton_;

    log_.slog(traceInProgress_ ? "Running trace..." : "Ready. ", 0);
    if (traceInProgress_) {
        const auto next = static_cast<std::size_t>(programLine_);
        r.nextLine = next;
        const TCommand& c = list[next];
        if (operandCount(c) >= 1 && !op1Immediate(c.w[0]))
            r.nextDestination = RegisterRef{registerKind(c.w[1]), registerNumber(c.w[1])};
        log_.slog(traceLineText(list, next, context()), 1);
    } else if (r.end == RunEnd::Cancelled) {
        log_.slog("Cancelled.", 1);
    } else if (r.end == RunEnd::StepLimit) {
        log_.slog(fmt::format("Step limit of {} commands reached.", r.steps), 1);
    } else {
        log_.slog("", 1);
    }
    r.program = std::move(list);
    return r;
}

RunResult NavMachine::start(const TCommands& list, RunLimits limits) {
    if (!(trace_ && traceInProgress_)) {
        traceInProgress_ = false;
        programLine_ = trace_ ? -1 : 0;
    }
    return ExecComm(list, limits);
}

RunResult NavMachine::startProgram(const TCommands& list, RunLimits limits) {
    traceInProgress_ = false;
    programLine_ = trace_ ? -1 : 0;
    return ExecComm(list, limits);
}

RunResult NavMachine::executeLine(const TCommands& list, std::size_t line) {
    programLine_ = static_cast<std::int32_t>(std::min<std::size_t>(line, INT32_MAX));
    return ExecComm(list);
}

bool NavMachine::cancelTrace(const TCommands& list) {
    if (!traceInProgress_) return false;
    // 0xFFFF is past the end of every list a file can hold (its count is 16 bits).
    programLine_ = static_cast<std::int32_t>(std::clamp<std::size_t>(list.size(), 0xFFFF, INT32_MAX));
    start(list);
    return true;
}

std::vector<std::string> NavMachine::psrDump() const {
    std::vector<std::string> out;
    auto item = [this](int n) { return fmt::format("[b]PSR{}[/b]: {:08X} ({}", n, PSR_[n], PSR_[n]); };
    auto described = [&](int n) {
        std::string_view d = psrDescription(static_cast<unsigned>(n));
        return item(n) + ") - " + (d == "reserved" ? std::string() : std::string(d));
    };
    for (int n = 0; n <= 20; ++n) out.push_back(described(n));
    for (int n = 21; n <= 31; ++n)
        if (PSR_[n] != 0) out.push_back(described(n));
    std::string line;
    int onLine = 0;
    for (int n = 32; n < kPsrCount; ++n) {
        if (PSR_[n] == 0) continue;
        line += item(n) + ")   ";
        if (++onLine == 6) {
            out.push_back(line);
            line.clear();
            onLine = 0;
        }
    }
    if (onLine > 0) out.push_back(line);
    return out;
}

std::vector<std::string> NavMachine::gprDump() const {
    std::vector<std::string> out;
    std::string line;
    int onLine = 0;
    for (int n = 0; n < kGprCount; ++n) {
        if (GPR_[n] == 0) continue;
        line += fmt::format("[b]GPR{}[/b]: {:08X} ({})   ", n, GPR_[n], GPR_[n]);
        if (++onLine == 5) {
            out.push_back(line);
            line.clear();
            onLine = 0;
        }
    }
    if (onLine > 0) out.push_back(line);
    return out;
}

}  // namespace navora
