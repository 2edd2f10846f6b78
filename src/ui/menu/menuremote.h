#pragma once
// The remote control of the Menu tab's emulator: the navigation panel's keys
// ("&U", "&D", "&L", "&R", "S&el", "Pop-up"), the keys pressed on the Page
// view (arrows, Enter, digits), the execution panel's button chooser and the
// program that Start and Trace run. After each action the register and
// execution panels show where the emulator stands.

#include "ui/app/tabpage.h"

#include <QObject>

#include <array>
#include <functional>
#include <optional>

class QPushButton;
class QWidget;

namespace navora {
class Log;
}

namespace navora::ui {

class MenuPageView;
class MenuPagesView;
class MenuPreview;
class RunController;

class MenuRemote : public QObject {
    Q_OBJECT
public:
    // The keys, in the panel's order.
    enum Key { Up = 0, Down, Left, Right, Select, Popup, KeyCount };

    MenuRemote(MenuPreview& preview, RunController& run, Log& log, MenuPageView& pageView, MenuPagesView& pages,
               QObject* parent = nullptr);

    // Puts the keys into the bottom bar's navigation panel.
    void buildPanel(QWidget* panel);
    // The keys act while a page is selected.
    void setKeysEnabled(bool on);
    QPushButton* key(Key k) const { return keys_[static_cast<std::size_t>(k)]; }
    // What Start runs on the Menu tab.
    const ProgramSource* program() const { return &program_; }

    // Whether Start may run (a menu with pages is held).
    std::function<bool()> canStart;

private:
    // A key pressed on the Page view, by its virtual-key code.
    void pageKey(int code);
    // After an action of the emulator: the registers and the controls follow.
    void afterAction();
    std::optional<RunResult> start();

    MenuPreview& preview_;
    RunController& run_;
    Log& log_;
    MenuPageView& pageView_;
    MenuPagesView& pages_;
    std::array<QPushButton*, KeyCount> keys_{};
    ProgramSource program_;
    std::optional<RunResult> lastRun_;
};

}  // namespace navora::ui
