#include "playlist_test.h"

#include "uitests.h"

#include "core/extdata.h"
#include "core/filenames.h"
#include "core/log.h"
#include "disc/demo.h"
#include "playlist/chapters.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"
#include "playlist/playlist_text.h"
#include "playlist/playlist_time.h"
#include "support/testsupport.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/playlist/appinfoview.h"
#include "ui/app/document.h"
#include "ui/shell/extdat.h"
#include "ui/playlist/markview.h"
#include "ui/options/optionstab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/playlist/playitemview.h"
#include "ui/widgets/playlistgrid.h"
#include "ui/playlist/playlisttab.h"
#include "ui/playlist/playlisttimeline.h"
#include "ui/shell/qtlogview.h"
#include "ui/app/settings.h"
#include "ui/shell/statustab.h"
#include "ui/playlist/subpathview.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QUndoStack>
#include <QWindow>

#include <functional>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kSec = 45000;
constexpr std::uint32_t kClipStart = 600 * kSec;  // the demo's clips start at 10 minutes

// A shown window that has read a disc folder; the playlist tab is entered by a click on its tab.
struct PlOpened {
    explicit PlOpened(const fs::path& disc) {
        showActive(&w);
        w.formActivate({QString::fromStdString((disc / "BDMV" / "index.bdmv").string())});
    }
    TfMain w;
    PlaylistTab* tab() const { return w.playlistTab(); }
    PlayItemView* items() const { return tab()->playItems(); }
    SubPathView* subPaths() const { return tab()->subPaths(); }
    MarkView* marks() const { return tab()->marks(); }
    const Workspace& ws() { return w.workspace(); }
    const TMPLS& model() { return w.workspace().playlist; }
    bool marked() const { return w.windowTitle().endsWith('*'); }

    void clickTab(int index) {
        QTabBar* bar = w.pageControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    void enterTab() { clickTab(TfMain::TabPlaylist); }
};

// The demo disc written into a fresh folder.
struct Demo {
    Demo() { makeDemoDisc(tmp.path()); }
    test::TempDir tmp;
    fs::path root() const { return tmp.path(); }
    fs::path playlist(const char* name = "00000") const {
        return tmp.path() / "BDMV" / "PLAYLIST" / (std::string(name) + ".mpls");
    }
};

QRect cellRect(QTableWidget* g, int row, int column) { return g->visualRect(g->model()->index(row, column)); }

void clickCell(QTableWidget* g, int row, int column, Qt::KeyboardModifiers mods = {}) {
    g->scrollTo(g->model()->index(row, column));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, mods, cellRect(g, row, column).center());
}

void doubleClickCell(QTableWidget* g, int row, int column) {
    const QPoint p = cellRect(g, row, column).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
}

void clickButton(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center()); }

void clickCheckBox(QCheckBox* c) { QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(6, c->height() / 2)); }

// A right click on the grid through the window, as the platform delivers it; returns the pop-up menu.
QMenu* rightClick(QTableWidget* g, int row, int column) {
    const QPoint at = g->viewport()->mapTo(g->window(), cellRect(g, row, column).center());
    QTest::mouseClick(g->window()->windowHandle(), Qt::RightButton, {}, at);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

void chooseFromMenu(QMenu* menu, QAction* action) {
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// Switches a grid to edit mode with its pop-up menu.
bool useEditMode(EditGrid* g) {
    QMenu* menu = rightClick(g, 0, 0);
    if (!menu) return false;
    chooseFromMenu(menu, g->actEditMode());
    return g->editMode();
}

// In edit mode: clicks the cell (its editor opens), types keys and Enter.
bool typeIntoCell(EditGrid* g, int row, int column, const QString& keys) {
    if (!g->editMode() && !useEditMode(g)) return false;
    clickCell(g, row, column);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!editor || editor->objectName() != QLatin1String("cellEditor")) return false;
    QTest::keyClicks(editor, keys);
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits after its key, and the grid hands the text on after the editor closed.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return true;
}

// Types into a field as a user does: click, select all, type, Enter.
void typeIntoField(QLineEdit* e, const QString& keys) {
    QTest::mouseClick(e, Qt::LeftButton, {}, e->rect().center());
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(e, keys);
    QTest::keyClick(e, Qt::Key_Return);
}

void keyInList(QComboBox* box, Qt::Key key) {
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClick(box, key);
}

QStringList logLines(TfMain& w) {
    QStringList out;
    QTextDocument* doc = w.statusTab()->reMessage()->document();
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) out << b.text();
    return out;
}

TMPLS readModel(const fs::path& file) { return readPlaylist(test::readFile(file), file.filename().string()); }

// One edit as the user makes it and as the engine alone makes it.
struct EditCase {
    const char* name;
    std::function<void(PlOpened&)> user;
    std::function<void(TMPLS&)> engine;
};

