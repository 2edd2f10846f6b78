// The Menu tab as a user meets it: "&Load", the Pages and Objects sub-tabs
// driven by clicks, the object image import, palette entry changes, Save and
// Mux, undo.

#include "uitests.h"

#include "core/log.h"
#include "core/filenames.h"
#include "ig/edit.h"
#include "ig/export.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "ig/png.h"
#include "ig/rle.h"
#include "ig/samemenu.h"
#include "ig/save.h"
#include "support/testsupport.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/app/document.h"
#include "ui/menu/menuimage.h"
#include "ui/menu/menuobjects.h"
#include "ui/menu/menupages.h"
#include "ui/menu/menutab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/shell/qtlogview.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

// The corpus menus: igs/<name>/<name>.mnu.
std::vector<fs::path> corpusMenus() {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& d : fs::directory_iterator(test::corpusDir() / "igs", ec))
        if (const fs::path mnu = d.path() / (d.path().filename().string() + ".mnu"); fs::exists(mnu))
            out.push_back(mnu);
    std::sort(out.begin(), out.end());
    return out;
}

fs::path corpusMenu(const std::string& name) { return test::corpusDir() / "igs" / name / (name + ".mnu"); }

QString hex(std::uint32_t v, int digits) { return QStringLiteral("%1").arg(v, digits, 16, QLatin1Char('0')).toUpper(); }

// A shown, active main window on the Menu tab with no folder read.
struct MenuWindow {
    MenuWindow() {
        showActive(&w);
        w.formActivate({});
        QTest::keyClick(&w, Qt::Key_M, Qt::AltModifier);
    }
    MenuTab* tab() const { return w.menuTab(); }
    MenuPagesView* pages() const { return tab()->pagesView(); }
    MenuObjectsView* objects() const { return tab()->objectsView(); }
    const TIGSc& menu() { return w.workspace().menu.igs; }
    bool marked() const { return w.windowTitle().endsWith('*'); }
    QString panel(int n) const { return w.statusBarWidget()->panelText(n).trimmed(); }

    // "&Load" with the file dialog answering path.
    void load(const fs::path& path) {
        tab()->dialogs.openFile = [path](const QString&, const QString&, const QStringList&) {
            return QString::fromStdString(path.string());
        };
        QTest::mouseClick(w.bLoadMenu(), Qt::LeftButton);
    }
    // "&Save" (or "M&ux") with the save dialog answering path.
    void saveTo(QPushButton* button, const fs::path& path) {
        tab()->dialogs.saveFile = [path](const QString&, const QString&, const QStringList&, QString*) {
            return QString::fromStdString(path.string());
        };
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void showSubTab(int index) {
        QTabBar* bar = tab()->subTabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        QCOMPARE(tab()->subTabs()->currentIndex(), index);
    }
    void undo() { QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); }

    TfMain w;
};

void clickCell(QTableWidget* grid, int row, int column) {
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2)); }

// The button grid's cells of one button after its id, formatted independently.
QStringList expectedButtonCells(const TIGbutton& b) {
    const auto yn = [](int f) { return f ? QStringLiteral("Yes") : QStringLiteral("No"); };
    return {hex(b.button_numeric_select_value, 4), yn(b.auto_action_flag),
            QString::number(b.button_horizontal_position), QString::number(b.button_vertical_position),
            hex(b.upper_button_id_ref, 4), hex(b.lower_button_id_ref, 4), hex(b.left_button_id_ref, 4),
            hex(b.right_button_id_ref, 4), hex(b.normal_start_object_id_ref, 4), hex(b.normal_end_object_id_ref, 4),
            yn(b.normal_repeat_flag), hex(b.selected_state_sound_id_ref, 2), hex(b.selected_start_object_id_ref, 4),
            hex(b.selected_end_object_id_ref, 4), yn(b.selected_repeat_flag), hex(b.activated_state_sound_id_ref, 2),
            hex(b.activated_start_object_id_ref, 4), hex(b.activated_end_object_id_ref, 4),
            QString::number(b.commands.size())};
}

