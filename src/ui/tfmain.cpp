#include "ui/tfmain.h"

#include "core/filenames.h"
#include "core/log.h"
#include "ui/abouttab.h"
#include "ui/bdmvtab.h"
#include "ui/execpanel.h"
#include "ui/indexview.h"
#include "ui/mobjview.h"
#include "ui/optionstab.h"
#include "ui/pagecontrol.h"
#include "ui/qtlogview.h"
#include "ui/regpanel.h"
#include "ui/statustab.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

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

// A page whose view is not there yet: a short note in its middle.
QWidget* notePage(const QString& note) {
    auto* page = new QWidget;
    auto* l = new QVBoxLayout(page);
    auto* label = new QLabel(note, page);
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    l->addWidget(label);
    return page;
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

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);

    pageControl_ = new PageControl(central);
    bdmvTab_ = new BdmvTab;
    optionsTab_ = new OptionsTab;
    statusTab_ = new StatusTab;
    aboutTab_ = new AboutTab;
    pageControl_->addTab(bdmvTab_, QStringLiteral("&BDMV"));
    pageControl_->addTab(notePage(QStringLiteral("Playlists are shown here in a later version.")),
                         QStringLiteral("&PLAYLIST"));
    pageControl_->addTab(notePage(QStringLiteral("Clip information is shown here in a later version.")),
                         QStringLiteral("&CLIPINF"));
    pageControl_->addTab(notePage(QStringLiteral("The menu editor comes in a later version.")),
                         QStringLiteral("&Menu"));
    pageControl_->addTab(notePage(QStringLiteral("BD-J objects are shown here in a later version.")),
                         QStringLiteral("BD&JO"));
    pageControl_->addTab(optionsTab_, QStringLiteral("&Options"));
    pageControl_->addTab(statusTab_, QStringLiteral("S&tatus"));
    pageControl_->addTab(aboutTab_, QStringLiteral("&About"));
    layout->addWidget(pageControl_, 1);

    auto* bottom = new QWidget(central);
    buildBottomBar(bottom);
    layout->addWidget(bottom);

    statusBar_ = new StatusBar(central);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    layout->addWidget(statusBar_);
    setCentralWidget(central);

    logView_ = new QtLogView(mainLog(), statusTab_->reMessage(), statusBar_, progressBar_, bCancel_, this);
    logView_->onProgressShown = [this](bool shown) {
        progressShown_ = shown;
        if (shown) {
            pExecute_->hide();
            pNavigate_->hide();
            pRegisters_->hide();
        }
    };
    mainLog().afterProgressOff = [this] { PageControlChange(); };

    connect(pageControl_, &QTabWidget::currentChanged, this, &TfMain::PageControlChange);
    connect(bdmvTab_, &BdmvTab::readRequested, this, &TfMain::bReadBDMVClick);
    connect(bdmvTab_, &BdmvTab::folderChosen, this, [this] {
        if (optionsTab_->autoRead()) bReadBDMVClick();
    });
    connect(bSave_, &QPushButton::clicked, this, &TfMain::bSaveClick);
    connect(statusTab_->bClear(), &QPushButton::clicked, this, &TfMain::bClearClick);
    connect(optionsTab_, &OptionsTab::optionsChanged, this, &TfMain::applyWorkspaceOptions);
    connect(optionsTab_, &OptionsTab::use83Changed, this, &TfMain::cb83namesClick);
    connect(optionsTab_, &OptionsTab::actiDelayChanged, this, [](int ms) { mainLog().actiDelayMs = ms; });

    buildBdmvViews();

    optionsTab_->load(settings_);
    applyMachineOptions();
    machine_.ResetRegs();
    regPanel_->showValues();
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

