// Each tab's own history as a user meets it: a read on one tab keeps every
// other tab's steps, Undo acts on the tab that is shown and writes nothing,
// and button commands are edited like movie object commands, through the
// same editor and the system clipboard.

#include "uitests.h"

#include "core/log.h"
#include "disc/demo.h"
#include "disc/demo_menu.h"
#include "ig/save.h"
#include "nav/disasm.h"
#include "nav/edit.h"
#include "support/testsupport.h"
#include "ui/app/document.h"
#include "ui/app/tfmain.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/bdmv/indexview.h"
#include "ui/bdmv/mobjview.h"
#include "ui/menu/menupages.h"
#include "ui/menu/menutab.h"
#include "ui/options/optionstab.h"
#include "ui/playlist/markview.h"
#include "ui/playlist/playlisttab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/widgets/commandgrid.h"
#include "ui/widgets/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

// A button program with an immediate GoTo to its last line.
const TCommands kGoToList = {TCommand{}, TCommand{{0x20810000, 3, 0}}, TCommand{}, TCommand{{0x21810000, 1, 0}}};

// The demo disc read by a shown, active window, with the demo menu (its
// first button running kGoToList) saved beside it as a .mnu file.
struct Opened {
    Opened() {
        makeDemoDisc(tmp.path());
        TIGSc menu = demoMenu();
        menu.pages[0].BOGs[0].buttons[0].commands = kGoToList;
        test::writeFile(menuFile(), saveIGS(menu, IgsForm::Mnu));
        showActive(&w);
        w.formActivate({QString::fromStdString((bdmv() / "index.bdmv").string())});
    }
    fs::path bdmv() const { return tmp.path() / "BDMV"; }
    fs::path menuFile() const { return tmp.path() / "menu.mnu"; }
    const Workspace& ws() { return w.workspace(); }
    bool marked() const { return w.windowTitle().endsWith('*'); }
    void key(int k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(&w, static_cast<Qt::Key>(k), mods); }
    void undo() { key(Qt::Key_Z, Qt::ControlModifier); }
    void redo() { key(Qt::Key_Y, Qt::ControlModifier); }
    void save() { QTest::mouseClick(w.bSave(), Qt::LeftButton); }
    void clickTab(int tab) {
        QTabBar* bar = w.pageControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        QCOMPARE(w.pageControl()->currentIndex(), tab);
    }
    // "&Load" on the Menu tab with the file dialog answering the demo menu.
    void loadMenu() {
        clickTab(TfMain::TabMenu);
        const QString path = QString::fromStdString(menuFile().string());
        w.menuTab()->dialogs.openFile = [path](const QString&, const QString&, const QStringList&) { return path; };
        QTest::mouseClick(w.bLoadMenu(), Qt::LeftButton);
        QVERIFY(ws().menu.loaded);
    }
    // Title 4 (row 3) from Movie to Interactive: a click on its row, then Down in its playback type box.
    void editTitle() {
        clickTab(TfMain::TabBdmv);
        IndexView* index = w.bdmvTab()->indexView();
        clickCell(index->sgTitles(), 3, 1);
        QTest::keyClick(index->cbTitlePBT(), Qt::Key_Down);
        QCOMPARE(ws().index.indexes.titles[3].playback_type, PlaybackType::Interactive);
    }

    static void clickCell(QTableWidget* g, int row, int column, Qt::KeyboardModifiers mods = {}) {
        const QModelIndex at = g->model()->index(row, column);
        g->scrollTo(at);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, mods, g->visualRect(at).center());
    }

    test::TempDir tmp;
    TfMain w;
};

}  // namespace

void HistoryTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
    commandClipboard().commands.clear();
}

void HistoryTest::aReadKeepsTheOtherTabsSteps_data() {
    QTest::addColumn<bool>("menu");
    QTest::newRow("playlist read on entering its tab") << false;
    QTest::newRow("menu loaded") << true;
}