// A small 8-bit palette PNG made with the engine's writer: bands of colours 1..3 on transparent 0.
Bytes smallPng(std::uint16_t w, std::uint16_t h) {
    IndexedImage img(w, h);
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x) img.row(y)[x] = static_cast<std::uint8_t>(y < 2 ? 0 : 1 + x % 3);
    TRGBApalettes colours{};
    colours[1] = {200, 30, 30, 255};
    colours[2] = {30, 200, 30, 128};
    colours[3] = {30, 30, 200, 255};
    return writeIndexedPng(img, colours, "test");
}

}  // namespace

void MenuViewsTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
}

void MenuViewsTest::corpusMenusFillTheViews() {
    NAVORA_NEED_CORPUS_QT("igs");
    const auto menus = corpusMenus();
    QVERIFY(menus.size() >= 7);
    for (const fs::path& mnu : menus) {
        const std::string name = mnu.filename().string();
        MenuWindow o;
        QVERIFY(!o.w.bSave()->isEnabled());
        QSignalSpy pageSpy(o.tab(), &MenuTab::pageChosen);
        QSignalSpy bogSpy(o.tab(), &MenuTab::bogChosen);
        o.load(mnu);
        const TIGSc& m = o.menu();
        QVERIFY2(sameMenu(m, loadMNUFile(mnu)), name.c_str());
        QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabMenu));
        QVERIFY(o.w.bSave()->isEnabled());
        QVERIFY(o.w.bMux()->isVisible() && o.w.bMux()->isEnabled());
        QVERIFY(!o.marked());

        // The header: stream information, page selector.
        QCOMPARE(o.tab()->cbVideoSize()->currentText(), QStringLiteral("%1x%2").arg(m.video_width).arg(m.video_height));
        QCOMPARE(o.tab()->cbFrameRate()->currentIndex(), int(m.frame_rate_id));
        QCOMPARE(o.tab()->eUserTimeout()->text(), QString::fromStdString(igDurationText(m.user_time_out_duration)));
        QCOMPARE(o.tab()->eInTime()->text(), QString::fromStdString(igTimeText(m.in_time)));
        QCOMPARE(o.tab()->cbPage()->count(), int(m.pages.size()));
        for (std::size_t p = 0; p < m.pages.size(); ++p)
            QCOMPARE(o.tab()->cbPage()->itemText(int(p)), QString::number(m.pages[p].page_id));
        QCOMPARE(o.tab()->lPageCount()->text(), QStringLiteral("(%1)").arg(m.pages.size()));

        // Objects and palettes with their reference texts.
        StringGrid* objects = o.objects()->sgObjects();
        QCOMPARE(objects->dataRows(), int(m.objects.size()));
        for (std::size_t i = 0; i < m.objects.size(); ++i) {
            const int r = int(i);
            QCOMPARE(objects->cell(r, 0), hex(m.objects[i].object_id, 4));
            QCOMPARE(objects->cell(r, 1), QString::number(m.objects[i].width));
            QCOMPARE(objects->cell(r, 2), QString::number(m.objects[i].height));
            QCOMPARE(objects->cell(r, 3), QString::fromStdString(getobjref(m, i)));
        }
        QCOMPARE(o.objects()->cbObjects()->count(), int(m.objects.size()));
        QCOMPARE(o.objects()->lObjCount()->text(), QStringLiteral("%1 objects").arg(m.objects.size()));
        StringGrid* palettes = o.objects()->sgPalettes();
        QCOMPARE(palettes->dataRows(), int(m.palettes.size()));
        for (std::size_t p = 0; p < m.palettes.size(); ++p) {
            QCOMPARE(palettes->cell(int(p), 0), hex(std::uint32_t(p), 2));
            QCOMPARE(palettes->cell(int(p), 1), QString::fromStdString(getpalref(m, p)));
        }

        // Every page, BOG and button, reached by clicks from the last page back to the first.
        StringGrid* pageGrid = o.pages()->sgPages();
        QTableWidget* bogGrid = o.pages()->sgBOG();
        StringGrid* buttons = o.pages()->sgButtons();
        QCOMPARE(pageGrid->dataRows(), int(m.pages.size()));
        for (int p = int(m.pages.size()) - 1; p >= 0; --p) {
            const TPage& page = m.pages[std::size_t(p)];
            if (p != o.pages()->selectedPage()) {
                pageSpy.clear();
                bogSpy.clear();
                clickCell(pageGrid, p, 1);
                QCOMPARE(pageSpy.size(), 1);
                QCOMPARE(pageSpy.front().front().toInt(), p);
                // The page's first BOG is chosen with it, once.
                QCOMPARE(bogSpy.size(), page.BOGs.empty() ? 0 : 1);
            }
            QCOMPARE(pageGrid->currentRow(), p);
            QCOMPARE(o.tab()->cbPage()->currentIndex(), p);
            QCOMPARE(pageGrid->cell(p, 1), QString::number(page.page_id));
            QCOMPARE(pageGrid->cell(p, 3), hex(page.palette_id_ref, 2));
            QCOMPARE(bogGrid->columnCount(), 1 + std::max<int>(1, int(page.BOGs.size())));
            for (int b = int(page.BOGs.size()) - 1; b >= 0; --b) {
                const TBOG& bog = page.BOGs[std::size_t(b)];
                QCOMPARE(bogGrid->item(1, b + 1)->text(), hex(bog.default_valid_button_id_ref, 4));
                QCOMPARE(bogGrid->item(2, b + 1)->text(), QString::number(bog.buttons.size()));
                if (b != o.pages()->selectedBog()) {
                    bogSpy.clear();
                    clickCell(bogGrid, 1, b + 1);
                    QCOMPARE(bogSpy.size(), 1);
                    QCOMPARE(bogSpy.front().at(1).toInt(), b);
                }
                QCOMPARE(bogGrid->currentColumn(), b + 1);
                QCOMPARE(buttons->dataRows(), int(bog.buttons.size()));
                for (std::size_t k = 0; k < bog.buttons.size(); ++k) {
                    QCOMPARE(buttons->cell(int(k), 0), hex(bog.buttons[k].button_id, 4));
                    const QStringList cells = expectedButtonCells(bog.buttons[k]);
                    for (int c = 0; c < cells.size(); ++c) QCOMPARE(buttons->cell(int(k), c + 1), cells[c]);
                }
            }
        }
        // The page selector chooses a page as well.
        if (m.pages.size() > 1) {
            o.tab()->cbPage()->setFocus();
            QTest::keyClick(o.tab()->cbPage(), Qt::Key_Down);
            QCOMPARE(o.pages()->selectedPage(), std::optional<int>(1));
            QCOMPARE(pageGrid->currentRow(), 1);
        }
    }
}

