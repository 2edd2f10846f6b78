// The Menu tab's second half as a user meets it: the Page view running a
// corpus menu through Start, the navigation keys and mouse clicks on the
// picture; edits typed into the BOG and button grids (undo, save); the
// Effects sub-tab; "Create Menu"; the mirrored switches and their settings.

#include "uitests.h"

#include "core/fileio.h"
#include "ig/load.h"
#include "ig/rle.h"
#include "ig/save.h"
#include "ig/structure.h"
#include "ui/widgets/commandgrid.h"
#include "ui/widgets/composer.h"
#include "nav/machine.h"
#include "support/testsupport.h"
#include "ui/app/execpanel.h"
#include "ui/app/regpanel.h"
#include "ui/shell/bottombar.h"
#include "ui/menu/menueffects.h"
#include "ui/menu/menuobjects.h"
#include "ui/shell/qtlogview.h"
#include "ui/menu/menupages.h"
#include "ui/menu/menupageview.h"
#include "ui/menu/menupreview.h"
#include "ui/menu/menuswitches.h"
#include "ui/menu/menutab.h"
#include "ui/options/optionstab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/app/runcontroller.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QImage>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>
#include <QTimer>

#include <cstring>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

fs::path corpusMenu(const std::string& name) { return test::corpusDir() / "igs" / name / (name + ".mnu"); }

// The corpus menu libblu_vert3 with one window over the whole page in page
// 0's in-effects, and a composition object of object 0, cropped, for them.
struct CroppedInEffect {
    TIGSc menu;
    TCompObject object;
    CroppedInEffect() {
        const fs::path src = corpusMenu("libblu_vert3");
        menu = loadMNU(readDatabaseFile(src.string(), kMaxMenuFileSize), src.string());
        Teffectseq& in = inEffects();
        in.number_of_windows = 1;
        in.windows[0] = TEffWindow{0, 0, 0, 1920, 1080};
        object.object_id_ref = 0;
        object.flags = kObjectCropped;
    }
    Teffectseq& inEffects() { return menu.pages[0].effects[InEffects]; }
};

struct PreviewWindow {
    PreviewWindow() {
        w.resize(1100, 800);
        showActive(&w);
        w.formActivate({});
        QTest::keyClick(&w, Qt::Key_M, Qt::AltModifier);
    }
    MenuTab* tab() const { return w.menuTab(); }
    const TIGSc& menu() { return w.workspace().menu.igs; }
    NavMachine& machine() { return w.run()->machine(); }
    void load(const fs::path& path) {
        tab()->dialogs.openFile = [path](const QString&, const QString&, const QStringList&) {
            return QString::fromStdString(path.string());
        };
        QTest::mouseClick(w.bLoadMenu(), Qt::LeftButton);
    }
    void saveTo(const fs::path& path) {
        tab()->dialogs.saveFile = [path](const QString&, const QString&, const QStringList&, QString*) {
            return QString::fromStdString(path.string());
        };
        QTest::mouseClick(w.bSave(), Qt::LeftButton);
    }
    void showSubTab(int index) {
        QTabBar* bar = tab()->subTabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        QCOMPARE(tab()->subTabs()->currentIndex(), index);
    }
    // Shows the Page view and clicks "Start": the menu runs and its page
    // takes the keys. Returns the page's canvas.
    QWidget* startOnPageView() {
        showSubTab(MenuTab::SubPageView);
        QTest::mouseClick(w.run()->execPanel()->bStart(), Qt::LeftButton);
        return tab()->pageView()->canvas();
    }
    // The canvas position of a page position.
    QPoint onCanvas(int x, int y) const {
        const QRect shown = tab()->pageView()->shownRect();
        const RgbaImage& pic = tab()->preview().emulator().picture();
        return {shown.x() + (x * shown.width() + pic.width - 1) / pic.width,
                shown.y() + (y * shown.height() + pic.height - 1) / pic.height};
    }
    bool marked() const { return w.windowTitle().endsWith('*'); }

    TfMain w;
};

void clickCell(QTableWidget* grid, int row, int column, Qt::MouseButton button = Qt::LeftButton) {
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), button, {}, grid->visualRect(index).center());
}

// A double click as the platform delivers it: a click, then the press that
// the system reports as a double click.
void doubleClick(QTableWidget* grid, const QModelIndex& index) {
    const QPoint at = grid->visualRect(index).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// Types text into a cell the way a user does: click, F2, the text, Enter.
void typeIntoCell(QTableWidget* grid, int row, int column, const QString& text) {
    clickCell(grid, row, column);
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != grid);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits, then the grid applies the value, each after a turn of the event loop.
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// Right-clicks the grid and chooses `caption` in the menu that opens.
void chooseInContextMenu(QTableWidget* grid, const QString& caption) {
    bool chosen = false;
    QTimer::singleShot(100, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* a : menu->actions())
            if (a->text() == caption) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                chosen = true;
            }
    });
    const QRect cell = grid->visualRect(grid->model()->index(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cell.center());
    QTRY_VERIFY(chosen);
}

QColor colourAt(const RgbaImage& pic, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(pic.width) + static_cast<std::size_t>(x)) * 4;
    return QColor(pic.rgba[at], pic.rgba[at + 1], pic.rgba[at + 2]);
}

void clickBox(QAbstractButton* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

const TIGbutton& buttonOf(const TIGSc& m, std::size_t page, std::uint16_t id) {
    const TIGbutton* b = buttonById(m, page, id);
    if (!b) throw std::runtime_error("no such button");
    return *b;
}

}  // namespace

void MenuPreviewTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
}

