#pragma once
// Runs navigation programs from the bottom bar: "Start" and "Trace" of the
// execution panel, Cancel while a trace is in progress, the program line,
// and the register panel, over the one navigation machine. What Start runs
// comes from the active tab (a ProgramSource): the BDMV tab gives the shown
// movie object, the Menu tab a button's program.

#include "nav/machine.h"
#include "ui/app/tabpage.h"

#include <QObject>

#include <cstdint>
#include <string>
#include <vector>

class QPushButton;
class QWidget;

namespace navora::ui {

class ExecPanel;
class RegPanel;

class RunController : public QObject {
    Q_OBJECT
public:
    // The panels are created inside the two parents; Cancel is the bottom
    // bar's button, shared with the progress bar.
    RunController(Log& log, QWidget* executeParent, QWidget* registersParent, QPushButton* cancel,
                  QObject* parent = nullptr);

    NavMachine& machine() { return machine_; }
    const NavMachine& machine() const { return machine_; }
    ExecPanel* execPanel() const { return execPanel_; }
    RegPanel* regPanel() const { return regPanel_; }

    // What Start runs: the active tab's source; null disables Start.
    void setSource(const ProgramSource* source);
    // While the progress bar is shown, Cancel belongs to it.
    void setProgressShown(bool shown);
    // True while a program runs at full speed.
    bool running() const { return running_; }
    // Enables Start, Trace, the chooser and Cancel by the run state and the
    // source's program; call it when the source's program changed.
    void updateControls();

    // The start values of the next register reset.
    void setResetOptions(const ResetOptions& options) { machine_.setOptions(options); }
    // "Re&set Regs": resets the registers and shows them.
    void resetRegisters();
    // "PS&Rs" / "&GPRs": the register dumps into the log.
    void logPsrs();
    void logGprs();
    // A folder is about to be read: a trace in progress ends, the panels show the idle state.
    void clear();

public slots:
    // "Start": runs the source's program, or one command of it with Trace on.
    void start();
    // Trace on: a click on line `line` of the source's grid executes that command.
    void executeLine(int line);
    // Cancel during a trace ends the trace; false when no trace was in progress.
    bool cancelTrace();

signals:
    // A program started running at full speed, or ended.
    void runningChanged(bool running);

private:
    // Shows how a run ended: the next traced line, the registers, the controls.
    void showResult(const RunResult& r);
    // The registers before a run, to show afterwards what it changed.
    struct Registers {
        std::vector<std::uint32_t> gpr, psr;
    };
    Registers registers() const;
    // After a whole run (not a trace step): where it ended and what it last
    // reported, in the log and status panel 1, and the registers it changed
    // listed there and highlighted in the register panel.
    void reportRun(const RunResult& r, const Registers& before);
    std::string lastReport_;
    TCommands program() const;

    Log& log_;
    NavMachine machine_;
    const ProgramSource* source_ = nullptr;
    bool running_ = false;
    bool progressShown_ = false;
    ExecPanel* execPanel_;
    RegPanel* regPanel_;
    QPushButton* cancel_;
};

}  // namespace navora::ui
