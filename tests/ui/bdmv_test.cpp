#include "uitests.h"

#include "disc/demo.h"
#include "core/log.h"
#include "core/logviews.h"
#include "nav/disasm.h"
#include "nav/edit.h"
#include "core/extdata.h"
#include "navdb/index_edit.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_edit.h"
#include "navdb/movieobject_io.h"
#include "support/testsupport.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/widgets/commandgrid.h"
#include "ui/widgets/composer.h"
#include "ui/app/document.h"
#include "ui/app/execpanel.h"
#include "ui/bdmv/indexview.h"
#include "ui/bdmv/mobjview.h"
#include "ui/options/optionstab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/shell/qtlogview.h"
#include "ui/app/regpanel.h"
#include "ui/app/runcontroller.h"
#include "ui/shell/statustab.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPalette>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

// A window that has read a folder given as the one argument.
struct Opened {
    explicit Opened(const fs::path& disc, bool shown = false) {
        if (shown) {
            showActive(&w);
        }
        w.formActivate({QString::fromStdString((disc / "BDMV" / "index.bdmv").string())});
    }
    TfMain w;
    MobjView* mobj() const { return w.bdmvTab()->mobjView(); }
    IndexView* index() const { return w.bdmvTab()->indexView(); }
    CommandGrid* commands() const { return w.bdmvTab()->mobjView()->sgCommands(); }
    const TCommands& program(std::size_t object) { return w.workspace().mobj.mobjs.objects.at(object).commands; }
    QString panel(int n) const { return w.statusBarWidget()->panelText(n); }
};

// The demo disc written into a fresh folder.
struct Demo {
    Demo() { makeDemoDisc(tmp.path()); }
    test::TempDir tmp;
    fs::path root() const { return tmp.path(); }
};

// The plain text of the message log's lines.
QStringList logLines(TfMain& w) {
    QStringList out;
    QTextDocument* doc = w.statusTab()->reMessage()->document();
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) out << b.text();
    return out;
}

// The pixels of exactly colour c inside r.
int pixelsOf(const QImage& img, const QRect& r, const QColor& c) {
    int n = 0;
    for (int y = std::max(r.top(), 0); y <= std::min(r.bottom(), img.height() - 1); ++y)
        for (int x = std::max(r.left(), 0); x <= std::min(r.right(), img.width() - 1); ++x)
            if (img.pixelColor(x, y) == c) ++n;
    return n;
}

// The pixels of text drawn in colour c on white: exactly c, or c blended
// with white by at most half (thin glyphs of some digits have no pixel of
// full coverage).
int inkOf(const QImage& img, const QRect& r, const QColor& c) {
    int n = 0;
    for (int y = std::max(r.top(), 0); y <= std::min(r.bottom(), img.height() - 1); ++y)
        for (int x = std::max(r.left(), 0); x <= std::min(r.right(), img.width() - 1); ++x) {
            const QColor p = img.pixelColor(x, y);
            const double t = double(p.red() - c.red()) / (255 - c.red());
            if (t < 0 || t > 0.5) continue;
            const auto near = [&](int got, int base) { return std::abs(got - (base + t * (255 - base))) <= 3; };
            // The tint of c survives the blend (grey text is a little blue; black text blends to plain grey).
            const bool tinted = (c.blue() - c.red()) * (p.blue() - p.red()) > 0 || c.blue() == c.red();
            if (near(p.green(), c.green()) && near(p.blue(), c.blue()) && tinted) ++n;
        }
    return n;
}

QRect rowRect(CommandGrid* g, int row) {
    QRect r;
    for (int c = 0; c < g->columnCount(); ++c) r |= g->visualRect(g->model()->index(row, c));
    return r;
}

QRect cellRect(CommandGrid* g, int row, int column) { return g->visualRect(g->model()->index(row, column)); }

// Keeps every status panel text that was set, in order.
class PanelHistory : public RecordingLogView {
public:
    void setPanel(int panel, const std::string& display, const std::string& plain) override {
        RecordingLogView::setPanel(panel, display, plain);
        history.push_back({panel, plain});
    }
    std::vector<std::pair<int, std::string>> history;
};

}  // namespace

void BdmvViewsTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
    mainLog().cancelConfirm = false;
    commandClipboard().commands.clear();
}

void BdmvViewsTest::corpusDiscFillsTheViews() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    const auto discs = test::corpusDiscs();
    QVERIFY(!discs.empty());
    Opened o(discs.front());
    const Workspace& ws = o.w.workspace();
    QVERIFY(ws.mobjLoaded && ws.indexLoaded);
    const auto& objects = ws.mobj.mobjs.objects;
    QCOMPARE(objects.size(), std::size_t{3});

    StringGrid* grid = o.mobj()->sgObject();
    QCOMPARE(grid->dataRows(), 3);
    for (int n = 0; n < 3; ++n) {
        const auto cells = objline(objects[static_cast<std::size_t>(n)], static_cast<std::size_t>(n));
        for (int c = 0; c < 5; ++c) QCOMPARE(grid->cell(n, c), QString::fromStdString(cells[c]));
    }
    QCOMPARE(o.mobj()->lObjCount()->text(), QString("3 objects"));
    QCOMPARE(o.mobj()->lObjExtDat()->text(), QString::fromStdString(ExtDatCap(ws.mobj.ext)));
    QCOMPARE(o.index()->lIndexExtDat()->text(), QString::fromStdString(ExtDatCap(ws.index.ext)));
    QCOMPARE(o.index()->lTitleCount()->text(), QString::fromStdString(BDMVlabels(ws.index, 3).titles));
    QCOMPARE(o.index()->sgTitles()->dataRows(), static_cast<int>(ws.index.indexes.titles.size()));

    // After the read the first movie object is shown with every command row as the disassembler writes it.
    QCOMPARE(o.mobj()->selectedObject(), std::optional<std::size_t>(0));
    const TCommands& list = o.program(0);
    QCOMPARE(o.commands()->dataRows(), static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto cells = comm2str(list[i], i, CommandContext::MovieObject).cells();
        for (int c = 0; c < 5; ++c)
            QCOMPARE(o.commands()->cell(static_cast<int>(i), c), QString::fromStdString(cells[c]));
    }
    QCOMPARE(o.commands()->currentRow(), 0);
    QVERIFY(o.mobj()->cbResume()->isEnabled());
    QVERIFY(o.mobj()->bbSaveCommands()->isEnabled());
    QVERIFY(o.w.run()->execPanel()->bStart()->isEnabled());
    QCOMPARE(o.w.run()->execPanel()->cbObject()->count(), 3);
    QCOMPARE(o.w.run()->execPanel()->cbObject()->itemText(2), QString("0002"));
    QCOMPARE(o.w.run()->execPanel()->cbObject()->currentText(), QString("0000"));

    // Choosing another object in the execution panel shows it.
    emit o.w.run()->execPanel()->cbObject()->activated(2);
    QCOMPARE(o.mobj()->selectedObject(), std::optional<std::size_t>(2));
    QCOMPARE(o.commands()->dataRows(), static_cast<int>(o.program(2).size()));

}

