#include "ui/tfmain.h"

#include "core/extdata.h"
#include "core/filenames.h"
#include "core/log.h"
#include "navdb/index_edit.h"
#include "navdb/movieobject_edit.h"
#include "playlist/playlist_edit.h"
#include "sound/sound_edit.h"
#include "ui/abouttab.h"
#include "ui/association.h"
#include "ui/bdjotab.h"
#include "ui/bdmvtab.h"
#include "ui/cliptab.h"
#include "ui/document.h"
#include "ui/execpanel.h"
#include "ui/extdat.h"
#include "ui/indexview.h"
#include "ui/menubar.h"
#include "ui/menuobjects.h"
#include "ui/menuswitches.h"
#include "ui/menutab.h"
#include "ui/mobjview.h"
#include "ui/optionstab.h"
#include "ui/pagecontrol.h"
#include "ui/playlisttab.h"
#include "ui/prompts.h"
#include "ui/qtlogview.h"
#include "ui/reffinder.h"
#include "ui/runcontroller.h"
#include "ui/soundview.h"
#include "ui/statustab.h"
#include "ui/waveplayer_qt.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

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
    setWindowIcon(QIcon(QStringLiteral(":/navora/navora.png")));
    setAcceptDrops(true);
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
    extDat_ = new TfExtDat(this);
    extDat_->workFolder = [this] { return optionsTab_->outputFolder(); };
    buildMenu();

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

    bindSettings();
    binder_.load(settings_);
    optionsTab_->runHandlers();
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
    // A clip named on the PLAYLIST tab is chosen in the clip list before its tab comes up.
    connect(playlistTab_, &PlaylistTab::clipRequested, this, &TfMain::followClip);
    connect(bdmvTab_->indexView(), &IndexView::extensionDataEditRequested, this, &TfMain::bIndExDatEditClick);
    connect(bdmvTab_->mobjView(), &MobjView::extensionDataEditRequested, this, &TfMain::bObjExtDatEditClick);
    connect(playlistTab_, &PlaylistTab::extensionDataEditRequested, this, [this] {
        const Workspace& ws = doc_->model();
        if (!ws.playlistLoaded) return;
        editExtensionData(*extDat_, *doc_, Document::Part::Playlist,
                          extDatTitle(QString::fromStdString(ws.playlistName + ws.names().playlistExt)),
                          ws.playlist.ExtensionData,
                          [](Workspace& w, TExtensionData b) { setPlaylistExtensionData(w.playlist, std::move(b)); });
    });
    connect(bdmvTab_->soundView(), &SoundView::extensionDataEditRequested, this, [this] {
        const Workspace& ws = doc_->model();
        if (!ws.soundLoaded) return;
        editExtensionData(*extDat_, *doc_, Document::Part::Sound, extDatTitle(QString::fromLatin1(kSoundFile)),
                          ws.sound.ext, [](Workspace& w, TExtensionData b) { setSoundExtensionData(w.sound, b); });
    });
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
    connect(optionsTab_, &OptionsTab::associateRequested, this, &TfMain::associate);
    connect(optionsTab_, &OptionsTab::resetRequested, this, &TfMain::resetOptions);
    optionsTab_->bdmvFolder = [this] { return bdmvTab_->folder(); };
    connect(run_, &RunController::runningChanged, this, [this](bool running) {
        // A running program works on the models until it ends: no folder is read under it.
        bdmvTab_->bReadBDMV()->setEnabled(!running);
        if (!running && closePending_) QTimer::singleShot(0, this, &QWidget::close);
    });
    connect(doc_, &Document::modifiedChanged, this, &TfMain::showTitle);
    connect(statusBar_, &StatusBar::clicked, this, [this] { pageControl_->setCurrentIndex(TabStatus); });
    connectSoundAndBdjo();
    connectClipTab();
}

