#include "ui/app/runcontroller.h"

#include "ui/app/execpanel.h"
#include "ui/app/regpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QPushButton>

#include <fmt/format.h>

#include <algorithm>

namespace navora::ui {

RunController::RunController(Log& log, QWidget* executeParent, QWidget* registersParent, QPushButton* cancel,
                             QObject* parent)
    : QObject(parent), log_(log), machine_(log), cancel_(cancel) {
    execPanel_ = new ExecPanel(executeParent);
    execPanel_->setEnabled(false);
    if (executeParent->layout()) executeParent->layout()->addWidget(execPanel_);
    regPanel_ = new RegPanel(machine_, registersParent);
    if (registersParent->layout()) registersParent->layout()->addWidget(regPanel_);

    machine_.onReport = [this](const std::string& text) { lastReport_ = text; };
    connect(execPanel_->bStart(), &QPushButton::clicked, this, &RunController::start);
    connect(execPanel_, &ExecPanel::programLineEntered, this, [this](int line) { machine_.setProgramLine(line); });
    connect(execPanel_->cbTrace(), &QCheckBox::toggled, this, [this](bool on) {
        // Trace off ends a trace in progress: the next Start begins at line 0.
        machine_.setTrace(on);
        execPanel_->setTraceInProgress(machine_.traceInProgress());
        updateControls();
    });
}

void RunController::setSource(const ProgramSource* source) {
    source_ = source;
    updateControls();
}

void RunController::setProgressShown(bool shown) {
    progressShown_ = shown;
    if (!shown) updateControls();
}

TCommands RunController::program() const { return source_ && source_->program ? source_->program() : TCommands{}; }

void RunController::updateControls() {
    const bool startable = source_ && source_->startable ? source_->startable() : !program().empty();
    execPanel_->bStart()->setEnabled(!running_ && startable);
    execPanel_->cbTrace()->setEnabled(!running_);
    execPanel_->cbObject()->setEnabled(!running_);
    execPanel_->cbButton()->setEnabled(!running_);
    if (!progressShown_) cancel_->setEnabled(running_ || machine_.traceInProgress());
}

void RunController::start() {
    if (running_) return;
    const Registers before = registers();
    lastReport_.clear();
    if (source_ && source_->run) {
        if (source_->startable && !source_->startable()) return;
        running_ = true;
        updateControls();
        emit runningChanged(true);
        const std::optional<RunResult> r = source_->run();
        running_ = false;
        showResult(r ? *r : RunResult{});
        if (r) reportRun(*r, before);
        emit runningChanged(false);
        return;
    }
    const TCommands list = program();
    if (list.empty()) return;
    running_ = true;
    updateControls();
    emit runningChanged(true);
    // A program at full speed lets the window process its events between
    // commands, so Cancel (and painting) work while it runs.
    const RunResult r = machine_.start(list);
    running_ = false;
    showResult(r);
    reportRun(r, before);
    emit runningChanged(false);
}

RunController::Registers RunController::registers() const {
    Registers r;
    r.gpr.resize(static_cast<std::size_t>(kGprCount));
    r.psr.resize(static_cast<std::size_t>(kPsrCount));
    for (unsigned n = 0; n < static_cast<unsigned>(kGprCount); ++n) r.gpr[n] = machine_.gpr(n);
    for (unsigned n = 0; n < static_cast<unsigned>(kPsrCount); ++n) r.psr[n] = machine_.psr(n);
    return r;
}

void RunController::reportRun(const RunResult& r, const Registers& before) {
    if (r.end == RunEnd::TraceStep) return;
    std::vector<RegisterRef> changed;
    std::vector<std::string> lines;
    auto compare = [&](RegisterKind kind, const std::vector<std::uint32_t>& old) {
        for (unsigned n = 0; n < old.size(); ++n) {
            const std::uint32_t now = kind == RegisterKind::GPR ? machine_.gpr(n) : machine_.psr(n);
            if (now == old[n]) continue;
            changed.push_back({kind, n});
            lines.push_back(fmt::format("  [re]{}{}[/re]: {:08X} -> {:08X}", kind == RegisterKind::GPR ? "GPR" : "PSR",
                                        n, old[n], now));
        }
    };
    compare(RegisterKind::GPR, before.gpr);
    compare(RegisterKind::PSR, before.psr);
    const char* how = r.end == RunEnd::Stopped     ? "stopped by a command"
                      : r.end == RunEnd::Cancelled ? "cancelled"
                      : r.end == RunEnd::StepLimit ? "stopped at the step limit"
                                                   : "end of program";
    std::string summary = "Run ended";
    if (r.lastLine) summary += fmt::format(" at line {:04}", *r.lastLine);
    summary += fmt::format(" ({}, {} commands)", how, r.steps);
    if (!lastReport_.empty()) summary += ": " + lastReport_;
    summary += changed.empty() ? "; no register changed" : fmt::format("; {} register(s) changed", changed.size());
    log_.log("[b]" + summary + "[/b]");
    const std::size_t shown = std::min<std::size_t>(lines.size(), 32);
    for (std::size_t i = 0; i < shown; ++i) log_.log(lines[i]);
    if (lines.size() > shown) log_.log(fmt::format("  ... and {} more", lines.size() - shown));
    // A cancelled run keeps "Cancelled." in the status bar; the log has the rest.
    if (r.end != RunEnd::Cancelled) log_.slog(summary, 1);
    // The panel shows the first changed GPR and PSR, highlighted.
    for (const RegisterKind kind : {RegisterKind::GPR, RegisterKind::PSR}) {
        const auto first =
            std::find_if(changed.begin(), changed.end(), [&](const RegisterRef& c) { return c.kind == kind; });
        if (first != changed.end()) regPanel_->showRegister(*first);
    }
    regPanel_->markChanged(changed);
}

void RunController::executeLine(int line) {
    if (!machine_.trace() || running_ || line < 0) return;
    const TCommands list = program();
    if (static_cast<std::size_t>(line) >= list.size()) return;
    running_ = true;
    const RunResult r = source_ && source_->executeLine ? source_->executeLine(static_cast<std::size_t>(line))
                                                        : machine_.executeLine(list, static_cast<std::size_t>(line));
    running_ = false;
    showResult(r);
}

void RunController::showResult(const RunResult& r) {
    execPanel_->setTraceInProgress(r.traceInProgress);
    execPanel_->showProgramLine(machine_.programLine());
    const auto showLine = [this](std::size_t line) {
        if (source_ && source_->showLine) source_->showLine(static_cast<int>(line));
    };
    if (r.traceInProgress && r.nextLine) {
        showLine(*r.nextLine);
        if (r.nextDestination) regPanel_->showRegister(*r.nextDestination);
    } else if (r.lastLine) {
        showLine(*r.lastLine);
    }
    regPanel_->showValues();
    updateControls();
}

bool RunController::cancelTrace() {
    if (!machine_.traceInProgress() || running_) return false;
    machine_.cancelTrace(program());
    execPanel_->setTraceInProgress(false);
    execPanel_->showProgramLine(machine_.programLine());
    regPanel_->showValues();
    updateControls();
    return true;
}

void RunController::clear() {
    machine_.endTrace();
    showResult(RunResult{});
}

void RunController::resetRegisters() {
    machine_.ResetRegs();
    regPanel_->markChanged({});
}

void RunController::logPsrs() {
    for (const std::string& line : machine_.psrDump()) log_.log(line);
}

void RunController::logGprs() {
    for (const std::string& line : machine_.gprDump()) log_.log(line);
}

}  // namespace navora::ui