const std::vector<EditCase>& editCases() {
    static const std::vector<EditCase> cases = {
        {"PlayItem OUT typed",
         [](PlOpened& o) { QVERIFY(typeIntoCell(o.items()->sgPLitem(), 2, int(PlayItemColumn::Out), "001012500")); },
         [](TMPLS& m) { setPlayItemOutTime(m, 2, kClipStart + 12 * kSec + 500 * 45); }},
        {"PlayItem clip name typed",
         [](PlOpened& o) { QVERIFY(typeIntoCell(o.items()->sgPLitem(), 1, int(PlayItemColumn::File), "00007")); },
         [](TMPLS& m) { QVERIFY(setPlayItemClipName(m, 1, "00007")); }},
        {"PlayItem UO2 keeps bit 30",
         [](PlOpened& o) { QVERIFY(typeIntoCell(o.items()->sgPLitem(), 1, int(PlayItemColumn::UO2), "FFFFFFFF")); },
         [](TMPLS& m) { m.PlayList.PlayItems[1].UO_mask_table[1] = 0x40000000; }},
        {"PG stream inserted after the second PG",
         [](PlOpened& o) {
             clickCell(o.items()->sgSTN(), 0, int(StreamKind::PG));
             clickCell(o.items()->sgStreamEntry(), 1, 1);
             clickButton(o.items()->bbInsSTN());
         },
         [](TMPLS& m) { QVERIFY(insertStream(m, 0, StreamKind::PG, 1)); }},
        {"primary audio deleted by the Delete key",
         [](PlOpened& o) {
             clickCell(o.items()->sgSTN(), 0, int(StreamKind::PrimaryAudio));
             clickCell(o.items()->sgStreamEntry(), 0, 1);
             QTest::keyClick(o.items()->sgStreamEntry(), Qt::Key_Delete);
         },
         [](TMPLS& m) { QVERIFY(deleteStream(m, 0, StreamKind::PrimaryAudio, 0)); }},
        {"stream language from the list",
         [](PlOpened& o) {
             clickCell(o.items()->sgSTN(), 0, int(StreamKind::PrimaryAudio));
             clickCell(o.items()->sgStreamEntry(), 1, 1);
             keyInList(o.items()->coLang(), Qt::Key_Down);
         },
         [](TMPLS& m) {
             setStreamLanguage(m.PlayList.PlayItems[0].STN_table.primary_audio[1],
                               languageItems()[*languageIndex("fra") + 1]);
         }},
        {"stream main PID typed",
         [](PlOpened& o) {
             clickCell(o.items()->sgSTN(), 0, int(StreamKind::IG));
             typeIntoField(o.items()->heMainPID(), "1405");
         },
         [](TMPLS& m) { m.PlayList.PlayItems[0].STN_table.IG[0].stream_entry.ref_to_stream_PID_of_mainClip = 0x1405; }},
        {"SubPath inserted after the second",
         [](PlOpened& o) {
             clickCell(o.subPaths()->sgSubPath(), 1, 1);
             clickButton(o.subPaths()->bbSPins());
         },
         [](TMPLS& m) { QVERIFY(insertSubPath(m, 1)); }},
        {"SubPath type from the list",
         [](PlOpened& o) {
             clickCell(o.subPaths()->sgSubPath(), 1, 1);
             keyInList(o.subPaths()->cbSubPathType(), Qt::Key_Up);
         },
         [](TMPLS& m) { setSubPathType(m.PlayList.SubPaths[1], 6); }},
        {"SubPlayItem sync PTS typed",
         [](PlOpened& o) {
             QVERIFY(typeIntoCell(o.subPaths()->sgSubPlayItem(), 1, int(SubPlayItemColumn::SyncPTS), "000001000"));
         },
         [](TMPLS& m) { m.PlayList.SubPaths[0].SubPlayItems[1].sync_start_PTS_of_PlayItem = kSec; }},
        {"SubPlayItem switched to multi-clip",
         [](PlOpened& o) {
             QVERIFY(typeIntoCell(o.subPaths()->sgSubPlayItem(), 1, int(SubPlayItemColumn::Multi), "Y"));
         },
         [](TMPLS& m) { QVERIFY(setSubPlayItemMulti(m, 0, 1, true)); }},
        {"two marks deleted by a range and Delete",
         [](PlOpened& o) {
             clickCell(o.marks()->sgPlayListMark(), 2, 1);
             clickCell(o.marks()->sgPlayListMark(), 3, 1, Qt::ShiftModifier);
             QTest::keyClick(o.marks()->sgPlayListMark(), Qt::Key_Delete);
         },
         [](TMPLS& m) { QVERIFY(deleteMarks(m, 2, 3)); }},
        {"mark inserted after the last",
         [](PlOpened& o) {
             clickCell(o.marks()->sgPlayListMark(), 5, 1);
             clickButton(o.marks()->bbPLMins());
         },
         [](TMPLS& m) { QVERIFY(insertMark(m, 5)); }},
        {"mark seconds typed",
         [](PlOpened& o) {
             clickCell(o.marks()->sgPlayListMark(), 1, 1);
             typeIntoField(o.marks()->iePLMsec(), "30");
         },
         [](TMPLS& m) {
             setMarkTime(m.PlayListMark.marks[1], {0, 10, 30, 0});
         }},
        {"mark moved to a PlayItem that does not hold its time goes to its IN time",
         [](PlOpened& o) {
             clickCell(o.marks()->sgPlayListMark(), 1, 1);
             typeIntoField(o.marks()->iePLMPI(), "2");
         },
         [](TMPLS& m) {
             setMarkPlayItem(m.PlayListMark.marks[1], 2);
             m.PlayListMark.marks[1].mark_time_stamp = m.PlayList.PlayItems[2].IN_time;
         }},
        {"mark type and PlayItem",
         [](PlOpened& o) {
             clickCell(o.marks()->sgPlayListMark(), 0, 1);
             keyInList(o.marks()->cmPLMtype(), Qt::Key_Down);
             typeIntoField(o.marks()->iePLMPI(), "2");
         },
         [](TMPLS& m) {
             setMarkType(m.PlayListMark.marks[0], kLinkPoint);
             setMarkPlayItem(m.PlayListMark.marks[0], 2);
         }},
        {"UO box checked", [](PlOpened& o) { clickCheckBox(o.tab()->appInfo()->uoBox(2)); },
         [](TMPLS& m) { m.AppInfoPlayList.UO_mask_table[0] |= 1u << 29; }},
        {"second UO word typed keeps bit 30",
         [](PlOpened& o) { typeIntoField(o.tab()->appInfo()->heAIUO2(), "FFFFFFFF"); },
         [](TMPLS& m) { m.AppInfoPlayList.UO_mask_table[1] = 0x40000000; }},
        {"playback type, count and flag",
         [](PlOpened& o) {
             keyInList(o.tab()->appInfo()->cbAIpbt(), Qt::Key_Down);
             typeIntoField(o.tab()->appInfo()->ieAIpbc(), "12");
             clickCheckBox(o.tab()->appInfo()->cbAIAM());
         },
         [](TMPLS& m) {
             setPlaybackType(m.AppInfoPlayList, PlaylistPlaybackType::Random);
             setPlaybackCount(m.AppInfoPlayList, 12);
             setAppInfoFlag(m.AppInfoPlayList, AppInfoFlag::AudioMix, true);
         }},
    };
    return cases;
}

}  // namespace

void PlaylistViewsTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
}