// Start draws the page with its default selection; "&D" moves it; a click on
// the picture where button 2 stands activates button 2 (its commands set
// GPR100), in fit mode as in 1:1.
void MenuPreviewTest::pageViewRunsTheMenu() {
    NAVORA_NEED_CORPUS_QT("igs");
    for (const bool fit : {false, true}) {
        PreviewWindow o;
        o.load(corpusMenu("libblu_vert3"));
        o.showSubTab(MenuTab::SubPageView);
        QVERIFY(o.tab()->switches()->effectGroup()->isVisible());
        QVERIFY(o.tab()->switches()->overlayGroup()->isVisible());
        if (fit) {
            QCheckBox* full = o.tab()->switches()->box(MenuSwitches::FullScreen);
            QTest::mouseClick(full, Qt::LeftButton, {}, QPoint(6, full->height() / 2));
            QVERIFY(o.tab()->pageView()->fit());
        }
        QPushButton* start = o.w.run()->execPanel()->bStart();
        QVERIFY(start->isEnabled());
        QTest::mouseClick(start, Qt::LeftButton);
        QCOMPARE(o.machine().psr(10), 0u);
        QCOMPARE(o.machine().psr(11), 0u);
        // The selected button's selected state stands on the picture.
        const TIGbutton& b0 = buttonOf(o.menu(), 0, 0);
        const RgbaImage& pic = o.tab()->preview().emulator().picture();
        QCOMPARE(pic.width, 1920);
        const RgbaImage& bg = o.tab()->preview().renderer().background();
        const TIGobject& sel = o.menu().objects[b0.selected_start_object_id_ref];
        bool differs = false;
        for (int y = 0; y < sel.height && !differs; ++y)
            for (int x = 0; x < sel.width && !differs; ++x) {
                const std::size_t at = (static_cast<std::size_t>(b0.button_vertical_position + y) * 1920 +
                                        static_cast<std::size_t>(b0.button_horizontal_position + x)) * 4;
                differs = std::memcmp(&pic.rgba[at], &bg.rgba[at], 4) != 0;
            }
        QVERIFY2(differs, "the selected button is not drawn");

        QTest::mouseClick(o.tab()->bNavDown(), Qt::LeftButton);
        QCOMPARE(o.machine().psr(10), 1u);
        QCOMPARE(o.w.run()->execPanel()->cbButton()->count(), 3);

        // Button 2 becomes selected by hovering onto it, then a click activates it.
        const TIGbutton& b2 = buttonOf(o.menu(), 0, 2);
        const TIGobject& obj = o.menu().objects[b2.selected_start_object_id_ref];
        const int x = b2.button_horizontal_position + obj.width / 2;
        const int y = b2.button_vertical_position + obj.height / 2;
        QWidget* canvas = o.tab()->pageView()->canvas();
        o.tab()->pageView()->ensureVisible(x, y, 50, 50);
        QTest::mouseMove(canvas, o.onCanvas(x, y));
        QTRY_COMPARE(o.machine().psr(10), 2u);
        // The hand shows over the selected button from the next move on (one
        // pixel further: a fitted page maps neighbouring page pixels onto one).
        QTest::mouseMove(canvas, o.onCanvas(x, y) + QPoint(1, 0));
        QTRY_COMPARE(canvas->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(o.machine().gpr(100), 0u);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, o.onCanvas(x, y));
        QCOMPARE(o.machine().gpr(100), 1u);
        QCOMPARE(o.w.run()->execPanel()->cbButton()->currentIndex(), 2);
    }
}

// The 330-button corpus menu fitted into the Page view at several window
// sizes: a click at the centre of a button selects that button (the pointer
// jumps there without passing its neighbours, so hovering alone never gets
// there), and a second click activates it.
void MenuPreviewTest::fitModeClicksReachTheButtonUnderThePointer() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_many"));
    o.showSubTab(MenuTab::SubPageView);
    QCheckBox* full = o.tab()->switches()->box(MenuSwitches::FullScreen);
    clickBox(full);
    QVERIFY(o.tab()->pageView()->fit());
    QTest::mouseClick(o.w.run()->execPanel()->bStart(), Qt::LeftButton);
    QCOMPARE(o.machine().psr(10), 0u);
    QWidget* canvas = o.tab()->pageView()->canvas();
    const auto centre = [&](std::uint16_t id) {
        const TIGbutton& b = buttonOf(o.menu(), 0, id);
        const TIGobject& obj = o.menu().objects[b.selected_start_object_id_ref];
        return o.onCanvas(b.button_horizontal_position + obj.width / 2, b.button_vertical_position + obj.height / 2);
    };
    for (const QSize size : {QSize(913, 585), QSize(1100, 800), QSize(1600, 1000)}) {
        o.w.resize(size);
        QTRY_VERIFY(o.w.size() == size || o.w.width() >= size.width());
        QCoreApplication::processEvents();
        const QRect shown = o.tab()->pageView()->shownRect();
        QVERIFY(canvas->rect().contains(shown));
        QVERIFY(shown.width() == canvas->width() || shown.height() == canvas->height());
        for (const std::uint16_t id : {10, 33, 65, 0}) {
            QTest::mouseClick(canvas, Qt::LeftButton, {}, centre(id));
            QVERIFY2(o.machine().psr(10) == id, qPrintable(QStringLiteral("%1x%2: button %3 not selected (PSR10 %4)")
                                                               .arg(size.width())
                                                               .arg(size.height())
                                                               .arg(id)
                                                               .arg(o.machine().psr(10))));
        }
    }
    // Button 33's program moves 34 into GPR10 when it is activated.
    QTest::mouseClick(canvas, Qt::LeftButton, {}, centre(33));
    QCOMPARE(o.machine().gpr(10), 0u);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, centre(33));
    QCOMPARE(o.machine().gpr(10), 34u);
}

