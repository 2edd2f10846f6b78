#include "ui/tfmain.h"

#include "core/filenames.h"
#include "core/log.h"
#include "ui/abouttab.h"
#include "ui/bdmvtab.h"
#include "ui/document.h"
#include "ui/execpanel.h"
#include "ui/menuswitches.h"
#include "ui/menutab.h"
#include "ui/menuobjects.h"
#include "ui/mobjview.h"
#include "ui/optionstab.h"
#include "ui/pagecontrol.h"
#include "ui/qtlogview.h"
#include "ui/runcontroller.h"
#include "ui/statustab.h"

#include <QApplication>
#include <QGroupBox>
#include <QGridLayout>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

namespace {

constexpr int kDesignedLeft = 172;
constexpr int kDesignedTop = 203;
constexpr int kMinWidth = 913;
constexpr int kMinHeight = 585;

QString versionText() { return QStringLiteral(NAVORA_VERSION_TEXT); }

QFont windowFont() {
    QFont f(QStringLiteral("Tahoma"), 8);
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    return f;
}

QFrame* panel(const QString& name, QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    auto* l = new QHBoxLayout(f);
    l->setContentsMargins(0, 0, 0, 0);
    return f;
}

}  // namespace

TfMain::TfMain(QWidget* parent) : QMainWindow(parent) {
    setFont(windowFont());
    setMinimumSize(kMinWidth, kMinHeight);
    move(kDesignedLeft, kDesignedTop);
    resize(kMinWidth, kMinHeight);
    doc_ = new Document(this);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    pageControl_ = new PageControl(central);
    auto* bottom = new QWidget(central);
    buildBottomBar(bottom);
    run_ = new RunController(mainLog(), pExecute_, pRegisters_, bCancel_, this);
    buildTabs(central);
    layout->addWidget(pageControl_, 1);
    layout->addWidget(bottom);

    statusBar_ = new StatusBar(central);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    layout->addWidget(statusBar_);
    setCentralWidget(central);
    buildEditMenu();

    logView_ = new QtLogView(mainLog(), statusTab_->reMessage(), statusBar_, progressBar_, bCancel_, this);
    logView_->onProgressShown = [this](bool shown) {
        progressShown_ = shown;
        run_->setProgressShown(shown);
        if (shown) {
            pExecute_->hide();
            pNavigate_->hide();
            pRegisters_->hide();
        }
    };
    mainLog().afterProgressOff = [this] { PageControlChange(); };
    mainLog().traceCancelHandler = [this] { return run_->cancelTrace(); };

    connectControls();

    optionsTab_->load(settings_);
    loadMenuOptions();
    applyMachineOptions();
    run_->resetRegisters();
    setTitle(QString::fromStdString(mainWindowTitle("")));
    PageControlChange();
}

TfMain::~TfMain() {
    // The views report to the window and write into its machine: focus leaves
    // them while both are whole, and nothing they send while they are taken
    // down reaches the window any more.
    if (QWidget* focus = QApplication::focusWidget(); focus && isAncestorOf(focus)) focus->clearFocus();
    for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
    // The log outlives the window: detach everything that points into it.
    mainLog().afterProgressOff = nullptr;
    mainLog().traceCancelHandler = nullptr;
    if (mainLog().view() == logView_) mainLog().setView(nullptr);
}

Workspace& TfMain::workspace() { return doc_->workspace(); }

void TfMain::connectControls() {
    connect(pageControl_, &QTabWidget::currentChanged, this, &TfMain::PageControlChange);
    for (TabPage* tab : tabs_)
        connect(tab, &TabPage::bottomBarChanged, this, [this, tab] {
            if (tab == currentTab()) PageControlChange();
        });
    connect(bdmvTab_, &BdmvTab::readRequested, this, &TfMain::bReadBDMVClick);
    connect(bdmvTab_, &BdmvTab::folderChosen, this, [this] {
        if (optionsTab_->autoRead()) bReadBDMVClick();
    });
    connect(bdmvTab_, &BdmvTab::followPlaylist, this, &TfMain::followPlaylist);
    connect(bSave_, &QPushButton::clicked, this, &TfMain::bSaveClick);
    connect(bLoadMenu_, &QPushButton::clicked, menuTab_, &MenuTab::bLoadMenuClick);
    connect(bMux_, &QPushButton::clicked, menuTab_, &MenuTab::bMuxClick);
    connect(menuTab_, &MenuTab::menuLoaded, this, [this] { pageControl_->setCurrentIndex(TabMenu); });
    connect(statusTab_->bClear(), &QPushButton::clicked, this, &TfMain::bClearClick);
    connect(statusTab_->bPSRs(), &QPushButton::clicked, run_, &RunController::logPsrs);
    connect(statusTab_->bGPRs(), &QPushButton::clicked, run_, &RunController::logGprs);
    connect(statusTab_->bResetRegs(), &QPushButton::clicked, this, [this] {
        applyMachineOptions();
        run_->resetRegisters();
    });
    connect(optionsTab_, &OptionsTab::optionsChanged, this, &TfMain::applyWorkspaceOptions);
    connect(optionsTab_, &OptionsTab::use83Changed, this, &TfMain::cb83namesClick);
    connect(optionsTab_, &OptionsTab::actiDelayChanged, this, [](int ms) { mainLog().actiDelayMs = ms; });
    connect(optionsTab_, &OptionsTab::countryCodeChanged, this, &TfMain::applyMachineOptions);
    connect(optionsTab_, &OptionsTab::regionChanged, this, &TfMain::applyMachineOptions);
    connect(optionsTab_, &OptionsTab::realPsrsChanged, this, &TfMain::applyMachineOptions);
    connect(run_, &RunController::runningChanged, this, [this](bool running) {
        // A running program works on the models until it ends: no folder is read under it.
        bdmvTab_->bReadBDMV()->setEnabled(!running);
        if (!running && closePending_) QTimer::singleShot(0, this, &QWidget::close);
    });
    connect(doc_, &Document::modifiedChanged, this, &TfMain::showTitle);
}

