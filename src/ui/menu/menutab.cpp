#include "ui/menu/menutab.h"

#include "core/errors.h"
#include "core/log.h"
#include "ig/structure.h"
#include "preview/views.h"
#include "sound/sound_edit.h"
#include "sound/waveplayer.h"
#include "ui/app/document.h"
#include "ui/app/execpanel.h"
#include "ui/app/runcontroller.h"
#include "ui/app/waveplayer_qt.h"
#include "ui/menu/backgroundpicture.h"
#include "ui/menu/menueffects.h"
#include "ui/menu/menufiles.h"
#include "ui/menu/menuheader.h"
#include "ui/menu/menuobjects.h"
#include "ui/menu/menupages.h"
#include "ui/menu/menupageview.h"
#include "ui/menu/menupreview.h"
#include "ui/menu/menuremote.h"
#include "ui/menu/menuswitches.h"
#include "ui/menu/statepreviewer.h"
#include "ui/widgets/widgets.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace navora::ui {

MenuTab::MenuTab(Document& doc, RunController& run, Log& log, QWidget* parent)
    : TabPage(parent), dialogs(MenuDialogs::standard(this)), doc_(doc), run_(run), log_(log) {
    preview_ = new MenuPreview(run_.machine(), log_, this);
    switches_ = new MenuSwitches(this);
    pages_ = new MenuPagesView(doc_, this);
    objects_ = new MenuObjectsView(doc_, log_, cache_, dialogs, this);
    objects_->softwareName = [this] {
        const Workspace& ws = doc_.model();
        return mainWindowTitle(ws.folderRead ? ws.disc : std::string());
    };
    effects_ = new MenuEffectsView(doc_, *preview_, this);
    pageView_ = new MenuPageView(*preview_, this);
    pageView_->active = [this] { return preview_->emulator().page() >= 0; };
    remote_ = new MenuRemote(*preview_, run_, log_, *pageView_, *pages_, this);
    remote_->canStart = [this] { return canWrite(); };
    header_ = new MenuHeader(doc_, log_, *objects_, this);
    files_ = new MenuFiles(doc_, log_, dialogs, cache_, this);
    connect(files_, &MenuFiles::menuReplaced, this, &MenuTab::MenuOn);

    subTabs_ = new QTabWidget(this);
    subTabs_->setObjectName(QStringLiteral("tsMenu"));
    subTabs_->addTab(pages_, QStringLiteral("BOGs"));
    subTabs_->addTab(effects_, QStringLiteral("Effects"));
    subTabs_->addTab(objects_, QStringLiteral("Objects"));
    subTabs_->addTab(pageView_, QStringLiteral("Page view"));

    auto* switchRow = new QWidget(this);
    auto* sl = new QHBoxLayout(switchRow);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->addWidget(switches_->overlayGroup());
    sl->addWidget(switches_->effectGroup());
    sl->addStretch(1);

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(2, 2, 2, 2);
    l->setSpacing(2);
    l->addWidget(header_);
    l->addWidget(subTabs_, 1);
    l->addWidget(switchRow);

    connect(header_, &MenuHeader::pageActivated, this, &MenuTab::cbPageChange);
    connect(pages_, &MenuPagesView::pageChosen, this, [this](int page) {
        header_->showPage(page);
        if (preview_->emulator().page() != page) preview_->emulator().selectPage(page);
        emit pageChosen(page);
    });
    connect(pages_, &MenuPagesView::bogChosen, this, &MenuTab::bogChosen);
    // The page's button states follow the typed default valid button; the
    // picture follows at the next Start (drawing it here would play its in-effects).
    connect(pages_, &MenuPagesView::bogEdited, this, [this](int page) {
        preview_->emulator().refreshButtonStates();
        warnReferences(doc_, log_, page);
    });
    pages_->soundEntries = [this] {
        const Workspace& ws = doc_.model();
        return ws.soundLoaded ? ws.sound.entries.size() : std::size_t{0};
    };
    // Sounds play from the sound.bdmv held with the folder.
    player_ = new QtWavePlayer(this);
    preview_->emulator().setSounds(&doc_.model().sound, player_);
    states_ = new MenuStatePreviewer(doc_, log_, *preview_, *pages_, *player_, this);
    states_->cancelEnabled = [this](bool on) {
        if (cancelEnabled) cancelEnabled(on);
    };
    connect(pages_, &MenuPagesView::objectClicked, states_, &MenuStatePreviewer::showObject);
    connect(pages_, &MenuPagesView::statePreviewRequested, states_, &MenuStatePreviewer::play);
    connect(pages_, &MenuPagesView::buttonChosen, this, &MenuTab::buttonChosen);
    connect(&doc_, &Document::menuChanged, this, &MenuTab::refresh);
    connect(subTabs_, &QTabWidget::currentChanged, this, &MenuTab::subTabChanged);

    // The emulator's page, button states and chosen button drive the selectors.
    connect(preview_, &MenuPreview::pageShown, this, [this](int page) {
        header_->showPage(page);
        if (page >= 0 && pages_->selectedPage() != page) pages_->showPage(page);
        effects_->showPage(page);
        header_->showPageHeader();
        remote_->setKeysEnabled(page >= 0);
    });
    connect(switches_, &MenuSwitches::switched, this, [this](MenuSwitches::Switch which, bool) {
        applySwitches();
        const bool overlay = which <= MenuSwitches::WindowFrame;
        // An overlay shows at once on the page drawn.
        if (overlay && switches_->overlayGroup()->isVisible() && preview_->emulator().page() >= 0) {
            preview_->emulator().drawPage();
            effects_->refresh();
        }
    });

    applySwitches();
    subTabChanged(subTabs_->currentIndex());
    refresh();
}