void MenuViewsTest::objectRowShowsObjectWithItsPalette() {
    NAVORA_NEED_CORPUS_QT("igs");
    MenuWindow o;
    o.load(corpusMenu("libblu_pages3"));
    const TIGSc& m = o.menu();
    QVERIFY(m.palettes.size() == 3);
    o.showSubTab(MenuTab::SubObjects);
    // An object of page 2: its row shows it with page 2's palette.
    std::size_t object = m.objects.size();
    for (std::size_t i = 0; i < m.objects.size() && object == m.objects.size(); ++i)
        if (getobjref(m, i).rfind("2:", 0) == 0) object = i;
    QVERIFY(object < m.objects.size());
    const std::size_t palette = m.pages[2].palette_id_ref;
    QCOMPARE(palette, std::size_t(2));
    clickCell(o.objects()->sgObjects(), int(object), 1);
    QCOMPARE(o.objects()->cbObjects()->currentIndex(), int(object));
    QCOMPARE(o.objects()->cbPalettes()->currentIndex(), int(palette));
    QCOMPARE(o.objects()->sgPalettes()->currentRow(), int(palette));
    const TIGobject& obj = m.objects[object];
    QVERIFY(o.panel(1).startsWith(QStringLiteral("Size: %1x%2,  Object: %3,  Palette: 02,  RLE pixel data: ")
                                      .arg(obj.width)
                                      .arg(obj.height)
                                      .arg(hex(obj.object_id, 4))));

    // The view: opaque pixels in their palette colour, transparent ones in the object background.
    const auto checkShown = [&](std::size_t p) {
        TIGSc copy = loadMNUFile(corpusMenu("libblu_pages3"));
        rle_decode(copy, object);
        const IndexedImage& pixels = *copy.objects[object].picture;
        const QImage shown = o.objects()->picture()->image();
        QCOMPARE(shown.size(), QSize(obj.width, obj.height));
        int opaque = 0, clear = 0;
        for (int y = 0; y < obj.height; ++y)
            for (int x = 0; x < obj.width; ++x) {
                const TRGBA c = m.palettes[p].colours[pixels.row(std::size_t(y))[x]];
                const QColor got = shown.pixelColor(x, y);
                if (c.T == 255) {
                    QCOMPARE(got, QColor(c.R, c.G, c.B));
                    ++opaque;
                } else if (c.T == 0) {
                    QCOMPARE(got, QColor(192, 192, 192));
                    ++clear;
                }
            }
        QVERIFY(opaque > 0 && clear > 0);
    };
    checkShown(palette);
    // The palette grid shows the same object with the palette clicked.
    clickCell(o.objects()->sgPalettes(), 0, 1);
    QCOMPARE(o.objects()->cbPalettes()->currentIndex(), 0);
    QCOMPARE(o.objects()->cbObjects()->currentIndex(), int(object));
    checkShown(0);

    // "View palette only": the chart of the palette, each entry's colour in its cell.
    click(o.objects()->cbPalOnly());
    QVERIFY(o.objects()->cbPalOnly()->isChecked());
    const QImage chart = o.objects()->picture()->image();
    QCOMPARE(chart.size(), QSize(350, 180));
    QCOMPARE(o.panel(1), QStringLiteral("Palette: 00 (0)"));
    int shownEntries = 0;
    for (int e = 0; e < 256; ++e) {
        const TRGBA c = m.palettes[0].colours[std::size_t(e)];
        if (c.zero()) continue;
        QCOMPARE(chart.pixelColor(paletteChartCell(e) + QPoint(4, 4)), QColor(c.R, c.G, c.B));
        ++shownEntries;
    }
    QVERIFY(shownEntries > 100);
    // The mouse over an entry reads it out.
    const QPoint cell = paletteChartCell(0x2E) + QPoint(4, 4);
    QTest::mouseMove(o.objects()->picture(), cell);
    QVERIFY2(o.panel(1).contains(QStringLiteral("Color: 2E (46)")), qPrintable(o.panel(1)));
}

