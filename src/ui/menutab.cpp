#include "ui/menutab.h"

#include "core/errors.h"
#include "core/fileio.h"
#include "core/filenames.h"
#include "core/log.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "ig/save.h"
#include "ui/document.h"
#include "ig/structure.h"
#include "ui/commandgrid.h"
#include "ui/execpanel.h"
#include "ui/menueffects.h"
#include "ui/menuobjects.h"
#include "ui/menupages.h"
#include "ui/menupageview.h"
#include "ui/menupreview.h"
#include "ui/menuswitches.h"
#include "ui/regpanel.h"
#include "preview/png.h"
#include "preview/views.h"
#include "sound/sound_edit.h"
#include "sound/waveplayer.h"
#include "ui/runcontroller.h"
#include "ui/waveplayer_qt.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLocale>
#include <QEvent>
#include <QFileInfo>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace navora::ui {

namespace {

const QStringList kVideoSizes = {QStringLiteral("1920x1080"), QStringLiteral("1280x720"), QStringLiteral("720x576"),
                                 QStringLiteral("720x480")};
const QStringList kFrameRates = {QStringLiteral("-"),     QStringLiteral("23.97"), QStringLiteral("24"),
                                 QStringLiteral("25"),    QStringLiteral("29.97"), QStringLiteral("-"),
                                 QStringLiteral("50"),    QStringLiteral("59.94")};

// Keeps a box from taking the user's input: it shows what the menu says.
class DisplayOnly : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseButtonRelease:
            case QEvent::KeyPress:
            case QEvent::Wheel:
                return true;
            default:
                return false;
        }
    }
};

QGroupBox* group(const QString& title, const char* name, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    auto* l = new QGridLayout(g);
    l->setContentsMargins(6, 2, 6, 4);
    l->setHorizontalSpacing(6);
    l->setVerticalSpacing(1);
    return g;
}

// A caption above its field in column `column` of a group's grid.
void addField(QGroupBox* g, int column, const QString& caption, QWidget* field) {
    auto* l = static_cast<QGridLayout*>(g->layout());
    auto* label = new QLabel(caption, g);
    label->setBuddy(field);
    l->addWidget(label, 0, column);
    l->addWidget(field, 1, column);
}

