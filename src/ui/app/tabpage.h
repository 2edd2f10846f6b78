#pragma once
// A tab of the main window and what the bottom bar shows while it is active.
// The tab-change handler asks the active tab for its BottomBar and shows
// exactly that, and the bar's buttons act on the active tab through this
// interface; a tab whose state changes what the bar shows emits
// bottomBarChanged().

#include "core/command.h"
#include "nav/machine.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

namespace navora::ui {

// The program a tab lets "Start" run, and where its lines are shown.
struct ProgramSource {
    // The program Start runs; an empty one keeps Start disabled.
    std::function<TCommands()> program;
    // Selects a line of the program in the tab's command grid.
    std::function<void(int line)> showLine;
    // A tab that runs programs its own way (the menu emulator): Start calls
    // run() instead of running program(), and is enabled by startable();
    // run() returns the last run it made, if any. executeLine() runs one
    // traced line of program().
    std::function<std::optional<RunResult>()> run;
    std::function<bool()> startable;
    std::function<RunResult(std::size_t line)> executeLine;
};

struct BottomBar {
    bool save = false;  // "&Save" shown
    bool saveEnabled = false;
    QString saveHint = QStringLiteral("Save");
    bool find = false;                       // "Find"
    bool load = false;                       // "&Load"
    bool mux = false;                        // "M&ux", enabled as Save is
    bool execute = false;                    // the execution panel
    bool buttonChooser = false;              // it chooses a button (menu) instead of a movie object
    const ProgramSource* program = nullptr;  // what Start runs on this tab; none: Start disabled
    bool navigate = false;                   // the navigation panel
    bool registers = false;                  // the register panel
};

class TabPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    ~TabPage() override;

    // What the bottom bar shows while this tab is active; nothing by default.
    virtual BottomBar bottomBar() const { return {}; }
    // The tab became the active one (after the bottom bar was set).
    virtual void activated() {}
    // "&Save" on this tab: writes its files; false when the tab saves nothing.
    virtual bool save() { return false; }
    // Before the window closes or reads another folder, after the user chose
    // to save: writes this tab's files that hold unsaved edits. False when
    // one of them was not written (the window then stays as it is).
    virtual bool saveModified() { return true; }
    // Another tab became the active one: what runs while this one is shown stops.
    virtual void deactivated() {}
    // The bottom bar's "Find", "&Load" and "M&ux" on this tab (shown when
    // bottomBar() says so).
    virtual void find() {}
    virtual void load() {}
    virtual void mux() {}

signals:
    // What bottomBar() returns has changed.
    void bottomBarChanged();
};

}  // namespace navora::ui