// The boxes show the menu's values, not what their format can hold: a
// user time-out that is not a whole number of seconds shows its
// milliseconds, a cropping value above 1919 shows as it is; passing through
// either box changes nothing, typed values land in the model (undoable), a
// value the box does not take is refused, and Save writes what was typed.
void MenuPreviewTest::headerAndCroppingBoxesShowTheModelValue() {
    NAVORA_NEED_CORPUS_QT("igs");
    test::TempDir dir;
    CroppedInEffect f;
    TIGSc& m = f.menu;
    m.user_time_out_duration = kMaxUserTimeOut;
    Teffectseq& in = f.inEffects();
    TCompObject& c = f.object;
    c.cropping_width = 40;
    c.cropping_height = 2000;
    in.effects = {Teffect{90000, 0, {c}}};
    const fs::path fixture = dir.path() / "wide.mnu";
    saveAtomic(fixture.string(), saveIGS(m, IgsForm::Mnu));

    PreviewWindow o;
    o.load(fixture);
    QLineEdit* uto = o.tab()->eUserTimeout();
    QCOMPARE(uto->text(), QStringLiteral("0:03:06.413"));
    QTest::mouseClick(uto, Qt::LeftButton);
    QTest::keyClick(uto, Qt::Key_Tab);
    QCOMPARE(o.menu().user_time_out_duration, kMaxUserTimeOut);
    QVERIFY(!o.marked());
    const auto type = [](QLineEdit* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    };
    type(uto, QStringLiteral("0:00:01.5"));
    QCOMPARE(o.menu().user_time_out_duration, 135000u);
    QCOMPARE(uto->text(), QStringLiteral("0:00:01.500"));
    QVERIFY(o.marked());
    QTest::keyClick(&o.w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(o.menu().user_time_out_duration, kMaxUserTimeOut);
    QCOMPARE(uto->text(), QStringLiteral("0:03:06.413"));
    type(uto, QStringLiteral("0:00:01.5"));

    o.showSubTab(MenuTab::SubEffects);
    MenuEffectsView* e = o.tab()->effectsView();
    clickCell(e->sgEffects(), 0, 1);
    clickCell(e->sgCompObjects(), 0, 1);
    QSpinBox* height = e->cropBox(3);
    const auto cropHeight = [&] {
        return o.menu().pages[0].effects[InEffects].effects[0].composition_objects[0].cropping_height;
    };
    QCOMPARE(height->value(), 2000);
    const auto typeCrop = [height](const QString& text) {
        QTest::mouseClick(height, Qt::LeftButton, {}, QPoint(8, height->height() / 2));
        QTest::keyClick(height, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(height, text);
        QTest::keyClick(height, Qt::Key_Tab);
    };
    QTest::mouseClick(height, Qt::LeftButton, {}, QPoint(8, height->height() / 2));
    QTest::keyClick(height, Qt::Key_Tab);
    QCOMPARE(cropHeight(), 2000);
    typeCrop(QStringLiteral("1950"));
    QCOMPARE(cropHeight(), 2000);
    QCOMPARE(height->value(), 2000);
    typeCrop(QStringLiteral("30"));
    QCOMPARE(cropHeight(), 30);
    QCOMPARE(height->value(), 30);

    const fs::path saved = dir.path() / "saved.mnu";
    o.saveTo(saved);
    const TIGSc back = loadMNU(readDatabaseFile(saved.string(), kMaxMenuFileSize), saved.string());
    QCOMPARE(back.user_time_out_duration, 135000u);
    QCOMPARE(back.pages[0].effects[InEffects].effects[0].composition_objects[0].cropping_height, 30);
    QCOMPARE(back.pages[0].effects[InEffects].effects[0].composition_objects[0].cropping_width, 40);
}

// At the least window size the Menu tab's bottom bar (Save, Load, Mux, the
// execution, navigation and register panels, Cancel) shows every control
// whole: none overlaps another or runs past the bar (the register panel
// takes a second row there); a wide window keeps one row.
void MenuPreviewTest::bottomBarFitsTheLeastWindow() {
    PreviewWindow o;
    // The designed least size (the offscreen screen is smaller, so the window's minimum is too).
    o.w.resize(913, 585);
    QTRY_COMPARE(o.w.size(), QSize(913, 585));
    QWidget* bar = o.w.bottomBar();
    QVERIFY(o.tab()->bNavPopup()->isVisible());
    QVERIFY(o.w.run()->regPanel()->isVisible());
    QList<QWidget*> controls;
    for (QWidget* c : bar->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c) ||
                             qobject_cast<QComboBox*>(c) || qobject_cast<QLabel*>(c);
        if (control && c->isVisibleTo(bar) && !qobject_cast<QLineEdit*>(c->parentWidget()) &&
            !qobject_cast<QComboBox*>(c->parentWidget()))
            controls << c;
    }
    QVERIFY(controls.size() > 15);
    const auto place = [bar](QWidget* c) { return QRect(c->mapTo(bar, QPoint(0, 0)), c->size()); };
    for (int i = 0; i < controls.size(); ++i) {
        const QRect a = place(controls[i]);
        QVERIFY2(bar->rect().contains(a), qPrintable(controls[i]->objectName() + " runs past the bar"));
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!a.intersects(place(controls[j])),
                     qPrintable(QStringLiteral("%1 (%2) overlaps %3 (%4)")
                                    .arg(controls[i]->objectName(), controls[i]->metaObject()->className(),
                                         controls[j]->objectName(), controls[j]->metaObject()->className())));
    }
    // A wide window keeps the bar in one row.
    o.w.resize(1600, 900);
    QTRY_COMPARE(o.w.width(), 1600);
    QTRY_COMPARE(o.w.pRegisters()->y(), o.w.pNavigate()->y());
}