QLineEdit* displayBox(const char* name, const QString& hint, const QString& sample, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setToolTip(hint);
    e->setReadOnly(true);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(sample) + 16);
    return e;
}

}  // namespace

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
    connect(pageView_, &MenuPageView::keyPressed, this, [this](int code) {
        // The arrows move the selection as U, D, L and R do; Enter selects as S&el.
        std::optional<int> nav;
        switch (code) {
        case 38: nav = static_cast<int>(NavKey::Up); break;
        case 40: nav = static_cast<int>(NavKey::Down); break;
        case 37: nav = static_cast<int>(NavKey::Left); break;
        case 39: nav = static_cast<int>(NavKey::Right); break;
        case 13: nav = 4; break;
        default: break;
        }
        if (nav && bNav_[static_cast<std::size_t>(*nav)] && bNav_[static_cast<std::size_t>(*nav)]->isEnabled())
            bNav_[static_cast<std::size_t>(*nav)]->click();
        // The key's code stays shown, after whatever the key did.
        log_.slog(std::to_string(code), 1);
    });
    QWidget* header = buildHeader();

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
    l->addWidget(header);
    l->addWidget(subTabs_, 1);
    l->addWidget(switchRow);

    connect(cbPage_, &QComboBox::activated, this, &MenuTab::cbPageChange);
    connect(pages_, &MenuPagesView::pageChosen, this, [this](int page) {
        {
            const QSignalBlocker block(cbPage_);
            cbPage_->setCurrentIndex(page);
        }
        if (preview_->emulator().page() != page) preview_->emulator().selectPage(page);
        emit pageChosen(page);
    });
    connect(pages_, &MenuPagesView::bogChosen, this, &MenuTab::bogChosen);
    // The page's button states follow the typed default valid button; the
    // picture follows at the next Start (drawing it here would play its in-effects).
    connect(pages_, &MenuPagesView::bogEdited, this, [this](int page) {
        preview_->emulator().refreshButtonStates();
        warnReferences(page);
    });
    pages_->soundEntries = [this] {
        const Workspace& ws = doc_.model();
        return ws.soundLoaded ? ws.sound.entries.size() : std::size_t{0};
    };
    // Sounds play from the sound.bdmv held with the folder.
    player_ = new QtWavePlayer(this);
    preview_->emulator().setSounds(&doc_.model().sound, player_);
    connect(pages_, &MenuPagesView::objectClicked, this, &MenuTab::showBogObject);
    connect(pages_, &MenuPagesView::statePreviewRequested, this, &MenuTab::playStatePreview);
    connect(pages_, &MenuPagesView::buttonChosen, this, &MenuTab::buttonChosen);
    // The button whose commands the grid shows is the one Start and Trace run.
    connect(pages_, &MenuPagesView::buttonChosen, this, [this](int page, int bog, int button) {
        const TIGSc& m = menu();
        if (page != preview_->emulator().page() || static_cast<std::size_t>(page) >= m.pages.size()) return;
        const auto& bogs = m.pages[static_cast<std::size_t>(page)].BOGs;
        if (static_cast<std::size_t>(bog) >= bogs.size() ||
            static_cast<std::size_t>(button) >= bogs[static_cast<std::size_t>(bog)].buttons.size())
            return;
        preview_->emulator().chooseButton(bogs[static_cast<std::size_t>(bog)].buttons[static_cast<std::size_t>(button)].button_id);
    });
    connect(&doc_, &Document::menuChanged, this, &MenuTab::refresh);
    connect(subTabs_, &QTabWidget::currentChanged, this, &MenuTab::subTabChanged);

    // The emulator's page, button states and chosen button drive the selectors.
    connect(preview_, &MenuPreview::pageShown, this, [this](int page) {
        {
            const QSignalBlocker block(cbPage_);
            cbPage_->setCurrentIndex(page);
        }
        if (page >= 0 && pages_->selectedPage() != page) pages_->showPage(page);
        effects_->showPage(page);
        showPageHeader();
        navigationEnabled(page >= 0);
    });
    QComboBox* cbButton = run_.execPanel()->cbButton();
    connect(preview_, &MenuPreview::buttonStatesRebuilt, this, [this, cbButton] {
        const QSignalBlocker block(cbButton);
        cbButton->clear();
        const auto n = preview_->renderer().states().size();
        for (std::size_t i = 0; i < n; ++i)
            cbButton->addItem(QStringLiteral("%1").arg(i, 4, 16, QLatin1Char('0')).toUpper());
        cbButton->setCurrentIndex(n > 0 ? 0 : -1);
    });
    connect(preview_, &MenuPreview::buttonSelected, this, [cbButton](int id) {
        const QSignalBlocker block(cbButton);
        cbButton->setCurrentIndex(id);
    });
    connect(cbButton, &QComboBox::activated, this, [this](int id) { preview_->emulator().setChosenButton(id); });
    connect(preview_, &MenuPreview::programFinished, this,
            [this](int, const RunResult& r) { lastRun_ = r; });

    connect(switches_, &MenuSwitches::switched, this, [this](MenuSwitches::Switch which, bool) {
        applySwitches();
        const bool overlay = which <= MenuSwitches::WindowFrame;
        // An overlay shows at once on the page drawn.
        if (overlay && switches_->overlayGroup()->isVisible() && preview_->emulator().page() >= 0) {
            preview_->emulator().drawPage();
            effects_->refresh();
        }
    });

    program_.program = [this] {
        const int p = preview_->emulator().page();
        return p >= 0 ? preview_->emulator().buttonCommands(p, preview_->emulator().chosenButton()) : TCommands{};
    };
    program_.showLine = [this](int line) {
        CommandGrid* grid = pages_->sgButtonCommands();
        if (line >= 0 && line < grid->dataRows()) grid->selectLine(line);
    };
    connect(pages_, &MenuPagesView::commandRowClicked, &run_, &RunController::executeLine);
    program_.startable = [this] { return canWrite() && preview_->emulator().page() >= 0; };
    program_.run = [this] { return runStart(); };
    program_.executeLine = [this](std::size_t line) {
        const RunResult r = preview_->emulator().executeLine(line);
        afterAction();
        return r;
    };

    applySwitches();
    subTabChanged(subTabs_->currentIndex());
    navigationEnabled(false);
    refresh();
}

void MenuTab::buildNavigationPanel(QWidget* panel) {
    const char* names[5] = {"bNavUp", "bNavDown", "bNavLeft", "bNavRight", "bNavSel"};
    const QString captions[5] = {QStringLiteral("&U"), QStringLiteral("&D"), QStringLiteral("&L"),
                                 QStringLiteral("&R"), QStringLiteral("S&el")};
    auto* l = panel->layout() ? panel->layout() : new QHBoxLayout(panel);
    for (int i = 0; i < 5; ++i) {
        auto* b = new QPushButton(captions[i], panel);
        b->setObjectName(QLatin1String(names[i]));
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QString(captions[i]).remove(QLatin1Char('&'))) + 14);
        b->setFocusPolicy(Qt::NoFocus);
        l->addWidget(b);
        bNav_[static_cast<std::size_t>(i)] = b;
        connect(b, &QPushButton::clicked, this, [this, i] {
            MenuEmulator& e = preview_->emulator();
            if (i < 4)
                e.key(static_cast<NavKey>(i));
            else
                e.activate();
            afterAction();
        });
    }
    navigationEnabled(preview_->emulator().page() >= 0);
}

