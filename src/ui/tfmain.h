#pragma once
// The main window: composes the tabs, the bottom bar, the menu bar and the
// status bar around the document, and runs the start-up, check-and-read,
// save and shut-down sequences. The document owns the models, the tabs show
// them, and the run controller runs their programs. Before a read or a close
// replaces unsaved edits, the window asks whether to save them; a folder
// dropped on it is read like one opened.

#include "ui/settings.h"

#include <QMainWindow>
#include <QPoint>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QAction;
class QFrame;
class QHBoxLayout;
class QProgressBar;
class QPushButton;
class QSettings;

namespace navora {
class Workspace;
}

namespace navora::ui {

class AboutTab;
class BdjoTab;
class BdmvTab;
class ClipTab;
class MainMenu;
class Document;
class MenuTab;
class OptionsTab;
class PageControl;
class PendingTab;
class PlaylistTab;
class QtLogView;
class QtWavePlayer;
class ReferenceFinder;
class RunController;
class StatusBar;
class StatusTab;
class TabPage;
class TfExtDat;

class TfMain : public QMainWindow {
    Q_OBJECT
public:
    enum Tab { TabBdmv = 0, TabPlaylist, TabClipinf, TabMenu, TabBdjo, TabOptions, TabStatus, TabAbout };

    explicit TfMain(QWidget* parent = nullptr);
    ~TfMain() override;

    Document& document() { return *doc_; }
    // The document's workspace.
    Workspace& workspace();
    // The settings as read at start-up (written back at shut-down).
    const Settings& settings() const { return settings_; }
    // The controls bound to the settings (see bindSettings()).
    const SettingsBinder& settingsBinder() const { return binder_; }
    RunController* run() const { return run_; }
    // The one wave player, created at start-up (sound entries, button sounds).
    QtWavePlayer* wavePlayer() const { return wavePlayer_; }

    // Start-up: reads the settings and applies them, sets the title, then
    // reads the folder of the one command-line argument (whatever "Auto
    // Read" says) or, with "Auto Read" on, the remembered folder.
    // arguments excludes the program name.
    void formActivate(const QStringList& arguments);
    // Shut-down: writes the settings and deletes the temporary files.
    void formClose();

    // The store the settings live in (openSettingsStore()).
    static std::unique_ptr<QSettings> openSettings();
    // Deletes every file named "Navora_*" in the system's temporary folder;
    // returns how many were deleted.
    static int removeTemporaryFiles();

    PageControl* pageControl() const { return pageControl_; }
    QWidget* page(Tab tab) const;
    BdmvTab* bdmvTab() const { return bdmvTab_; }
    BdjoTab* bdjoTab() const { return bdjoTab_; }
    PlaylistTab* playlistTab() const { return playlistTab_; }
    ClipTab* clipTab() const { return clipTab_; }
    // The bottom bar's Find of the PLAYLIST and CLIPINF tabs.
    ReferenceFinder* referenceFinder() const { return finder_; }
    MenuTab* menuTab() const { return menuTab_; }
    OptionsTab* optionsTab() const { return optionsTab_; }
    StatusTab* statusTab() const { return statusTab_; }
    AboutTab* aboutTab() const { return aboutTab_; }
    StatusBar* statusBarWidget() const { return statusBar_; }
    // The ExtensionData editor, created once with the window and used by every host.
    TfExtDat* extDatDialog() const { return extDat_; }
    QtLogView* logView() const { return logView_; }
    MainMenu* mainMenu() const { return menu_; }
    // The Edit menu's actions; their texts name the edit they undo or redo.
    QAction* undoAction() const;
    QAction* redoAction() const;

    QPushButton* bSave() const { return bSave_; }
    QPushButton* bCancel() const { return bCancel_; }
    QPushButton* bFind() const { return bFind_; }
    QPushButton* bLoadMenu() const { return bLoadMenu_; }
    QPushButton* bMux() const { return bMux_; }
    QProgressBar* progressBar() const { return progressBar_; }
    // The panels of the bottom bar: execution, navigation and registers.
    QFrame* pExecute() const { return pExecute_; }
    QFrame* pNavigate() const { return pNavigate_; }
    QFrame* pRegisters() const { return pRegisters_; }
    QHBoxLayout* navigateLayout() const;

    // Sets the window title and the application's display name; the
    // modified marker "*" follows the document.
    void setTitle(const QString& title);