// In edit mode a value typed into the button grid lands on the clicked button
// through the document: the title is marked, undo takes it back, redo and
// Save write it.
void MenuPreviewTest::buttonGridEditIsUndoableAndSaved() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_togglebog"));
    o.showSubTab(MenuTab::SubBOGs);
    StringGrid* grid = o.tab()->pagesView()->sgButtons();
    QVERIFY(grid->dataRows() >= 2);
    const std::uint16_t id = o.menu().pages[0].BOGs[0].buttons[1].button_id;
    const int xColumn = static_cast<int>(ButtonColumn::X);

    // Read only: typing changes nothing.
    clickCell(grid, 1, xColumn);
    QTest::keyClicks(grid->viewport(), QStringLiteral("12"));
    QTest::keyClick(grid->viewport(), Qt::Key_Return);
    QVERIFY(!o.marked());

    chooseInContextMenu(grid, QStringLiteral("Edit mode"));
    QVERIFY(o.tab()->pagesView()->editMode());
    typeIntoCell(grid, 1, xColumn, QStringLiteral("123"));
    QCOMPARE(buttonOf(o.menu(), 0, id).button_horizontal_position, 123);
    QCOMPARE(o.tab()->preview().renderer().button(id)->button_horizontal_position, 123);
    QCOMPARE(grid->cell(1, xColumn), QStringLiteral("123"));
    QVERIFY(o.marked());

    // A neighbour outside the page's button table is refused and the cell reverts.
    const int upper = static_cast<int>(ButtonColumn::Upper);
    const QString before = grid->cell(1, upper);
    typeIntoCell(grid, 1, upper, QStringLiteral("00FF"));
    QCOMPARE(grid->cell(1, upper), before);

    QTest::keyClick(&o.w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(buttonOf(o.menu(), 0, id).button_horizontal_position != 123);
    QVERIFY(!o.marked());
    QTest::keyClick(&o.w, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(buttonOf(o.menu(), 0, id).button_horizontal_position, 123);

    test::TempDir dir;
    const fs::path out = dir.path() / "edited.mnu";
    o.saveTo(out);
    QVERIFY(!o.marked());
    const TIGSc saved = loadMNU(readDatabaseFile(out.string(), kMaxMenuFileSize), out.string());
    QCOMPARE(buttonOf(saved, 0, id).button_horizontal_position, 123);
}

// " default valid button" typed into the BOG grid changes which button is
// drawn: with 0xFFFF the BOG shows none.
void MenuPreviewTest::bogDefaultValidButtonEdit() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_togglebog"));
    o.showSubTab(MenuTab::SubBOGs);
    QTableWidget* bogs = o.tab()->pagesView()->sgBOG();
    chooseInContextMenu(bogs, QStringLiteral("Edit mode"));
    typeIntoCell(bogs, 1, 1, QStringLiteral("FFFF"));
    QCOMPARE(o.menu().pages[0].BOGs[0].default_valid_button_id_ref, 0xFFFF);
    QCOMPARE(bogs->item(1, 1)->text(), QStringLiteral("FFFF"));
    for (const TIGbutton& b : o.menu().pages[0].BOGs[0].buttons)
        QVERIFY(!o.tab()->preview().renderer().states()[b.button_id].enabled);
    QTest::keyClick(&o.w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(o.menu().pages[0].BOGs[0].default_valid_button_id_ref != 0xFFFF);
}

// "Create Menu" on the Options tab makes a one-page menu that saves and
// loads again; the Menu-tab switch and its Options-tab twin mirror each
// other and the Menu tab's value is stored.
void MenuPreviewTest::createMenuAndMirroredSwitches() {
    test::TempDir dir;
    {
        PreviewWindow o;
        QTest::keyClick(&o.w, Qt::Key_O, Qt::AltModifier);
        auto* create = o.w.findChild<QPushButton*>(QStringLiteral("bCreateMenu"));
        QVERIFY(create && create->isVisible());
        QTest::mouseClick(create, Qt::LeftButton);
        QCOMPARE(o.w.pageControl()->currentIndex(), 3);
        QCOMPARE(o.menu().pages.size(), std::size_t{1});
        QCOMPARE(o.tab()->pagesView()->sgButtons()->dataRows(), 1);
        const fs::path out = dir.path() / "new.mnu";
        o.saveTo(out);
        const TIGSc saved = loadMNU(readDatabaseFile(out.string(), kMaxMenuFileSize), out.string());
        QCOMPARE(saved.pages.size(), std::size_t{1});
        QCOMPARE(saved.pages[0].BOGs.size(), std::size_t{1});
        QVERIFY(saved.objects.empty());

        QCheckBox* frame = o.tab()->switches()->box(MenuSwitches::ButtonFrame);
        QTest::keyClick(&o.w, Qt::Key_O, Qt::AltModifier);
        QCheckBox* twin = o.w.findChild<QCheckBox*>(QStringLiteral("cbButtonFrameO"));
        QVERIFY(twin && twin->isVisible());
        QTest::mouseClick(twin, Qt::LeftButton, {}, QPoint(6, twin->height() / 2));
        QVERIFY(frame->isChecked());
        QVERIFY(o.tab()->preview().emulator().options().cbButtonFrame);

        // And the other way: a click on the Menu tab's switch sets its twin, whose value is stored.
        QTest::keyClick(&o.w, Qt::Key_M, Qt::AltModifier);
        o.showSubTab(MenuTab::SubPageView);
        QCheckBox* objectId = o.tab()->switches()->box(MenuSwitches::ObjectId);
        QVERIFY(objectId->isVisible() && !objectId->isChecked());
        clickBox(objectId);
        QVERIFY(o.w.findChild<QCheckBox*>(QStringLiteral("cbObjectIdO"))->isChecked());
        QVERIFY(o.tab()->preview().emulator().options().cbObjectId);
        o.w.close();
    }
    QCOMPARE(TfMain::openSettings()->value(QStringLiteral("ButtonFrame")).toBool(), true);
    QCOMPARE(TfMain::openSettings()->value(QStringLiteral("ObjectId")).toBool(), true);
    PreviewWindow again;
    QVERIFY(again.tab()->switches()->box(MenuSwitches::ButtonFrame)->isChecked());
    QVERIFY(again.tab()->preview().emulator().options().cbButtonFrame);
}

// The Effects sub-tab lists the page's in-effects; a click on a composition
// object shows its cropping, and a value typed into a cropping box lands on
// that composition object (undoable). Fixture: a corpus menu given one
// in-effect whose composition object is cropped.
void MenuPreviewTest::effectCroppingEdit() {
    NAVORA_NEED_CORPUS_QT("igs");
    test::TempDir dir;
    CroppedInEffect f;
    TIGSc& m = f.menu;
    Teffectseq& in = f.inEffects();
    TCompObject& c = f.object;
    c.composition_object_horizontal_position = 100;
    c.composition_object_vertical_position = 50;
    c.cropping_horizontal_position = 8;
    c.cropping_vertical_position = 4;
    c.cropping_width = 40;
    c.cropping_height = 20;
    Teffect plain{9000, 0, {}};
    Teffect cropped{90000, 0, {c}};
    in.effects = {plain, cropped};
    const fs::path fixture = dir.path() / "effects.mnu";
    saveAtomic(fixture.string(), saveIGS(m, IgsForm::Mnu));

    PreviewWindow o;
    o.load(fixture);
    o.showSubTab(MenuTab::SubEffects);
    MenuEffectsView* e = o.tab()->effectsView();
    QVERIFY(o.tab()->switches()->overlayGroup()->isVisible());
    QVERIFY(!o.tab()->switches()->effectGroup()->isVisible());
    QCOMPARE(e->sgEffects()->dataRows(), 2);
    QCOMPARE(e->sgEffects()->cell(1, 1), QStringLiteral("0:00:01.000"));
    clickCell(e->sgEffects(), 1, 1);
    QCOMPARE(e->effect(), 1);
    QCOMPARE(e->sgCompObjects()->cell(0, 3), QStringLiteral("100"));
    clickCell(e->sgCompObjects(), 0, 1);
    QVERIFY(e->cbCropped()->isChecked());
    QCOMPARE(e->cropBox(2)->value(), 40);
    QVERIFY(e->cropBox(2)->isEnabled());

    QSpinBox* width = e->cropBox(2);
    QTest::mouseClick(width, Qt::LeftButton, {}, QPoint(8, width->height() / 2));
    QTest::keyClick(width, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(width, QStringLiteral("30"));
    QTest::keyClick(width, Qt::Key_Tab);
    const auto croppedWidth = [&] {
        return o.menu().pages[0].effects[InEffects].effects[1].composition_objects[0].cropping_width;
    };
    QCOMPARE(croppedWidth(), 30);
    QVERIFY(o.marked());
    QTest::keyClick(&o.w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(croppedWidth(), 40);
    QCOMPARE(e->cropBox(2)->value(), 40);

    // "OutEffects" shows the (empty) out-effects: the grids are disabled.
    QTest::mouseClick(e->rbOut(), Qt::LeftButton, {}, QPoint(6, e->rbOut()->height() / 2));
    QCOMPARE(e->sgEffects()->dataRows(), 0);
    QVERIFY(!e->sgEffects()->isEnabled());
}

// A button's commands show in the command grid when its row is clicked; a
// word typed into the composer rewrites the clicked command of that button,
// Insert adds one after it, and the edit reaches the saved menu.
void MenuPreviewTest::buttonCommandEditedInPlace() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_togglebog"));
    o.showSubTab(MenuTab::SubBOGs);
    MenuPagesView* pages = o.tab()->pagesView();
    clickCell(pages->sgButtons(), 2, static_cast<int>(ButtonColumn::X));
    CommandGrid* commands = pages->sgButtonCommands();
    const TIGbutton& b2 = o.menu().pages[0].BOGs[0].buttons[2];
    QCOMPARE(commands->dataRows(), static_cast<int>(b2.commands.size()));
    clickCell(commands, 1, 4);
    Composer* c = pages->composer();
    QCOMPARE(c->command(), b2.commands[1]);
    // "DisableButton 2" becomes "DisableButton 3".
    c->heDEH()->setFocus();
    c->heDEH()->selectAll();
    QTest::keyClicks(c->heDEH(), QStringLiteral("00000003"));
    QTest::keyClick(c->heDEH(), Qt::Key_Return);
    const auto commandsOf2 = [&] { return o.menu().pages[0].BOGs[0].buttons[2].commands; };
    QCOMPARE(commandsOf2()[1].w[1], 3u);
    QCOMPARE(o.menu().pages[0].BOGs[0].buttons[1].commands[1].w[1], 1u);  // the other buttons keep theirs
    QVERIFY(o.marked());

    commands->setFocus();
    QTest::keyClick(commands, Qt::Key_Insert);
    QCOMPARE(commandsOf2().size(), std::size_t{5});
    QCOMPARE(commandsOf2()[2], TCommand{});
    QCOMPARE(pages->sgButtons()->cell(2, static_cast<int>(ButtonColumn::Commands)), QStringLiteral("5"));

    test::TempDir dir;
    const fs::path out = dir.path() / "commands.mnu";
    o.saveTo(out);
    const TIGSc saved = loadMNU(readDatabaseFile(out.string(), kMaxMenuFileSize), out.string());
    QCOMPARE(saved.pages[0].BOGs[0].buttons[2].commands, commandsOf2());
    QTest::keyClick(&o.w, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&o.w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(commandsOf2()[1].w[1], 2u);
}

// Shift+Delete on the object grid deletes the selected objects when nothing
// uses them (the references above them drop) and refuses with a message in
// the status bar when something does; the palette grid the same. Fixture: a
// corpus menu with two unused copies of an object inserted before its last.
void MenuPreviewTest::deleteObjectsAndPalettes() {
    NAVORA_NEED_CORPUS_QT("igs");
    test::TempDir dir;
    const fs::path src = corpusMenu("libblu_vert3");
    TIGSc m = loadMNU(readDatabaseFile(src.string(), kMaxMenuFileSize), src.string());
    const std::size_t n = m.objects.size();
    QVERIFY(n >= 3);
    // Objects n-1 .. n take copies of object 0; the old last object moves to n+1.
    const TIGobject last = m.objects.back();
    m.objects.back() = m.objects[0];
    m.objects.push_back(m.objects[0]);
    m.objects.push_back(last);
    const auto lastRef = static_cast<std::uint16_t>(n - 1);
    std::vector<std::pair<std::size_t, std::size_t>> users;  // (bog, button) using the old last object
    for (std::size_t g = 0; g < m.pages[0].BOGs.size(); ++g)
        for (std::size_t i = 0; i < m.pages[0].BOGs[g].buttons.size(); ++i) {
            TIGbutton& b = m.pages[0].BOGs[g].buttons[i];
            for (std::uint16_t* r : {&b.normal_start_object_id_ref, &b.normal_end_object_id_ref,
                                     &b.selected_start_object_id_ref, &b.selected_end_object_id_ref,
                                     &b.activated_start_object_id_ref, &b.activated_end_object_id_ref})
                if (*r == lastRef) {
                    *r = static_cast<std::uint16_t>(n + 1);
                    users.emplace_back(g, i);
                }
        }
    QVERIFY(!users.empty());
    const fs::path fixture = dir.path() / "objects.mnu";
    saveAtomic(fixture.string(), saveIGS(m, IgsForm::Mnu));

    PreviewWindow o;
    o.load(fixture);
    o.showSubTab(MenuTab::SubObjects);
    StringGrid* grid = o.tab()->objectsView()->sgObjects();
    QCOMPARE(o.menu().objects.size(), n + 2);

    // Object 0 is used: refused, nothing changes.
    clickCell(grid, 0, 1);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(o.menu().objects.size(), n + 2);
    QCOMPARE(o.w.statusBarWidget()->panelText(1).trimmed(), QStringLiteral("Cannot delete object. Remove all reference first."));
    QVERIFY(!o.marked());

    // The two unused copies go; the buttons that used the last object now name n - 1.
    clickCell(grid, static_cast<int>(n - 1), 1);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(grid->selectedRange(), (std::optional<std::pair<int, int>>{{static_cast<int>(n - 1), static_cast<int>(n)}}));
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(o.menu().objects.size(), n);
    for (const auto& [g, i] : users) {
        const TIGbutton& b = o.menu().pages[0].BOGs[g].buttons[i];
        const bool usesLast = b.normal_start_object_id_ref == lastRef || b.selected_start_object_id_ref == lastRef ||
                              b.activated_start_object_id_ref == lastRef || b.normal_end_object_id_ref == lastRef ||
                              b.selected_end_object_id_ref == lastRef || b.activated_end_object_id_ref == lastRef;
        QVERIFY(usesLast);
    }
    QCOMPARE(grid->dataRows(), static_cast<int>(n));
    QVERIFY(o.marked());
    QTest::keyClick(&o.w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(o.menu().objects.size(), n + 2);
    QCOMPARE(grid->dataRows(), static_cast<int>(n + 2));

    // A menu with a single palette cannot lose it.
    StringGrid* palettes = o.tab()->objectsView()->sgPalettes();
    if (o.menu().palettes.size() == 1) {
        clickCell(palettes, 0, 1);
        QTest::keyClick(palettes, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(o.menu().palettes.size(), std::size_t{1});
        QCOMPARE(o.w.statusBarWidget()->panelText(1).trimmed(),
                 QStringLiteral("Cannot delete palette. Remove all objects first."));
    }
}

// The page header boxes store what is typed when the box is left (a refused
// value shows the stored one again), and the user time-out box takes a time:
// a time-out of one second with a default activated button then activates
// that button by the window's timer after Start.
void MenuPreviewTest::pageHeaderAndUserTimeout() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_vert3"));
    MenuTab* t = o.tab();
    const auto type = [](QLineEdit* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
    };
    type(t->heDefActButt(), QStringLiteral("0002"));
    QCOMPARE(o.menu().pages[0].default_activated_button_id_ref, 2);
    QVERIFY(o.marked());
    // Palette 05 does not exist: refused.
    const int palette = o.menu().pages[0].palette_id_ref;
    type(t->hePalette(), QStringLiteral("05"));
    QCOMPARE(static_cast<int>(o.menu().pages[0].palette_id_ref), palette);
    QCOMPARE(t->hePalette()->value(), static_cast<std::uint32_t>(palette));

    QLineEdit* uto = t->eUserTimeout();
    type(uto, QStringLiteral("0:99:00"));
    QCOMPARE(o.w.statusBarWidget()->panelText(1).trimmed(), QStringLiteral("'0:99:00' is not a valid time"));
    QCOMPARE(o.menu().user_time_out_duration, 0u);
    type(uto, QStringLiteral("0:00:10"));
    QCOMPARE(o.menu().user_time_out_duration, 900000u);
    type(uto, QStringLiteral("0:00:01"));
    QCOMPARE(o.menu().user_time_out_duration, 90000u);

    o.startOnPageView();
    QCOMPARE(o.machine().psr(10), 0u);
    QCOMPARE(o.machine().gpr(100), 0u);
    QVERIFY(t->preview().userTimer()->isActive());
    // Button 2's commands set GPR100 when the time-out activates it.
    QTRY_COMPARE_WITH_TIMEOUT(o.machine().gpr(100), 1u, 3000);
    QCOMPARE(o.machine().psr(10), 2u);

    QTest::keyClick(&o.w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(o.menu().user_time_out_duration, 900000u);
}

// A click on an object cell of the button grid shows that object in the BOG
// view; a double click on a start or end cell plays the state's objects:
// once and back to the clicked end for a state that does not repeat, until
// Cancel for one that repeats.
void MenuPreviewTest::buttonGridShowsAndAnimatesObjects() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_anim"));
    o.showSubTab(MenuTab::SubBOGs);
    StringGrid* grid = o.tab()->pagesView()->sgButtons();
    const TIGbutton& b1 = o.menu().pages[0].BOGs[0].buttons.size() > 1 ? o.menu().pages[0].BOGs[0].buttons[1]
                                                                      : o.menu().pages[0].BOGs[1].buttons[0];
    QCOMPARE(b1.button_id, 1);
    // Button 1 is the second row of its BOG's grid.
    if (o.menu().pages[0].BOGs[0].buttons.size() < 2) clickCell(o.tab()->pagesView()->sgBOG(), 0, 2);
    const int row = o.menu().pages[0].BOGs[0].buttons.size() > 1 ? 1 : 0;
    const auto status = [&] { return o.w.statusBarWidget()->panelText(1).trimmed(); };
    const auto objectText = [](int id) { return QStringLiteral("Object: %1").arg(id, 4, 16, QLatin1Char('0')).toUpper(); };

    clickCell(grid, row, static_cast<int>(ButtonColumn::SelectedEnd));
    const TIGobject& end = o.menu().objects[b1.selected_end_object_id_ref];
    QVERIFY2(status().contains(objectText(b1.selected_end_object_id_ref), Qt::CaseInsensitive), qPrintable(status()));
    QVERIFY(!o.tab()->pagesView()->bogView()->pixmap().isNull());
    // The object, scaled down to the view when it is larger.
    const QSize shown = o.tab()->pagesView()->bogView()->pixmap().size();
    QVERIFY(shown.width() <= end.width && shown.height() <= end.height);
    QVERIFY(std::abs(shown.width() * end.height - shown.height() * end.width) <= end.width);

    // Not repeating: one pass, then the start object again; Cancel stays off.
    const QModelIndex start = grid->model()->index(row, static_cast<int>(ButtonColumn::SelectedStart));
    doubleClick(grid, start);
    QVERIFY2(status().contains(objectText(b1.selected_start_object_id_ref), Qt::CaseInsensitive), qPrintable(status()));
    QVERIFY(!o.w.bCancel()->isEnabled());

    // Button 0's normal state repeats: it plays until Cancel is clicked.
    const int row0 = 0;
    if (row == 0) clickCell(o.tab()->pagesView()->sgBOG(), 0, 1);
    bool wasEnabled = false;
    QTimer::singleShot(400, [&] {
        wasEnabled = o.w.bCancel()->isEnabled();
        QTest::mouseClick(o.w.bCancel(), Qt::LeftButton);
    });
    const QModelIndex nEnd = grid->model()->index(row0, static_cast<int>(ButtonColumn::NormalEnd));
    doubleClick(grid, nEnd);
    QVERIFY(wasEnabled);
    QVERIFY(!o.w.bCancel()->isEnabled());
    const TIGbutton& b0 = *buttonById(o.menu(), 0, 0);
    QVERIFY2(status().contains(objectText(b0.normal_end_object_id_ref), Qt::CaseInsensitive), qPrintable(status()));
}

// With "Animate buttons" on, the window's animation timer draws the next
// frame of the animated states after Start; switching it off, or leaving the
// Menu tab, stops the timer.
void MenuPreviewTest::animationRunsByTheWindowTimer() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_anim"));
    o.showSubTab(MenuTab::SubPageView);
    QCheckBox* animate = o.tab()->switches()->box(MenuSwitches::Animate);
    QTest::mouseClick(animate, Qt::LeftButton, {}, QPoint(6, animate->height() / 2));
    QVERIFY(animate->isChecked());
    QTest::mouseClick(o.w.run()->execPanel()->bStart(), Qt::LeftButton);
    QTimer* timer = o.tab()->preview().animationTimer();
    QVERIFY(timer->isActive());
    // Button 0 repeats its normal state over objects 0..3: its frame counter moves.
    const auto& states = o.tab()->preview().renderer().states();
    const int selected = static_cast<int>(o.machine().psr(10));
    const int other = selected == 0 ? 1 : 0;
    const bool otherAnimates = states[static_cast<std::size_t>(other)].normal_animating ||
                               states[static_cast<std::size_t>(selected)].selected_animating;
    QVERIFY(otherAnimates);
    const RgbaImage before = o.tab()->preview().emulator().picture();
    QTRY_VERIFY_WITH_TIMEOUT(o.tab()->preview().emulator().picture() != before, 2000);

    QTest::mouseClick(animate, Qt::LeftButton, {}, QPoint(6, animate->height() / 2));
    QVERIFY(!timer->isActive());
    QTest::mouseClick(animate, Qt::LeftButton, {}, QPoint(6, animate->height() / 2));
    QVERIFY(timer->isActive());
    QTest::keyClick(&o.w, Qt::Key_O, Qt::AltModifier);
    QVERIFY(!timer->isActive());
}

// With Trace on, a click on a row of the button's command grid runs that one
// command of the button the grid shows, which the button selector then names.
void MenuPreviewTest::traceRunsTheClickedCommand() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_vert3"));
    QCheckBox* trace = o.w.run()->execPanel()->cbTrace();
    QTest::mouseClick(trace, Qt::LeftButton, {}, QPoint(6, trace->height() / 2));
    QVERIFY(o.machine().trace());
    o.showSubTab(MenuTab::SubBOGs);
    MenuPagesView* pages = o.tab()->pagesView();
    // Button 2 stands alone in BOG 2.
    clickCell(pages->sgBOG(), 0, 3);
    QCOMPARE(pages->selectedBog(), std::optional<int>(2));
    QCOMPARE(o.w.run()->execPanel()->cbButton()->currentIndex(), 2);
    const TCommands& list = buttonById(o.menu(), 0, 2)->commands;
    QCOMPARE(pages->sgButtonCommands()->dataRows(), static_cast<int>(list.size()));
    QCOMPARE(o.machine().gpr(100), 0u);
    const std::uint32_t title = o.machine().psr(4);
    clickCell(pages->sgButtonCommands(), 0, 4);
    QCOMPARE(o.machine().gpr(100), 1u);
    // Only that line ran: the title call after it has not.
    QCOMPARE(o.machine().psr(4), title);
    clickCell(pages->sgButtonCommands(), 1, 4);
    QCOMPARE(o.machine().psr(4), 3u);
}

// The Options tab's "Background picture" switch and picture file compose the
// page on that picture: a PNG drawn with its alpha over the menu background
// colour, a bitmap whole (its alpha ignored); a file that cannot be read is
// reported and the built-in picture stays. Switching off brings the built-in
// picture back, and a colour box redraws the page at once.
void MenuPreviewTest::backgroundPictureAndColours_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("overColour");
    QTest::newRow("PNG") << QStringLiteral("back.png") << true << true;
    QTest::newRow("bitmap") << QStringLiteral("back.bmp") << true << false;
    QTest::newRow("not a picture") << QStringLiteral("broken.png") << false << false;
}

void MenuPreviewTest::backgroundPictureAndColours() {
    NAVORA_NEED_CORPUS_QT("igs");
    QFETCH(QString, file);
    QFETCH(bool, readable);
    QFETCH(bool, overColour);
    test::TempDir dir;
    const QString path = QString::fromStdString((dir.path() / file.toStdString()).string());
    // 8x4: the left half opaque red, the right half fully transparent green.
    QImage picture(8, 4, QImage::Format_ARGB32);
    picture.fill(QColor(0, 255, 0, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) picture.setPixelColor(x, y, QColor(255, 0, 0));
    if (file == QLatin1String("broken.png"))
        test::writeFile(path.toStdString(), Bytes{'n', 'o', 't', ' ', 'a', ' ', 'P', 'N', 'G'});
    else
        QVERIFY(picture.save(path));

    PreviewWindow o;
    o.load(corpusMenu("libblu_vert3"));
    o.startOnPageView();
    const RgbaImage& pic = o.tab()->preview().emulator().picture();
    const QColor builtIn1 = colourAt(pic, 1, 1), builtIn6 = colourAt(pic, 6, 1);

    QTest::keyClick(&o.w, Qt::Key_O, Qt::AltModifier);
    OptionsTab* options = o.w.optionsTab();
    options->pictureChooser = [path](const QString&, const QString&, const QStringList&) { return path; };
    QTest::mouseClick(o.w.findChild<QToolButton*>(QStringLiteral("bbBackPic")), Qt::LeftButton);
    QCOMPARE(colourAt(pic, 1, 1), builtIn1);  // the switch is still off
    clickBox(options->cbBackground());
    if (!readable) {
        QVERIFY(o.w.statusBarWidget()->errorShown());
        QVERIFY(o.w.statusBarWidget()->panelText(1).contains(QStringLiteral("broken.png")));
        QCOMPARE(colourAt(pic, 1, 1), builtIn1);
        QCOMPARE(colourAt(pic, 6, 1), builtIn6);
        return;
    }
    QCOMPARE(colourAt(pic, 1, 1), QColor(255, 0, 0));
    QCOMPARE(colourAt(pic, 6, 1), overColour ? QColor(0, 0, 128) : QColor(0, 255, 0));

    // The menu background colour: the page is composed again on the new colour.
    ColourBox* back = options->colourBox(MenuColour::Background);
    back->chooser = [](const QString&, const QColor&) { return QColor(0, 96, 0); };
    QTest::mouseClick(back->button(), Qt::LeftButton);
    QCOMPARE(colourAt(pic, 6, 1), overColour ? QColor(0, 96, 0) : QColor(0, 255, 0));

    // A frame colour shows at once on the frames drawn.
    clickBox(options->menuSwitchTwin(MenuSwitch::ButtonFrame));
    const QColor odd(1, 2, 3);
    const auto countOdd = [&] {
        int n = 0;
        for (std::size_t i = 0; i + 3 < pic.rgba.size(); i += 4)
            n += pic.rgba[i] == 1 && pic.rgba[i + 1] == 2 && pic.rgba[i + 2] == 3;
        return n;
    };
    QCOMPARE(countOdd(), 0);
    for (MenuColour c : {MenuColour::SelectedFrame, MenuColour::NormalFrame}) {
        ColourBox* box = options->colourBox(c);
        box->chooser = [odd](const QString&, const QColor&) { return odd; };
        QTest::mouseClick(box->button(), Qt::LeftButton);
    }
    QVERIFY(countOdd() > 0);

    clickBox(options->cbBackground());
    QVERIFY(colourAt(pic, 1, 1) != QColor(255, 0, 0));
}

// While the Page view is shown, a key pressed on the page writes its key code to status panel 1.
void MenuPreviewTest::pageViewKeysShowTheirCode() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_vert3"));
    QWidget* canvas = o.startOnPageView();
    QTRY_VERIFY(canvas->hasFocus());
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* code;
    } keys[] = {{Qt::Key_A, {}, "65"},          {Qt::Key_7, {}, "55"},      {Qt::Key_Down, {}, "40"},
                {Qt::Key_Return, {}, "13"},     {Qt::Key_Escape, {}, "27"}, {Qt::Key_4, Qt::KeypadModifier, "100"},
                {Qt::Key_Comma, {}, "188"}};
    for (const auto& k : keys) {
        QTest::keyClick(canvas, k.key, k.modifiers);
        QCOMPARE(o.w.statusBarWidget()->panelText(1).trimmed(), QString::fromLatin1(k.code));
    }
}