void BdmvViewsTest::corpusDiscsSaveUnchanged() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    // Showing every object, command and title changes nothing: a save writes the files as they were read.
    int checked = 0;
    for (const fs::path& disc : test::corpusDiscs()) {
        test::TempDir tmp;
        const fs::path bdmv = tmp / "BDMV";
        for (const char* folder : {"PLAYLIST", "CLIPINF", "BACKUP"}) fs::create_directories(bdmv / folder);
        const Bytes index = test::readFile(disc / "BDMV" / "index.bdmv");
        const Bytes mobj = test::readFile(disc / "BDMV" / "MovieObject.bdmv");
        test::writeFile(bdmv / "index.bdmv", index);
        test::writeFile(bdmv / "MovieObject.bdmv", mobj);
        Opened o(tmp.path());
        // Every disc reads, the UHD ("0300") one included.
        QVERIFY2(o.w.workspace().indexLoaded && o.w.workspace().mobjLoaded, disc.string().c_str());
        ++checked;
        for (int n = 0; n < o.mobj()->sgObject()->dataRows(); ++n) {
            o.mobj()->setObjectSG(n);
            for (int line = 0; line < o.commands()->dataRows(); ++line) o.mobj()->showLine(line);
        }
        for (int t = 0; t < o.index()->sgTitles()->dataRows(); ++t) o.index()->selectTitle(t);
        o.w.bSaveClick();
        QVERIFY2(!mainLog().errorFlag, disc.string().c_str());
        QVERIFY2(test::readFile(bdmv / "index.bdmv") == index, disc.string().c_str());
        QVERIFY2(test::readFile(bdmv / "MovieObject.bdmv") == mobj, disc.string().c_str());
    }
    QVERIFY(checked >= 11);
}

void BdmvViewsTest::rejectedIndexLeavesViewsDisabled() {
    Demo demo;
    // A MovieObject.bdmv that is accepted beside an index.bdmv that is not.
    test::writeFile(demo.root() / "BDMV" / "index.bdmv", Bytes{'I', 'N', 'D', 'X', '9', '9', '9', '9'});
    Opened o(demo.root());
    QVERIFY(o.w.workspace().mobjLoaded);
    QVERIFY(!o.w.workspace().indexLoaded);
    QVERIFY(!o.index()->sgTitles()->isEnabled());
    QVERIFY(!o.index()->eContent()->isEnabled());
    QVERIFY(!o.index()->cbFPBon()->isEnabled());
    QVERIFY(!o.mobj()->sgObject()->isEnabled());
    QVERIFY(!o.mobj()->bbObins()->isEnabled());
    QVERIFY(!o.mobj()->bbObdel()->isEnabled());
    QCOMPARE(o.mobj()->selectedObject(), std::nullopt);
    QVERIFY(!o.w.run()->execPanel()->bStart()->isEnabled());

    // A refused MovieObject.bdmv leaves no button that could edit it.
    Demo both;
    test::writeFile(both.root() / "BDMV" / "MovieObject.bdmv", Bytes{'M', 'O', 'B', 'J', '0', '4', '0', '0'});
    Opened refused(both.root());
    QVERIFY(!refused.w.workspace().mobjLoaded);
    for (QToolButton* b : {refused.mobj()->bbObins(), refused.mobj()->bbObdel(), refused.mobj()->bbNCins(),
                           refused.mobj()->bbNCdel()})
        QVERIFY(!b->isEnabled());
}

void BdmvViewsTest::invalidAndForbiddenRowsPainted() {
    Demo demo;
    Opened o(demo.root(), true);
    CommandGrid* g = o.commands();
    const QColor red(255, 0, 0), orange(255, 170, 0), blue(0, 0, 255), green(0, 128, 0);

    // Object 1: Play PL, Still On and Link MK (forbidden in a movie object), Jump Title.
    o.mobj()->setObjectSG(1);
    QVERIFY(g->cell(1, ColCommandLine).startsWith("*Still On"));
    QImage img = g->viewport()->grab().toImage();
    QVERIFY(pixelsOf(img, rowRect(g, 1), orange) > 0);
    QVERIFY(pixelsOf(img, rowRect(g, 2), orange) > 0);
    QCOMPARE(pixelsOf(img, rowRect(g, 3), orange), 0);
    QVERIFY(pixelsOf(img, cellRect(g, 3, ColOpcode), blue) > 0);
    // The forbidden row's colour becomes the background of the selected row.
    o.mobj()->showLine(1);
    img = g->viewport()->grab().toImage();
    const QRect line = cellRect(g, 1, ColCommandLine);
    QVERIFY(pixelsOf(img, line, orange) > line.width() * line.height() / 2);

    // Object 3: invalid words in red; a used operand blue, an unused one grey.
    o.mobj()->setObjectSG(3);
    QVERIFY(g->cell(0, ColCommandLine).startsWith("!"));
    img = g->viewport()->grab().toImage();
    QVERIFY(pixelsOf(img, rowRect(g, 1), red) > 0);
    QCOMPARE(pixelsOf(img, rowRect(g, 2), red), 0);
    QVERIFY(inkOf(img, cellRect(g, 3, ColDestination), QColor(160, 160, 164)) > 0);

    // Object 0: a register comment after ";" in green italics unless the row is selected.
    o.mobj()->setObjectSG(0);
    QVERIFY(g->cell(1, ColCommandLine).contains(";PSR4: "));
    // The window fits the narrow test screen: the word columns make room for the comment.
    const int width = g->columnWidth(ColCommandLine);
    for (int c : {ColOpcode, ColDestination, ColSource}) g->hideColumn(c);
    g->setColumnWidth(ColCommandLine, 300);
    img = g->viewport()->grab().toImage();
    QVERIFY(pixelsOf(img, cellRect(g, 1, ColCommandLine), green) > 0);
    for (int c : {ColOpcode, ColDestination, ColSource}) g->showColumn(c);
    g->setColumnWidth(ColCommandLine, width);
    o.mobj()->showLine(1);
    img = g->viewport()->grab().toImage();
    QCOMPARE(pixelsOf(img, cellRect(g, 1, ColCommandLine), green), 0);
}