void MenuTab::navigationEnabled(bool on) {
    for (QPushButton* b : bNav_)
        if (b) b->setEnabled(on);
}

void MenuTab::afterAction() {
    preview_->syncTimers();
    run_.regPanel()->showValues();
    run_.execPanel()->showProgramLine(run_.machine().programLine());
    run_.updateControls();
}

std::optional<RunResult> MenuTab::runStart() {
    lastRun_.reset();
    preview_->emulator().start();
    preview_->syncTimers();
    // The remote control's keys act on the page from now on.
    if (pageView_->isVisible()) pageView_->canvas()->setFocus();
    std::optional<RunResult> r = lastRun_;
    return r;
}

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

void MenuTab::redrawPage() {
    if (preview_->emulator().page() >= 0 && doc_.model().menu.loaded)
        preview_->emulator().drawPage();
    else
        preview_->repaintNow();
}

namespace {

// The largest background picture file read.
constexpr std::uint64_t kMaxPictureFileSize = 256u << 20;

// A background picture file as RGBA: a PNG through the engine's reader,
// anything else as a bitmap through Qt (its size checked before it is decoded).
RgbaImage readBackgroundPicture(const QString& path, bool png) {
    if (png) return readPngRgba(readDatabaseFile(path.toStdString(), kMaxPictureFileSize), path.toStdString());
    QImageReader reader(path, "bmp");
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        throw std::runtime_error("not a readable bitmap: " + reader.errorString().toStdString());
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
        throw std::runtime_error("the picture is " + std::to_string(size.width()) + "x" +
                                 std::to_string(size.height()) + ", larger than " + std::to_string(kMaxPictureSide) +
                                 " on a side");
    QImage image = reader.read();
    if (image.isNull()) throw std::runtime_error("not a readable bitmap: " + reader.errorString().toStdString());
    image.convertTo(QImage::Format_RGBA8888);
    RgbaImage out;
    out.width = image.width();
    out.height = image.height();
    out.rgba.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4);
    const auto row = static_cast<std::size_t>(out.width) * 4;
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.rgba.data() + static_cast<std::size_t>(y) * row, image.constScanLine(y), row);
    return out;
}

}  // namespace

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
            problem = "Cannot load the background picture " + QFileInfo(file).fileName().toStdString() + ": " + e.what();
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