// The arrow keys on the Page view move the selection as U, D, L and R do, and
// Enter activates as S&el does.
void MenuPreviewTest::pageViewArrowKeysNavigate() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_vert3"));
    QWidget* canvas = o.startOnPageView();
    QTRY_VERIFY(canvas->hasFocus());
    const auto lower = [&](unsigned id) {
        return buttonOf(o.menu(), 0, static_cast<std::uint16_t>(id)).lower_button_id_ref;
    };
    const auto upper = [&](unsigned id) {
        return buttonOf(o.menu(), 0, static_cast<std::uint16_t>(id)).upper_button_id_ref;
    };
    const unsigned start = o.machine().psr(10);
    QTest::keyClick(canvas, Qt::Key_Down);
    QCOMPARE(o.machine().psr(10), static_cast<unsigned>(lower(start)));
    QCOMPARE(o.w.statusBarWidget()->panelText(1).trimmed(), QString("40"));
    QTest::keyClick(canvas, Qt::Key_Up);
    QCOMPARE(o.machine().psr(10), static_cast<unsigned>(upper(lower(start))));
    // Down until button 2, whose commands set GPR100; Enter activates it.
    for (int i = 0; i < 3 && o.machine().psr(10) != 2u; ++i) QTest::keyClick(canvas, Qt::Key_Down);
    QCOMPARE(o.machine().psr(10), 2u);
    QCOMPARE(o.machine().gpr(100), 0u);
    QTest::keyClick(canvas, Qt::Key_Return);
    QCOMPARE(o.machine().gpr(100), 1u);
}

