#include "ui/tfmain.h"

#include "core/filenames.h"
#include "core/log.h"
#include "ui/abouttab.h"
#include "ui/bdmvtab.h"
#include "ui/optionstab.h"
#include "ui/pagecontrol.h"
#include "ui/qtlogview.h"
#include "ui/statustab.h"

#include <QApplication>
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
#include <QVBoxLayout>

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

    optionsTab_->load(settings_);
    setTitle(QString::fromStdString(mainWindowTitle("")));
    PageControlChange();
}

TfMain::~TfMain() {
    // The log outlives the window: detach everything that points into it.
    mainLog().afterProgressOff = nullptr;
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
    l->addStretch(0);
    l->addWidget(bCancel_);
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
    applyGeometry();
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
    formClose();
    e->accept();
}

void TfMain::bReadBDMVClick() {
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
            bSave_->setEnabled(ws_.indexLoaded || ws_.mobjLoaded);
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