void TfMain::buildBdmvViews() {
    Log& log = mainLog();
    mobjView_ = new MobjView(ws_, log, bdmvTab_);
    mobjView_->setObjectName(QStringLiteral("mobjView"));
    bdmvTab_->movieObjectLayout()->addWidget(mobjView_);
    indexView_ = new IndexView(ws_, log, bdmvTab_);
    indexView_->setObjectName(QStringLiteral("indexView"));
    bdmvTab_->indexLayout()->addWidget(indexView_);
    execPanel_ = new ExecPanel(pExecute_);
    execPanel_->setEnabled(false);
    executeLayout()->addWidget(execPanel_);
    regPanel_ = new RegPanel(machine_, pRegisters_);
    registersLayout()->addWidget(regPanel_);

    mobjView_->programFormat = [this] { return optionsTab_->programFormat(); };
    mobjView_->outputFolder = [this] { return optionsTab_->outputFolder(); };

    connect(this, &TfMain::viewsReset, this, [this] {
        mobjView_->reset();
        indexView_->reset();
        execPanel_->setObjectCount(0);
        machine_.traceInProgress = false;
        showRunResult(RunResult{});
    });
    connect(this, &TfMain::workspaceRead, this, &TfMain::onWorkspaceRead);
    connect(mobjView_, &MobjView::objectShown, this, [this](int object, bool) {
        execPanel_->selectObject(object);
        updateRunControls();
    });
    connect(mobjView_, &MobjView::objectsChanged, this, [this] {
        indexView_->objectsChanged();
        execPanel_->setObjectCount(static_cast<int>(ws_.mobj.mobjs.objects.size()));
        if (const auto o = mobjView_->selectedObject()) execPanel_->selectObject(static_cast<int>(*o));
    });
    connect(mobjView_, &MobjView::commandRowClicked, this, &TfMain::executeLineClick);
    connect(mobjView_, &MobjView::followTitle, this, [this](int title) {
        pageControl_->setCurrentIndex(TabBdmv);
        if (title >= 1) indexView_->selectTitle(title - 1);
    });
    connect(mobjView_, &MobjView::followPlaylist, this, &TfMain::followPlaylist);
    connect(indexView_, &IndexView::showObject, mobjView_, &MobjView::setObjectSG);
    connect(execPanel_, &ExecPanel::objectChosen, mobjView_, &MobjView::setObjectSG);
    connect(execPanel_, &ExecPanel::programLineEntered, this, [this](int line) { machine_.programLine = line; });
    connect(execPanel_->bStart(), &QPushButton::clicked, this, &TfMain::bStartClick);
    connect(execPanel_->cbTrace(), &QCheckBox::toggled, this, [this](bool on) {
        machine_.trace = on;
        // Trace off: the next Start begins at line 0, and Cancel no longer ends a trace.
        if (!on && machine_.traceInProgress) {
            machine_.traceInProgress = false;
            mainLog().slogR();
        }
        execPanel_->setTraceInProgress(machine_.traceInProgress);
        updateRunControls();
    });
    connect(statusTab_->bPSRs(), &QPushButton::clicked, this, &TfMain::bPSRsClick);
    connect(statusTab_->bGPRs(), &QPushButton::clicked, this, &TfMain::bGPRsClick);
    connect(statusTab_->bResetRegs(), &QPushButton::clicked, this, &TfMain::bResetRegsClick);
    connect(optionsTab_, &OptionsTab::countryCodeChanged, this, &TfMain::applyMachineOptions);
    connect(optionsTab_, &OptionsTab::regionChanged, this, &TfMain::applyMachineOptions);
    connect(optionsTab_, &OptionsTab::realPsrsChanged, this, &TfMain::applyMachineOptions);
    mainLog().traceCancelHandler = [this] { return cancelTraceClick(); };
}

void TfMain::applyMachineOptions() {
    // The options take effect at the next reset.
    machine_.options.realValues = optionsTab_->realPsrs();
    machine_.options.region = std::max(optionsTab_->region(), 0);
    machine_.options.countryCode = clampCountryCode(static_cast<std::uint32_t>(optionsTab_->countryCode()));
}

void TfMain::onWorkspaceRead() {
    mobjView_->fill();
    indexView_->fill();
    execPanel_->setObjectCount(ws_.mobjLoaded ? static_cast<int>(ws_.mobj.mobjs.objects.size()) : 0);
    execPanel_->setEnabled(ws_.folderRead);
    if (ws_.indexLoaded) {
        // Title 1 first (it selects its movie object), then the first movie object.
        indexView_->selectTitle(0);
        mobjView_->setObjectSG(0);
    }
    updateRunControls();
}

bool TfMain::startEnabledOnBdmv() const {
    return !running_ && !mobjView_->selectedCommands().empty();
}

void TfMain::updateRunControls() {
    const int tab = pageControl_->currentIndex();
    if (tab == TabBdmv) execPanel_->bStart()->setEnabled(startEnabledOnBdmv());
    execPanel_->cbTrace()->setEnabled(!running_);
    execPanel_->cbObject()->setEnabled(!running_);
    bdmvTab_->bReadBDMV()->setEnabled(!running_);
    // Cancel belongs to the progress bar while it is shown.
    if (!progressShown_) bCancel_->setEnabled(running_ || machine_.traceInProgress);
}