void BdmvViewsTest::commandCellPaintingRules() {
    const QString invalid = "!  ; Invalid opcode";
    const QString forbidden = "*Still On  ; Forbidden opcode";
    const CellState plain;
    const CellState selected{true, false, false};
    const QColor red(255, 0, 0), orange(255, 170, 0), blue(0, 0, 255), grey(160, 160, 164), green(0, 128, 0);

    // Invalid row: every cell red, command line bold; selected: red background.
    CellPaint p = sgCommandsDrawCell("12345678", invalid, ColOpcode, plain);
    QCOMPARE(p.text, std::optional<QColor>(red));
    QVERIFY(!p.bold);
    p = sgCommandsDrawCell(invalid, invalid, ColCommandLine, plain);
    QVERIFY(p.bold);
    QCOMPARE(p.text, std::optional<QColor>(red));
    QCOMPARE(p.normal, QString("! "));
    QCOMPARE(p.italic, QString(" ; Invalid opcode"));
    QCOMPARE(p.italicColour, std::optional<QColor>(green));
    p = sgCommandsDrawCell(forbidden, forbidden, ColCommandLine, selected);
    QCOMPARE(p.background, std::optional<QColor>(orange));
    QVERIFY(!p.text.has_value());
    QVERIFY(!p.italicColour.has_value());

    // Normal rows: blue opcode, blue or grey operand words by the marker blank.
    QCOMPARE(sgCommandsDrawCell("20810000", "GoTo 5", ColOpcode, plain).text, std::optional<QColor>(blue));
    QCOMPARE(sgCommandsDrawCell("00000005 ", "GoTo 5", ColDestination, plain).text, std::optional<QColor>(blue));
    QCOMPARE(sgCommandsDrawCell("00000000", "GoTo 5", ColSource, plain).text, std::optional<QColor>(grey));
    QVERIFY(!sgCommandsDrawCell("0001", "GoTo 5", ColNo, plain).text.has_value());
    p = sgCommandsDrawCell("00000005 ", "GoTo 5", ColDestination, selected);
    QVERIFY(!p.text.has_value());
    QCOMPARE(p.normal, QString("00000005"));  // trimmed
    QVERIFY(sgCommandsDrawCell("GoTo 5", "GoTo 5", ColCommandLine, selected).bold);
    QVERIFY(!sgCommandsDrawCell("GoTo 5", "GoTo 5", ColCommandLine, plain).bold);

    // A comment in a focused or fixed cell is italic but not green.
    p = sgCommandsDrawCell("EQ GPR3, PSR4       ;PSR4: x", "", ColCommandLine, CellState{false, true, false});
    QCOMPARE(p.normal, QString("EQ GPR3, PSR4      "));
    QCOMPARE(p.italic, QString(" ;PSR4: x"));
    QVERIFY(!p.italicColour.has_value());
    p = sgCommandsDrawCell("No.", "Command line", ColNo, CellState{false, false, true});
    QVERIFY(p.header);
    QVERIFY(!p.text.has_value());
}

void BdmvViewsTest::insertAndDeleteObjects() {
    Demo demo;
    Opened o(demo.root());
    Workspace& ws = o.w.workspace();
    MobjView* v = o.mobj();
    const std::uint32_t length = ws.mobj.mobjs.length;

    // "+" after object 2: the old objects 3 and 4 become 4 and 5, and so do the titles on them.
    v->setObjectSG(2);
    v->bbObins()->click();
    QCOMPARE(ws.mobj.mobjs.objects.size(), std::size_t{6});
    QCOMPARE(ws.mobj.mobjs.length, length + 4);
    QCOMPARE(v->selectedObject(), std::optional<std::size_t>(3));
    QCOMPARE(v->sgObject()->dataRows(), 6);
    QCOMPARE(v->sgObject()->cell(3, 4), QString("0"));
    QCOMPARE(v->sgObject()->cell(5, 0), QString("005"));
    QCOMPARE(v->lObjCount()->text(), QString("6 objects"));
    QCOMPARE(o.index()->sgTitles()->cell(1, 4), QString("4"));
    QCOMPARE(o.index()->sgTitles()->cell(3, 4), QString("5"));
    QCOMPARE(o.w.run()->execPanel()->cbObject()->count(), 6);
    QCOMPARE(o.index()->cbTitleOID()->count(), 6);
    QCOMPARE(o.commands()->dataRows(), 0);
    QVERIFY(!v->bbSaveCommands()->isEnabled());
    QVERIFY(!o.w.run()->execPanel()->bStart()->isEnabled());

    // "-" on the new object and the one after it (title 2's object): title 2 loses its object.
    v->sgObject()->selectRange(3, 4);
    const std::size_t removedCommands = o.program(4).size();
    v->bbObdel()->click();
    QCOMPARE(ws.mobj.mobjs.objects.size(), std::size_t{4});
    QCOMPARE(ws.mobj.mobjs.length, length + 4 - 8 - 12 * static_cast<std::uint32_t>(removedCommands));
    QCOMPARE(ws.mobj.mobjs.length, movieObjectsLength(ws.mobj.mobjs));
    QCOMPARE(ws.index.indexes.titles[1].mobj_id_ref, kNoObject);
    QCOMPARE(o.index()->sgTitles()->cell(1, 4), QString("??"));
    QCOMPARE(o.index()->sgTitles()->cell(3, 4), QString("3"));
    QCOMPARE(v->lObjCount()->text(), QString("4 objects"));
    QCOMPARE(v->selectedObject(), std::optional<std::size_t>(2));
    QVERIFY(logLines(o.w).contains("ERROR: Invalid object reference in Title 2"));
    QVERIFY(o.w.statusBarWidget()->errorShown());
    QCOMPARE(o.panel(1), QString(" See Status"));
    mainLog().errorFlag = false;

    // Deleting every object leaves an empty grid and disabled flag boxes.
    v->sgObject()->selectRange(0, 3);
    v->bbObdel()->click();
    QCOMPARE(v->sgObject()->dataRows(), 0);
    QVERIFY(!v->cbResume()->isEnabled());
    QCOMPARE(v->selectedObject(), std::nullopt);
    QCOMPARE(v->lObjCount()->text(), QString("0 objects"));
    QCOMPARE(o.w.run()->execPanel()->cbObject()->count(), 0);
    mainLog().errorFlag = false;
}