void TfMain::connectSoundAndBdjo() {
    SoundView* sound = bdmvTab_->soundView();
    sound->setPlayer(wavePlayer_);
    QPushButton* create = optionsTab_->bCreateSound();
    connect(sound, &SoundView::stateChanged, create, [create, sound] { create->setEnabled(sound->canCreate()); });
    connect(create, &QPushButton::clicked, this, [this, sound] {
        pageControl_->setCurrentIndex(TabBdmv);
        sound->bCreateSoundClick();
    });
    connect(bdmvTab_->indexView(), &IndexView::bdjoRequested, this, &TfMain::openBdjObject);
    connect(bdjoTab_, &BdjoTab::playlistRequested, this, [this](const QString& name) {
        const auto& lists = doc_->model().playlists;
        if (std::find(lists.begin(), lists.end(), name.toStdString()) != lists.end()) followPlaylist(name, -1);
    });
}

void TfMain::openBdjObject(const QString& name) {
    if (!bdjoTab_->openObject(name)) {
        mainLog().slog("BD-J object " + name.toStdString() + ".bdjo not found", 1);
        return;
    }
    // Entering the tab reads it; on the tab already, the tab change handler runs again.
    if (pageControl_->currentIndex() == TabBdjo)
        PageControlChange();
    else
        pageControl_->setCurrentIndex(TabBdjo);
}

void TfMain::connectClipTab() {
    connect(bFind_, &QPushButton::clicked, this, &TfMain::bFindClick);
    connect(finder_, &ReferenceFinder::logRequested, this, [this] { pageControl_->setCurrentIndex(TabStatus); });
    connect(clipTab_, &ClipTab::playItemRequested, this, &TfMain::followPlaylist);
    connect(clipTab_, &ClipTab::busyChanged, this, [this](bool busy) {
        // An export ends before the window it reports to closes.
        if (!busy && closePending_) QTimer::singleShot(0, this, &QWidget::close);
    });
    // "-> Menu": the Menu tab loads the extracted menu and comes up.
    connect(clipTab_, &ClipTab::menuFileReady, menuTab_, &MenuTab::loadMenuFile);
    // The clip is the tab's own copy until its Save: the edited block goes back to the tab.
    connect(clipTab_, &ClipTab::extensionDataEditRequested, this, [this] {
        if (const auto edited = extDat_->edit(clipTab_->extensionDataTitle(), clipTab_->extensionData()))
            clipTab_->setExtensionData(*edited);
    });
}