void MenuViewsTest::paletteEntryChangeIsUndoable() {
    NAVORA_NEED_CORPUS_QT("igs");
    MenuWindow o;
    const fs::path source = corpusMenu("libblu_anim");
    o.load(source);
    const TIGSc before = o.menu();
    o.showSubTab(MenuTab::SubObjects);
    clickCell(o.objects()->sgPalettes(), 0, 1);
    click(o.objects()->cbPalOnly());
    QColor offered;
    o.tab()->dialogs.colour = [&](const QString&, const QColor& current) {
        offered = current;
        return QColor(10, 20, 200, 128);
    };
    int entry = 1;
    while (before.palettes[0].colours[std::size_t(entry)].T != 255) ++entry;
    const TRGBA old = before.palettes[0].colours[std::size_t(entry)];
    const QPoint at = paletteChartCell(entry) + QPoint(4, 4);
    QTest::mouseDClick(o.objects()->picture(), Qt::LeftButton, {}, at);
    QCOMPARE(offered, QColor(old.R, old.G, old.B, old.T));
    const TIGpalette& changed = o.menu().palettes[0];
    // The entry holds the colour as the stream carries it: Y, Cr, Cb, and the colour they give.
    const TYCrCb stored = rgb2ycrcb(10, 20, 200);
    QCOMPARE(changed.entries[std::size_t(entry)], stored);
    const TRGBA shownColour = ycrcb2rgb(stored.Y, stored.Cr, stored.Cb, 128);
    QCOMPARE(changed.colours[std::size_t(entry)], shownColour);
    QVERIFY(o.marked());
    QCOMPARE(o.objects()->picture()->image().pixelColor(at), QColor(shownColour.R, shownColour.G, shownColour.B));

    // The change is saved as it shows, and undone whole.
    test::TempDir tmp;
    o.saveTo(o.w.bSave(), tmp / "changed.mnu");
    QVERIFY(!o.marked());
    QVERIFY(sameMenu(loadMNUFile(tmp / "changed.mnu"), o.menu()));
    o.undo();
    QVERIFY(sameMenu(o.menu(), before));
    QVERIFY(o.marked());
    QCOMPARE(o.objects()->picture()->image().pixelColor(at), QColor(old.R, old.G, old.B));
}

