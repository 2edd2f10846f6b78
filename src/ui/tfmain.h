#pragma once
// The main window: owns the workspace, composes the tabs, the bottom bar and
// the status bar, and runs the start-up, check-and-read, save and shut-down
// sequences.

#include "disc/workspace.h"
#include "nav/machine.h"
#include "ui/settings.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QFrame;
class QHBoxLayout;
class QProgressBar;
class QPushButton;
class QSettings;

namespace navora::ui {

class AboutTab;
class BdmvTab;
class ExecPanel;
class IndexView;
class MobjView;
class RegPanel;
class OptionsTab;
class PageControl;
class QtLogView;
class StatusBar;
class StatusTab;

class TfMain : public QMainWindow {
    Q_OBJECT
public:
    enum Tab { TabBdmv = 0, TabPlaylist, TabClipinf, TabMenu, TabBdjo, TabOptions, TabStatus, TabAbout };

    explicit TfMain(QWidget* parent = nullptr);
    ~TfMain() override;

    Workspace& workspace() { return ws_; }
    const Workspace& workspace() const { return ws_; }
    // The settings as read at start-up (written back at shut-down).
    const Settings& settings() const { return settings_; }

    // Start-up: reads the settings and applies them, sets the title, then
    // reads the folder of the one command-line argument (whatever "Auto
    // Read" says) or, with "Auto Read" on, the remembered folder.
    // arguments excludes the program name.
    void formActivate(const QStringList& arguments);
    // Shut-down: writes the settings and deletes the temporary files.
    void formClose();

    // The store the settings live in.
    static std::unique_ptr<QSettings> openSettings();
    // Deletes every file named "Navora_*" in the system's temporary folder;
    // returns how many were deleted.
    static int removeTemporaryFiles();

    PageControl* pageControl() const { return pageControl_; }
    QWidget* page(Tab tab) const;
    BdmvTab* bdmvTab() const { return bdmvTab_; }
    OptionsTab* optionsTab() const { return optionsTab_; }
    StatusTab* statusTab() const { return statusTab_; }
    AboutTab* aboutTab() const { return aboutTab_; }
    StatusBar* statusBarWidget() const { return statusBar_; }
    QtLogView* logView() const { return logView_; }

    QPushButton* bSave() const { return bSave_; }
    QPushButton* bCancel() const { return bCancel_; }
    QPushButton* bFind() const { return bFind_; }
    QPushButton* bLoadMenu() const { return bLoadMenu_; }
    QPushButton* bMux() const { return bMux_; }
    QProgressBar* progressBar() const { return progressBar_; }
    // Empty panels of the bottom bar; the execution, navigation and register
    // views are put into their layouts.
    QFrame* pExecute() const { return pExecute_; }
    QFrame* pNavigate() const { return pNavigate_; }
    QFrame* pRegisters() const { return pRegisters_; }
    QHBoxLayout* executeLayout() const;
    QHBoxLayout* navigateLayout() const;
    QHBoxLayout* registersLayout() const;

    // The views of the BDMV tab and the panels of the navigation machine.
    MobjView* mobjView() const { return mobjView_; }
    IndexView* indexView() const { return indexView_; }
    ExecPanel* execPanel() const { return execPanel_; }
    RegPanel* regPanel() const { return regPanel_; }
    // The navigation machine: the registers and the program line.
    NavMachine& machine() { return machine_; }
    // True while a program runs at full speed.
    bool programRunning() const { return running_; }

    // What the PLAYLIST, CLIPINF and Menu views have selected and loaded; the
    // tab-change handler enables Save and writes its hint from these.
    QString selectedPlaylist() const { return selectedPlaylist_; }
    void setSelectedPlaylist(const QString& name);
    QString selectedClip() const { return selectedClip_; }
    void setSelectedClip(const QString& name);
    bool playlistLoaded() const { return playlistLoaded_; }
    void setPlaylistLoaded(bool loaded);
    bool menuHasPages() const { return menuHasPages_; }
    void setMenuHasPages(bool hasPages);

    // Sets the window title and the application's display name.
    void setTitle(const QString& title);

public slots:
    // "&Read": the check-and-read sequence on the folder in the folder field.
    void bReadBDMVClick();
    // "&Save": saves the files of the active tab.
    void bSaveClick();
    // Shows and enables the bottom bar's controls for the active tab.
    void PageControlChange();
    // Applies the file-name set of "Use 8.3 filenames" to the workspace.
    void cb83namesClick();
    // Empties the message log.
    void bClearClick();
    // "Start": runs or traces the selected movie object's program.
    void bStartClick();
    // "Re&set Regs": resets the registers with the options and shows them.
    void bResetRegsClick();
    // "PS&Rs" / "&GPRs": log the register dumps.
    void bPSRsClick();
    void bGPRsClick();

signals:
    // The views are to empty themselves: a folder is about to be read.
    void viewsReset();
    // A check-and-read finished (whether or not the check passed); views refresh from the workspace.
    void workspaceRead();
    // A save finished; views refresh from the workspace.
    void workspaceSaved();
    // The tab-change handler ran for this tab (panels shown, Save set).
    void pageLayoutApplied(int tab);
    // A command was followed to a playlist (name as 5 digits; play item or -1).
    void playlistFollowed(const QString& name, int playItem);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildBottomBar(QWidget* bar);
    void applyWorkspaceOptions();
    void applyGeometry();
    void buildBdmvViews();
    void onWorkspaceRead();
    void applyMachineOptions();
    // Shows how a run ended: the next traced line, the registers, Start and Cancel.
    void showRunResult(const RunResult& r);
    void updateRunControls();
    bool startEnabledOnBdmv() const;
    // Cancel during a trace ends the trace; false when no trace was in progress.
    bool cancelTraceClick();
    void executeLineClick(int line);
    void followPlaylist(const QString& name, int playItem);

    Workspace ws_;
    Settings settings_;
    NavMachine machine_;
    bool running_ = false;
    bool closePending_ = false;

    PageControl* pageControl_ = nullptr;
    BdmvTab* bdmvTab_ = nullptr;
    OptionsTab* optionsTab_ = nullptr;
    StatusTab* statusTab_ = nullptr;
    AboutTab* aboutTab_ = nullptr;
    MobjView* mobjView_ = nullptr;
    IndexView* indexView_ = nullptr;
    ExecPanel* execPanel_ = nullptr;
    RegPanel* regPanel_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    QtLogView* logView_ = nullptr;

    QPushButton* bSave_ = nullptr;
    QPushButton* bCancel_ = nullptr;
    QPushButton* bFind_ = nullptr;
    QPushButton* bLoadMenu_ = nullptr;
    QPushButton* bMux_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QFrame* pExecute_ = nullptr;
    QFrame* pNavigate_ = nullptr;
    QFrame* pRegisters_ = nullptr;

    QString selectedPlaylist_;
    QString selectedClip_;
    bool playlistLoaded_ = false;
    bool menuHasPages_ = false;
    bool progressShown_ = false;
    bool closed_ = false;
};

}  // namespace navora::ui
