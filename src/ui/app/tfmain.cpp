#include "ui/app/tfmain.h"

#include "core/filenames.h"
#include "core/log.h"
#include "navdb/uhd.h"
#include "ui/app/activetab.h"
#include "ui/app/discsession.h"
#include "ui/app/document.h"
#include "ui/app/folderdrop.h"
#include "ui/app/reffinder.h"
#include "ui/app/runcontroller.h"
#include "ui/app/tablinks.h"
#include "ui/app/waveplayer_qt.h"
#include "ui/app/windowplace.h"
#include "ui/app/windowsettings.h"
#include "ui/bdjo/bdjotab.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/bdmv/soundview.h"
#include "ui/clip/cliptab.h"
#include "ui/menu/menutab.h"
#include "ui/options/optionstab.h"
#include "ui/playlist/playlisttab.h"
#include "ui/shell/abouttab.h"
#include "ui/shell/bottombar.h"
#include "ui/shell/extdat.h"
#include "ui/shell/menubar.h"
#include "ui/shell/pagecontrol.h"
#include "ui/shell/qtlogview.h"
#include "ui/shell/statustab.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace navora::ui {

namespace {

constexpr int kDesignedLeft = 172;
constexpr int kDesignedTop = 203;

QFont windowFont() {
    QFont f(QStringLiteral("Tahoma"), 8);
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    return f;
}

}  // namespace

TfMain::TfMain(QWidget* parent) : QMainWindow(parent) {
    setFont(windowFont());
    setWindowIcon(QIcon(QStringLiteral(":/navora/navora.png")));
    applyMinimumSize();
    move(kDesignedLeft, kDesignedTop);
    resize(designedMinimumSize());
    doc_ = new Document(this);
    wavePlayer_ = new QtWavePlayer(this);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    pageControl_ = new PageControl(central);
    bar_ = new BottomBarView(central);
    run_ = new RunController(mainLog(), bar_->pExecute(), bar_->pRegisters(), bar_->bCancel(), this);
    buildTabs(central);
    layout->addWidget(pageControl_, 1);
    layout->addWidget(bar_);

    statusBar_ = new StatusBar(central);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    layout->addWidget(statusBar_);
    setCentralWidget(central);
    extDat_ = new TfExtDat(this);
    extDat_->workFolder = [this] { return optionsTab_->outputFolder(); };
    buildMenu();

    logView_ = new QtLogView(mainLog(), statusTab_->reMessage(), statusBar_, bar_->progressBar(), bar_->bCancel(), this);
    logView_->onProgressShown = [this](bool shown) {
        run_->setProgressShown(shown);
        bar_->setProgressShown(shown);
    };
    mainLog().afterProgressOff = [this] { PageControlChange(); };
    mainLog().traceCancelHandler = [this] { return run_->cancelTrace(); };

    settings_ = new WindowSettings({*this, *bdmvTab_, *playlistTab_, *optionsTab_, *menuTab_, *menu_, *run_}, this);
    links_ = new TabLinks(*doc_, {*pageControl_, *bdmvTab_, *playlistTab_, *clipTab_, *menuTab_, *bdjoTab_, *optionsTab_,
                                  *statusTab_},
                          *extDat_, *finder_, this);
    DiscSession::FolderField field{[this] { return bdmvTab_->folder(); },
                                   [this](const QString& f) { bdmvTab_->setFolder(f); },
                                   [this](bool on) { bdmvTab_->bReadBDMV()->setEnabled(on); },
                                   [this](const QString& title, const QString& start) {
                                       return bdmvTab_->folderChooser ? bdmvTab_->folderChooser(title, start)
                                                                      : QString();
                                   }};
    session_ = new DiscSession(*doc_, *run_, *menu_, *this, std::move(field), this);
    session_->setTabs(tabs_);
    session_->applyOptions = [this] { applyWorkspaceOptions(); };
    new FolderDrop(*this, [this](const QString& path) { return openFolder(path); });
    connectControls();

    settings_->showDefaults();
    setTitle(QString::fromStdString(mainWindowTitle("")));
    PageControlChange();
}

