#pragma once
// The settings' life in the main window: read from the store at start-up and
// shown by the controls bound to them (the Options tab, the BDMV folder, the
// panel heights, the window's place), written back at shut-down; "Reset to
// defaults", the options of the navigation machine and the Menu tab's
// colours, and the .bdmv file association.

#include "ui/app/settings.h"

#include <QObject>
#include <QStringList>

class QMainWindow;

namespace navora::ui {

class BdmvTab;
class MainMenu;
class MenuTab;
class OptionsTab;
class PlaylistTab;
class RunController;

class WindowSettings : public QObject {
    Q_OBJECT
public:
    struct Views {
        QMainWindow& window;
        BdmvTab& bdmv;
        PlaylistTab& playlist;
        OptionsTab& options;
        MenuTab& menu;
        MainMenu& mainMenu;
        RunController& run;
    };
    explicit WindowSettings(const Views& views, QObject* parent = nullptr);

    // The settings as read at start-up (written back at shut-down).
    const Settings& settings() const { return settings_; }
    // The controls bound to the settings.
    const SettingsBinder& binder() const { return binder_; }

    // The defaults shown before the store is read.
    void showDefaults();
    // Start-up: reads the store; the controls, the folder, the machine, the
    // window's place, the panel heights and the recent folders follow.
    void load();
    // Shut-down: what the controls and the window show goes into the store.
    void store();
    // "Reset to defaults": every bound control shows its default.
    void reset();
    // Registers the .bdmv file association and logs what it did.
    void associate();
    // The navigation machine's options take effect at its next reset.
    void applyMachineOptions();
    // The Menu tab draws in the colours the Options tab shows.
    void applyMenuColours();

private:
    Views v_;
    Settings settings_;
    SettingsBinder binder_;
};

}  // namespace navora::ui