QWidget* MenuTab::buildHeader() {
    auto* header = new QWidget(this);
    auto* hl = new QVBoxLayout(header);
    hl->setContentsMargins(0, 0, 0, 0);
    hl->setSpacing(4);

    auto* displayOnly = new DisplayOnly(this);
    gInfo_ = group(QStringLiteral("IG stream information"), "gIGinfo", header);
    cbVideoSize_ = new QComboBox(gInfo_);
    cbVideoSize_->setObjectName(QStringLiteral("cbVideoSize"));
    cbVideoSize_->setToolTip(QStringLiteral("Video size"));
    cbVideoSize_->installEventFilter(displayOnly);
    cbVideoSize_->setFocusPolicy(Qt::NoFocus);
    cbFrameRate_ = new QComboBox(gInfo_);
    cbFrameRate_->setObjectName(QStringLiteral("cbFrameRate"));
    cbFrameRate_->setToolTip(QStringLiteral("Frame rate"));
    cbFrameRate_->addItems(kFrameRates);
    cbFrameRate_->installEventFilter(displayOnly);
    cbFrameRate_->setFocusPolicy(Qt::NoFocus);
    eUserTimeout_ = displayBox("eUTO", QStringLiteral("User timeout"), QStringLiteral("00:00:00"), gInfo_);
    // The user time-out is the one field of the group the user types.
    eUserTimeout_->setReadOnly(false);
    eUserTimeout_->setInputMask(QStringLiteral("9:99:99"));
    connect(eUserTimeout_, &QLineEdit::editingFinished, this, &MenuTab::eUTOExit);
    eInTime_ = displayBox("eINtime", QStringLiteral("IN_time"), QStringLiteral("00:00:00.000"), gInfo_);
    addField(gInfo_, 0, QStringLiteral("Video size"), cbVideoSize_);
    addField(gInfo_, 1, QStringLiteral("Frame rate"), cbFrameRate_);
    addField(gInfo_, 2, QStringLiteral("User timeout"), eUserTimeout_);
    addField(gInfo_, 3, QStringLiteral("IN_time"), eInTime_);

    gPage_ = group(QStringLiteral("Menu page"), "gPage", header);
    cbPage_ = new QComboBox(gPage_);
    cbPage_->setObjectName(QStringLiteral("cbPage"));
    cbPage_->setToolTip(QStringLiteral("Page"));
    cbPage_->setMinimumContentsLength(3);
    lPageCount_ = new QLabel(gPage_);
    lPageCount_->setObjectName(QStringLiteral("lPageCount"));
    auto* pageRow = new QWidget(gPage_);
    auto* pl = new QHBoxLayout(pageRow);
    pl->setContentsMargins(0, 0, 0, 0);
    pl->addWidget(cbPage_);
    pl->addWidget(lPageCount_);
    addField(gPage_, 0, QStringLiteral("&Page"), pageRow);
    static_cast<QLabel*>(static_cast<QGridLayout*>(gPage_->layout())->itemAtPosition(0, 0)->widget())
        ->setBuddy(cbPage_);

    gPageHeader_ = group(QStringLiteral("Page header"), "gPageHeader", header);
    const auto hexBox = [this](const char* name, int digits, const QString& hint) {
        auto* e = new THexEdit(digits, gPageHeader_);
        e->setObjectName(QLatin1String(name));
        e->setToolTip(hint);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 10);
        return e;
    };
    heDefSelButt_ = hexBox("heDefSelButt", 4, QStringLiteral("Default Selected Button"));
    heDefActButt_ = hexBox("heDefActButt", 4, QStringLiteral("Default Activated Button"));
    hePalette_ = hexBox("hePalette", 2, QStringLiteral("Palette"));
    heUO1_ = hexBox("heUO1", 8, QStringLiteral("User Operation Mask 1"));
    heUO2_ = hexBox("heUO2", 8, QStringLiteral("User Operation Mask 2"));
    ieFramerate_ = new TIntEdit(gPageHeader_);
    ieFramerate_->setObjectName(QStringLiteral("ieFramerate"));
    ieFramerate_->setToolTip(QStringLiteral("Animation Frame Rate Code (divider)"));
    ieFramerate_->setFixedWidth(ieFramerate_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 10);
    lPageCounts_ = new QLabel(gPageHeader_);
    lPageCounts_->setObjectName(QStringLiteral("lPageCounts"));
    lPageCounts_->setToolTip(QStringLiteral("Number of Button Overlap Groups; Number of In effects windows / effects; "
                                            "Number of Out effects windows / effects"));
    // One line: each caption left of its box.
    auto* phl = static_cast<QGridLayout*>(gPageHeader_->layout());
    const auto put = [this, phl](int column, const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, gPageHeader_);
        label->setBuddy(field);
        phl->addWidget(label, 0, 2 * column);
        phl->addWidget(field, 0, 2 * column + 1);
    };
    put(0, QStringLiteral("Def. sel."), heDefSelButt_);
    put(1, QStringLiteral("Def. act."), heDefActButt_);
    put(2, QStringLiteral("Palette"), hePalette_);
    put(3, QStringLiteral("UO mask 1"), heUO1_);
    put(4, QStringLiteral("UO mask 2"), heUO2_);
    put(5, QStringLiteral("Anim."), ieFramerate_);
    put(6, QStringLiteral("BOGs, in, out:"), lPageCounts_);
    // Each box is stored on leaving it; Enter moves on as the fields are filled in order.
    const auto onExit = [this](QLineEdit* box, QWidget* next, void (MenuTab::*store)()) {
        connect(box, &QLineEdit::editingFinished, this, store);
        connect(box, &QLineEdit::returnPressed, this, [next] {
            if (next) next->setFocus();
        });
    };
    onExit(heDefSelButt_, heDefActButt_, &MenuTab::heDefSelButtExit);
    onExit(heDefActButt_, hePalette_, &MenuTab::heDefActButtExit);
    onExit(hePalette_, cbPage_, &MenuTab::hePaletteExit);
    onExit(heUO1_, heUO2_, &MenuTab::heUO1Exit);
    onExit(heUO2_, ieFramerate_, &MenuTab::heUO2Exit);
    onExit(ieFramerate_, heDefSelButt_, &MenuTab::ieFramerateExit);

    gObjPal_ = group(QStringLiteral("Objects and palettes"), "gObjPal", header);
    auto* objectRow = new QWidget(gObjPal_);
    auto* ol = new QHBoxLayout(objectRow);
    ol->setContentsMargins(0, 0, 0, 0);
    ol->addWidget(objects_->cbObjects());
    ol->addWidget(objects_->lObjCount());
    addField(gObjPal_, 0, QStringLiteral("Object"), objectRow);
    addField(gObjPal_, 1, QStringLiteral("Palette"), objects_->cbPalettes());
    static_cast<QGridLayout*>(gObjPal_->layout())->addWidget(objects_->cbPalOnly(), 1, 2);

    // The page header takes a line of its own: its boxes need the width.
    auto* top = new QWidget(header);
    auto* tl = new QHBoxLayout(top);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->setSpacing(4);
    tl->addWidget(gInfo_);
    tl->addWidget(gPage_);
    tl->addWidget(gObjPal_);
    tl->addStretch(1);
    auto* second = new QWidget(header);
    auto* sl = new QHBoxLayout(second);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->addWidget(gPageHeader_);
    sl->addStretch(1);
    hl->addWidget(top);
    hl->addWidget(second);
    return header;
}