TfMain::~TfMain() {
    // The views report to the window and write into its machine: focus leaves
    // them while both are whole, and nothing they send while they are taken
    // down reaches the window any more.
    if (QWidget* focus = QApplication::focusWidget(); focus && isAncestorOf(focus)) focus->clearFocus();
    delete active_;
    active_ = nullptr;
    for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
    // The log outlives the window: detach everything that points into it.
    mainLog().afterProgressOff = nullptr;
    mainLog().traceCancelHandler = nullptr;
    if (mainLog().view() == logView_) mainLog().setView(nullptr);
}

Workspace& TfMain::workspace() { return doc_->workspace(); }
const Settings& TfMain::settings() const { return settings_->settings(); }
const SettingsBinder& TfMain::settingsBinder() const { return settings_->binder(); }
QPushButton* TfMain::bSave() const { return bar_->bSave(); }
QPushButton* TfMain::bCancel() const { return bar_->bCancel(); }
QPushButton* TfMain::bFind() const { return bar_->bFind(); }
QPushButton* TfMain::bLoadMenu() const { return bar_->bLoad(); }
QPushButton* TfMain::bMux() const { return bar_->bMux(); }
QProgressBar* TfMain::progressBar() const { return bar_->progressBar(); }
QFrame* TfMain::pExecute() const { return bar_->pExecute(); }
QFrame* TfMain::pNavigate() const { return bar_->pNavigate(); }
QFrame* TfMain::pRegisters() const { return bar_->pRegisters(); }
QHBoxLayout* TfMain::navigateLayout() const { return bar_->navigateLayout(); }
QAction* TfMain::undoAction() const { return menu_->undo(); }
QAction* TfMain::redoAction() const { return menu_->redo(); }
QWidget* TfMain::page(Tab tab) const { return pageControl_->widget(tab); }

void TfMain::connectControls() {
    // The bottom bar acts on the active tab.
    active_ = new ActiveTab(*doc_, *pageControl_, *bar_, *run_, tabs_, this);
    connect(active_, &ActiveTab::applied, this, &TfMain::pageLayoutApplied);
    connect(bdmvTab_, &BdmvTab::readRequested, this, &TfMain::bReadBDMVClick);
    connect(bdmvTab_, &BdmvTab::folderChosen, this, [this] {
        if (optionsTab_->autoRead()) bReadBDMVClick();
    });
    connect(bar_->bSave(), &QPushButton::clicked, this, &TfMain::bSaveClick);
    connect(statusTab_->bClear(), &QPushButton::clicked, this, &TfMain::bClearClick);
    connect(statusTab_->bPSRs(), &QPushButton::clicked, run_, &RunController::logPsrs);
    connect(statusTab_->bGPRs(), &QPushButton::clicked, run_, &RunController::logGprs);
    connect(statusTab_->bResetRegs(), &QPushButton::clicked, this, [this] {
        settings_->applyMachineOptions();
        run_->resetRegisters();
    });
    connect(optionsTab_, &OptionsTab::optionsChanged, this, &TfMain::applyWorkspaceOptions);
    connect(optionsTab_, &OptionsTab::use83Changed, this, &TfMain::cb83namesClick);
    connect(optionsTab_, &OptionsTab::actiDelayChanged, this, [](int ms) { mainLog().actiDelayMs = ms; });
    connect(optionsTab_, &OptionsTab::countryCodeChanged, settings_, &WindowSettings::applyMachineOptions);
    connect(optionsTab_, &OptionsTab::regionChanged, settings_, &WindowSettings::applyMachineOptions);
    connect(optionsTab_, &OptionsTab::colourMatrixChanged, menuTab_,
            [this](int choice) { menuTab_->setColourMatrix(static_cast<MatrixChoice>(std::clamp(choice, 0, 2))); });
    connect(optionsTab_, &OptionsTab::realPsrsChanged, settings_, &WindowSettings::applyMachineOptions);
    connect(optionsTab_, &OptionsTab::associateRequested, settings_, &WindowSettings::associate);
    connect(optionsTab_, &OptionsTab::resetRequested, settings_, &WindowSettings::reset);
    connect(run_, &RunController::runningChanged, this, [this](bool running) {
        // A running program works on the models until it ends: no folder is read under it.
        bdmvTab_->bReadBDMV()->setEnabled(!running);
        if (!running && closePending_) QTimer::singleShot(0, this, &QWidget::close);
    });
    connect(clipTab_, &ClipTab::busyChanged, this, [this](bool busy) {
        // An export ends before the window it reports to closes.
        if (!busy && closePending_) QTimer::singleShot(0, this, &QWidget::close);
    });
    connect(doc_, &Document::modifiedChanged, this, &TfMain::showTitle);
    connect(statusBar_, &StatusBar::clicked, this, [this] { pageControl_->setCurrentIndex(TabStatus); });
    connect(links_, &TabLinks::playlistFollowed, this, &TfMain::playlistFollowed);
    connect(links_, &TabLinks::reactivate, this, &TfMain::PageControlChange);

    connect(session_, &DiscSession::aboutToRead, this, &TfMain::viewsReset);
    connect(session_, &DiscSession::saved, this, &TfMain::workspaceSaved);
    connect(session_, &DiscSession::read, this, [this] {
        const Workspace& ws = doc_->model();
        // A failed check leaves nothing loaded, so the title names no disc then. An
        // Ultra HD disc says so beside its version, so the user knows which rules apply.
        const std::string version = ws.indexLoaded && isUhd(ws.index) ? indexVersionText(ws.index) : std::string();
        setTitle(QString::fromStdString(mainWindowTitle(ws.folderRead ? ws.disc : std::string(), version)));
        bar_->bFind()->setEnabled(ws.folderRead);
        emit workspaceRead();
        PageControlChange();
    });
}