void HistoryTest::aReadKeepsTheOtherTabsSteps() {
    QFETCH(bool, menu);
    Opened o;
    const Bytes index = test::readFile(o.bdmv() / "index.bdmv");
    const TINDX read = o.ws().index;
    o.editTitle();
    QVERIFY(o.marked());

    if (menu) {
        o.loadMenu();
    } else {
        // "Auto Read" reads the selected playlist as the tab is entered.
        QVERIFY(!o.ws().playlistLoaded);
        o.clickTab(TfMain::TabPlaylist);
        QVERIFY(o.ws().playlistLoaded);
    }
    QVERIFY(o.marked());  // index.bdmv still holds the edit

    // Back on the BDMV tab the title edit is still undoable and redoable.
    o.clickTab(TfMain::TabBdmv);
    QVERIFY(o.w.undoAction()->isEnabled());
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Change title playback type"));
    o.undo();
    QCOMPARE(o.ws().index, read);
    QCOMPARE(o.w.bdmvTab()->indexView()->sgTitles()->cell(3, 3), QString("Movie"));
    QVERIFY(!o.marked());
    o.redo();
    QCOMPARE(o.ws().index.indexes.titles[3].playback_type, PlaybackType::Interactive);
    o.undo();
    o.save();
    QCOMPARE(test::readFile(o.bdmv() / "index.bdmv"), index);
}

void HistoryTest::undoActsOnTheShownTabAndWritesNothing() {
    Opened o;
    const fs::path mpls = o.bdmv() / "PLAYLIST" / "00000.mpls";
    o.clickTab(TfMain::TabPlaylist);
    // A mark inserted after the last one, then saved.
    MarkView* marks = o.w.playlistTab()->marks();
    const std::size_t before = o.ws().playlist.PlayListMark.marks.size();
    Opened::clickCell(marks->sgPlayListMark(), static_cast<int>(before) - 1, 1);
    QTest::mouseClick(marks->bbPLMins(), Qt::LeftButton);
    QCOMPARE(o.ws().playlist.PlayListMark.marks.size(), before + 1);
    o.save();
    QVERIFY(!o.marked());
    const Bytes saved = test::readFile(mpls);
    const TMPLS savedModel = o.ws().playlist;

    // On the BDMV tab Undo knows only the BDMV files' steps.
    o.clickTab(TfMain::TabBdmv);
    QVERIFY(!o.w.undoAction()->isEnabled());
    o.editTitle();
    o.undo();
    QCOMPARE(o.ws().index.indexes.titles[3].playback_type, PlaybackType::Movie);
    QVERIFY(!o.w.undoAction()->isEnabled());
    o.undo();  // nothing left here: the playlist stays as saved
    QCOMPARE(o.ws().playlist, savedModel);
    QVERIFY(!o.marked());
    o.save();
    QCOMPARE(test::readFile(mpls), saved);

    // The playlist's step is undone on its own tab, and nothing is written by it.
    o.clickTab(TfMain::TabPlaylist);
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Insert mark"));
    o.undo();
    QCOMPARE(o.ws().playlist.PlayListMark.marks.size(), before);
    QVERIFY(o.marked());
    QCOMPARE(test::readFile(mpls), saved);

    // Tabs without files of their own offer no undo.
    o.clickTab(TfMain::TabOptions);
    QVERIFY(!o.w.undoAction()->isEnabled());
}