void BdmvViewsTest::progressWhileBuildingCommands() {
    Document doc;
    Workspace& ws = doc.workspace();
    ws.mobjLoaded = ws.indexLoaded = true;
    Tmobject big;
    big.commands.assign(300, TCommand{});
    ws.mobj.mobjs.objects = {big};
    Log log;
    PanelHistory view;
    log.setView(&view);
    MobjView v(doc, log);
    v.fill();
    v.setObjectSG(0);
    std::vector<std::pair<int, std::string>> expected = {
        {0, "Building commands..."}, {1, "1/300"}, {1, "129/300"}, {1, "257/300"}, {0, "Ready."}, {1, ""}};
    std::vector<std::pair<int, std::string>> seen;
    for (const auto& entry : view.history)
        if (entry.second.find("/300") != std::string::npos || entry.second.rfind("Building", 0) == 0 || !seen.empty())
            seen.push_back(entry);
    QCOMPARE(seen, expected);
    QCOMPARE(v.sgCommands()->dataRows(), 300);
}

void BdmvViewsTest::titleInsertAndDeleteByKeys() {
    Demo demo;
    Opened o(demo.root());
    Workspace& ws = o.w.workspace();
    StringGrid* g = o.index()->sgTitles();
    const std::uint32_t length = ws.index.indexes.length;

    g->selectRange(1, 1);
    QTest::keyClick(g, Qt::Key_Insert);
    QCOMPARE(ws.index.indexes.titles.size(), std::size_t{5});
    QCOMPARE(ws.index.indexes.length, length + 12);
    QCOMPARE(g->dataRows(), 5);
    QCOMPARE(g->currentRow(), 2);
    QCOMPARE(g->cell(2, 0), QString("003"));
    QCOMPARE(g->cell(2, 1), QString("HDMV"));
    QCOMPARE(g->cell(2, 4), QString("0"));
    QCOMPARE(g->cell(3, 1), QString("BD-J"));
    QCOMPARE(o.index()->cbTitleNo()->count(), 5);
    QCOMPARE(o.index()->cbTitleNo()->currentIndex(), 2);
    QCOMPARE(o.index()->lTitleCount()->text(), QString("5 + 2 titles"));
    // Showing the new title selected its movie object.
    QCOMPARE(o.mobj()->selectedObject(), std::optional<std::size_t>(0));

    g->selectRange(2, 3);
    QTest::keyClick(g, Qt::Key_Delete);
    QCOMPARE(ws.index.indexes.titles.size(), std::size_t{3});
    QCOMPARE(ws.index.indexes.length, length - 12);
    QCOMPARE(g->dataRows(), 3);
    QCOMPARE(g->currentRow(), 1);
    QCOMPARE(g->cell(2, 0), QString("003"));
    QCOMPARE(g->cell(2, 4), QString("4"));
    QCOMPARE(o.index()->lTitleCount()->text(), QString("3 + 2 titles"));

    // Top Menu off counts one entry less; the reference is kept as none.
    o.index()->cbTMon()->click();
    QCOMPARE(ws.index.indexes.top_menu.mobj_id_ref, kNoObject);
    QCOMPARE(o.index()->lTitleCount()->text(), QString("3 + 1 titles"));
    QVERIFY(!o.index()->cbTMObject()->isEnabled());
}

void BdmvViewsTest::firstPlaybackAndTopMenuOnOff() {
    Demo demo;
    const fs::path bdmv = demo.root() / "BDMV";
    // First Playback off, Top Menu on the BD-J object 00001, title 3 on a BD-J object the folder lacks.
    TINDX x = readIndex(test::readFile(bdmv / "index.bdmv"), "index.bdmv");
    x.indexes.first_playback.mobj_id_ref = kNoObject;
    x.indexes.top_menu.object_type = ObjectType::BDJ;
    x.indexes.top_menu.bdjo_file_name = "00001";
    x.indexes.titles[2].bdjo_file_name = "00009";
    test::writeFile(bdmv / "index.bdmv", writeIndex(x));
    test::writeFile(bdmv / "BDJO" / "00001.bdjo", Bytes{'B', 'D', 'J', 'O'});
    Opened o(demo.root());
    IndexView* v = o.index();
    const TIndexes& ix = o.w.workspace().index.indexes;
    QVERIFY(!v->cbFPBon()->isChecked());
    QCOMPARE(v->lTitleCount()->text(), QString("4 + 1 titles"));

    // On with no object chosen yet: the box stays on and the object list opens for the choice.
    v->cbFPBon()->click();
    QVERIFY(v->cbFPBon()->isChecked());
    QVERIFY(v->cbFPBObject()->isEnabled());
    QCOMPARE(ix.first_playback.mobj_id_ref, kNoObject);
    QCOMPARE(v->lTitleCount()->text(), QString("4 + 1 titles"));
    v->cbFPBObject()->setCurrentIndex(3);
    emit v->cbFPBObject()->activated(3);
    QCOMPARE(ix.first_playback.mobj_id_ref, std::uint16_t{3});
    QCOMPARE(v->lTitleCount()->text(), QString("4 + 2 titles"));
    QCOMPARE(o.mobj()->selectedObject(), std::optional<std::size_t>(3));

    // Off and on again: the object list's choice comes back as the reference.
    v->cbFPBon()->click();
    QCOMPARE(ix.first_playback.mobj_id_ref, kNoObject);
    QVERIFY(!v->cbFPBObject()->isEnabled());
    QCOMPARE(v->lTitleCount()->text(), QString("4 + 1 titles"));
    v->cbFPBon()->click();
    QCOMPARE(ix.first_playback.mobj_id_ref, std::uint16_t{3});
    QCOMPARE(v->cbFPBObject()->currentText(), QString("3"));
    QCOMPARE(v->lTitleCount()->text(), QString("4 + 2 titles"));

    // A BD-J Top Menu turned into HDMV shows the object it will be written with.
    QVERIFY(v->cbTMFile()->isEnabled());
    emit v->cbTMtype()->activated(0);
    QCOMPARE(ix.top_menu.object_type, ObjectType::HDMV);
    QVERIFY(v->cbTMObject()->isEnabled());
    QCOMPARE(v->cbTMObject()->currentText(), QString::number(ix.top_menu.mobj_id_ref));

    // The BD-J file box of a title whose file is not in the list shows no file.
    v->selectTitle(2);
    QCOMPARE(v->sgTitles()->cell(2, 4), QString("00009"));
    QCOMPARE(v->cbTitleFN()->currentIndex(), -1);
}