void TfMain::buildTabs(QWidget* central) {
    Log& log = mainLog();
    finder_ = new ReferenceFinder(*doc_, log, this);
    bdmvTab_ = new BdmvTab(*doc_, *run_, log, central);
    playlistTab_ = new PlaylistTab(*doc_, *finder_, log, central);
    clipTab_ = new ClipTab(*doc_, *finder_, log, central);
    menuTab_ = new MenuTab(*doc_, *run_, log, central);
    menuTab_->buildNavigationPanel(bar_->pNavigate());
    menuTab_->cancelEnabled = [this](bool on) { bar_->bCancel()->setEnabled(on); };
    bdjoTab_ = new BdjoTab(*doc_, log);
    optionsTab_ = new OptionsTab;
    statusTab_ = new StatusTab;
    aboutTab_ = new AboutTab;
    bdmvTab_->soundView()->setPlayer(wavePlayer_);
    tabs_ = {bdmvTab_, playlistTab_, clipTab_, menuTab_, bdjoTab_, optionsTab_, statusTab_, aboutTab_};
    const QStringList captions = {QStringLiteral("&BDMV"),    QStringLiteral("&PLAYLIST"), QStringLiteral("&CLIPINF"),
                                  QStringLiteral("&Menu"),    QStringLiteral("BD&JO"),     QStringLiteral("&Options"),
                                  QStringLiteral("S&tatus"),  QStringLiteral("&About")};
    for (std::size_t i = 0; i < tabs_.size(); ++i) pageControl_->addTab(tabs_[i], captions[static_cast<int>(i)]);
}

void TfMain::buildMenu() {
    menu_ = new MainMenu(this, doc_->undoGroup());
    connect(menu_, &MainMenu::openFolderRequested, this, &TfMain::openFolderDialog);
    connect(menu_, &MainMenu::recentFolderChosen, this, &TfMain::openFolder);
    connect(menu_, &MainMenu::readAgainRequested, this, &TfMain::bReadBDMVClick);
    connect(menu_, &MainMenu::saveRequested, this, [this] {
        // As the button: only where the button is there to click.
        if (bar_->bSave()->isVisible() && bar_->bSave()->isEnabled()) bSaveClick();
    });
    connect(menu_, &MainMenu::quitRequested, this, &QWidget::close);
    connect(menu_, &MainMenu::aboutRequested, this, [this] { pageControl_->setCurrentIndex(TabAbout); });
}