void PlaylistViewsTest::demoDiscFillsEveryView() {
    Demo demo;
    PlOpened o(demo.root());
    QVERIFY(!o.ws().playlistLoaded);
    o.enterTab();
    // Entering the tab with Auto Read on reads the selected playlist.
    QVERIFY(o.ws().playlistLoaded);
    QCOMPARE(o.tab()->selection(), QString("00000"));
    QVERIFY(o.w.bSave()->isEnabled());
    QCOMPARE(o.w.bSave()->toolTip(), QString("Save 00000.mpls"));
    QVERIFY(!o.marked());
    const TMPLS& m = o.model();
    QCOMPARE(m, readModel(demo.playlist()));

    EditGrid* items = o.items()->sgPLitem();
    QCOMPARE(items->dataRows(), 3);
    for (int r = 0; r < 3; ++r) {
        const auto cells = playItemRow(m.PlayList.PlayItems[static_cast<std::size_t>(r)], static_cast<std::size_t>(r));
        for (int c = 0; c < 9; ++c)
            QCOMPARE(items->cell(r, c), QString::fromStdString(cells[static_cast<std::size_t>(c)]));
    }
    QCOMPARE(o.items()->sgSTN()->cell(0, 1), QString("2"));
    QVERIFY(!o.items()->sgPIangles()->isVisibleTo(&o.w));
    // The second PlayItem has three angles: its angle grid shows them.
    clickCell(items, 1, 2);
    QCOMPARE(o.items()->selectedItem(), std::optional<std::size_t>(1));
    QVERIFY(o.items()->sgPIangles()->isVisibleTo(&o.w));
    QCOMPARE(o.items()->sgPIangles()->dataRows(), 3);
    QCOMPARE(o.items()->sgPIangles()->cell(2, 1), QString("00003"));

    // Primary audio of the first PlayItem: the stream grid and the editors that type 1 uses.
    clickCell(items, 0, 2);
    clickCell(o.items()->sgSTN(), 0, int(StreamKind::PrimaryAudio));
    StringGrid* streams = o.items()->sgStreamEntry();
    QCOMPARE(streams->dataRows(), 2);
    clickCell(streams, 1, 1);
    const auto row = streamRow(m.PlayList.PlayItems[0].STN_table, StreamKind::PrimaryAudio, 1);
    for (int c = 0; c < 7; ++c) QCOMPARE(streams->cell(1, c), QString::fromStdString(row[static_cast<std::size_t>(c)]));
    QVERIFY(o.items()->heMainPID()->isVisibleTo(&o.w));
    QVERIFY(!o.items()->heSubPID()->isVisibleTo(&o.w));
    QVERIFY(o.items()->coAudio()->isVisibleTo(&o.w));
    QVERIFY(!o.items()->coVideo()->isVisibleTo(&o.w));
    QCOMPARE(o.items()->coAudio()->currentText(), QString("DD+"));
    QCOMPARE(o.items()->coLang()->currentText(), QString("fra"));
    QCOMPARE(o.items()->coLang()->count(), 431);
    QCOMPARE(o.items()->heMainPID()->text(), QString("1101"));

    // SubPaths: the first one's multi-clip SubPlayItem shows its clip entries.
    QCOMPARE(o.subPaths()->sgSubPath()->dataRows(), 2);
    QCOMPARE(o.subPaths()->sgSubPath()->cell(0, 1), QString("OoM Sync"));
    QCOMPARE(o.subPaths()->sgSubPlayItem()->dataRows(), 2);
    QVERIFY(o.subPaths()->sgAngles()->isVisibleTo(&o.w));
    QCOMPARE(o.subPaths()->sgAngles()->dataRows(), 3);
    QVERIFY(!o.subPaths()->cbSPrepeat()->isEnabled());  // type 5: no repeat
    clickCell(o.subPaths()->sgSubPlayItem(), 1, 1);
    QVERIFY(!o.subPaths()->sgAngles()->isVisibleTo(&o.w));

    // Marks, their editors, the ExtensionData caption and the UO boxes of the AppInfoPlayList.
    QCOMPARE(o.marks()->sgPlayListMark()->dataRows(), 6);
    clickCell(o.marks()->sgPlayListMark(), 3, 1);
    QCOMPARE(o.marks()->sgPlayListMark()->cell(3, 1), QString("link point"));
    QCOMPARE(o.marks()->cmPLMtype()->currentText(), QString("link point"));
    QCOMPARE(o.marks()->iePLMmin()->text(), QString("10"));
    QCOMPARE(o.marks()->iePLMsec()->text(), QString("8"));
    QCOMPARE(o.tab()->lMExtDat()->text(), QString::fromStdString(ExtDatCap(m.ExtensionData)));
    QCOMPARE(o.tab()->appInfo()->heAIUO()->text(), QString("00000C00"));
    QVERIFY(o.tab()->appInfo()->uoBox(20)->isChecked());  // UO11
    QVERIFY(o.tab()->appInfo()->uoBox(21)->isChecked());  // UO10
    QVERIFY(!o.tab()->appInfo()->uoBox(19)->isChecked());
    QCOMPARE(o.tab()->appInfo()->uoBox(20)->toolTip(), QString("UO11: Select button and activate"));

    // "Edit" asks for the ExtensionData editor; its result is one undoable edit.
    TfExtDat* dialog = o.w.extDatDialog();
    QString shownTitle;
    QTimer::singleShot(0, dialog, [&] {
        shownTitle = dialog->windowTitle();
        clickButton(dialog->bbDelExtDat());
        clickButton(dialog->bOK());
        if (dialog->isVisible()) dialog->reject();
    });
    clickButton(o.tab()->bbExtDat());
    QCOMPARE(shownTitle, QString("00000.mpls ExtensionData edit"));
    TMPLS expected = m;
    setPlaylistExtensionData(expected, TExtensionData{});
    QVERIFY(o.model() == expected);
    QCOMPARE(o.tab()->lMExtDat()->text(), QString::fromStdString(ExtDatCap({})));
    o.w.undoAction()->trigger();
    QCOMPARE(o.model(), readModel(demo.playlist()));
}

void PlaylistViewsTest::editsByClicksAndKeysUndoRedoAndSave_data() {
    QTest::addColumn<int>("edit");
    for (std::size_t i = 0; i < editCases().size(); ++i) QTest::newRow(editCases()[i].name) << static_cast<int>(i);
}

