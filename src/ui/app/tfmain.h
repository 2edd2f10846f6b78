#pragma once
// The main window: composes the tabs, the bottom bar, the menu bar and the
// status bar around the document. The document owns the models, the tabs
// show them, the run controller runs their programs, the disc session runs
// the read and save sequences (asking before unsaved edits are replaced),
// the window settings keep the options between runs, and the tab links take
// the user from one tab to another. The active tab decides what the bottom
// bar shows, and the bar's buttons act on it through its TabPage interface. A
// folder dropped on the window is read like one opened.


#include <QMainWindow>
#include <QStringList>

#include <memory>
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
class ActiveTab;
class BottomBarView;
class DiscSession;
class TabLinks;
class WindowSettings;
class BdjoTab;
class BdmvTab;
class ClipTab;
class MainMenu;
class Document;
class MenuTab;
class OptionsTab;
class PageControl;
class PlaylistTab;
class QtLogView;
class QtWavePlayer;
class ReferenceFinder;
class RunController;
class Settings;
class SettingsBinder;
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
    const Settings& settings() const;
    // The controls bound to the settings.
    const SettingsBinder& settingsBinder() const;
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

    BottomBarView* bottomBar() const { return bar_; }
    QPushButton* bSave() const;
    QPushButton* bCancel() const;
    QPushButton* bFind() const;
    QPushButton* bLoadMenu() const;
    QPushButton* bMux() const;
    QProgressBar* progressBar() const;
    // The panels of the bottom bar: execution, navigation and registers.
    QFrame* pExecute() const;
    QFrame* pNavigate() const;
    QFrame* pRegisters() const;
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

private:
    void buildTabs(QWidget* central);
    void buildMenu();
    void connectControls();
    void applyMinimumSize();
    void applyWorkspaceOptions();
    void showTitle();
    TabPage* currentTab() const;

    Document* doc_ = nullptr;
    RunController* run_ = nullptr;
    QtWavePlayer* wavePlayer_ = nullptr;
    DiscSession* session_ = nullptr;
    WindowSettings* settings_ = nullptr;
    TabLinks* links_ = nullptr;
    QString title_;
    bool closePending_ = false;

    PageControl* pageControl_ = nullptr;
    std::vector<TabPage*> tabs_;  // in tab order
    ActiveTab* active_ = nullptr;
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
    BottomBarView* bar_ = nullptr;
    bool closed_ = false;
};

}  // namespace navora::ui
