#include "ui/app/runcontroller.h"

#include "ui/app/execpanel.h"
#include "ui/app/regpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QPushButton>

namespace navora::ui {

RunController::RunController(Log& log, QWidget* executeParent, QWidget* registersParent, QPushButton* cancel,
                             QObject* parent)
    : QObject(parent), log_(log), machine_(log), cancel_(cancel) {
    execPanel_ = new ExecPanel(executeParent);
    execPanel_->setEnabled(false);
    if (executeParent->layout()) executeParent->layout()->addWidget(execPanel_);
    regPanel_ = new RegPanel(machine_, registersParent);
    if (registersParent->layout()) registersParent->layout()->addWidget(regPanel_);

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
    if (source_ && source_->run) {
        if (source_->startable && !source_->startable()) return;
        running_ = true;
        updateControls();
        emit runningChanged(true);
        const std::optional<RunResult> r = source_->run();
        running_ = false;
        showResult(r ? *r : RunResult{});
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
    emit runningChanged(false);
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
    regPanel_->showValues();
}

void RunController::logPsrs() {
    for (const std::string& line : machine_.psrDump()) log_.log(line);
}

void RunController::logGprs() {
    for (const std::string& line : machine_.gprDump()) log_.log(line);
}

}  // namespace navora::ui