void TfMain::buildTabs(QWidget* central) {
    Log& log = mainLog();
    bdmvTab_ = new BdmvTab(*doc_, *run_, log, central);
    // The tabs whose views come later already say what the bottom bar shows for them.
    const auto ext = [this](bool playlist) {
        const FileNameSet names = workspace().names();
        return QString::fromStdString(playlist ? names.playlistExt : names.clipExt);
    };
    playlistTab_ = new PendingTab(QStringLiteral("Playlists are shown here in a later version."),
                                  [ext](const QString& selected) {
                                      BottomBar b;
                                      b.save = true;
                                      b.saveHint = QStringLiteral("Save ") + selected + ext(true);
                                      b.find = true;
                                      return b;
                                  });
    clipTab_ = new PendingTab(QStringLiteral("Clip information is shown here in a later version."),
                              [ext](const QString& selected) {
                                  BottomBar b;
                                  b.save = true;
                                  b.saveHint = QStringLiteral("Save ") + selected + ext(false);
                                  b.find = true;
                                  return b;
                              });
    menuTab_ = new MenuTab(*doc_, *run_, log, central);
    menuTab_->dialogs.workFolder = [this] { return optionsTab_->outputFolder(); };
    menuTab_->objectsView()->objectBackground = [this] { return colourFromWin(settings_.colObjectBackground); };
    menuTab_->buildNavigationPanel(pNavigate_);
    menuTab_->cancelEnabled = [this](bool on) { bCancel_->setEnabled(on); };
    auto* bdjoTab = new PendingTab(QStringLiteral("BD-J objects are shown here in a later version."),
                                   [](const QString&) {
                                       BottomBar b;
                                       b.save = true;
                                       return b;
                                   });
    optionsTab_ = new OptionsTab;
    {
        // The Menu tab's switch twins and "Create Menu" stand on the Options tab.
        QGroupBox* twins = menuTab_->switches()->optionsGroup();
        auto* create = new QPushButton(QStringLiteral("Create Menu"), twins);
        create->setObjectName(QStringLiteral("bCreateMenu"));
        static_cast<QGridLayout*>(twins->layout())->addWidget(create, 5, 0);
        connect(create, &QPushButton::clicked, menuTab_, &MenuTab::bCreateMenuClick);
        if (auto* l = qobject_cast<QVBoxLayout*>(optionsTab_->layout())) l->insertWidget(1, twins);
    }
    statusTab_ = new StatusTab;
    aboutTab_ = new AboutTab;
    tabs_ = {bdmvTab_, playlistTab_, clipTab_, menuTab_, bdjoTab, optionsTab_, statusTab_, aboutTab_};
    const QStringList captions = {QStringLiteral("&BDMV"),    QStringLiteral("&PLAYLIST"), QStringLiteral("&CLIPINF"),
                                  QStringLiteral("&Menu"),    QStringLiteral("BD&JO"),     QStringLiteral("&Options"),
                                  QStringLiteral("S&tatus"),  QStringLiteral("&About")};
    for (std::size_t i = 0; i < tabs_.size(); ++i) pageControl_->addTab(tabs_[i], captions[static_cast<int>(i)]);

    bdmvTab_->mobjView()->programFormat = [this] { return optionsTab_->programFormat(); };
    bdmvTab_->mobjView()->outputFolder = [this] { return optionsTab_->outputFolder(); };
}

