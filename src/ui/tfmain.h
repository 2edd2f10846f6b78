#pragma once
// The main window: composes the tabs, the bottom bar, the Edit menu and the
// status bar around the document, and runs the start-up, check-and-read,
// save and shut-down sequences. The document owns the models, the tabs show
// them, and the run controller runs their programs.

#include "ui/settings.h"

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
class BdmvTab;
class Document;
class MenuTab;
class OptionsTab;
class PageControl;
class PendingTab;
class QtLogView;
class RunController;
class StatusBar;
class StatusTab;
class TabPage;

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
    RunController* run() const { return run_; }

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
    MenuTab* menuTab() const { return menuTab_; }
    OptionsTab* optionsTab() const { return optionsTab_; }
    StatusTab* statusTab() const { return statusTab_; }
    AboutTab* aboutTab() const { return aboutTab_; }
    StatusBar* statusBarWidget() const { return statusBar_; }
    QtLogView* logView() const { return logView_; }
    // The Edit menu's actions; their texts name the edit they undo or redo.
    QAction* undoAction() const { return undoAction_; }
    QAction* redoAction() const { return redoAction_; }

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

public slots:
    // "&Read": the check-and-read sequence on the folder in the folder field.
    void bReadBDMVClick();
    // "&Save": the active tab saves its files.
    void bSaveClick();
    // Shows the bottom bar's controls as the active tab asks.
    void PageControlChange();
    // Applies the file-name set of "Use 8.3 filenames" to the workspace.
    void cb83namesClick();
    // Empties the message log.
    void bClearClick();

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

private:
    void buildTabs(QWidget* central);
    void buildBottomBar(QWidget* bar);
    void buildEditMenu();
    void connectControls();
    void applyWorkspaceOptions();
    void applyGeometry();
    void applyMachineOptions();
    // The Menu tab's switches and colours from the settings.
    void loadMenuOptions();
    void showTitle();
    void followPlaylist(const QString& name, int playItem);
    TabPage* currentTab() const;

    Settings settings_;
    Document* doc_ = nullptr;
    RunController* run_ = nullptr;
    QString title_;
    bool closePending_ = false;

    PageControl* pageControl_ = nullptr;
    std::vector<TabPage*> tabs_;  // in tab order
    BdmvTab* bdmvTab_ = nullptr;
    PendingTab* playlistTab_ = nullptr;
    PendingTab* clipTab_ = nullptr;
    MenuTab* menuTab_ = nullptr;
    OptionsTab* optionsTab_ = nullptr;
    StatusTab* statusTab_ = nullptr;
    AboutTab* aboutTab_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    QtLogView* logView_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;

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
    bool closed_ = false;
};

}  // namespace navora::ui