void PlaylistViewsTest::editsByClicksAndKeysUndoRedoAndSave() {
    QFETCH(int, edit);
    const EditCase& c = editCases()[static_cast<std::size_t>(edit)];
    Demo demo;
    const Bytes original = test::readFile(demo.playlist());
    const TMPLS read = readPlaylist(original, "00000.mpls");
    TMPLS expected = read;
    c.engine(expected);
    if (QTest::currentTestFailed()) return;
    QVERIFY(!(expected == read));

    PlOpened o(demo.root());
    o.enterTab();
    QVERIFY(o.ws().playlistLoaded);
    c.user(o);
    if (QTest::currentTestFailed()) return;
    QCoreApplication::processEvents();
    QVERIFY2(o.model() == expected, "the edit differs from what the engine function makes");
    QVERIFY(o.marked());

    // Undo goes back to the playlist as read, redo to the edit.
    while (o.w.undoAction()->isEnabled()) o.w.undoAction()->trigger();
    QVERIFY(o.model() == read);
    QVERIFY(!o.marked());
    while (o.w.redoAction()->isEnabled()) o.w.redoAction()->trigger();
    QVERIFY(o.model() == expected);

    // Save writes exactly what the engine's writer makes of the engine's edit.
    clickButton(o.w.bSave());
    QCOMPARE(test::readFile(demo.playlist()), writePlaylist(expected));
    QVERIFY(!o.marked());
}

// A new mark starts at its PlayItem's IN time; a typed time outside the
// PlayItem is refused in the status bar and changes nothing, and so is a
// PlayItem the playlist does not have.
void PlaylistViewsTest::markTimesOutsideThePlayItemAreRefused() {
    Demo demo;
    PlOpened o(demo.root());
    o.enterTab();
    QVERIFY(o.ws().playlistLoaded);
    clickCell(o.marks()->sgPlayListMark(), 5, 1);
    clickButton(o.marks()->bbPLMins());
    const TPlayListMarkEntry& added = o.model().PlayListMark.marks.at(6);
    QCOMPARE(added.mark_time_stamp, o.model().PlayList.PlayItems[0].IN_time);
    QCOMPARE(o.marks()->iePLMmin()->text(), QString::number(splitMarkTime(added.mark_time_stamp).minutes));

    const TMPLS before = o.model();
    clickCell(o.marks()->sgPlayListMark(), 1, 1);
    typeIntoField(o.marks()->iePLMsec(), "59");  // 10:59, after the first PlayItem's OUT time
    QVERIFY(o.model() == before);
    QVERIFY2(o.w.statusBarWidget()->panelText(1).contains("Mark time refused"),
             qPrintable(o.w.statusBarWidget()->panelText(1)));
    QCOMPARE(o.marks()->iePLMsec()->text(), QString("12"));  // the stored time again
    typeIntoField(o.marks()->iePLMhour(), "3");
    QVERIFY(o.model() == before);
    typeIntoField(o.marks()->iePLMPI(), "7");
    QVERIFY(o.model() == before);
    QVERIFY(o.w.statusBarWidget()->panelText(1).contains("no PlayItem 7"));
    // The times inside are taken.
    typeIntoField(o.marks()->iePLMsec(), "20");
    QCOMPARE(o.model().PlayListMark.marks[1].mark_time_stamp, before.PlayListMark.marks[1].mark_time_stamp + 8 * 45000);
}

void PlaylistViewsTest::inTimeQuestionsAreAskedOneByOne() {
    Demo demo;
    const TMPLS read = readModel(demo.playlist());
    struct Run {
        QList<bool> answers;
        InTimeCascade cascade;
    };
    const Run runs[] = {{{true, false, true}, {true, false, true}}, {{false, true, false}, {false, true, false}}};
    for (const Run& run : runs) {
        PlOpened o(demo.root());
        o.enterTab();
        QStringList asked;
        QList<bool> answers = run.answers;
        o.tab()->ask = [&](const QString& q) {
            asked << q;
            return answers.isEmpty() ? false : answers.takeFirst();
        };
        // IN of the first PlayItem from 00:10:00.000 to 00:10:05.000.
        QVERIFY(typeIntoCell(o.items()->sgPLitem(), 0, int(PlayItemColumn::In), "001005000"));
        QCOMPARE(asked, QStringList({kAskUpdateOut, kAskUpdateSubPlayItems, kAskUpdateMarks}));
        TMPLS expected = read;
        setPlayItemInTime(expected, 0, kClipStart + 5 * kSec, run.cascade);
        QVERIFY(o.model() == expected);
        // No to OUT: the length cell shows the shorter length.
        QCOMPARE(o.items()->sgPLitem()->cell(0, int(PlayItemColumn::Length)),
                 QString(run.cascade.out ? "00:00:30.000" : "00:00:25.000"));
        QCOMPARE(o.model().PlayList.SubPaths[1].SubPlayItems[0].SubPlayItem_IN_time,
                 kClipStart + (run.cascade.subPlayItems ? 5 * kSec : 0));
        // The same IN typed again asks nothing and changes nothing.
        asked.clear();
        QVERIFY(typeIntoCell(o.items()->sgPLitem(), 0, int(PlayItemColumn::In), "001005000"));
        QVERIFY(asked.isEmpty());
        QCOMPARE(o.w.document().undoStack(Document::Part::Playlist)->count(), 1);
        // A time that is no time is not taken and asks nothing.
        QVERIFY(typeIntoCell(o.items()->sgPLitem(), 0, int(PlayItemColumn::In), "99"));
        QVERIFY(asked.isEmpty());
        QVERIFY(o.model() == expected);
    }
}

