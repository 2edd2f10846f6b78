// A mouse click on a grid row shows that row in the views the grid drives,
// and an edit made there is saved to that row: clicks on the viewport, edits
// by keys, Save by its button, bytes compared with the engine's own edit.

#include "uitests.h"

#include "nav/disasm.h"
#include "nav/edit.h"
#include "navdb/index_edit.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_edit.h"
#include "navdb/movieobject_io.h"
#include "support/testsupport.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/widgets/commandgrid.h"
#include "ui/widgets/composer.h"
#include "ui/bdmv/indexview.h"
#include "ui/bdmv/mobjview.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QComboBox>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

// A copy of a corpus disc, read by a shown window.
struct CorpusCopy {
    explicit CorpusCopy(const std::string& disc) {
        fs::copy(test::corpusDir() / "tsmuxer" / disc, tmp.path(), fs::copy_options::recursive);
        index = test::readFile(bdmv() / "index.bdmv");
        mobj = test::readFile(bdmv() / "MovieObject.bdmv");
        w.show();
        if (!QTest::qWaitForWindowExposed(&w)) qWarning("window not exposed");
        w.formActivate({QString::fromStdString(bdmv().string())});
    }
    fs::path bdmv() const { return tmp.path() / "BDMV"; }
    MobjView* mobjView() const { return w.bdmvTab()->mobjView(); }
    IndexView* indexView() const { return w.bdmvTab()->indexView(); }
    const Tmobject& object(std::size_t n) { return w.workspace().mobj.mobjs.objects.at(n); }
    void save() { QTest::mouseClick(w.bSave(), Qt::LeftButton); }
    // The files as read, for the engine to apply the expected edit to.
    TMOBJ readMobj() const { return readMovieObjects(mobj, "MovieObject.bdmv"); }
    TINDX readIdx() const { return readIndex(index, "index.bdmv"); }

    test::TempDir tmp;
    Bytes index, mobj;
    TfMain w;
};

void clickRow(StringGrid* grid, int row, int column = 1) {
    grid->scrollTo(grid->model()->index(row, column));
    const QRect r = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

// Types eight hexadecimal digits into a word box of the composer and leaves it with Enter.
void typeWord(THexEdit* box, const char* digits) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, digits);
    QTest::keyClick(box, Qt::Key_Return);
}

}  // namespace

void GridClickTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
}

// The documented way: one report per click, drag or key, after the current
// row and the selection both moved, and none when nothing changed.
void GridClickTest::choiceIsReportedOnceSettled() {
    StringGrid grid;
    grid.setTitles({"No.", "a"});
    grid.setDataRows(6);
    grid.setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid.resize(300, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.selectRange(1, 1);

    struct Seen {
        int current;
        std::optional<std::pair<int, int>> range;
    };
    std::vector<Seen> seen;
    QObject::connect(&grid, &StringGrid::choiceChanged, &grid,
                     [&] { seen.push_back({grid.currentRow(), grid.selectedRange()}); });
    using Range = std::pair<int, int>;
    struct Step {
        const char* what;
        std::function<void()> act;
        int reports;
        int current;
        Range range;
    };
    const Step steps[] = {
        {"click row 4", [&] { clickRow(&grid, 4); }, 1, 4, {4, 4}},
        {"click row 4 again", [&] { clickRow(&grid, 4); }, 0, 4, {4, 4}},
        {"Up", [&] { QTest::keyClick(&grid, Qt::Key_Up); }, 1, 3, {3, 3}},
        {"shift-click row 5",
         [&] {
             const QRect r = grid.visualRect(grid.model()->index(5, 1));
             QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, r.center());
         },
         1, 5, {3, 5}},
        {"selectRange(0, 0)", [&] { grid.selectRange(0, 0); }, 1, 0, {0, 0}},
    };
    for (const Step& s : steps) {
        seen.clear();
        s.act();
        QVERIFY2(static_cast<int>(seen.size()) == s.reports, s.what);
        // Every report already shows the settled choice.
        for (const Seen& r : seen) {
            QVERIFY2(r.current == s.current, s.what);
            QVERIFY2(r.range == s.range, s.what);
        }
    }
}