// A reference that names no button is warned about when typed, and the
// menu is written only when the user says so at Save.
void MenuPreviewTest::brokenReferencesAreWarnedAndAskedAtSave() {
    NAVORA_NEED_CORPUS_QT("igs");
    PreviewWindow o;
    o.load(corpusMenu("libblu_vert3"));
    MenuTab* t = o.tab();
    QLineEdit* box = t->heDefSelButt();
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("0009"));
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(o.menu().pages[0].default_selected_button_id_ref, 9);
    QVERIFY2(o.w.statusBarWidget()->panelText(1).contains("Page 0: default selected button 0009 does not exist"),
             qPrintable(o.w.statusBarWidget()->panelText(1)));

    test::TempDir tmp;
    const fs::path file = tmp / "broken.mnu";
    QStringList asked;
    bool answer = false;
    t->dialogs.confirm = [&](const QString&, const QString& question) {
        asked << question;
        return answer;
    };
    o.saveTo(file);
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].contains("Page 0: default selected button 0009 does not exist"));
    QVERIFY(!fs::exists(file));
    QVERIFY(o.marked());
    answer = true;
    o.saveTo(file);
    QCOMPARE(asked.size(), 2);
    QVERIFY(fs::exists(file));
    QVERIFY(!o.marked());
}