const TIGSc& MenuTab::menu() const { return doc_.model().menu.igs; }

bool MenuTab::canWrite() const { return doc_.model().menu.loaded && !menu().pages.empty(); }

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
    b.program = &program_;
    return b;
}

void MenuTab::activated() {
    // The execution panel runs the menu's buttons once a menu is held.
    run_.execPanel()->setEnabled(canWrite());
    run_.updateControls();
    if (cbPage_->isEnabled()) cbPage_->setFocus();
}

void MenuTab::showInfo() {
    const TIGSc& m = menu();
    const bool on = doc_.model().menu.loaded;
    {
        const QSignalBlocker block(cbVideoSize_);
        cbVideoSize_->clear();
        cbVideoSize_->addItems(kVideoSizes);
        int size = -1;
        if (m.video_width == 1920) size = 0;
        if (m.video_width == 1280) size = 1;
        if (m.video_height == 576) size = 2;
        if (m.video_height == 480) size = 3;
        // A size the list does not hold is shown as it is rather than as none.
        if (on && size < 0) {
            cbVideoSize_->addItem(QStringLiteral("%1x%2").arg(m.video_width).arg(m.video_height));
            size = static_cast<int>(kVideoSizes.size());
        }
        cbVideoSize_->setCurrentIndex(on ? size : -1);
    }
    {
        const QSignalBlocker block(cbFrameRate_);
        cbFrameRate_->setCurrentIndex(on && m.frame_rate_id < kFrameRates.size() ? m.frame_rate_id : -1);
    }
    eUserTimeout_->setText(on ? QString::fromStdString(igDurationText(m.user_time_out_duration)) : QString());
    eInTime_->setText(on ? QString::fromStdString(igTimeText(m.in_time)) : QString());
    lPageCount_->setText(on ? QStringLiteral("(%1)").arg(m.pages.size()) : QString());
    gInfo_->setEnabled(on);
    gPage_->setEnabled(on);
    gObjPal_->setEnabled(on && !m.objects.empty() && !m.palettes.empty());
    cbPage_->setEnabled(on && !m.pages.empty());
}

const TPage* MenuTab::shownPage() const {
    const int p = cbPage_->currentIndex();
    const TIGSc& m = menu();
    return doc_.model().menu.loaded && p >= 0 && static_cast<std::size_t>(p) < m.pages.size()
               ? &m.pages[static_cast<std::size_t>(p)]
               : nullptr;
}

void MenuTab::showPageHeader() {
    const TPage* p = shownPage();
    gPageHeader_->setEnabled(p != nullptr);
    if (!p) {
        for (QLineEdit* e : {static_cast<QLineEdit*>(heDefSelButt_), static_cast<QLineEdit*>(heDefActButt_),
                             static_cast<QLineEdit*>(hePalette_), static_cast<QLineEdit*>(heUO1_),
                             static_cast<QLineEdit*>(heUO2_), static_cast<QLineEdit*>(ieFramerate_)})
            e->clear();
        lPageCounts_->clear();
        return;
    }
    heDefSelButt_->setValue(p->default_selected_button_id_ref);
    heDefActButt_->setValue(p->default_activated_button_id_ref);
    hePalette_->setValue(p->palette_id_ref);
    heUO1_->setValue(p->UO_mask_high);
    heUO2_->setText(QString::number(p->UO_mask_low, 16).toUpper());
    ieFramerate_->setValue(p->animation_frame_rate_code);
    const auto& in = p->effects[InEffects];
    const auto& out = p->effects[OutEffects];
    lPageCounts_->setText(QStringLiteral("%1   %2/%3   %4/%5")
                              .arg(p->BOGs.size())
                              .arg(in.number_of_windows)
                              .arg(in.effects.size())
                              .arg(out.number_of_windows)
                              .arg(out.effects.size()));
}