// Movie object 002 of tsm03 clicked: its flags and commands are shown, and
// the edits of its first command and its resume flag are saved to object 002.
void GridClickTest::clickedMovieObjectIsEdited() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    CorpusCopy d("tsm03_3playlists_offsets");
    StringGrid* objects = d.mobjView()->sgObject();
    CommandGrid* commands = d.mobjView()->sgCommands();
    QVERIFY(objects->dataRows() >= 3);

    // Back and forth: each click shows the object clicked.
    for (int row : {2, 0, 1, 2}) {
        clickRow(objects, row);
        QCOMPARE(d.mobjView()->selectedObject(), std::optional<std::size_t>(row));
        QCOMPARE(commands->dataRows(), static_cast<int>(d.object(row).commands.size()));
        QCOMPARE(commands->cell(0, ColCommandLine).trimmed(),
                 QString::fromStdString(comm2str(d.object(row).commands[0], 0, CommandContext::MovieObject).line)
                     .trimmed());
        QCOMPARE(d.mobjView()->cbResume()->currentIndex(), mobjFlag(d.object(row), MobjFlag::Resume) ? 1 : 0);
    }

    // "The first command": its line clicked, its source word typed into the composer.
    clickRow(commands, 0, ColCommandLine);
    typeWord(d.mobjView()->composer()->heSOH(), "0000002A");
    // The resume flag by keys in its box.
    const bool resume = mobjFlag(d.object(2), MobjFlag::Resume);
    d.mobjView()->cbResume()->setFocus();
    QTest::keyClick(d.mobjView()->cbResume(), resume ? Qt::Key_Up : Qt::Key_Down);
    d.save();

    TMOBJ expected = d.readMobj();
    TCommand first = expected.mobjs.objects[2].commands[0];
    first.w[2] = 0x2A;
    QVERIFY(setObjectCommand(expected, 2, 0, first));
    setMobjFlag(expected.mobjs.objects[2], MobjFlag::Resume, !resume);
    QVERIFY(test::readFile(d.bdmv() / "MovieObject.bdmv") == writeMovieObjects(expected));
}

// A command row clicked in movie object 001: the composer shows that line,
// and its edit is saved to that line.
void GridClickTest::clickedCommandIsEdited() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    CorpusCopy d("tsm03_3playlists_offsets");
    clickRow(d.mobjView()->sgObject(), 1);
    CommandGrid* commands = d.mobjView()->sgCommands();
    Composer* composer = d.mobjView()->composer();
    QVERIFY(commands->dataRows() > 6);
    for (int line : {6, 2, 5}) {
        clickRow(commands, line, ColCommandLine);
        QCOMPARE(composer->command(), d.object(1).commands[static_cast<std::size_t>(line)]);
        QCOMPARE(composer->heOCH()->value(), d.object(1).commands[static_cast<std::size_t>(line)].w[0]);
    }
    typeWord(composer->heDEH(), "00000007");
    d.save();

    TMOBJ expected = d.readMobj();
    TCommand c = expected.mobjs.objects[1].commands[5];
    c.w[1] = 7;
    QVERIFY(setObjectCommand(expected, 1, 5, c));
    QVERIFY(test::readFile(d.bdmv() / "MovieObject.bdmv") == writeMovieObjects(expected));
}

// Title rows clicked after two titles were added: the boxes show the title
// clicked, and its playback type changed by keys is saved to that title.
void GridClickTest::clickedTitleIsEdited() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    CorpusCopy d("tsm03_3playlists_offsets");
    IndexView* view = d.indexView();
    StringGrid* titles = view->sgTitles();
    QTest::mouseClick(view->bbTiins(), Qt::LeftButton);
    QTest::mouseClick(view->bbTiins(), Qt::LeftButton);
    QCOMPARE(titles->dataRows(), 3);

    for (int row : {0, 2, 1, 0}) {
        clickRow(titles, row);
        QCOMPARE(view->cbTitleNo()->currentIndex(), row);
        QCOMPARE(view->selectedTitle(), std::optional<std::size_t>(row));
    }
    // Title 1 plays movie object 0: the object grid followed the click.
    QCOMPARE(d.mobjView()->selectedObject(), std::optional<std::size_t>(0));
    view->cbTitlePBT()->setFocus();
    QTest::keyClick(view->cbTitlePBT(), Qt::Key_Down);
    d.save();

    TINDX expected = d.readIdx();
    QVERIFY(insertTitle(expected, 1));
    QVERIFY(insertTitle(expected, 2));
    setTitlePlaybackType(expected.indexes.titles[0], PlaybackType::Interactive);
    QVERIFY(test::readFile(d.bdmv() / "index.bdmv") == writeIndex(expected));
}