void TfMain::buildTabs(QWidget* central) {
    Log& log = mainLog();
    bdmvTab_ = new BdmvTab(*doc_, *run_, log, central);
    playlistTab_ = new PlaylistTab(*doc_, log, central);
    finder_ = new ReferenceFinder(*doc_, log, this);
    clipTab_ = new ClipTab(*doc_, *finder_, log, central);
    menuTab_ = new MenuTab(*doc_, *run_, log, central);
    menuTab_->dialogs.workFolder = [this] { return optionsTab_->outputFolder(); };
    menuTab_->objectsView()->objectBackground = [this] {
        return colourFromWin(optionsTab_->menuColour(MenuColour::ObjectBackground));
    };
    menuTab_->buildNavigationPanel(pNavigate_);
    menuTab_->cancelEnabled = [this](bool on) { bCancel_->setEnabled(on); };
    bdjoTab_ = new BdjoTab(*doc_, log);
    optionsTab_ = new OptionsTab;
    {
        // The Menu tab's switches have their twins on the Options tab; "Create Menu" stands there too.
        using S = MenuSwitches;
        const std::pair<S::Switch, MenuSwitch> pairs[] = {
            {S::ButtonId, MenuSwitch::ButtonId},     {S::ObjectId, MenuSwitch::ObjectId},
            {S::ButtonFrame, MenuSwitch::ButtonFrame}, {S::WindowFrame, MenuSwitch::WindowFrame},
            {S::InEffect, MenuSwitch::InEffects},    {S::OutEffect, MenuSwitch::OutEffects},
            {S::FullScreen, MenuSwitch::FullScreen}, {S::Animate, MenuSwitch::Animate},
            {S::PlaySound, MenuSwitch::PlaySound}};
        for (const auto& [menuSwitch, twin] : pairs)
            optionsTab_->bindMenuSwitch(twin, menuTab_->switches()->box(menuSwitch));
        auto* create = new QPushButton(QStringLiteral("Create Menu"), optionsTab_);
        create->setObjectName(QStringLiteral("bCreateMenu"));
        optionsTab_->actionLayout()->insertWidget(1, create);
        connect(create, &QPushButton::clicked, menuTab_, &MenuTab::bCreateMenuClick);
        connect(optionsTab_, &OptionsTab::menuColourChanged, this, [this] {
            Settings s = settings_;
            binder_.store(s);
            menuTab_->setColours(previewColours(s));
        });
        // The page is composed on the background picture while its switch is on.
        connect(optionsTab_, &OptionsTab::backgroundChanged, this,
                [this](bool on) { menuTab_->setBackgroundPicture(on, optionsTab_->backgroundPicture()); });
        connect(optionsTab_, &OptionsTab::backgroundPictureChanged, this,
                [this](const QString& file) { menuTab_->setBackgroundPicture(optionsTab_->background(), file); });
    }
    statusTab_ = new StatusTab;
    aboutTab_ = new AboutTab;
    tabs_ = {bdmvTab_, playlistTab_, clipTab_, menuTab_, bdjoTab_, optionsTab_, statusTab_, aboutTab_};
    const QStringList captions = {QStringLiteral("&BDMV"),    QStringLiteral("&PLAYLIST"), QStringLiteral("&CLIPINF"),
                                  QStringLiteral("&Menu"),    QStringLiteral("BD&JO"),     QStringLiteral("&Options"),
                                  QStringLiteral("S&tatus"),  QStringLiteral("&About")};
    for (std::size_t i = 0; i < tabs_.size(); ++i) pageControl_->addTab(tabs_[i], captions[static_cast<int>(i)]);

    bdmvTab_->mobjView()->programFormat = [this] { return optionsTab_->programFormat(); };
    bdmvTab_->mobjView()->outputFolder = [this] { return optionsTab_->outputFolder(); };
    playlistTab_->autoRead = [this] { return optionsTab_->autoRead(); };
    playlistTab_->chapterFormat = [this] { return optionsTab_->chapterFormat(); };
    playlistTab_->workFolder = [this] { return optionsTab_->outputFolder(); };
    clipTab_->demuxOptions = [this] { return optionsTab_->demuxOptions(); };
    clipTab_->outputFolder = [this] { return optionsTab_->outputFolder(); };
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
    // The buttons may narrow to their captions: with the execution, navigation
    // and register panels of the Menu tab the bar is full at the least width.
    for (QPushButton* b : {bSave_, bFind_, bLoadMenu_, bMux_, bCancel_})
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(QLatin1Char('&'))) + 24);

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

void TfMain::buildMenu() {
    menu_ = new MainMenu(this, doc_->undoStack());
    connect(menu_, &MainMenu::openFolderRequested, this, &TfMain::openFolderDialog);
    connect(menu_, &MainMenu::recentFolderChosen, this, &TfMain::openFolder);
    connect(menu_, &MainMenu::readAgainRequested, this, &TfMain::bReadBDMVClick);
    connect(menu_, &MainMenu::saveRequested, this, [this] {
        // As the button: only where the button is there to click.
        if (bSave_->isVisible() && bSave_->isEnabled()) bSaveClick();
    });
    connect(menu_, &MainMenu::quitRequested, this, &QWidget::close);
    connect(menu_, &MainMenu::aboutRequested, this, [this] { pageControl_->setCurrentIndex(TabAbout); });
}

QAction* TfMain::undoAction() const { return menu_->undo(); }

QAction* TfMain::redoAction() const { return menu_->redo(); }

void TfMain::applyMachineOptions() {
    // The options take effect at the next reset.
    run_->setResetOptions({optionsTab_->realPsrs(), std::max(optionsTab_->region(), 0),
                           clampCountryCode(static_cast<std::uint32_t>(optionsTab_->countryCode()))});
}

void TfMain::followPlaylist(const QString& name, int playItem) {
    Log& log = mainLog();
    const Workspace& ws = doc_->model();
    const std::string file = name.toStdString() + ws.names().playlistExt;
    const bool known = std::find(ws.playlists.begin(), ws.playlists.end(), name.toStdString()) != ws.playlists.end();
    // The playlist is chosen before the tab turns, so that entering it reads that one.
    if (known) playlistTab_->setSelection(name);
    pageControl_->setCurrentIndex(TabPlaylist);
    if (known) {
        playlistTab_->openPlaylist(name, playItem);
        log.slog("Playlist " + file + (playItem >= 0 ? ", PlayItem " + std::to_string(playItem) : std::string()), 1);
    } else {
        log.slog("Playlist " + file + " not found", 1);
    }
    emit playlistFollowed(name, playItem);
}