void BdmvViewsTest::titleBoxesStoreTheirValues() {
    Demo demo;
    const fs::path bdmv = demo.root() / "BDMV";
    // Title 1 with access type 1, which has no entry of its own.
    TINDX x = readIndex(test::readFile(bdmv / "index.bdmv"), "index.bdmv");
    x.indexes.titles[0].access_type = AccessType{1};
    test::writeFile(bdmv / "index.bdmv", writeIndex(x));
    Opened o(demo.root());
    IndexView* v = o.index();
    const TTitle& t = o.w.workspace().index.indexes.titles[0];
    v->selectTitle(0);
    QCOMPARE(v->cbTitleAT()->currentText(), QString("Permitted"));
    QCOMPARE(v->sgTitles()->cell(0, 2), QString("Permitted"));

    // The title search box stores 2 and 3 for its two Prohibited entries, 0 for Permitted.
    const std::pair<Qt::Key, AccessType> steps[] = {{Qt::Key_Down, AccessType::Prohibited1},
                                                   {Qt::Key_Down, AccessType::Prohibited2},
                                                   {Qt::Key_Home, AccessType::Permitted}};
    for (auto [key, stored] : steps) {
        QTest::keyClick(v->cbTitleAT(), key);
        QVERIFY(t.access_type == stored);
        QCOMPARE(v->sgTitles()->cell(0, 2), QString::fromStdString(accessTypeName(stored)));
    }
    QTest::keyClick(v->cbTitlePBT(), Qt::Key_Down);
    QVERIFY(t.playback_type == PlaybackType::Interactive);
    QCOMPARE(v->sgTitles()->cell(0, 3), QString("Interactive"));
}

void BdmvViewsTest::composerEditsAreSaved() {
    Demo demo;
    Opened o(demo.root(), true);
    Composer* c = o.mobj()->composer();
    o.mobj()->setObjectSG(0);
    o.mobj()->showLine(0);  // Move GPR0, 0

    // The option "Add" (index 3 of Set) rewrites the opcode and the row.
    emit c->cbCmd()->activated(3);
    QCOMPARE(o.program(0)[0].w[0], 0x50400003u);
    QCOMPARE(o.commands()->cell(0, ColCommandLine), QString("Add GPR0, 0"));
    // A typed source value is stored when Enter leaves the box; the grid gets the focus.
    c->ieOp2()->setFocus();
    c->ieOp2()->selectAll();
    QTest::keyClicks(c->ieOp2(), "7");
    QTest::keyClick(c->ieOp2(), Qt::Key_Return);
    QCOMPARE(o.program(0)[0].w[2], 7u);
    QCOMPARE(o.commands()->cell(0, ColCommandLine), QString("Add GPR0, 7"));
    QTRY_VERIFY(o.commands()->hasFocus());
    // The group "Compare" keeps the operand count; the destination type "PSR" sets bit 31.
    emit c->cbCmdGrp()->activated(1);
    QCOMPARE(o.program(0)[0].w[0], 0x48400000u);
    emit c->cbOP1()->activated(1);
    QCOMPARE(o.program(0)[0].w[1], 0x80000000u);
    QCOMPARE(c->cbOP1()->currentText(), QString("PSR"));
    QCOMPARE(o.commands()->toolTip().left(5), QString("PSR0:"));
    // The word box takes hexadecimal; passing through a box without typing changes nothing.
    c->heOCH()->setFocus();
    c->heOCH()->selectAll();
    QTest::keyClicks(c->heOCH(), "48400200");
    QTest::keyClick(c->heOCH(), Qt::Key_Return);
    const TCommand composed{{0x48400200, 0x80000000, 7}};
    QCOMPARE(o.program(0)[0], composed);
    QCOMPARE(o.commands()->cell(0, ColCommandLine).left(14), QString("EQ PSR0, 7    "));
    c->heDEH()->setFocus();
    o.commands()->setFocus();
    QCOMPARE(o.program(0)[0], composed);
    QCOMPARE(o.mobj()->sgObject()->cell(0, 4), QString("9"));

    // The index edits and the flag box reach the saved files as well.
    emit o.mobj()->cbResume()->activated(0);
    o.index()->eContent()->setFocus();
    o.index()->eContent()->selectAll();
    QTest::keyClicks(o.index()->eContent(), "Edited");
    o.w.bSaveClick();
    const fs::path bdmv = demo.root() / "BDMV";
    const TMOBJ saved = readMovieObjects(test::readFile(bdmv / "MovieObject.bdmv"), "MovieObject.bdmv");
    QCOMPARE(saved.mobjs.objects[0].commands[0], composed);
    QCOMPARE(saved.mobjs.objects[0].resume_intention_flag, std::uint8_t{0});
    QCOMPARE(saved, o.w.workspace().mobj);
    const TINDX index = readIndex(test::readFile(bdmv / "index.bdmv"), "index.bdmv", 5);
    QCOMPARE(index.content_provider, std::string("Edited"));
}