void TfMain::bStartClick() {
    if (pageControl_->currentIndex() != TabBdmv || running_) return;
    const auto object = mobjView_->selectedObject();
    if (!object) return;
    const TCommands program = mobjView_->selectedCommands();
    if (program.empty()) return;
    execPanel_->selectObject(static_cast<int>(*object));
    running_ = true;
    updateRunControls();
    // A program at full speed lets the window process its events between
    // commands, so Cancel (and painting) work while it runs.
    const RunResult r = machine_.start(program);
    running_ = false;
    showRunResult(r);
    if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
}

void TfMain::executeLineClick(int line) {
    if (!machine_.trace || running_ || line < 0) return;
    const TCommands program = mobjView_->selectedCommands();
    if (static_cast<std::size_t>(line) >= program.size()) return;
    running_ = true;
    const RunResult r = machine_.executeLine(program, static_cast<std::size_t>(line));
    running_ = false;
    showRunResult(r);
}

void TfMain::showRunResult(const RunResult& r) {
    execPanel_->setTraceInProgress(r.traceInProgress);
    execPanel_->showProgramLine(machine_.programLine);
    if (r.traceInProgress && r.nextLine) {
        mobjView_->showLine(static_cast<int>(*r.nextLine));
        if (r.nextDestination) regPanel_->showRegister(*r.nextDestination);
    } else if (r.lastLine) {
        mobjView_->showLine(static_cast<int>(*r.lastLine));
    }
    regPanel_->showValues();
    updateRunControls();
}

bool TfMain::cancelTraceClick() {
    if (!machine_.traceInProgress || running_) return false;
    machine_.cancelTrace(mobjView_->selectedCommands());
    execPanel_->setTraceInProgress(false);
    execPanel_->showProgramLine(machine_.programLine);
    regPanel_->showValues();
    updateRunControls();
    return true;
}

void TfMain::followPlaylist(const QString& name, int playItem) {
    Log& log = mainLog();
    pageControl_->setCurrentIndex(TabPlaylist);
    const std::string file = name.toStdString() + ws_.names().playlistExt;
    const bool known = std::find(ws_.playlists.begin(), ws_.playlists.end(), name.toStdString()) != ws_.playlists.end();
    if (known) {
        setSelectedPlaylist(name);
        log.slog("Playlist " + file + (playItem >= 0 ? ", PlayItem " + std::to_string(playItem) : std::string()), 1);
    } else {
        log.slog("Playlist " + file + " not found", 1);
    }
    emit playlistFollowed(name, playItem);
}

void TfMain::bResetRegsClick() {
    applyMachineOptions();
    machine_.ResetRegs();
    regPanel_->showValues();
}

void TfMain::bPSRsClick() {
    for (const std::string& line : machine_.psrDump()) mainLog().log(line);
}

void TfMain::bGPRsClick() {
    for (const std::string& line : machine_.gprDump()) mainLog().log(line);
}

QWidget* TfMain::page(Tab tab) const { return pageControl_->widget(tab); }

QHBoxLayout* TfMain::executeLayout() const { return static_cast<QHBoxLayout*>(pExecute_->layout()); }
QHBoxLayout* TfMain::navigateLayout() const { return static_cast<QHBoxLayout*>(pNavigate_->layout()); }
QHBoxLayout* TfMain::registersLayout() const { return static_cast<QHBoxLayout*>(pRegisters_->layout()); }

void TfMain::setSelectedPlaylist(const QString& name) {
    selectedPlaylist_ = name;
    if (pageControl_->currentIndex() == TabPlaylist) PageControlChange();
}

void TfMain::setSelectedClip(const QString& name) {
    selectedClip_ = name;
    if (pageControl_->currentIndex() == TabClipinf) PageControlChange();
}

void TfMain::setPlaylistLoaded(bool loaded) {
    playlistLoaded_ = loaded;
    PageControlChange();
}

void TfMain::setMenuHasPages(bool hasPages) {
    menuHasPages_ = hasPages;
    PageControlChange();
}