void PlaylistViewsTest::chaptersLoadAsOneStepAndSave() {
    Demo demo;
    const Bytes original = test::readFile(demo.playlist());
    test::TempDir files;
    PlOpened o(demo.root());
    o.enterTab();
    QStringList proposed;
    QString answer;
    o.tab()->openFileChooser = [&](const QString& title, const QString& start, const QString&) {
        proposed << title << start;
        return answer;
    };
    o.tab()->saveFileChooser = o.tab()->openFileChooser;

    // Three chapters (PTS): 0, 30 s (the start of PlayItem 1) and 55 s (5 s into PlayItem 2).
    const fs::path chapters = files / "chapters.txt";
    test::writeFile(chapters,
                    Bytes{'0', '\n', '1', '3', '5', '0', '0', '0', '0', '\n', '2', '4', '7', '5', '0', '0', '0', '\n'});
    answer = QString::fromStdString(chapters.string());
    clickButton(o.marks()->bbLoadChap());
    QCOMPARE(proposed.value(0), QString("Open chapter file"));
    QVERIFY(proposed.value(1).endsWith("chapter_00000_PTS.txt"));
    TMPLS expected = readPlaylist(original, "00000.mpls");
    Log quiet;
    QCOMPARE(importChapters(expected, "0\n1350000\n2475000\n", ChapterFormat::PTS, quiet), std::size_t{3});
    QVERIFY(o.model() == expected);
    QCOMPARE(o.marks()->sgPlayListMark()->dataRows(), 3);
    QCOMPARE(o.marks()->sgPlayListMark()->cell(2, 2), QString("002"));
    QCOMPARE(o.w.document().undoStack(Document::Part::Playlist)->count(), 1);

    // Save chapters writes the marks back as the same lines, CR LF ended.
    const fs::path out = files / "out.txt";
    answer = QString::fromStdString(out.string());
    clickButton(o.marks()->bbSaveChap());
    const Bytes written = test::readFile(out);
    QCOMPARE(std::string(written.begin(), written.end()), std::string("0\r\n1350000\r\n2475000\r\n"));

    // One undo gives back the marks as read: the save writes the original bytes.
    o.w.undoAction()->trigger();
    QVERIFY(!o.marked());
    clickButton(o.w.bSave());
    QCOMPARE(test::readFile(demo.playlist()), original);

    // A "Time" file with a broken line is refused with its line number; nothing changes.
    o.w.optionsTab()->rgChapterFormat()->setItemIndex(2);
    test::writeFile(chapters, Bytes{'0', '0', ':', '0', '1', ':', '0', '0', '.', '0', '0', '0', '\n', 'x', '\n'});
    answer = QString::fromStdString(chapters.string());
    mainLog().errorFlag = false;
    clickButton(o.marks()->bbLoadChap());
    QVERIFY(mainLog().errorFlag);
    QVERIFY(logLines(o.w).filter("chapters.txt, line 2").size() == 1);
    QCOMPARE(o.w.document().undoStack(Document::Part::Playlist)->count(), 1);  // the undone step only
    QVERIFY(o.model() == readPlaylist(original, "00000.mpls"));
    // Cancel in the dialog does nothing.
    answer.clear();
    clickButton(o.marks()->bbLoadChap());
    QVERIFY(o.model() == readPlaylist(original, "00000.mpls"));
}

// The main PID list offers the clip's streams of the kind; a PID another
// stream of the kind plays, or one the clip lacks, is refused, and "+" has no
// stream to add once every clip stream of the kind is played.
// Boxes show every value their field holds: a stored playback count of five
// digits and a SubPath id of three show whole (the boxes once held four and
// two); a typed value the field cannot hold is refused in the status bar and
// the box shows the stored one; what is typed then lands in the saved file.
void PlaylistViewsTest::wideStoredValuesShowWhole() {
    Demo d;
    TMPLS fixture = readModel(d.playlist());
    setPlaybackType(fixture.AppInfoPlayList, PlaylistPlaybackType::Random);
    setPlaybackCount(fixture.AppInfoPlayList, 12345);
    TStreamEntry& pg = fixture.PlayList.PlayItems[0].STN_table.PG_textST[0].stream_entry;
    pg.type = kStreamInMuxOfSubPath;
    pg.ref_to_SubPath_id = 200;
    test::writeFile(d.playlist(), writePlaylist(fixture));

    PlOpened o(d.root());
    o.enterTab();
    QVERIFY(o.ws().playlistLoaded);
    TIntEdit* count = o.tab()->appInfo()->ieAIpbc();
    QCOMPARE(count->text(), QString("12345"));
    typeIntoField(count, "65536");
    QCOMPARE(o.w.statusBarWidget()->panelText(1).trimmed(), QString("The playback count is 0 to 65535."));
    QCOMPARE(o.model().AppInfoPlayList.playback_count, 6553);
    QCOMPARE(count->text(), QString("6553"));

    clickCell(o.items()->sgSTN(), 0, int(StreamKind::PG));
    clickCell(o.items()->sgStreamEntry(), 0, 1);
    TIntEdit* subPath = o.items()->ieSubPath();
    QVERIFY(subPath->isVisible());
    QCOMPARE(subPath->text(), QString("200"));
    typeIntoField(subPath, "300");
    QCOMPARE(o.w.statusBarWidget()->panelText(1).trimmed(), QString("The SubPath id is 0 to 255."));
    QCOMPARE(subPath->text(), QString("200"));
    typeIntoField(subPath, "201");
    QCOMPARE(o.model().PlayList.PlayItems[0].STN_table.PG_textST[0].stream_entry.ref_to_SubPath_id, 201);

    clickButton(o.w.bSave());
    const TMPLS saved = readModel(d.playlist());
    QCOMPARE(saved.AppInfoPlayList.playback_count, 6553);
    QCOMPARE(saved.PlayList.PlayItems[0].STN_table.PG_textST[0].stream_entry.ref_to_SubPath_id, 201);
}

void PlaylistViewsTest::streamPidsComeFromTheClip() {
    NAVORA_NEED_CORPUS_QT("tsmuxer/tsm02_avc1080p24_2aud_2pg");
    test::TempDir tmp;
    fs::copy(test::corpusDir() / "tsmuxer" / "tsm02_avc1080p24_2aud_2pg", tmp.path(), fs::copy_options::recursive);
    PlOpened o(tmp.path());
    o.enterTab();
    QVERIFY(o.ws().playlistLoaded);
    const TMPLS read = o.model();
    clickCell(o.items()->sgSTN(), 0, int(StreamKind::PrimaryAudio));
    clickCell(o.items()->sgStreamEntry(), 1, 1);
    QComboBox* pids = o.items()->coClipPID();
    QCOMPARE(pids->count(), 2);
    QVERIFY(pids->itemText(0).startsWith("1100") && pids->itemText(1).startsWith("1101"));
    QCOMPARE(pids->currentIndex(), 1);

    typeIntoField(o.items()->heMainPID(), "1100");
    QVERIFY(o.model() == read);
    QVERIFY2(o.w.statusBarWidget()->panelText(1).contains("PID 1100 is already audio stream 001"),
             qPrintable(o.w.statusBarWidget()->panelText(1)));
    QCOMPARE(o.items()->heMainPID()->text(), QString("1101"));
    typeIntoField(o.items()->heMainPID(), "1105");
    QVERIFY(o.model() == read);
    QVERIFY(
        o.w.statusBarWidget()->panelText(1).contains("Clip 00000 has no audio stream on PID 1105; it has 1100, 1101"));
    // Choosing the PID in the list goes through the same check.
    keyInList(pids, Qt::Key_Up);
    QVERIFY(o.model() == read);
    clickButton(o.items()->bbInsSTN());
    QVERIFY(o.model() == read);
    QVERIFY(o.w.statusBarWidget()->panelText(1).contains("Clip 00000 has no other audio stream to add"));
}