// A typed operand value the field cannot hold is refused in the status bar
// and the command stays as it was (2^32 used to become 0).
void BdmvViewsTest::operandValuesThatDoNotFitAreRefused() {
    Demo demo;
    Opened o(demo.root(), true);
    Composer* c = o.mobj()->composer();
    o.mobj()->setObjectSG(0);
    o.mobj()->showLine(0);  // Move GPR0, 0
    const TCommand before = o.program(0)[0];
    const auto type = [](TIntEdit* box, const char* text) {
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    };
    type(c->ieOp2(), "4294967296");
    QCOMPARE(o.program(0)[0], before);
    QVERIFY2(o.panel(1).contains("Source 4294967296 does not fit"), qPrintable(o.panel(1)));
    QCOMPARE(c->ieOp2()->text(), QString("0"));
    type(c->ieOp1(), "4096");  // GPR numbers end at 4095
    QCOMPARE(o.program(0)[0], before);
    QVERIFY2(o.panel(1).contains("a GPR number is 0 to 4095"), qPrintable(o.panel(1)));
    type(c->ieOp2(), "4294967295");
    QCOMPARE(o.program(0)[0].w[2], 0xFFFFFFFFu);
}

// After Start the run says where it ended and what it last reported, and the
// registers it changed are listed and highlighted in the register panel.
void BdmvViewsTest::startShowsWhereTheRunEnded() {
    Demo demo;
    Opened o(demo.root(), true);
    NavMachine& m = o.w.run()->machine();
    ExecPanel* e = o.w.run()->execPanel();
    o.mobj()->setObjectSG(0);
    m.setGpr(0, 5);
    QTest::mouseClick(e->bStart(), Qt::LeftButton);
    QTRY_VERIFY(!o.w.run()->running());
    QVERIFY2(o.panel(1).startsWith(" Run ended at line "), qPrintable(o.panel(1)));
    const QStringList lines = logLines(o.w);
    const auto ended =
        std::find_if(lines.rbegin(), lines.rend(), [](const QString& l) { return l.startsWith("Run ended"); });
    QVERIFY(ended != lines.rend());
    const QString gpr0 =
        QStringLiteral("  GPR0: 00000005 -> %1").arg(QString::number(m.gpr(0), 16).toUpper(), 8, QLatin1Char('0'));
    QVERIFY2(lines.contains(gpr0), qPrintable(lines.join('\n')));
    RegPanel* regs = o.w.run()->regPanel();
    QCOMPARE(regs->ieGPR()->text(), QString("0000"));
    QVERIFY(regs->highlighted(RegisterKind::GPR));
    QCOMPARE(regs->heGPRval()->palette().color(QPalette::Base), QColor(0xFF, 0xE0, 0x60));
    // The marked box keeps the font the panel gives its boxes, as its neighbours do.
    QFont large = regs->font();
    large.setPixelSize(21);
    regs->setFont(large);
    regs->showValues();
    QCOMPARE(regs->heGPRval()->fontInfo().pixelSize(), 21);
    QCOMPARE(regs->ieGPR()->fontInfo().pixelSize(), 21);
    // Under a dark palette (light text) the marked value still reads: its digits are dark on the yellow.
    QPalette dark = regs->palette();
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    regs->setPalette(dark);
    regs->showValues();
    const QImage shown = regs->heGPRval()->grab().toImage();
    int darkest = 255;
    for (int y = 5; y < shown.height() - 5; ++y)
        for (int x = 5; x < shown.width() - 5; ++x) darkest = std::min(darkest, qGray(shown.pixel(x, y)));
    QVERIFY2(darkest < 100, qPrintable(QStringLiteral("the darkest pixel of the marked value is %1").arg(darkest)));
    // A register the run left alone is not highlighted; a reset clears the marks.
    regs->showRegister({RegisterKind::GPR, 4000});
    QVERIFY(!regs->highlighted(RegisterKind::GPR));
    QTest::mouseClick(o.w.statusTab()->bResetRegs(), Qt::LeftButton);
    regs->showRegister({RegisterKind::GPR, 0});
    QVERIFY(!regs->highlighted(RegisterKind::GPR));
}

void BdmvViewsTest::gridKeysEditCommands() {
    Demo demo;
    Opened o(demo.root());
    CommandGrid* g = o.commands();
    const TCommands main = o.program(0);

    // Paste with an empty clipboard.
    o.mobj()->setObjectSG(4);
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(o.panel(1), QString(" Nothing to insert. "));
    QCOMPARE(o.program(4).size(), std::size_t{2});

    // Ctrl+C on lines 1..2 of object 0, Ctrl+V after line 0 of object 4.
    o.mobj()->setObjectSG(0);
    g->selectLines(1, 2);
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(o.panel(1), QString(" Command(s) copied "));
    o.mobj()->setObjectSG(4);
    g->selectLine(0);
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    const TCommands& list = o.program(4);
    QCOMPARE(list.size(), std::size_t{4});
    QCOMPARE(list[1], main[1]);
    QCOMPARE(list[2], main[2]);
    QCOMPARE(g->dataRows(), 4);
    QCOMPARE(g->currentRow(), 1);
    QCOMPARE(g->cell(3, 0), QString("0003"));
    QCOMPARE(o.mobj()->sgObject()->cell(4, 4), QString("4"));

    // Shift+N blanks line 1 and moves down; Insert adds a NOP after it; Shift+Delete removes lines 1..2.
    g->selectLine(1);
    QTest::keyClick(g, Qt::Key_N, Qt::ShiftModifier);
    QCOMPARE(list[1], TCommand{});
    QCOMPARE(g->cell(1, ColCommandLine), QString("NOP"));
    QCOMPARE(g->currentRow(), 2);
    QTest::keyClick(g, Qt::Key_Insert);
    QCOMPARE(list.size(), std::size_t{5});
    QCOMPARE(list[3], TCommand{});
    QCOMPARE(g->currentRow(), 3);
    g->selectLines(1, 2);
    QTest::keyClick(g, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(list.size(), std::size_t{3});
    QCOMPARE(g->currentRow(), 0);
    // Ctrl+X cuts; Ctrl+A selects every line.
    QTest::keyClick(g, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(g->selectedLines(), std::make_optional(std::make_pair(0, 2)));
    QTest::keyClick(g, Qt::Key_X, Qt::ControlModifier);
    QVERIFY(list.empty());
    QCOMPARE(commandClipboard().commands.size(), std::size_t{3});
    QCOMPARE(g->dataRows(), 0);
    QVERIFY(!o.w.run()->execPanel()->bStart()->isEnabled());
    QCOMPARE(o.w.workspace().mobj.mobjs.length, movieObjectsLength(o.w.workspace().mobj.mobjs));
}

void BdmvViewsTest::doubleClickFollowsCommands() {
    Demo demo;
    Opened o(demo.root());
    MobjView* v = o.mobj();
    // Line 5 of object 0: GoTo 8.
    v->setObjectSG(0);
    v->showLine(5);
    v->sgCommandsDblClick();
    QCOMPARE(o.commands()->currentRow(), 8);
    // Line 8: Jump Title 2 selects title 2 as a click would, with its movie object 3.
    v->sgCommandsDblClick();
    QCOMPARE(o.index()->sgTitles()->currentRow(), 1);
    QCOMPARE(o.index()->cbTitleNo()->currentIndex(), 1);
    QCOMPARE(v->selectedObject(), std::optional<std::size_t>(3));
    QCOMPARE(o.commands()->currentRow(), 0);
    // Play PL 0 (line 6 of object 0) turns to the playlist tab; the demo disc has the playlist.
    v->setObjectSG(0);
    v->showLine(6);
    v->sgCommandsDblClick();
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabPlaylist));
    QCOMPARE(o.panel(1), QString(" Playlist 00000.mpls "));
}