void MenuTab::editPage(const QString& name, const std::function<bool(TIGSc&, std::size_t)>& edit) {
    const int p = cbPage_->currentIndex();
    if (!shownPage()) return;
    const auto page = static_cast<std::size_t>(p);
    // Each value left in a box is a step of its own.
    doc_.apply(Document::Part::Menu, name, [&](Workspace& ws) { return edit(ws.menu.igs, page); });
    // A refused value shows the stored one again.
    showPageHeader();
}

void MenuTab::heDefSelButtExit() {
    const auto v = static_cast<std::uint16_t>(heDefSelButt_->value());
    editPage(QStringLiteral("Default Selected Button"),
             [v](TIGSc& m, std::size_t p) { return setDefaultSelectedButton(m, p, v); });
    warnReferences(cbPage_->currentIndex());
}

void MenuTab::heDefActButtExit() {
    const auto v = static_cast<std::uint16_t>(heDefActButt_->value());
    editPage(QStringLiteral("Default Activated Button"),
             [v](TIGSc& m, std::size_t p) { return setDefaultActivatedButton(m, p, v); });
    warnReferences(cbPage_->currentIndex());
}

void MenuTab::warnReferences(int page) {
    if (page < 0 || !doc_.model().menu.loaded) return;
    const auto faults = menuReferenceFaults(menu(), static_cast<std::size_t>(page));
    if (faults.empty()) return;
    std::string text = faults.front();
    if (faults.size() > 1) text += " (and " + std::to_string(faults.size() - 1) + " more)";
    log_.erslog(text);
}

bool MenuTab::referencesAccepted(const QString& title) {
    const auto faults = menuReferenceFaults(menu());
    if (faults.empty()) return true;
    QString list;
    for (std::size_t i = 0; i < faults.size() && i < 10; ++i)
        list += QString::fromStdString(faults[i]) + QLatin1Char('\n');
    if (faults.size() > 10) list += QStringLiteral("... and %1 more\n").arg(faults.size() - 10);
    const bool yes = dialogs.confirm &&
                     dialogs.confirm(title, QStringLiteral("These references of the menu name no button, and a "
                                                           "player will not find it:\n\n%1\nWrite the menu anyway?")
                                                .arg(list));
    if (!yes) {
        for (const std::string& f : faults) log_.log("  " + f);
        log_.erlog("The menu was not written: it has references that name no button.");
    }
    return yes;
}

void MenuTab::hePaletteExit() {
    const std::uint32_t v = hePalette_->value();
    editPage(QStringLiteral("Page palette"),
             [v](TIGSc& m, std::size_t p) { return setPagePalette(m, p, v); });
}

void MenuTab::heUO1Exit() {
    const std::uint32_t v = heUO1_->value();
    editPage(QStringLiteral("User Operation Mask 1"),
             [v](TIGSc& m, std::size_t p) { return setUOMaskHigh(m, p, v); });
}

void MenuTab::heUO2Exit() {
    const std::uint32_t v = heUO2_->value();
    editPage(QStringLiteral("User Operation Mask 2"),
             [v](TIGSc& m, std::size_t p) { return setUOMaskLow(m, p, v); });
}

void MenuTab::ieFramerateExit() {
    const std::int64_t v = ieFramerate_->value();
    if (v < 0 || v > 0xFF) {
        showPageHeader();
        return;
    }
    editPage(QStringLiteral("Animation Frame Rate Code"),
             [v](TIGSc& m, std::size_t p) { return setAnimationFrameRateCode(m, p, static_cast<std::uint8_t>(v)); });
}

void MenuTab::eUTOExit() {
    if (!doc_.model().menu.loaded) return;
    const std::string text = eUserTimeout_->text().toStdString();
    try {
        parseUserTimeOut(text);
    } catch (const InvalidTimeError& e) {
        log_.erslog(e.what());
        showInfo();
        return;
    }
    // Each value left in the box is a step of its own.
    doc_.apply(Document::Part::Menu, QStringLiteral("User timeout"),
               [&](Workspace& ws) { return setUserTimeOut(ws.menu.igs, text); });
    showInfo();
}

void MenuTab::showBogObject(int page, int object) {
    const TIGSc& m = menu();
    if (page < 0 || static_cast<std::size_t>(page) >= m.pages.size() || object < 0) return;
    const std::size_t palette = m.pages[static_cast<std::size_t>(page)].palette_id_ref;
    const auto view = ShowButtonPic(m, preview_->renderer().pictures(), static_cast<std::size_t>(object), palette,
                                    preview_->emulator().options(), QLocale().groupSeparator().at(0).toLatin1());
    if (!view) return;
    pages_->setBogPicture(pictureImage(view->picture).copy());
    log_.slog(view->status, 1);
}