// Closing the window with an edited menu and answering Save writes the menu:
// to the .mnu it was loaded from, or to a file the user names for a new menu.
void MenuPreviewTest::closeSavesTheEditedMenu() {
    NAVORA_NEED_CORPUS_QT("igs");
    test::TempDir dir;
    const fs::path loaded = dir.path() / "loaded.mnu";
    fs::copy_file(corpusMenu("libblu_vert3"), loaded);
    const fs::path named = dir.path() / "named.mnu";
    const auto type = [](QLineEdit* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
    };
    {
        PreviewWindow o;
        o.load(loaded);
        type(o.tab()->eUserTimeout(), QStringLiteral("0:00:10"));
        QVERIFY(o.marked());
        Answer save(QMessageBox::Save);
        o.w.close();
        QVERIFY(!save.asked.isEmpty());
        QVERIFY(!o.w.isVisible());
    }
    TIGSc saved = loadMNU(readDatabaseFile(loaded.string(), kMaxMenuFileSize), loaded.string());
    QCOMPARE(saved.user_time_out_duration, 900000u);
    {
        PreviewWindow o;
        QTest::keyClick(&o.w, Qt::Key_O, Qt::AltModifier);
        QTest::mouseClick(o.w.findChild<QPushButton*>(QStringLiteral("bCreateMenu")), Qt::LeftButton);
        type(o.tab()->eUserTimeout(), QStringLiteral("0:00:02"));
        QVERIFY(o.marked());
        bool asked = false;
        o.tab()->dialogs.saveFile = [&](const QString&, const QString&, const QStringList&, QString*) {
            asked = true;
            return QString::fromStdString(named.string());
        };
        Answer save(QMessageBox::Save);
        o.w.close();
        QVERIFY(asked);
        QVERIFY(!o.w.isVisible());
    }
    saved = loadMNU(readDatabaseFile(named.string(), kMaxMenuFileSize), named.string());
    QCOMPARE(saved.user_time_out_duration, 180000u);
}