void MenuViewsTest::importObjectImage_data() {
    QTest::addColumn<bool>("replaceObject");
    QTest::addColumn<bool>("replacePalette");
    QTest::addColumn<QString>("title");
    QTest::newRow("insert both") << false << false << "Insert object, insert palette";
    QTest::newRow("replace object") << true << false << "Replace object, insert palette";
    QTest::newRow("replace palette") << false << true << "Insert object, replace palette";
    QTest::newRow("replace both") << true << true << "Replace object, replace palette";
}

void MenuViewsTest::importObjectImage() {
    NAVORA_NEED_CORPUS_QT("igs");
    QFETCH(bool, replaceObject);
    QFETCH(bool, replacePalette);
    QFETCH(QString, title);
    test::TempDir tmp;
    const fs::path source = corpusMenu("libblu_anim");
    const Bytes png = smallPng(24, 9);
    test::writeFile(tmp / "object.png", png);

    MenuWindow o;
    o.load(source);
    o.showSubTab(MenuTab::SubObjects);
    const int objectRow = 2;
    clickCell(o.objects()->sgObjects(), objectRow, 1);
    clickCell(o.objects()->sgPalettes(), 0, 1);
    if (replaceObject) click(o.objects()->cbReplaceObject());
    if (replacePalette) click(o.objects()->cbReplacePalette());
    QCOMPARE(o.objects()->cbReplaceObject()->isChecked(), replaceObject);
    QString asked;
    o.tab()->dialogs.openFile = [&](const QString& t, const QString&, const QStringList&) {
        asked = t;
        return QString::fromStdString((tmp / "object.png").string());
    };
    if (replaceObject && replacePalette) {
        // Insert on the object grid starts the same import.
        o.objects()->sgObjects()->setFocus();
        QTest::keyClick(o.objects()->sgObjects(), Qt::Key_Insert);
    } else {
        QTest::mouseClick(o.objects()->bbLoadIGObj(), Qt::LeftButton);
    }
    QCOMPARE(asked, title);

    // The model is what the engine's import makes of the same file and choices.
    TIGSc expected = loadMNUFile(source);
    const ImportedImage at =
        navora::importObjectImage(expected, readIndexedPng(png, "object.png"),
                                  replaceObject ? std::optional<std::size_t>(objectRow) : std::nullopt,
                                  replacePalette ? std::optional<std::size_t>(0) : std::nullopt);
    QVERIFY(sameMenu(o.menu(), expected));
    QVERIFY(o.marked());
    QCOMPARE(o.objects()->sgObjects()->dataRows(), int(expected.objects.size()));
    QCOMPARE(o.objects()->sgPalettes()->dataRows(), int(expected.palettes.size()));
    QCOMPARE(o.objects()->cbObjects()->currentIndex(), int(at.object));
    QCOMPARE(o.objects()->cbPalettes()->currentIndex(), int(at.palette));
    QCOMPARE(o.objects()->sgObjects()->cell(int(at.object), 1), QStringLiteral("24"));
    QCOMPARE(o.objects()->picture()->image().size(), QSize(24, 9));
    QVERIFY(!o.objects()->cbReplaceObject()->isChecked() && !o.objects()->cbReplacePalette()->isChecked());

    // Save writes what the engine alone writes for that menu.
    o.saveTo(o.w.bSave(), tmp / "out.mnu");
    QCOMPARE(test::readFile(tmp / "out.mnu"), saveIGS(expected, IgsForm::Mnu));
    QVERIFY(!o.marked());

    // Undo gives the menu as loaded.
    o.undo();
    QVERIFY(sameMenu(o.menu(), loadMNUFile(source)));
    QCOMPARE(o.objects()->sgObjects()->dataRows(), int(o.menu().objects.size()));
    QVERIFY(o.marked());
}