void TfMain::followClip(const QString& name) {
    const Workspace& ws = doc_->model();
    if (!clipTab_->selectClip(name)) {
        mainLog().slog("Clip " + name.toStdString() + ws.names().clipExt + " not found", 1);
        return;
    }
    const bool entering = currentTab() != clipTab_;
    pageControl_->setCurrentIndex(TabClipinf);
    // Entering the tab has read the clip when "Auto Read" is on.
    if (!entering || !ws.options.autoRead) clipTab_->bReadCIClick();
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

std::unique_ptr<QSettings> TfMain::openSettings() { return openSettingsStore(); }

void TfMain::bindSettings() {
    // Every control that shows a value of the settings table. The window
    // geometry, the BDMV folder and the panel heights are taken from the
    // window and its views in formActivate() and formClose().
    optionsTab_->bindSettings(binder_);
    // The Menu tab's nine view switches follow their twins on the Options tab
    // (bindMenuSwitch in buildTabs): the binder loads and stores the twins.
}

void TfMain::associate() {
    Log& log = mainLog();
    const AssociationReport r = associateBdmv(QApplication::applicationFilePath());
    if (!r.error.isEmpty()) {
        log.erlog("File association of .bdmv: " + r.error.toStdString());
        return;
    }
    if (!r.written.isEmpty()) log.log("File association of .bdmv with Navora registered.");
}

void TfMain::resetOptions() {
    binder_.load(Settings{});
    optionsTab_->runHandlers();
    applyMachineOptions();
    mainLog().log("Every option was set back to its default value.");
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

void TfMain::bFindClick() {
    if (currentTab() == clipTab_)
        clipTab_->findReferences();
    else if (currentTab() == playlistTab_)
        finder_->findPlaylistPlayers(playlistTab_->selection());
}

void TfMain::bIndExDatEditClick() {
    if (!doc_->model().indexLoaded) return;
    editExtensionData(*extDat_, *doc_, Document::Part::Index,
                      extDatTitle(QString::fromStdString(workspace().names().index)), doc_->model().index.ext,
                      [](Workspace& ws, TExtensionData b) { setIndexExtensionData(ws.index, std::move(b)); });
}

void TfMain::bObjExtDatEditClick() {
    if (!doc_->model().mobjLoaded) return;
    editExtensionData(*extDat_, *doc_, Document::Part::MovieObjects,
                      extDatTitle(QString::fromStdString(workspace().names().movieObject)), doc_->model().mobj.ext,
                      [](Workspace& ws, TExtensionData b) { setMovieObjectExtensionData(ws.mobj, std::move(b)); });
}

QSize TfMain::designedMinimumSize() const {
    // At 200 % a 1920 x 1080 screen is 960 x 540 and the designed least size
    // does not fit: the window may then be as small as the screen.
    QSize least(kMinWidth, kMinHeight);
    // The frame the window manager adds is known once the window is shown.
    const QSize frame = isVisible() ? frameGeometry().size() - size() : QSize(0, 0);
    if (const QScreen* s = screen()) least = least.boundedTo(s->availableSize() - frame);
    return least;
}

void TfMain::applyMinimumSize() { setMinimumSize(designedMinimumSize()); }

void TfMain::fitOnScreen() {
    const QScreen* s = screen();
    if (!s || isMaximized() || isFullScreen() || isMinimized()) return;
    const QRect room = s->availableGeometry();
    const QRect frame = frameGeometry();
    if (room.contains(frame)) return;
    // A window larger than the screen (a size stored on a larger screen, or
    // the designed size at 200 %) shrinks to it; then it moves onto it.
    const QSize extra = frame.size() - size();
    const QSize fitting = size().boundedTo(room.size() - extra);
    if (fitting != size()) resize(fitting);
    const int left = std::clamp(frame.left(), room.left(), std::max(room.left(), room.right() + 1 - frame.width()));
    const int top = std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() + 1 - frame.height()));
    move(left, top);
}

void TfMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    applyMinimumSize();
    // A stored or designed place may lie off a smaller (or more scaled) screen.
    fitOnScreen();
    // The frame is known only after the window manager framed the window.
    if (wantedFrame_) {
        QTimer::singleShot(0, this, &TfMain::placeFrame);
        QTimer::singleShot(200, this, &TfMain::placeFrame);
    }
    if (QWindow* w = windowHandle(); w && !property("navoraScreenWatch").toBool()) {
        setProperty("navoraScreenWatch", true);
        connect(w, &QWindow::screenChanged, this, &TfMain::applyMinimumSize);
    }
}

void TfMain::placeFrame() {
    if (!wantedFrame_ || !isVisible() || isMaximized() || isMinimized() || isFullScreen()) return;
    if (frameGeometry().topLeft() != *wantedFrame_) move(*wantedFrame_);
    fitOnScreen();
}

void TfMain::applyGeometry() {
    const QSize least = designedMinimumSize();
    // Top and Left are the frame's place (QWidget::pos() of a window).
    wantedFrame_ = QPoint(settings_.left, settings_.top);
    move(settings_.left, settings_.top);
    resize(std::max(settings_.width, least.width()), std::max(settings_.height, least.height()));
    if (settings_.windowState == 2)
        setWindowState(Qt::WindowMaximized);
    else if (settings_.windowState == 1)
        setWindowState(Qt::WindowMinimized);
    if (isVisible()) fitOnScreen();
}