void TfMain::buildBottomBar(QWidget* bar) {
    auto* l = new QHBoxLayout(bar);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(4);

    bSave_ = new QPushButton(QStringLiteral("&Save"), bar);
    bSave_->setObjectName(QStringLiteral("bSave"));
    bFind_ = new QPushButton(QStringLiteral("Find"), bar);
    bFind_->setObjectName(QStringLiteral("bFind"));
    bFind_->setEnabled(false);
    bLoadMenu_ = new QPushButton(QStringLiteral("&Load"), bar);
    bLoadMenu_->setObjectName(QStringLiteral("bLoadMenu"));
    bLoadMenu_->setToolTip(QStringLiteral("Load an IGS menu (*.mnu)"));
    bMux_ = new QPushButton(QStringLiteral("M&ux"), bar);
    bMux_->setObjectName(QStringLiteral("bMux"));
    bMux_->setToolTip(QStringLiteral("Mux the IGS menu to a .m2ts"));
    pExecute_ = panel(QStringLiteral("pExecute"), bar);
    pNavigate_ = panel(QStringLiteral("pNavigate"), bar);
    pRegisters_ = panel(QStringLiteral("pRegisters"), bar);
    // The panels keep their controls together; the spare width goes before Cancel.
    for (QFrame* f : {pExecute_, pNavigate_, pRegisters_})
        f->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);

    progressBar_ = new QProgressBar(bar);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(true);
    progressBar_->setStyleSheet(QStringLiteral(
        "QProgressBar { font-weight: bold; text-align: center; border: 1px solid gray; }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #ffff00, stop:1 #ff0000); }"));
    progressBar_->hide();

    bCancel_ = new QPushButton(QStringLiteral("Cancel"), bar);
    bCancel_->setObjectName(QStringLiteral("bCancel"));
    bCancel_->setEnabled(false);

    l->addWidget(bSave_);
    l->addWidget(bFind_);
    l->addWidget(bLoadMenu_);
    l->addWidget(bMux_);
    l->addWidget(pExecute_);
    l->addWidget(pNavigate_);
    l->addWidget(pRegisters_);
    l->addWidget(progressBar_, 1);
    l->addStretch(1);
    l->addWidget(bCancel_);
}

void TfMain::buildEditMenu() {
    QUndoStack* stack = doc_->undoStack();
    undoAction_ = stack->createUndoAction(this, QStringLiteral("Undo"));
    undoAction_->setObjectName(QStringLiteral("actUndo"));
    undoAction_->setShortcuts(QKeySequence::Undo);
    redoAction_ = stack->createRedoAction(this, QStringLiteral("Redo"));
    redoAction_->setObjectName(QStringLiteral("actRedo"));
    redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // No accelerator letter: every letter of "Edit" belongs to a tab or a button.
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("mEdit"));
    edit->addAction(undoAction_);
    edit->addAction(redoAction_);
    // The keys work wherever the focus is in the window, outside text boxes.
    addAction(undoAction_);
    addAction(redoAction_);
}

void TfMain::applyMachineOptions() {
    // The options take effect at the next reset.
    run_->setResetOptions({optionsTab_->realPsrs(), std::max(optionsTab_->region(), 0),
                           clampCountryCode(static_cast<std::uint32_t>(optionsTab_->countryCode()))});
}

void TfMain::followPlaylist(const QString& name, int playItem) {
    Log& log = mainLog();
    pageControl_->setCurrentIndex(TabPlaylist);
    const Workspace& ws = doc_->model();
    const std::string file = name.toStdString() + ws.names().playlistExt;
    const bool known = std::find(ws.playlists.begin(), ws.playlists.end(), name.toStdString()) != ws.playlists.end();
    if (known) {
        playlistTab_->setSelection(name);
        log.slog("Playlist " + file + (playItem >= 0 ? ", PlayItem " + std::to_string(playItem) : std::string()), 1);
    } else {
        log.slog("Playlist " + file + " not found", 1);
    }
    emit playlistFollowed(name, playItem);
}

QWidget* TfMain::page(Tab tab) const { return pageControl_->widget(tab); }

QHBoxLayout* TfMain::navigateLayout() const { return static_cast<QHBoxLayout*>(pNavigate_->layout()); }

TabPage* TfMain::currentTab() const {
    const int i = pageControl_->currentIndex();
    return i >= 0 && static_cast<std::size_t>(i) < tabs_.size() ? tabs_[static_cast<std::size_t>(i)] : nullptr;
}

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

std::unique_ptr<QSettings> TfMain::openSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QLatin1String(kSettingsOrganisation), QLatin1String(kSettingsApplication));
}

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

void TfMain::applyGeometry() {
    move(settings_.left, settings_.top);
    resize(std::max(settings_.width, kMinWidth), std::max(settings_.height, kMinHeight));
    if (settings_.windowState == 2)
        setWindowState(Qt::WindowMaximized);
    else if (settings_.windowState == 1)
        setWindowState(Qt::WindowMinimized);
}