void MenuViewsTest::exportsWriteTheChosenFormat() {
    NAVORA_NEED_CORPUS_QT("igs");
    test::TempDir tmp;
    const fs::path source = corpusMenu("libblu_pages3");
    MenuWindow o;
    o.load(source);
    o.showSubTab(MenuTab::SubObjects);
    clickCell(o.objects()->sgObjects(), 3, 1);
    clickCell(o.objects()->sgPalettes(), 1, 1);
    TIGSc engine = loadMNUFile(source);
    QString proposed;
    QString chosenName;
    QString chosenFilter;
    o.tab()->dialogs.saveFile = [&](const QString&, const QString& start, const QStringList& filters,
                                    QString* selected) {
        proposed = start;
        if (selected && !chosenFilter.isEmpty()) *selected = filters.filter(chosenFilter).front();
        return QString::fromStdString((tmp / chosenName.toStdString()).string());
    };

    chosenName = QStringLiteral("object.png");
    QTest::mouseClick(o.objects()->bbSaveIGObj(), Qt::LeftButton);
    QCOMPARE(proposed, QStringLiteral("IGobject_0003_pal_01.png"));
    QCOMPARE(test::readFile(tmp / "object.png"),
             objectImagePng(engine, 3, 1, mainWindowTitle("")));

    // The extension says the format, in any case; a name without a known one takes the chosen filter's.
    struct Case {
        const char* name;
        const char* filter;
        const char* written;
        bool act;
    };
    for (const Case& c : {Case{"p.pxml", "pxml", "p.pxml", false}, Case{"p.act", "pxml", "p.act", true},
                          Case{"P.PXML", "act", "P.PXML", false}, Case{"p.txt", "act", "p.txt", true},
                          Case{"plain", "act", "plain.act", true}}) {
        chosenName = QLatin1String(c.name);
        chosenFilter = QLatin1String(c.filter);
        QTest::mouseClick(o.objects()->bbSavePale(), Qt::LeftButton);
        QCOMPARE(proposed, QStringLiteral("palette_001"));
        const Bytes expected = c.act ? paletteToAct(engine.palettes[1])
                                     : [&] {
                                           const std::string text = paletteToPxml(engine.palettes[1]);
                                           return Bytes(text.begin(), text.end());
                                       }();
        QVERIFY2(test::readFile(tmp / c.written) == expected, c.name);
    }
}

void MenuViewsTest::unsupportedImagesChangeNothing() {
    NAVORA_NEED_CORPUS_QT("igs");
    test::TempDir tmp;
    // A true-colour PNG, and an indexed one wider than the menu's video.
    QImage rgb(16, 16, QImage::Format_RGB32);
    rgb.fill(Qt::red);
    QVERIFY(rgb.save(QString::fromStdString((tmp / "rgb.png").string())));
    test::writeFile(tmp / "wide.png", smallPng(1441, 4));
    test::writeFile(tmp / "broken.png", Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0});

    MenuWindow o;
    const fs::path source = corpusMenu("libblu_togglebog");  // 1440x1080
    o.load(source);
    o.showSubTab(MenuTab::SubObjects);
    const int steps = o.w.document().undoStack()->count();
    for (const char* file : {"rgb.png", "wide.png", "broken.png"}) {
        const fs::path path = tmp / file;
        o.tab()->dialogs.openFile = [path](const QString&, const QString&, const QStringList&) {
            return QString::fromStdString(path.string());
        };
        QTest::mouseClick(o.objects()->bbLoadIGObj(), Qt::LeftButton);
        if (std::string(file) != "broken.png")
            QCOMPARE(o.panel(1), QStringLiteral("Not supported file format!"));
        else
            QVERIFY(mainLog().errorFlag);
        QVERIFY(sameMenu(o.menu(), loadMNUFile(source)));
        QCOMPARE(o.w.document().undoStack()->count(), steps);
        QVERIFY(!o.marked());
    }
}