void TfMain::setTitle(const QString& title) {
    // The display name first: the platform appends it to a title that does not already end with it.
    QGuiApplication::setApplicationDisplayName(title);
    setWindowTitle(title);
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

void TfMain::applyWorkspaceOptions() { ws_.options = optionsTab_->workspaceOptions(); }

void TfMain::cb83namesClick() {
    // The derived names follow the option: the workspace builds them from its options.
    ws_.options.use83 = optionsTab_->use83();
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
    bdmvTab_->setFolder(settings_.bdmvDir);
    applyMachineOptions();
    machine_.ResetRegs();
    regPanel_->showValues();
    applyGeometry();
    mobjView_->setObjectListHeight(settings_.objectHeight);
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
    settings_.bdmvDir = bdmvTab_->folder();
    if (const int height = mobjView_->objectListHeight(); height >= 0) settings_.objectHeight = height;
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
    ws_.streams.clear();
    removeTemporaryFiles();
}

void TfMain::closeEvent(QCloseEvent* e) {
    if (running_) {
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
    if (running_) return;
    Log& log = mainLog();
    QPushButton* read = bdmvTab_->bReadBDMV();
    read->setEnabled(false);

    applyWorkspaceOptions();
    ws_.folder = bdmvTab_->folder().toStdString();
    emit viewsReset();
    selectedPlaylist_.clear();
    selectedClip_.clear();
    playlistLoaded_ = false;
    menuHasPages_ = false;
    try {
        ws_.checkAndRead(log);
    } catch (const std::exception& e) {
        // Readers report their own errors; anything else still ends the read cleanly.
        log.erlog(e.what());
    }
    if (ws_.folderRead) bdmvTab_->setFolder(QString::fromStdString(ws_.folder));
    if (ws_.indexLoaded) {
        if (!ws_.playlists.empty()) selectedPlaylist_ = QString::fromStdString(ws_.playlists.front());
        if (!ws_.clipinfos.empty()) selectedClip_ = QString::fromStdString(ws_.clipinfos.front());
    }
    // A failed check leaves nothing loaded, so the title names no disc then.
    setTitle(QString::fromStdString(mainWindowTitle(ws_.folderRead ? ws_.disc : std::string())));
    bFind_->setEnabled(ws_.folderRead);
    emit workspaceRead();
    PageControlChange();
    read->setEnabled(true);
}

void TfMain::bSaveClick() {
    if (pageControl_->currentIndex() != TabBdmv) return;
    Log& log = mainLog();
    applyWorkspaceOptions();
    // Each file has its own backup step: a failure of one does not stop the next.
    ws_.saveIndex(log);
    ws_.saveMovieObjects(log);
    emit workspaceSaved();
}

void TfMain::PageControlChange() {
    bSave_->setEnabled(false);
    execPanel_->bStart()->setEnabled(false);
    for (QWidget* w : {static_cast<QWidget*>(bSave_), static_cast<QWidget*>(bFind_),
                       static_cast<QWidget*>(bLoadMenu_), static_cast<QWidget*>(bMux_),
                       static_cast<QWidget*>(pExecute_), static_cast<QWidget*>(pNavigate_),
                       static_cast<QWidget*>(pRegisters_)})
        w->hide();
    bSave_->setToolTip(QStringLiteral("Save"));
    // While the progress bar is up it keeps the place of the panels.
    auto showPanel = [this](QWidget* p) {
        if (!progressShown_) p->show();
    };
    const FileNameSet names = ws_.names();
    const int tab = pageControl_->currentIndex();
    switch (tab) {
        case TabBdmv:
            bSave_->show();
            bSave_->setToolTip(QStringLiteral("Save the bdmv files"));
            // A refused index.bdmv keeps Save disabled, as it keeps the index views and the object grid.
            bSave_->setEnabled(ws_.indexLoaded);
            execPanel_->setMenuMode(false);
            execPanel_->bStart()->setEnabled(startEnabledOnBdmv());
            showPanel(pExecute_);
            showPanel(pRegisters_);
            break;
        case TabPlaylist:
            bSave_->show();
            bSave_->setToolTip(QStringLiteral("Save ") + selectedPlaylist_ + QString::fromStdString(names.playlistExt));
            bSave_->setEnabled(playlistLoaded_);
            bFind_->show();
            break;
        case TabClipinf:
            bSave_->show();
            bSave_->setToolTip(QStringLiteral("Save ") + selectedClip_ + QString::fromStdString(names.clipExt));
            bFind_->show();
            break;
        case TabMenu:
            bSave_->show();
            bSave_->setToolTip(QStringLiteral("Save the IGS menu (*.mnu)"));
            bSave_->setEnabled(menuHasPages_);
            bMux_->show();
            bMux_->setEnabled(menuHasPages_);
            bLoadMenu_->show();
            execPanel_->setMenuMode(true);
            execPanel_->bStart()->setEnabled(menuHasPages_ && !running_);
            showPanel(pExecute_);
            showPanel(pNavigate_);
            showPanel(pRegisters_);
            break;
        case TabBdjo:
            bSave_->show();
            break;
        case TabStatus:
            showPanel(pRegisters_);
            break;
        default:
            break;
    }
    emit pageLayoutApplied(tab);
}

}  // namespace navora::ui