void TfMain::formActivate(const QStringList& arguments) {
    Log& log = mainLog();
    pNavigate_->hide();
    pExecute_->hide();
    pageControl_->setCurrentIndex(TabBdmv);

    auto store = openSettings();
    const QStringList wrong = readSettings(*store, settings_, versionText());
    store.reset();
    optionsTab_->load(settings_);
    loadMenuOptions();
    bdmvTab_->setFolder(settings_.bdmvDir);
    applyMachineOptions();
    run_->resetRegisters();
    applyGeometry();
    bdmvTab_->mobjView()->setObjectListHeight(settings_.objectHeight);
    for (const QString& name : wrong)
        log.log("Setting [b]" + name.toStdString() + "[/b] has a value of the wrong type; the default is used.");

    cb83namesClick();
    log.slogR();
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
    optionsTab_->store(settings_);
    menuTab_->switches()->store(settings_);
    settings_.bdmvDir = bdmvTab_->folder();
    if (const int height = bdmvTab_->mobjView()->objectListHeight(); height >= 0) settings_.objectHeight = height;
    const bool maximised = isMaximized();
    settings_.windowState = maximised ? 2 : isMinimized() ? 1 : 0;
    if (!maximised) {
        const QRect g = isMinimized() ? normalGeometry() : geometry();
        const QPoint pos = isMinimized() ? g.topLeft() : this->pos();
        settings_.left = pos.x();
        settings_.top = pos.y();
        settings_.width = g.width();
        settings_.height = g.height();
    }
    auto store = openSettings();
    writeSettings(*store, settings_, versionText());
    store.reset();
    workspace().streams.clear();
    removeTemporaryFiles();
}

void TfMain::closeEvent(QCloseEvent* e) {
    if (run_->running()) {
        // A running program is stopped first; the window closes when it has ended.
        mainLog().cancelFlag = true;
        closePending_ = true;
        e->ignore();
        return;
    }
    formClose();
    e->accept();
}

void TfMain::bReadBDMVClick() {
    // A running program works on the models until it ends: a folder chosen meanwhile is not read under it.
    if (run_->running()) return;
    QPushButton* read = bdmvTab_->bReadBDMV();
    read->setEnabled(false);

    applyWorkspaceOptions();
    emit viewsReset();
    doc_->read(bdmvTab_->folder().toStdString(), mainLog());
    const Workspace& ws = doc_->model();
    if (ws.folderRead) bdmvTab_->setFolder(QString::fromStdString(ws.folder));
    const bool listed = ws.indexLoaded;
    playlistTab_->setSelection(listed && !ws.playlists.empty() ? QString::fromStdString(ws.playlists.front())
                                                               : QString());
    clipTab_->setSelection(listed && !ws.clipinfos.empty() ? QString::fromStdString(ws.clipinfos.front())
                                                           : QString());
    // A failed check leaves nothing loaded, so the title names no disc then.
    setTitle(QString::fromStdString(mainWindowTitle(ws.folderRead ? ws.disc : std::string())));
    bFind_->setEnabled(ws.folderRead);
    emit workspaceRead();
    PageControlChange();
    read->setEnabled(true);
}

void TfMain::bSaveClick() {
    TabPage* tab = currentTab();
    if (!tab) return;
    applyWorkspaceOptions();
    if (tab->save()) emit workspaceSaved();
}

void TfMain::loadMenuOptions() {
    menuTab_->switches()->load(settings_);
    menuTab_->setColours(previewColours(settings_));
}

void TfMain::PageControlChange() {
    TabPage* tab = currentTab();
    if (tab != menuTab_) menuTab_->deactivated();
    const BottomBar bar = tab ? tab->bottomBar() : BottomBar{};
    // While the progress bar is up it keeps the place of the panels.
    const auto showPanel = [this](QWidget* p, bool on) { p->setVisible(on && !progressShown_); };
    bSave_->setVisible(bar.save);
    bSave_->setEnabled(bar.saveEnabled);
    bSave_->setToolTip(bar.saveHint);
    bFind_->setVisible(bar.find);
    bLoadMenu_->setVisible(bar.load);
    bMux_->setVisible(bar.mux);
    bMux_->setEnabled(bar.saveEnabled);
    run_->execPanel()->setMenuMode(bar.buttonChooser);
    run_->setSource(bar.program);
    showPanel(pExecute_, bar.execute);
    showPanel(pNavigate_, bar.navigate);
    showPanel(pRegisters_, bar.registers);
    if (tab) tab->activated();
    emit pageLayoutApplied(pageControl_->currentIndex());
}

}  // namespace navora::ui