void BdmvViewsTest::saveProgramList_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("outputFolder");
    QTest::newRow("list, output folder") << 0 << true;
    QTest::newRow("binary, no folder") << 1 << false;
}

void BdmvViewsTest::saveProgramList() {
    QFETCH(int, format);
    QFETCH(bool, outputFolder);
    Demo demo;
    test::TempDir out;
    Opened o(demo.root());
    o.w.optionsTab()->rgProgramformat()->setItemIndex(format);
    if (outputFolder) o.w.optionsTab()->eWorkDir()->setText(QString::fromStdString(out.path().string()));
    QString askedStart;
    QString askedFilter;
    const fs::path target = out / "listing";
    o.mobj()->saveFileChooser = [&](const QString& title, const QString& start, const QStringList& filters,
                                    QString* selected) {
        askedStart = start;
        askedFilter = *selected;
        return title == "Save program list" && filters.size() == 2 ? QString::fromStdString(target.string())
                                                                   : QString();
    };
    o.mobj()->setObjectSG(2);
    o.mobj()->bbSaveCommands()->click();
    const QString name = format == 0 ? "program_002.lst" : "program_002.bin";
    // Without an output folder the dialog opens in the disc's folder, never the working folder.
    const fs::path first = outputFolder ? out.path() : demo.root();
    QCOMPARE(askedStart, QString::fromStdString((first / name.toStdString()).string()));
    QCOMPARE(askedFilter, format == 0 ? QString("List (*.lst)") : QString("Binary (*.bin)"));
    const fs::path written = target.string() + (format == 0 ? ".lst" : ".bin");
    const std::string text = programListText(o.program(2));
    const Bytes expected = format == 0 ? Bytes(text.begin(), text.end()) : programListBinary(o.program(2));
    QCOMPARE(test::readFile(written), expected);
    // The next save opens where the last one went.
    o.mobj()->bbSaveCommands()->click();
    QCOMPARE(askedStart, QString::fromStdString((out.path() / name.toStdString()).string()));
}