void MenuTab::buildNavigationPanel(QWidget* panel) { remote_->buildPanel(panel); }

void MenuTab::setColours(const PreviewOptions& colours) {
    const PreviewOptions before = preview_->emulator().options();
    colours_ = colours;
    // A new background colour rebuilds the background and the emulator draws the page on it.
    applySwitches();
    const PreviewOptions& now = preview_->emulator().options();
    const bool overlayColours = now.colSelectedButton != before.colSelectedButton ||
                                now.colNormalButton != before.colNormalButton ||
                                now.colInvalidButton != before.colInvalidButton || now.colWindow != before.colWindow ||
                                now.colSelectedFrame != before.colSelectedFrame ||
                                now.colNormalFrame != before.colNormalFrame ||
                                now.colInvalidFrame != before.colInvalidFrame;
    if (overlayColours || now.colBackground != before.colBackground) {
        if (overlayColours) redrawPage();
        else if (preview_->emulator().page() < 0) preview_->repaintNow();
        effects_->refresh();
    }
    const Colour c = now.colBackground;
    pageView_->setAreaColour(QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
}

void MenuTab::setColourMatrix(MatrixChoice choice) {
    if (!files_->setColourMatrix(choice)) return;
    refresh();
    redrawPage();
}

void MenuTab::redrawPage() {
    if (preview_->emulator().page() >= 0 && doc_.model().menu.loaded)
        preview_->emulator().drawPage();
    else
        preview_->repaintNow();
}

void MenuTab::setBackgroundPicture(bool on, const QString& file) {
    PageRenderer& r = preview_->renderer();
    std::string problem;
    if (!on || file.isEmpty()) {
        r.clearUserBackground();
    } else {
        const bool png = QFileInfo(file).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
        try {
            r.setUserBackground(readBackgroundPicture(file, png), png);
        } catch (const std::exception& e) {
            // The page keeps a usable background: the built-in picture.
            problem = "Cannot load the background picture " + QFileInfo(file).fileName().toStdString() + ": " + errorText(e);
            r.clearUserBackground();
        }
    }
    redrawPage();
    // Said after the page is drawn, whose reports would hide it.
    if (!problem.empty()) log_.erlog(problem);
}

void MenuTab::keyPressEvent(QKeyEvent* e) {
    if (subTabs_->currentIndex() == SubPageView) {
        if (const int code = virtualKeyCode(*e)) {
            log_.slog(std::to_string(code), 1);
            e->accept();
            return;
        }
    }
    TabPage::keyPressEvent(e);
}

void MenuTab::applySwitches() {
    PreviewOptions o = switches_->applied(colours_);
    o.cbPalOnly = preview_->emulator().options().cbPalOnly;
    preview_->emulator().setOptions(o);
    pageView_->setFit(o.cbFullScreen);
}

void MenuTab::subTabChanged(int index) {
    switches_->overlayGroup()->setVisible(index == SubEffects || index == SubPageView);
    switches_->effectGroup()->setVisible(index == SubPageView);
    if (index != SubPageView) preview_->emulator().stopAnimationTimer();
    if (index == SubPageView) pageView_->setFit(switches_->on(MenuSwitches::FullScreen));
    preview_->syncTimers();
}

void MenuTab::deactivated() { preview_->emulator().stopAnimationTimer(); }

const TIGSc& MenuTab::menu() const { return doc_.model().menu.igs; }

bool MenuTab::canWrite() const { return files_->canWrite(); }

BottomBar MenuTab::bottomBar() const {
    BottomBar b;
    b.save = true;
    b.saveEnabled = canWrite();
    b.saveHint = QStringLiteral("Save the IGS menu (*.mnu)");
    b.load = true;
    b.mux = true;
    b.execute = true;
    b.buttonChooser = true;
    b.navigate = true;
    b.registers = true;
    b.program = remote_->program();
    return b;
}

void MenuTab::activated() {
    // The execution panel runs the menu's buttons once a menu is held.
    run_.execPanel()->setEnabled(canWrite());
    run_.updateControls();
    if (header_->cbPage()->isEnabled()) header_->cbPage()->setFocus();
}

void MenuTab::MenuOn() {
    run_.resetRegisters();
    preview_->emulator().setMenu(&menu());
    objects_->fill();
    pages_->fill();
    header_->fillPageSelector(pages_->selectedPage());
    header_->showInfo();
    if (!menu().pages.empty()) preview_->emulator().selectPage(0);
    emit menuLoaded();
    emit bottomBarChanged();
    if (isVisible()) activated();
}

void MenuTab::refresh() {
    // The emulator holds the model by address: it follows every edit, undo and redo.
    files_->keepColourMatrix();
    if (doc_.model().menu.loaded) {
        if (preview_->emulator().renderer().menu() != &menu()) preview_->emulator().setMenu(&menu());
        preview_->emulator().menuChanged();
    }
    objects_->refresh();
    pages_->refresh();
    effects_->refresh();
    header_->fillPageSelector(pages_->selectedPage());
    header_->showInfo();
    header_->showPageHeader();
    emit bottomBarChanged();
}

void MenuTab::cbPageChange(int index) {
    pages_->showPage(index);
    if (preview_->emulator().page() != index) preview_->emulator().selectPage(index);
}

void MenuTab::bCreateMenuClick() { files_->create(); }

void MenuTab::bLoadMenuClick() { files_->loadDialog(); }

void MenuTab::loadMenuFile(const QString& path) { files_->load(path, false); }

bool MenuTab::save() { return files_->save(); }

bool MenuTab::saveModified() { return files_->saveModified(); }

void MenuTab::bMuxClick() { files_->mux(); }

QString MenuTab::menuFile() const { return files_->menuFile(); }

QGroupBox* MenuTab::gInfo() const { return header_->gInfo(); }
QComboBox* MenuTab::cbVideoSize() const { return header_->cbVideoSize(); }
QComboBox* MenuTab::cbFrameRate() const { return header_->cbFrameRate(); }
QLineEdit* MenuTab::eUserTimeout() const { return header_->eUserTimeout(); }
QLineEdit* MenuTab::eInTime() const { return header_->eInTime(); }
QGroupBox* MenuTab::gPage() const { return header_->gPage(); }
QComboBox* MenuTab::cbPage() const { return header_->cbPage(); }
QLabel* MenuTab::lPageCount() const { return header_->lPageCount(); }
QGroupBox* MenuTab::gPageHeader() const { return header_->gPageHeader(); }
THexEdit* MenuTab::heDefSelButt() const { return header_->heDefSelButt(); }
THexEdit* MenuTab::heDefActButt() const { return header_->heDefActButt(); }
THexEdit* MenuTab::hePalette() const { return header_->hePalette(); }
THexEdit* MenuTab::heUO1() const { return header_->heUO1(); }
THexEdit* MenuTab::heUO2() const { return header_->heUO2(); }
TIntEdit* MenuTab::ieFramerate() const { return header_->ieFramerate(); }
QGroupBox* MenuTab::gObjPal() const { return header_->gObjPal(); }

}  // namespace navora::ui