TabPage* TfMain::currentTab() const { return active_ ? active_->current() : nullptr; }

void TfMain::setTitle(const QString& title) {
    title_ = title;
    showTitle();
}

void TfMain::showTitle() {
    const QString shown = title_ + (doc_->isModified() ? QStringLiteral("*") : QString());
    // The display name first: the platform appends it to a title that does not already end with it.
    QGuiApplication::setApplicationDisplayName(shown);
    setWindowTitle(shown);
}

std::unique_ptr<QSettings> TfMain::openSettings() { return openSettingsStore(); }

int TfMain::removeTemporaryFiles() {
    QDir tmp(QDir::tempPath());
    int removed = 0;
    for (const QString& name : tmp.entryList({QStringLiteral("Navora_*")}, QDir::Files | QDir::Hidden | QDir::System))
        removed += tmp.remove(name) ? 1 : 0;
    return removed;
}

void TfMain::applyWorkspaceOptions() { workspace().options = optionsTab_->workspaceOptions(); }

void TfMain::cb83namesClick() {
    // The derived names follow the option: the workspace builds them from its options.
    workspace().options.use83 = optionsTab_->use83();
    PageControlChange();
}

void TfMain::bClearClick() { logView_->clear(); }

void TfMain::bFindClick() {
    if (TabPage* tab = currentTab()) tab->find();
}

void TfMain::followClip(const QString& name) { links_->followClip(name); }
void TfMain::bIndExDatEditClick() { links_->editIndexExtensionData(); }
void TfMain::bObjExtDatEditClick() { links_->editMovieObjectExtensionData(); }

QSize TfMain::designedMinimumSize() const { return ui::designedMinimumSize(*this); }

void TfMain::applyMinimumSize() { setMinimumSize(designedMinimumSize()); }

void TfMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    applyMinimumSize();
    // A stored or designed place may lie off a smaller (or more scaled) screen.
    fitOnScreen(*this);
    if (QWindow* w = windowHandle(); w && !property("navoraScreenWatch").toBool()) {
        setProperty("navoraScreenWatch", true);
        connect(w, &QWindow::screenChanged, this, &TfMain::applyMinimumSize);
    }
}

void TfMain::formActivate(const QStringList& arguments) {
    pNavigate()->hide();
    pExecute()->hide();
    pageControl_->setCurrentIndex(TabBdmv);
    settings_->load();
    cb83namesClick();
    mainLog().slogR();
    emit viewsReset();
    setTitle(QString::fromStdString(mainWindowTitle("")));

    if (arguments.size() == 1) {
        bdmvTab_->setFolder(QString::fromStdString(folderFromArgument(arguments.front().toStdString())));
        bReadBDMVClick();
    } else if (optionsTab_->autoRead() && !bdmvTab_->folder().isEmpty()) {
        bReadBDMVClick();
    }
    PageControlChange();
}

void TfMain::formClose() {
    if (closed_) return;
    closed_ = true;
    settings_->store();
    workspace().streams.clear();
    removeTemporaryFiles();
}

void TfMain::closeEvent(QCloseEvent* e) {
    if (run_->running() || clipTab_->busy()) {
        // A running program or export is stopped first; the window closes when it has ended.
        mainLog().cancelFlag = true;
        closePending_ = true;
        e->ignore();
        return;
    }
    if (!closed_ && !maybeSave()) {
        e->ignore();
        return;
    }
    formClose();
    e->accept();
}

bool TfMain::maybeSave() { return session_->maybeSave(); }
void TfMain::bReadBDMVClick() { session_->readFromField(); }
void TfMain::openFolderDialog() { session_->openFolderDialog(); }
bool TfMain::openFolder(const QString& path) { return session_->openFolder(path); }
void TfMain::bSaveClick() { session_->save(currentTab()); }

void TfMain::PageControlChange() {
    if (active_) active_->apply();
}

}  // namespace navora::ui