void PlaylistViewsTest::corpusBlankPlaylistShowsAndSavesUnchanged() {
    NAVORA_NEED_CORPUS_QT("tsmuxer/tsm12_blankpl_offset1");
    test::TempDir tmp;
    fs::copy(test::corpusDir() / "tsmuxer" / "tsm12_blankpl_offset1", tmp.path(), fs::copy_options::recursive);
    const fs::path dir = tmp / "BDMV" / "PLAYLIST";
    PlOpened o(tmp.path());
    o.enterTab();
    int checked = 0;
    for (const QString& name : {QString("00001"), QString("00005")}) {
        const fs::path file = dir / (name.toStdString() + ".mpls");
        const Bytes original = test::readFile(file);
        // Choosing the playlist in the list reads it.
        QComboBox* list = o.tab()->cbPlaylist();
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, name == "00001" ? Qt::Key_Home : Qt::Key_End);
        QCOMPARE(o.tab()->selection(), name);
        QVERIFY(o.ws().playlistLoaded);
        QCOMPARE(QString::fromStdString(o.ws().playlistName), name);
        const TMPLS& m = o.model();
        QCOMPARE(o.items()->sgPLitem()->dataRows(), static_cast<int>(m.PlayList.PlayItems.size()));
        QCOMPARE(o.marks()->sgPlayListMark()->dataRows(), static_cast<int>(m.PlayListMark.marks.size()));
        if (m.PlayList.PlayItems.empty()) {
            // No PlayItem, one mark on PlayItem 0xFFFF: shown as it is, and marked as dangling on the strip.
            QCOMPARE(o.marks()->sgPlayListMark()->cell(0, 2),
                     QString::fromStdString(markRow(m.PlayListMark.marks[0], 0)[2]));
            QVERIFY(!o.tab()->timeline()->markRect(0).isNull());
            QVERIFY(!o.items()->bbInsSTN()->isEnabled());
            QVERIFY(!o.subPaths()->bbSPins()->isEnabled());
            // Chapter export reports the mark that points nowhere.
            const auto before = logLines(o.w).size();
            QString out = QString::fromStdString((tmp / "ch.txt").string());
            o.tab()->saveFileChooser = [&](const QString&, const QString&, const QString&) { return out; };
            clickButton(o.marks()->bbSaveChap());
            QVERIFY(logLines(o.w).size() > before);
            QCOMPARE(test::readFile(tmp / "ch.txt"), Bytes{});
        }
        QVERIFY(o.w.bSave()->isEnabled());
        clickButton(o.w.bSave());
        QVERIFY(!mainLog().errorFlag);
        QCOMPARE(test::readFile(file), original);
        ++checked;
    }
    QCOMPARE(checked, 2);
}

void PlaylistViewsTest::everyCorpusPlaylistShowsAndSavesUnchanged() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    // Each playlist of each disc chosen in the list, every PlayItem and stream kind clicked through,
    // then saved: the views show what the model holds and the file comes back byte for byte.
    int checked = 0;
    for (const fs::path& disc : test::corpusDiscs()) {
        test::TempDir tmp;
        fs::copy(disc, tmp.path(), fs::copy_options::recursive);
        const fs::path dir = tmp / "BDMV" / "PLAYLIST";
        PlOpened o(tmp.path());
        o.enterTab();
        QComboBox* list = o.tab()->cbPlaylist();
        for (int n = 0; n < list->count(); ++n) {
            list->setFocus(Qt::TabFocusReason);
            QTest::keyClick(list, n == 0 ? Qt::Key_Home : Qt::Key_Down);
            const QString name = o.tab()->selection();
            const std::string what = disc.filename().string() + " " + name.toStdString();
            const fs::path file = dir / (name.toStdString() + ".mpls");
            const Bytes original = test::readFile(file);
            if (!o.ws().playlistLoaded || QString::fromStdString(o.ws().playlistName) != name) {
                // A playlist the reader refuses (a later format version) is never written over.
                QVERIFY2(!o.w.bSave()->isEnabled(), what.c_str());
                continue;
            }
            const TMPLS& m = o.model();
            QVERIFY2(o.items()->sgPLitem()->dataRows() == static_cast<int>(m.PlayList.PlayItems.size()), what.c_str());
            QVERIFY2(o.subPaths()->sgSubPath()->dataRows() == static_cast<int>(m.PlayList.SubPaths.size()),
                     what.c_str());
            QVERIFY2(o.marks()->sgPlayListMark()->dataRows() == static_cast<int>(m.PlayListMark.marks.size()),
                     what.c_str());
            for (std::size_t i = 0; i < m.PlayList.PlayItems.size(); ++i) {
                clickCell(o.items()->sgPLitem(), static_cast<int>(i), 1);
                QCOMPARE(o.items()->selectedItem(), std::optional<std::size_t>(i));
                const TSTN& stn = m.PlayList.PlayItems[i].STN_table;
                for (std::size_t k = 0; k < kStreamKindCount; ++k) {
                    const auto kind = static_cast<StreamKind>(k);
                    clickCell(o.items()->sgSTN(), 0, static_cast<int>(k));
                    QVERIFY2(o.items()->sgSTN()->cell(0, static_cast<int>(k)).toUInt() == streamCount(stn, kind),
                             what.c_str());
                    QVERIFY2(o.items()->sgStreamEntry()->dataRows() == static_cast<int>(streamCount(stn, kind)),
                             what.c_str());
                }
            }
            QVERIFY2(o.w.bSave()->isEnabled(), what.c_str());
            mainLog().errorFlag = false;
            clickButton(o.w.bSave());
            QVERIFY2(!mainLog().errorFlag, what.c_str());
            QVERIFY2(test::readFile(file) == original, what.c_str());
            QVERIFY(!o.marked());
            ++checked;
        }
    }
    QVERIFY(checked >= 10);
}