void MenuTab::playStatePreview(int page, int bog, int button, int column) {
    const TIGSc& m = menu();
    if (page < 0 || static_cast<std::size_t>(page) >= m.pages.size()) return;
    const TPage& pg = m.pages[static_cast<std::size_t>(page)];
    if (bog < 0 || static_cast<std::size_t>(bog) >= pg.BOGs.size() || button < 0 ||
        static_cast<std::size_t>(button) >= pg.BOGs[static_cast<std::size_t>(bog)].buttons.size())
        return;
    const TIGbutton b = pg.BOGs[static_cast<std::size_t>(bog)].buttons[static_cast<std::size_t>(button)];
    const auto col = static_cast<ButtonColumn>(column);
    if (col == ButtonColumn::SelectedSound || col == ButtonColumn::ActivatedSound) {
        const std::uint16_t id =
            col == ButtonColumn::SelectedSound ? b.selected_state_sound_id_ref : b.activated_state_sound_id_ref;
        const TSND& sound = doc_.model().sound;
        if (doc_.model().soundLoaded && id < sound.entries.size()) plWav(sound, id, *player_);
        return;
    }
    const auto sp = statePreview(m, static_cast<std::size_t>(page), b, col);
    if (!sp) return;
    log_.cancelFlag = false;
    if (sp->repeat && cancelEnabled) cancelEnabled(true);
    WindowClock clock;
    // One pass at least; a repeating state plays until Cancel.
    do {
        for (const std::uint16_t o : sp->objects) {
            showBogObject(page, o);
            clock.wait(sp->frameMs);
            if (log_.cancelFlag || !pages_->isVisible()) break;
        }
    } while (sp->repeat && !log_.cancelFlag && pages_->isVisible() && !sp->objects.empty());
    if (sp->finally) showBogObject(page, *sp->finally);
    if (cancelEnabled) cancelEnabled(false);
    log_.cancelFlag = false;
}

void MenuTab::fillPageSelector() {
    const TIGSc& m = menu();
    const QSignalBlocker block(cbPage_);
    const int was = cbPage_->currentIndex();
    cbPage_->clear();
    for (const TPage& p : m.pages) cbPage_->addItem(QString::number(p.page_id));
    const auto page = pages_->selectedPage();
    cbPage_->setCurrentIndex(page ? *page : std::min(was, cbPage_->count() - 1));
}

void MenuTab::MenuOn() {
    run_.resetRegisters();
    preview_->emulator().setMenu(&menu());
    objects_->fill();
    pages_->fill();
    fillPageSelector();
    showInfo();
    if (!menu().pages.empty()) preview_->emulator().selectPage(0);
    emit menuLoaded();
    emit bottomBarChanged();
    if (isVisible()) activated();
}

void MenuTab::refresh() {
    // The emulator holds the model by address: it follows every edit, undo and redo.
    if (doc_.model().menu.loaded) {
        if (preview_->emulator().renderer().menu() != &menu()) preview_->emulator().setMenu(&menu());
        preview_->emulator().menuChanged();
    }
    objects_->refresh();
    pages_->refresh();
    effects_->refresh();
    fillPageSelector();
    showInfo();
    showPageHeader();
    emit bottomBarChanged();
}

void MenuTab::cbPageChange(int index) {
    pages_->showPage(index);
    if (preview_->emulator().page() != index) preview_->emulator().selectPage(index);
}

void MenuTab::bCreateMenuClick() {
    WorkspaceMenu& held = doc_.workspace().menu;
    const TIGSc previous = held.loaded ? held.igs : TIGSc{};
    held.igs = newMenu(previous);
    held.loaded = true;
    menuFile_.clear();
    cache_.clear();
    doc_.replaced(Document::Part::Menu);
    MenuOn();
    log_.slogR();
}

void MenuTab::bLoadMenuClick() {
    if (!dialogs.openFile) return;
    const QString path = dialogs.openFile(QStringLiteral("Load Menu"), dialogs.startPath(QLatin1String(kDefaultMenuFile)),
                                          {QStringLiteral("Menu (*.mnu)")});
    if (!path.isEmpty()) loadMenuFile(path);
}