void BdmvViewsTest::traceStepsThroughProgram() {
    Demo demo;
    Opened o(demo.root(), true);
    NavMachine& m = o.w.run()->machine();
    ExecPanel* e = o.w.run()->execPanel();
    o.mobj()->setObjectSG(0);
    m.setGpr(0, 5);
    e->cbTrace()->setChecked(true);

    // The first Start executes nothing and shows line 0000 as the next command.
    e->bStart()->click();
    QCOMPARE(m.gpr(0), 5u);
    const TCommands& list = o.program(0);
    const std::string line0 = NavMachine::traceLineText(list, 0, CommandContext::MovieObject);
    QCOMPARE(o.panel(1), " " + QString::fromStdString(line0) + " ");
    QVERIFY(o.panel(1).startsWith(" Line 0000 : 50400001 00000000  00000000  : Move GPR0, 0"));
    QCOMPARE(o.panel(0), QString(" Running trace... "));
    QVERIFY(e->bStart()->font().bold());
    QVERIFY(o.w.bCancel()->isEnabled());

    // The next Start executes line 0 and shows line 1, whose destination GPR1 goes into the GPR box.
    e->bStart()->click();
    QCOMPARE(m.gpr(0), 0u);
    QCOMPARE(o.commands()->currentRow(), 1);
    QVERIFY(o.panel(1).startsWith(" Line 0001 : "));
    QCOMPARE(o.w.run()->regPanel()->ieGPR()->text(), QString("0001"));
    QCOMPARE(e->ieProgramLine()->text(), QString("0001"));

    // A click on line 2 (Add GPR0, 1) executes it and shows line 3.
    const QRect r = o.commands()->visualRect(o.commands()->model()->index(2, ColCommandLine));
    QTest::mouseClick(o.commands()->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(m.gpr(0), 1u);
    QCOMPARE(o.commands()->currentRow(), 3);
    QCOMPARE(o.w.run()->regPanel()->heGPRval()->text(), QString("00000000"));

    // A line typed into the program line box is where the trace goes on: line 5 is GoTo 8.
    e->ieProgramLine()->setFocus();
    e->ieProgramLine()->selectAll();
    QTest::keyClicks(e->ieProgramLine(), "5");
    QTest::keyClick(e->ieProgramLine(), Qt::Key_Return);
    QTRY_VERIFY(e->bStart()->hasFocus());
    QCOMPARE(m.programLine(), 5);
    e->bStart()->click();
    QCOMPARE(o.commands()->currentRow(), 8);
    QVERIFY(o.panel(1).startsWith(" Line 0008 : 21810000"));

    // Cancel ends the trace; the line box shows no line (not the 0xFFFF the machine ends at).
    QTest::mouseClick(o.w.bCancel(), Qt::LeftButton);
    QVERIFY(!m.traceInProgress());
    QCOMPARE(e->ieProgramLine()->text(), QString());
    QVERIFY(!e->bStart()->font().bold());
    QVERIFY(!o.w.bCancel()->isEnabled());
    QVERIFY(!mainLog().cancelFlag);

    // Trace switched off in the middle of a trace ends it too: Cancel has nothing left to stop.
    e->bStart()->click();
    QVERIFY(m.traceInProgress());
    e->cbTrace()->setChecked(false);
    QVERIFY(!m.traceInProgress());
    QVERIFY(!e->bStart()->font().bold());
    QVERIFY(!o.w.bCancel()->isEnabled());
}

void BdmvViewsTest::cancelStopsEndlessProgram() {
    Demo demo;
    Opened o(demo.root(), true);
    // Object 4 becomes a GoTo to itself.
    o.w.workspace().mobj.mobjs.objects[4].commands = {TCommand{{0x20810000, 0, 0}}};
    o.mobj()->setObjectSG(4);
    bool sawRunning = false;
    bool cancelEnabled = false;
    bool startDisabled = false;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    // Cancel once the other timer has fired a few times while the program
    // runs (how soon depends on the machine's load).
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &o.w, [&] {
        if (ticks < 5) return;
        look.stop();
        sawRunning = o.w.run()->running();
        cancelEnabled = o.w.bCancel()->isEnabled();
        startDisabled = !o.w.run()->execPanel()->bStart()->isEnabled();
        o.w.bCancel()->click();
    });
    look.start(20);
    // A safety net so that a broken Cancel fails the test instead of hanging it.
    QTimer::singleShot(20000, &o.w, [] { mainLog().cancelFlag = true; });
    QElapsedTimer clock;
    clock.start();
    o.w.run()->execPanel()->bStart()->click();
    QVERIFY(clock.elapsed() < 15000);
    QVERIFY(sawRunning);
    QVERIFY(cancelEnabled);
    QVERIFY(startDisabled);
    QVERIFY(ticks >= 5);  // timers kept firing while the program ran
    QVERIFY(!o.w.run()->running());
    QCOMPARE(o.panel(1), QString(" Cancelled. "));
    QVERIFY(!o.w.bCancel()->isEnabled());
    QVERIFY(o.w.run()->execPanel()->bStart()->isEnabled());

    // Closing the window while the program runs stops it first and closes afterwards.
    QTimer::singleShot(100, &o.w, [&] { o.w.close(); });
    clock.restart();
    o.w.run()->execPanel()->bStart()->click();
    QVERIFY(clock.elapsed() < 15000);
    QVERIFY(!o.w.run()->running());
    QTRY_VERIFY(!o.w.isVisible());
}

void BdmvViewsTest::registerPanelStoresAndShows() {
    Demo demo;
    Opened o(demo.root(), true);
    RegPanel* p = o.w.run()->regPanel();
    NavMachine& m = o.w.run()->machine();

    auto type = [](QLineEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    };
    // A PSR number shows its value; Enter moves to the value box, whose typed value is stored on leaving.
    type(p->iePSR(), "19");
    QCOMPARE(p->iePSR()->text(), QString("019"));
    QCOMPARE(p->hePSRval()->text(), QString("00005553"));
    QTRY_VERIFY(p->hePSRval()->hasFocus());
    type(p->hePSRval(), "4445");
    QCOMPARE(m.psr(19), 0x4445u);
    QTRY_VERIFY(p->iePSR()->hasFocus());
    QCOMPARE(p->hePSRval()->text(), QString("00004445"));
    // Out of range resets the number to 0.
    type(p->iePSR(), "128");
    QCOMPARE(p->iePSR()->text(), QString("000"));
    QCOMPARE(p->hePSRval()->text(), QString("00000001"));
    type(p->ieGPR(), "4095");
    QCOMPARE(p->ieGPR()->text(), QString("4095"));
    type(p->heGPRval(), "DEADBEEF");
    QCOMPARE(m.gpr(4095), 0xDEADBEEFu);
    type(p->ieGPR(), "4096");
    QCOMPARE(p->ieGPR()->text(), QString("0000"));
}

void BdmvViewsTest::resetAndDumpsUseOptions() {
    Demo demo;
    Opened o(demo.root());
    NavMachine& m = o.w.run()->machine();
    OptionsTab* opt = o.w.optionsTab();
    opt->heCountryCode()->setValue(0x4445);
    opt->heCountryCodeExit();
    opt->rgRegion()->setItemIndex(2);
    opt->cbInitPSR()->setChecked(true);
    // The options reach the registers at the next reset.
    QCOMPARE(m.psr(19), 0x5553u);
    o.w.statusTab()->bResetRegs()->click();
    QCOMPARE(m.psr(19), 0x4445u);
    QCOMPARE(m.psr(20), 4u);
    QCOMPARE(m.psr(4), 0u);
    QCOMPARE(m.psr(2), 0x0FFF0001u);
    QCOMPARE(o.w.run()->regPanel()->hePSRval()->text(), QString("00000001"));

    m.setGpr(5, 7);
    const int before = static_cast<int>(logLines(o.w).size());
    o.w.statusTab()->bPSRs()->click();
    o.w.statusTab()->bGPRs()->click();
    const QStringList lines = logLines(o.w).mid(before);
    const auto psr = m.psrDump();
    const auto gpr = m.gprDump();
    QCOMPARE(lines.size(), static_cast<int>(psr.size() + gpr.size()));
    QCOMPARE(lines.front(), QString("PSR0: 00000001 (1) - Interactive Graphics Stream Number (b7-b0) {1-32,$ff}"));
    QVERIFY(lines.contains("PSR19: 00004445 (17477) - Country Code (b15-b0)"));
    QCOMPARE(lines.back(), QString("GPR5: 00000007 (7)   "));
}