void PlaylistViewsTest::timelineClicksSelectInTheGrids() {
    Demo demo;
    PlOpened o(demo.root());
    o.enterTab();
    PlaylistTimeline* strip = o.tab()->timeline();
    QCOMPARE(strip->timeline().items.size(), std::size_t{3});
    // Blocks as wide as they play: 30, 20 and 10 seconds.
    const int w0 = strip->itemRect(0).width();
    const int w2 = strip->itemRect(2).width();
    QVERIFY(std::abs(w0 - 3 * w2) <= 3);
    // The mark at the very start is clickable and drawn whole: its tick stays inside the strip.
    QVERIFY(strip->rect().contains(strip->markRect(0)));

    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->itemRect(1).center() + QPoint(0, 4));
    QCOMPARE(o.items()->selectedItem(), std::optional<std::size_t>(1));
    QCOMPARE(o.items()->sgPLitem()->currentRow(), 1);
    QCOMPARE(strip->selectedItem(), 1);
    QVERIFY(o.items()->sgPIangles()->isVisibleTo(&o.w));

    // The link point (mark 3) is a tick 8 seconds into PlayItem 1.
    const QRect tick = strip->markRect(3);
    QCOMPARE(strip->markAt(tick.center()), std::optional<int>(3));
    QTest::mouseClick(strip, Qt::LeftButton, {}, tick.center());
    QCOMPARE(o.marks()->selectedMark(), std::optional<std::size_t>(3));
    QCOMPARE(o.marks()->sgPlayListMark()->currentRow(), 3);
    QCOMPARE(o.marks()->cmPLMtype()->currentText(), QString("link point"));

    // An edit moves the strip with the model: a shorter PlayItem 0 gives a narrower block.
    QVERIFY(typeIntoCell(o.items()->sgPLitem(), 0, int(PlayItemColumn::Out), "001010000"));
    QVERIFY(strip->itemRect(0).width() < w0);
    QCOMPARE(strip->timeline().duration, std::uint64_t{40} * kSec);
}

void PlaylistViewsTest::timelineReadsInLightAndDarkPalettes() {
    Demo demo;
    PlOpened o(demo.root());
    o.enterTab();
    PlaylistTimeline* strip = o.tab()->timeline();
    const auto luminance = [](const QColor& c) {
        const auto ch = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
    };
    const auto contrast = [&](const QColor& a, const QColor& b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    for (const QPalette& pal : {QApplication::palette(), dark}) {
        strip->setPalette(pal);
        const QImage img = strip->grab().toImage();
        const QColor base = pal.color(QPalette::Base);
        // The head of each tick (an entry mark and the link point) stands out from the strip.
        for (int m : {1, 3}) {
            const QRect r = strip->markRect(m);
            const QColor head = img.pixelColor(r.center().x(), r.top() + 3);
            QVERIFY2(contrast(head, base) >= 3.0,
                     qPrintable(QString("mark %1 contrast %2").arg(m).arg(contrast(head, base))));
        }
        // The unselected blocks are told from the strip and from each other; labels are readable.
        const QColor b1 = img.pixelColor(strip->itemRect(1).right() - 3, strip->itemRect(1).bottom() - 3);
        const QColor b2 = img.pixelColor(strip->itemRect(2).right() - 3, strip->itemRect(2).bottom() - 3);
        QVERIFY(b1 != b2);
        QVERIFY(contrast(pal.color(QPalette::Text), b1) >= 4.5);
        QVERIFY(contrast(pal.color(QPalette::Text), b2) >= 4.5);
    }
}

void PlaylistViewsTest::doubleClickOnAClipAsksForTheClipTab() {
    Demo demo;
    PlOpened o(demo.root());
    o.enterTab();
    QSignalSpy asked(o.tab(), &PlaylistTab::clipRequested);
    // Out of edit mode a double click on a PlayItem names its clip. The demo's
    // playlists name clips the disc does not hold: the tab stays and the status
    // line says so (the jump onto a clip that is there is a CLIPINF tab test).
    doubleClickCell(o.items()->sgPLitem(), 2, 1);
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.takeFirst().front().toString(), QString("00004"));
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabPlaylist));
    QCOMPARE(o.w.statusBarWidget()->panelText(1), QString(" Clip 00004.clpi not found "));
    o.enterTab();
    // An angle, a SubPlayItem and a clip entry name theirs.
    clickCell(o.items()->sgPLitem(), 1, 1);
    doubleClickCell(o.items()->sgPIangles(), 1, 1);
    o.enterTab();
    doubleClickCell(o.subPaths()->sgSubPlayItem(), 1, 1);
    o.enterTab();
    doubleClickCell(o.subPaths()->sgSubPlayItem(), 0, 1);
    o.enterTab();
    doubleClickCell(o.subPaths()->sgAngles(), 2, 1);
    QCOMPARE(asked.count(), 4);
    QCOMPARE(asked.at(0).front().toString(), QString("00002"));
    QCOMPARE(asked.at(1).front().toString(), QString("00013"));
    QCOMPARE(asked.at(3).front().toString(), QString("00012"));

    // In edit mode a double click edits instead: no jump.
    o.enterTab();
    QMenu* menu = rightClick(o.items()->sgPLitem(), 0, 1);
    QVERIFY(menu);
    QVERIFY(o.items()->sgPLitem()->actReadOnly()->isChecked());
    chooseFromMenu(menu, o.items()->sgPLitem()->actEditMode());
    QVERIFY(o.items()->sgPLitem()->editMode());
    asked.clear();
    doubleClickCell(o.items()->sgPLitem(), 2, 1);
    QCOMPARE(asked.count(), 0);
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabPlaylist));
    // "Read only" selects whole rows again.
    QCoreApplication::processEvents();
    menu = rightClick(o.items()->sgPLitem(), 0, 1);
    QVERIFY(menu);
    chooseFromMenu(menu, o.items()->sgPLitem()->actReadOnly());
    QVERIFY(!o.items()->sgPLitem()->editMode());
    QCOMPARE(o.items()->sgPLitem()->selectionBehavior(), QAbstractItemView::SelectRows);
}