void MenuTab::loadMenuFile(const QString& path) {
    const std::string file = QFileInfo(path).fileName().toStdString();
    log_.log("Reading [bl]" + file + "[/bl]");
    MenuLoadReport report;
    TIGSc loaded;
    try {
        const Bytes data = readDatabaseFile(path.toStdString(), kMaxMenuFileSize);
        // A file that does not even start with a record header is no menu: it replaces nothing.
        if (data.size() < 2 || data[0] != 'I' || data[1] != 'G')
            throw FormatError(path.toStdString(), 0, "not a menu: a .mnu file starts with the record header \"IG\"");
        loaded = loadMNU(data, path.toStdString(), &report, &log_);
    } catch (const std::exception& e) {
        // Nothing is taken from a file that cannot be read: the menu held before stays.
        log_.erlog(e.what());
        return;
    }
    WorkspaceMenu& held = doc_.workspace().menu;
    held.igs = std::move(loaded);
    held.loaded = true;
    menuFile_ = path;
    cache_.clear();
    doc_.replaced(Document::Part::Menu);
    MenuOn();

    // What the loader met is said in the log, and the first problem stays in the status bar.
    std::string problem;
    if (report.formatError) {
        problem = "File format error";
        log_.log("[re]File format error[/re] at offset " + std::to_string(report.formatErrorOffset) +
                 ": no \"IG\" record header; the menu holds what came before.");
    }
    if (report.unknownSegments > 0) {
        if (problem.empty()) problem = "Unknow segment!";
        log_.log("[re]" + std::to_string(report.unknownSegments) + " unknown segment(s)[/re] skipped.");
    }
    if (!report.icsFound) {
        if (problem.empty()) problem = "No interactive composition (ICS) found";
        log_.log("[re]No interactive composition (ICS) found:[/re] the menu has no pages.");
    }
    if (problem.empty())
        log_.slogR();
    else
        log_.erslog(problem);
}

bool MenuTab::save() {
    if (!canWrite()) return false;
    log_.dlog0("Saving IGS menu...");
    log_.slog("Preparing data", 1);
    QString selected = QStringLiteral("Menu (*.mnu)");
    const QString start = menuFile_.isEmpty() ? dialogs.startPath(QLatin1String(kDefaultMenuFile)) : menuFile_;
    const QString path =
        dialogs.saveFile ? dialogs.saveFile(QStringLiteral("Save Menu"), start, {selected}, &selected) : QString();
    if (path.isEmpty()) {
        log_.slogR();
        return false;
    }
    return writeMenu(path);
}

bool MenuTab::saveModified() {
    if (!doc_.isModified(Document::Part::Menu)) return true;
    if (!canWrite()) {
        // Save cannot write a menu without a page either: the edit stays, and so does the window.
        log_.erlog("The menu has no page and cannot be saved.");
        return false;
    }
    if (menuFile_.isEmpty()) return save();
    log_.dlog0("Saving IGS menu...");
    return writeMenu(menuFile_);
}

bool MenuTab::writeMenu(QString path) {
    if (!referencesAccepted(QStringLiteral("Save Menu"))) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".mnu");
    const std::string file = QFileInfo(path).fileName().toStdString();
    try {
        // The writer fills in what it wrote (segments, data lengths); the held menu stays as edited.
        TIGSc written = menu();
        const Bytes data = saveIGS(written, IgsForm::Mnu, &log_);
        saveAtomic(path.toStdString(), data);
    } catch (const std::exception& e) {
        log_.erlog("Cannot save " + file + ": " + e.what());
        return false;
    }
    menuFile_ = path;
    doc_.markSaved(Document::Part::Menu);
    log_.dlog(file + " saved.");
    return true;
}

void MenuTab::bMuxClick() {
    if (!canWrite() || !referencesAccepted(QStringLiteral("Mux Menu"))) return;
    log_.dlog0("Muxing menu...");
    const std::string ext = doc_.model().names().streamExt;  // ".m2ts", or ".MTS" with 8.3 names
    const QString bare = QString::fromStdString(ext.substr(1));
    QString selected = QStringLiteral("%1 (*.%1)").arg(bare);
    QString path = dialogs.saveFile ? dialogs.saveFile(QStringLiteral("Mux Menu"),
                                                       dialogs.startPath(QStringLiteral("mymenu")), {selected},
                                                       &selected)
                                    : QString();
    if (path.isEmpty()) {
        log_.slogR();
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) path += QString::fromStdString(ext);
    const std::string file = QFileInfo(path).fileName().toStdString();
    MuxReport report;
    try {
        TIGSc written = menu();
        const Bytes pes = saveIGS(written, IgsForm::Pes, &log_);
        const Bytes ts = muxPES(pes, &report, &log_);
        saveAtomic(path.toStdString(), ts);
    } catch (const std::exception& e) {
        log_.erlog("Cannot write " + file + ": " + e.what());
        return;
    }
    // After "Mux error" the file is written as far as the data went; the error stays shown.
    if (!report.muxError) log_.dlog(file + " saved.");
}

}  // namespace navora::ui