    // The designed least size of the window, less where the screen is smaller.
    QSize designedMinimumSize() const;

public slots:
    // "&Read" (and Enter in the folder field, F5): the check-and-read
    // sequence on the folder in the folder field, which may also name the
    // disc root or anything inside the BDMV folder. Unsaved edits are asked
    // about first.
    void bReadBDMVClick();
    // File > Open folder...: a folder chooser, then openFolder().
    void openFolderDialog();
    // Reads the disc that path leads to (as the folder field does); false
    // when nothing was read.
    bool openFolder(const QString& path);
    // When the document holds unsaved edits: "Save changes to DISC?". True
    // when the caller may go on (saved, or discarded, or nothing to save).
    bool maybeSave();
    // "&Save": the active tab saves its files.
    void bSaveClick();
    // Shows the bottom bar's controls as the active tab asks.
    void PageControlChange();
    // Applies the file-name set of "Use 8.3 filenames" to the workspace.
    void cb83namesClick();
    // Empties the message log.
    void bClearClick();
    // "Find": the search of the active tab (PLAYLIST or CLIPINF).
    void bFindClick();
    // Shows clip `name` (5 digits) on the CLIPINF tab and reads it once,
    // whether or not "Auto Read" reads it on the tab's entry. A name the
    // clip list lacks is reported on the status line; nothing is read.
    void followClip(const QString& name);
    // "Edit" beside the ExtensionData captions of index.bdmv and MovieObject.bdmv.
    void bIndExDatEditClick();
    void bObjExtDatEditClick();

signals:
    // The views are to empty themselves: a folder is about to be read.
    void viewsReset();
    // A check-and-read finished (whether or not the check passed).
    void workspaceRead();
    // A save finished.
    void workspaceSaved();
    // The tab-change handler ran for this tab (panels shown, Save set).
    void pageLayoutApplied(int tab);
    // A command was followed to a playlist (name as 5 digits; play item or -1).
    void playlistFollowed(const QString& name, int playItem);

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void buildTabs(QWidget* central);
    void buildBottomBar(QWidget* bar);
    void buildMenu();
    // Reads the BDMV folder path (already located) after the question.
    void readFolder(const QString& folder);
    // After a read: the status bar shows the first error line, or the first
    // file read only in part, with the red indicator.
    void showReadOutcome();
    void rememberFolder(const QString& folder);
    void applyMinimumSize();
    // Shrinks the window to the screen's available area when it is larger, and moves it onto it.
    void fitOnScreen();
    void connectControls();
    void connectClipTab();
    void bindSettings();
    // Registers the .bdmv file association and logs what it did.
    void associate();
    // "Reset to defaults": every bound control shows its default.
    void resetOptions();
    void applyWorkspaceOptions();
    void applyGeometry();
    // Puts the frame (title bar included) where the settings say, once the
    // window manager has framed the window: a place given before that may be
    // taken for the inside of the window, which then creeps up by the title
    // bar's height at every start.
    void placeFrame();
    std::optional<QPoint> wantedFrame_;
    void applyMachineOptions();
    // The Menu tab's colours from the settings.
    void loadMenuOptions();
    void showTitle();
    void followPlaylist(const QString& name, int playItem);
    // The index grid's double-click on a BD-J title: the BDJO tab reads its object.
    void openBdjObject(const QString& name);
    void connectSoundAndBdjo();
    TabPage* currentTab() const;

    Settings settings_;
    SettingsBinder binder_;
    Document* doc_ = nullptr;
    RunController* run_ = nullptr;
    QtWavePlayer* wavePlayer_ = nullptr;
    QString title_;
    bool closePending_ = false;

    PageControl* pageControl_ = nullptr;
    std::vector<TabPage*> tabs_;  // in tab order
    BdmvTab* bdmvTab_ = nullptr;
    PlaylistTab* playlistTab_ = nullptr;
    ClipTab* clipTab_ = nullptr;
    BdjoTab* bdjoTab_ = nullptr;
    ReferenceFinder* finder_ = nullptr;
    MenuTab* menuTab_ = nullptr;
    OptionsTab* optionsTab_ = nullptr;
    StatusTab* statusTab_ = nullptr;
    AboutTab* aboutTab_ = nullptr;
    TfExtDat* extDat_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    QtLogView* logView_ = nullptr;
    MainMenu* menu_ = nullptr;

    QPushButton* bSave_ = nullptr;
    QPushButton* bCancel_ = nullptr;
    QPushButton* bFind_ = nullptr;
    QPushButton* bLoadMenu_ = nullptr;
    QPushButton* bMux_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QFrame* pExecute_ = nullptr;
    QFrame* pNavigate_ = nullptr;
    QFrame* pRegisters_ = nullptr;

    bool progressShown_ = false;
    // The active tab's activated() is running: a bottom bar change it causes
    // is applied when it returns.
    bool activating_ = false;
    bool barAgain_ = false;
    bool closed_ = false;
};

}  // namespace navora::ui