void PlaylistViewsTest::readsNeverDropUnsavedEdits() {
    Demo demo;
    const Bytes menu = test::readFile(demo.playlist("00001"));
    PlOpened o(demo.root());
    // Auto Read off: entering the tab reads nothing.
    o.w.optionsTab()->cbOAutoRead()->setChecked(false);
    o.enterTab();
    QVERIFY(!o.ws().playlistLoaded);
    QVERIFY(!o.w.bSave()->isEnabled());
    clickButton(o.tab()->bReadPL());
    QVERIFY(o.ws().playlistLoaded);
    o.w.optionsTab()->cbOAutoRead()->setChecked(true);

    // An edit, then the tab is left and entered again: the edit stays.
    clickCell(o.marks()->sgPlayListMark(), 0, 1);
    clickButton(o.marks()->bbPLMins());
    const TMPLS edited = o.model();
    QVERIFY(o.marked());
    o.clickTab(TfMain::TabBdmv);
    o.enterTab();
    QVERIFY(o.model() == edited);

    // Choosing another playlist asks first; No keeps the edit (and the selection).
    QStringList asked;
    bool yes = false;
    o.tab()->ask = [&](const QString& q) {
        asked << q;
        return yes;
    };
    QComboBox* list = o.tab()->cbPlaylist();
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(asked, QStringList({"00000.mpls has changes that are not saved. Read 00001.mpls and drop them?"}));
    QVERIFY(o.model() == edited);
    QCOMPARE(o.ws().playlistName, std::string("00000"));
    // Yes reads it.
    yes = true;
    clickButton(o.tab()->bReadPL());
    QCOMPARE(o.ws().playlistName, std::string("00001"));
    QVERIFY(o.model() == readPlaylist(menu, "00001.mpls"));
    QVERIFY(!o.marked());

    // A file that cannot be read leaves the playlist shown and Save cannot write it over that file.
    const Bytes broken{'M', 'P', 'L', 'S', '0', '4', '0', '0'};
    test::writeFile(demo.playlist("00000"), broken);
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(o.tab()->selection(), QString("00000"));
    QVERIFY(mainLog().errorFlag);
    QCOMPARE(o.ws().playlistName, std::string("00001"));
    QVERIFY(!o.w.bSave()->isEnabled());
    mainLog().errorFlag = false;
    o.tab()->save();
    QCOMPARE(test::readFile(demo.playlist("00000")), broken);

    // Following a Play command from the BDMV tab opens that playlist at its PlayItem.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(o.ws().playlistName, std::string("00001"));
    test::writeFile(demo.playlist("00000"),
                    test::readFile(demo.root() / "BDMV" / "BACKUP" / "PLAYLIST" / "00000.mpls"));
    o.clickTab(TfMain::TabBdmv);
    emit o.w.bdmvTab()->followPlaylist("00000", 2);
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabPlaylist));
    QCOMPARE(o.ws().playlistName, std::string("00000"));
    QCOMPARE(o.items()->selectedItem(), std::optional<std::size_t>(2));
}

// Closing the window with an edited playlist asks first. Save writes the
// edit to the file it was read from (not to the name the selector moved to
// meanwhile), through the backup step; Discard leaves the file; Cancel keeps
// the window and the edit.
void PlaylistViewsTest::closingAsksAndSavesThePlaylistRead_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("Save") << int(QMessageBox::Save);
    QTest::newRow("Discard") << int(QMessageBox::Discard);
    QTest::newRow("Cancel") << int(QMessageBox::Cancel);
}

void PlaylistViewsTest::closingAsksAndSavesThePlaylistRead() {
    QFETCH(int, answer);
    Demo demo;
    const Bytes original = test::readFile(demo.playlist("00000"));
    const Bytes other = test::readFile(demo.playlist("00001"));
    PlOpened o(demo.root());
    o.enterTab();
    QCOMPARE(o.ws().playlistName, std::string("00000"));
    // A mark inserted after the second one: a click on its row, then the insert button.
    clickCell(o.marks()->sgPlayListMark(), 1, 1);
    clickButton(o.marks()->bbPLMins());
    TMPLS expected = readPlaylist(original, "00000.mpls");
    QVERIFY(insertMark(expected, 1));
    QVERIFY(o.model() == expected);
    QVERIFY(o.marked());

    // Another playlist chosen in the selector still asks before it is read; No keeps the edit.
    QStringList asked;
    o.tab()->ask = [&](const QString& q) {
        asked << q;
        return false;
    };
    QComboBox* list = o.tab()->cbPlaylist();
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(asked, QStringList({"00000.mpls has changes that are not saved. Read 00001.mpls and drop them?"}));
    QCOMPARE(o.tab()->selection(), QString("00001"));
    QVERIFY(o.model() == expected);

    // The backup beside the file, where the test reads it.
    o.w.optionsTab()->cbOBackupInTree()->setChecked(true);
    {
        Answer a(static_cast<QMessageBox::StandardButton>(answer));
        o.w.close();
        QVERIFY2(a.asked.startsWith("Save changes to "), qPrintable(a.asked));
    }
    QCOMPARE(test::readFile(demo.playlist("00001")), other);
    switch (answer) {
        case QMessageBox::Save:
            QVERIFY(!o.w.isVisible());
            QCOMPARE(test::readFile(demo.playlist("00000")), writePlaylist(expected));
            QCOMPARE(test::readFile(fs::path(backupPath(demo.playlist("00000").string()))), original);
            QVERIFY(!o.marked());
            break;
        case QMessageBox::Discard:
            QVERIFY(!o.w.isVisible());
            QCOMPARE(test::readFile(demo.playlist("00000")), original);
            break;
        case QMessageBox::Cancel: {
            QVERIFY(o.w.isVisible());
            QVERIFY(o.marked());
            QVERIFY(o.model() == expected);
            QCOMPARE(test::readFile(demo.playlist("00000")), original);
            Answer discard(QMessageBox::Discard);
            o.w.close();
            break;
        }
    }
}

void PlaylistViewsTest::chapterFormatOptionIsKept() {
    {
        auto s = TfMain::openSettings();
        s->setValue("ChapterFormat", 2);
    }
    Demo demo;
    {
        PlOpened o(demo.root());
        QCOMPARE(o.w.optionsTab()->rgChapterFormat()->itemIndex(), 2);
        o.clickTab(TfMain::TabOptions);
        auto* frame = qobject_cast<QRadioButton*>(o.w.optionsTab()->rgChapterFormat()->item(1));
        QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(6, frame->height() / 2));
        QCOMPARE(o.w.optionsTab()->chapterFormat(), 1);
        // The tab proposes the file name of the format.
        o.enterTab();
        QString start;
        o.tab()->openFileChooser = [&](const QString&, const QString& s, const QString&) {
            start = s;
            return QString();
        };
        clickButton(o.marks()->bbLoadChap());
        QVERIFY(start.endsWith("chapter_00000_frame.txt"));
        o.w.close();
    }
    auto s = TfMain::openSettings();
    QCOMPARE(s->value("ChapterFormat").toInt(), 1);
}