void HistoryTest::buttonCommandsEditLikeMovieObjectCommands() {
    Opened o;
    o.loadMenu();
    MenuPagesView* pages = o.w.menuTab()->pagesView();
    Opened::clickCell(pages->sgButtons(), 0, 1);
    CommandGrid* buttonGrid = pages->sgButtonCommands();
    const auto buttonList = [&] { return o.ws().menu.igs.pages[0].BOGs[0].buttons[0].commands; };
    QCOMPARE(buttonList(), kGoToList);
    QCOMPARE(buttonGrid->dataRows(), 4);

    // Insert after line 0, before the GoTo's target, then delete that line: the target follows.
    TCommands expected = kGoToList;
    Opened::clickCell(buttonGrid, 0, ColCommandLine);
    QTest::keyClick(buttonGrid, Qt::Key_Insert);
    inscmd(expected, 0, {TCommand{}});
    QCOMPARE(buttonList(), expected);
    QCOMPARE(buttonList()[2].w[1], 4u);
    QCOMPARE(buttonGrid->cell(2, ColDestination).trimmed(), QString("00000004"));
    Opened::clickCell(buttonGrid, 1, ColCommandLine);
    QTest::keyClick(buttonGrid, Qt::Key_Delete, Qt::ShiftModifier);
    delecmd(expected, 1, 1);
    QCOMPARE(buttonList(), kGoToList);
    QCOMPARE(buttonGrid->dataRows(), 4);
    o.undo();
    o.undo();
    QCOMPARE(buttonList(), kGoToList);

    // The same keys on the movie object grid do the same to its program.
    o.clickTab(TfMain::TabBdmv);
    MobjView* mobj = o.w.bdmvTab()->mobjView();
    std::size_t shown = 0;  // a movie object with two commands at least
    while (shown < o.ws().mobj.mobjs.objects.size() && o.ws().mobj.mobjs.objects[shown].commands.size() < 2) ++shown;
    QVERIFY(shown < o.ws().mobj.mobjs.objects.size());
    Opened::clickCell(mobj->sgObject(), static_cast<int>(shown), 1);
    const auto objectList = [&] { return o.ws().mobj.mobjs.objects[shown].commands; };
    TCommands object = objectList();

    // The button's program copied (Ctrl+A, Ctrl+C) and pasted into the movie object.
    o.clickTab(TfMain::TabMenu);
    buttonGrid->setFocus();
    QTest::keyClick(buttonGrid, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(buttonGrid, Qt::Key_C, Qt::ControlModifier);
    commandClipboard().commands.clear();  // only the system clipboard carries them over
    o.clickTab(TfMain::TabBdmv);
    CommandGrid* objectGrid = mobj->sgCommands();
    Opened::clickCell(objectGrid, 0, ColCommandLine);
    QTest::keyClick(objectGrid, Qt::Key_V, Qt::ControlModifier);
    CommandClipboard copied{kGoToList};
    QVERIFY(pastecmd(object, 0, copied).changed);
    QCOMPARE(objectList(), object);

    // A movie object line copied and pasted into the button (back the other way).
    Opened::clickCell(objectGrid, 1, ColCommandLine);
    QTest::keyClick(objectGrid, Qt::Key_C, Qt::ControlModifier);
    commandClipboard().commands.clear();
    o.clickTab(TfMain::TabMenu);
    Opened::clickCell(buttonGrid, 3, ColCommandLine);
    QTest::keyClick(buttonGrid, Qt::Key_V, Qt::ControlModifier);
    expected = kGoToList;
    QVERIFY(pastecmd(expected, 3, CommandClipboard{{object[1]}}).changed);
    QCOMPARE(buttonList(), expected);
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Paste commands"));
    o.undo();
    QCOMPARE(buttonList(), kGoToList);
}

void HistoryTest::createMenuIsUndoable() {
    Opened o;
    o.loadMenu();
    const std::size_t pages = o.ws().menu.igs.pages.size();
    QVERIFY(pages > 1);
    o.clickTab(TfMain::TabOptions);
    QTest::mouseClick(o.w.optionsTab()->findChild<QPushButton*>(QStringLiteral("bCreateMenu")), Qt::LeftButton);
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabMenu));
    QCOMPARE(o.ws().menu.igs.pages.size(), std::size_t{1});
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Create Menu"));
    o.undo();
    QCOMPARE(o.ws().menu.igs.pages.size(), pages);
    QCOMPARE(o.w.menuTab()->cbPage()->count(), int(pages));
    o.redo();
    QCOMPARE(o.ws().menu.igs.pages.size(), std::size_t{1});
    QCOMPARE(o.w.menuTab()->cbPage()->count(), 1);
}