// The remote control's other keys: "Pop-up" brings a pop-up menu up and
// takes it down, a button's PopUpMenu Off hides it; the digits on the page
// select the button of that number.
void MenuPreviewTest::popUpAndNumberKeys() {
    NAVORA_NEED_CORPUS_QT("igs");
    {
        PreviewWindow o;
        o.load(corpusMenu("libblu_popup_hd"));
        o.startOnPageView();
        const MenuEmulator& e = o.tab()->preview().emulator();
        QVERIFY(!e.menuShown());
        QTest::mouseClick(o.tab()->bNavRight(), Qt::LeftButton);
        QCOMPARE(o.machine().psr(10), 0xFFFFu);
        QTest::mouseClick(o.tab()->bNavPopup(), Qt::LeftButton);
        QVERIFY(e.menuShown());
        QCOMPARE(o.machine().psr(10), 1u);
        QTest::mouseClick(o.tab()->bNavRight(), Qt::LeftButton);
        QCOMPARE(o.machine().psr(10), 2u);
        QTest::mouseClick(o.tab()->bNavSel(), Qt::LeftButton);  // Move GPR1, 1; Link MK 0; PopUpMenu Off
        QCOMPARE(o.machine().gpr(1), 1u);
        QVERIFY(!e.menuShown());
        QCOMPARE(e.picture(), o.tab()->preview().renderer().background());
    }
    PreviewWindow o;
    o.load(corpusMenu("libblu_vert3"));  // buttons 0, 1, 2 answer 1, 2, 3
    QWidget* canvas = o.startOnPageView();
    QTRY_VERIFY(canvas->hasFocus());
    QTest::keyClick(canvas, Qt::Key_3);
    QCOMPARE(o.machine().psr(10), 2u);
    QTest::keyClick(canvas, Qt::Key_9);
    QCOMPARE(o.machine().psr(10), 2u);
    QTest::keyClick(canvas, Qt::Key_2, Qt::KeypadModifier);
    QCOMPARE(o.machine().psr(10), 1u);
    QCOMPARE(o.machine().gpr(100), 0u);  // selected, not activated
}

// The Options tab's colour matrix: an HD menu shows in BT.709 (Auto), in
// BT.601 when chosen, back again with Auto; the choice is kept in the settings.
void MenuPreviewTest::colourMatrixOption() {
    NAVORA_NEED_CORPUS_QT("igs");
    const TIGSc file = loadMNUFile(corpusMenu("libblu_vert3"));
    {
        PreviewWindow o;
        o.load(corpusMenu("libblu_vert3"));
        QCOMPARE(o.menu().colour_matrix, ColourMatrix::BT709);
        QCOMPARE(o.menu().palettes, file.palettes);
        RadioGroup* matrix = o.w.optionsTab()->rgColourMatrix();
        QTest::mouseClick(matrix->item(1), Qt::LeftButton, {}, QPoint(6, matrix->item(1)->height() / 2));
        QCOMPARE(o.menu().colour_matrix, ColourMatrix::BT601);
        const TIGpalette& p = o.menu().palettes[0];
        for (std::size_t e = 1; e < 256; ++e)
            if (!p.colours[e].zero())
                QCOMPARE(p.colours[e], ycrcb2rgb(p.entries[e].Y, p.entries[e].Cr, p.entries[e].Cb, p.colours[e].T,
                                                 ColourMatrix::BT601));
        QVERIFY(!o.marked());  // a view setting, not an edit
        o.w.close();
    }
    PreviewWindow o;
    QCOMPARE(o.w.optionsTab()->colourMatrix(), 1);
    o.load(corpusMenu("libblu_vert3"));
    QCOMPARE(o.menu().colour_matrix, ColourMatrix::BT601);
    RadioGroup* matrix = o.w.optionsTab()->rgColourMatrix();
    QTest::mouseClick(matrix->item(0), Qt::LeftButton, {}, QPoint(6, matrix->item(0)->height() / 2));
    QCOMPARE(o.menu().palettes, file.palettes);
}