void TfMain::formActivate(const QStringList& arguments) {
    Log& log = mainLog();
    pNavigate_->hide();
    pExecute_->hide();
    pageControl_->setCurrentIndex(TabBdmv);

    auto store = openSettings();
    const QStringList wrong = readSettings(*store, settings_, versionText());
    store.reset();
    binder_.load(settings_);
    optionsTab_->runHandlers();
    loadMenuOptions();
    bdmvTab_->setFolder(settings_.bdmvDir);
    applyMachineOptions();
    run_->resetRegisters();
    applyGeometry();
    bdmvTab_->mobjView()->setObjectListHeight(settings_.objectHeight);
    playlistTab_->setGroupHeights(settings_.playListHeight, settings_.subPathHeight, settings_.playListMarkHeight);
    for (const QString& name : wrong)
        log.log("Setting [b]" + name.toStdString() + "[/b] has a value of the wrong type; the default is used.");
    if (settings_.associate) associate();
    {
        auto recent = openSettings();
        menu_->setRecentFolders(RecentFolders::load(*recent));
    }

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
    binder_.store(settings_);
    settings_.bdmvDir = bdmvTab_->folder();
    if (const int height = bdmvTab_->mobjView()->objectListHeight(); height >= 0) settings_.objectHeight = height;
    if (const auto h = playlistTab_->groupHeights(); h[0] > 0 && h[1] > 0 && h[2] > 0) {
        settings_.playListHeight = h[0];
        settings_.subPathHeight = h[1];
        settings_.playListMarkHeight = h[2];
    }
    const bool maximised = isMaximized();
    settings_.windowState = maximised ? 2 : isMinimized() ? 1 : 0;
    if (!maximised) {
        const QRect g = isMinimized() ? normalGeometry() : geometry();
        // The frame's place, so that the next start puts the title bar where it was.
        const QPoint pos = isMinimized() ? g.topLeft() : frameGeometry().topLeft();
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

bool TfMain::maybeSave() {
    if (!doc_->isModified()) return true;
    const Workspace& ws = doc_->model();
    switch (askSaveChanges(this, ws.disc.empty() ? QStringLiteral("the disc") : QString::fromStdString(ws.disc))) {
        case SaveAnswer::Discard: return true;
        case SaveAnswer::Cancel: return false;
        case SaveAnswer::Save: break;
    }
    applyWorkspaceOptions();
    for (TabPage* tab : tabs_)
        if (!tab->saveModified()) return false;
    emit workspaceSaved();
    // An edit no tab wrote stays unsaved: nothing goes on that would lose it.
    return !doc_->isModified();
}

void TfMain::bReadBDMVClick() {
    // A running program works on the models until it ends: a folder chosen meanwhile is not read under it.
    if (run_->running()) return;
    openFolder(bdmvTab_->folder().trimmed());
}

void TfMain::openFolderDialog() {
    if (run_->running()) return;
    // Start in the folder that holds the BDMV folder, as the browse button does.
    QString start = QString::fromStdString(doc_->model().folder);
    if (start.isEmpty()) start = bdmvTab_->folder();
    start.chop(5);
    const QString chosen =
        bdmvTab_->folderChooser ? bdmvTab_->folderChooser(QStringLiteral("Open folder"), start) : QString();
    if (!chosen.isEmpty()) openFolder(chosen);
}

bool TfMain::openFolder(const QString& path) {
    if (run_->running()) return false;
    const BdmvLocation where = locateBdmvFolder(path.toStdString());
    if (!where.error.empty()) {
        // Nothing is read: the disc that is open stays open.
        mainLog().erlog(where.error);
        return false;
    }
    if (!maybeSave()) return false;
    readFolder(QString::fromStdString(where.folder));
    return true;
}

void TfMain::rememberFolder(const QString& folder) {
    menu_->setRecentFolders(RecentFolders::with(menu_->recentFolders(), folder));
    auto store = openSettings();
    RecentFolders::store(*store, menu_->recentFolders());
}

void TfMain::showReadOutcome() {
    Log& log = mainLog();
    const Workspace& ws = doc_->model();
    std::string shown;
    if (log.errorLines > 0) {
        shown = log.firstErrorLine;
        if (log.errorLines > 1) shown += " (and " + std::to_string(log.errorLines - 1) + " more: see Status)";
    } else if (!ws.incompleteFiles.empty()) {
        const std::string& file = ws.incompleteFiles.front();
        const auto note = ws.incompleteNotes.find(file);
        shown = file + " read incomplete" + (note != ws.incompleteNotes.end() ? ": " + note->second : std::string());
    }
    if (!shown.empty()) log.erslog(shown);
}

void TfMain::readFolder(const QString& folder) {
    QPushButton* read = bdmvTab_->bReadBDMV();
    read->setEnabled(false);
    bdmvTab_->setFolder(folder);

    applyWorkspaceOptions();
    emit viewsReset();
    mainLog().resetErrorLines();
    doc_->read(folder.toStdString(), mainLog());
    const Workspace& ws = doc_->model();
    if (ws.folderRead) {
        bdmvTab_->setFolder(QString::fromStdString(ws.folder));
        rememberFolder(QString::fromStdString(ws.folder));
    }
    showReadOutcome();
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

void TfMain::dragEnterEvent(QDragEnterEvent* e) {
    const QMimeData* data = e->mimeData();
    if (!data || !data->hasUrls() || data->urls().isEmpty() || !data->urls().front().isLocalFile()) return;
    // Only what leads to a disc is taken: anything else is refused at the pointer.
    if (locateBdmvFolder(data->urls().front().toLocalFile().toStdString()).error.empty())
        e->acceptProposedAction();
}

void TfMain::dropEvent(QDropEvent* e) {
    const QMimeData* data = e->mimeData();
    if (!data || !data->hasUrls() || data->urls().isEmpty() || !data->urls().front().isLocalFile()) return;
    const QString path = data->urls().front().toLocalFile();
    e->acceptProposedAction();
    // Read after the drop has ended: the question about unsaved edits must not hold the drag source.
    QTimer::singleShot(0, this, [this, path] { openFolder(path); });
}

void TfMain::loadMenuOptions() {
    // The switches came with the binder's load (through their twins); the background picture with runHandlers().
    menuTab_->setColours(previewColours(settings_));
}

void TfMain::PageControlChange() {
    if (activating_) {
        barAgain_ = true;
        return;
    }
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
    if (tab) {
        // A tab that reads on entry changes what its bar shows: that is applied once it is done.
        activating_ = true;
        barAgain_ = false;
        tab->activated();
        activating_ = false;
        if (barAgain_ && tab != currentTab()) {
            PageControlChange();
            return;
        }
        if (barAgain_) {
            const BottomBar now = tab->bottomBar();
            bSave_->setEnabled(now.saveEnabled);
            bSave_->setToolTip(now.saveHint);
            bMux_->setEnabled(now.saveEnabled);
        }
    }
    emit pageLayoutApplied(pageControl_->currentIndex());
}

}  // namespace navora::ui