void MenuViewsTest::saveReloadAndMuxEveryCorpusMenu() {
    NAVORA_NEED_CORPUS_QT("igs");
    for (const fs::path& mnu : corpusMenus()) {
        const std::string name = mnu.stem().string();
        test::TempDir tmp;
        MenuWindow o;
        o.load(mnu);
        const TIGSc loaded = o.menu();
        o.saveTo(o.w.bSave(), tmp / "saved.mnu");
        TIGSc engine = loadMNUFile(mnu);
        QVERIFY2(test::readFile(tmp / "saved.mnu") == saveIGS(engine, IgsForm::Mnu), name.c_str());
        o.load(tmp / "saved.mnu");
        QVERIFY2(sameMenu(o.menu(), loaded), name.c_str());

        o.saveTo(o.w.bMux(), tmp / "muxed");
        QVERIFY2(fs::exists(tmp / "muxed.m2ts"), name.c_str());
        const auto fromMnu = test::runCli({"menu", "dump", (tmp / "saved.mnu").string()});
        const auto fromTs = test::runCli({"menu", "dump", (tmp / "muxed.m2ts").string()});
        QCOMPARE(fromMnu.exitCode, 0);
        QCOMPARE(fromTs.exitCode, 0);
        QVERIFY2(fromTs.out == fromMnu.out, name.c_str());
    }
}

void MenuViewsTest::failedLoadKeepsTheMenu() {
    NAVORA_NEED_CORPUS_QT("igs");
    test::TempDir tmp;
    const fs::path good = corpusMenu("libblu_vert3");
    const Bytes bytes = test::readFile(good);
    // Cut inside a segment, and a file that is no menu at all.
    test::writeFile(tmp / "cut.mnu", Bytes(bytes.begin(), bytes.begin() + 40));
    test::writeFile(tmp / "text.mnu", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});

    MenuWindow o;
    o.load(good);
    const TIGSc before = o.menu();
    // An edit not yet saved must survive a failed load.
    o.showSubTab(MenuTab::SubObjects);
    clickCell(o.objects()->sgPalettes(), 0, 1);
    click(o.objects()->cbPalOnly());
    o.tab()->dialogs.colour = [](const QString&, const QColor&) { return QColor(1, 2, 3); };
    QTest::mouseDClick(o.objects()->picture(), Qt::LeftButton, {}, paletteChartCell(9) + QPoint(4, 4));
    QVERIFY(o.marked());
    const TIGSc edited = o.menu();
    for (const char* file : {"cut.mnu", "text.mnu", "missing.mnu"}) {
        mainLog().errorFlag = false;
        o.load(tmp / file);
        QVERIFY2(mainLog().errorFlag, file);
        QVERIFY2(sameMenu(o.menu(), edited), file);
        QVERIFY(o.marked());
        QCOMPARE(o.tab()->cbPage()->count(), int(before.pages.size()));
        QCOMPARE(o.objects()->sgObjects()->dataRows(), int(before.objects.size()));
    }
    // A folder read keeps the menu and its unsaved state.
    QTest::keyClick(&o.w, Qt::Key_B, Qt::AltModifier);
    QTest::mouseClick(o.w.bdmvTab()->bReadBDMV(), Qt::LeftButton);
    QVERIFY(mainLog().errorFlag);  // the empty folder field fails its check
    QVERIFY(sameMenu(o.menu(), edited));
    QVERIFY(o.marked());
}

void MenuViewsTest::menuFileFromAClipShowsTheMenuTab() {
    NAVORA_NEED_CORPUS_QT("igs");
    MenuWindow o;
    QTest::keyClick(&o.w, Qt::Key_B, Qt::AltModifier);
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabBdmv));
    // What "-> M&enu" hands over once it has extracted the clip's IG stream.
    QMetaObject::invokeMethod(o.tab(), "loadMenuFile",
                              Q_ARG(QString, QString::fromStdString(corpusMenu("libblu_popup_hd").string())));
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabMenu));
    QCOMPARE(o.tab()->cbPage()->count(), 1);
    QVERIFY(o.w.bSave()->isVisible() && o.w.bSave()->isEnabled());
    QCOMPARE(o.panel(0), QStringLiteral("Ready."));
}
