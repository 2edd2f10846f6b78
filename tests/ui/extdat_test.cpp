// The ExtensionData editor as its hosts open it: the "Edit" button of
// index.bdmv, MovieObject.bdmv, a playlist, sound.bdmv and a clip, the
// dialog's buttons and entry grid, OK and Cancel, then Save and Undo.

#include "uitests.h"

#include "core/fileio.h"
#include "core/log.h"
#include "disc/demo.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_io.h"
#include "playlist/playlist_io.h"
#include "sound/sound_io.h"
#include "support/testsupport.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/clip/cliptab.h"
#include "ui/shell/extdat.h"
#include "ui/bdmv/indexview.h"
#include "ui/bdmv/mobjview.h"
#include "ui/shell/pagecontrol.h"
#include "ui/playlist/playlisttab.h"
#include "ui/bdmv/soundview.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QUndoStack>

#include <functional>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

// A block with two entries: 40 bytes at 0x24 and 6 bytes at 0x4C.
TExtensionData twoEntries() {
    TExtensionData b;
    b.data_block_start_address = 0x24;
    b.number_of_ext_data_entries = 2;
    b.entries = {{0x1000, 0x0001, 0x24, 40}, {0x2000, 0x0002, 0x4C, 6}};
    for (int i = 0; i < 40; ++i) b.data.push_back(static_cast<std::uint8_t>('A' + i % 26));
    for (char c : std::string("Navora")) b.data.push_back(static_cast<std::uint8_t>(c));
    b.length = static_cast<std::uint32_t>(8 + 12 * 2 + b.data.size());
    return b;
}

struct Window {
    Window() {
        makeDemoDisc(tmp.path());
        showActive(&w);
        w.formActivate({QString::fromStdString((bdmv() / "index.bdmv").string())});
        // Wide enough for every host's "Edit" button: a narrow panel hides it.
        w.resize(1400, 900);
        QCoreApplication::processEvents();
        exd = tmp.path() / "block.exd";
        saveAtomic(exd, writeExd(twoEntries()));
        TfExtDat* d = dialog();
        d->openFileChooser = [this](const QString& title, const QString&, const QString& filter) {
            chooserTitles << title + " | " + filter;
            return QString::fromStdString(exd.string());
        };
        d->saveFileChooser = [this](const QString& title, const QString&, const QString& filter) {
            chooserTitles << title + " | " + filter;
            return QString::fromStdString((tmp.path() / "saved.exd").string());
        };
        d->errorMessage = [this](const QString& text) { errors << text; };
    }
    fs::path bdmv() const { return tmp.path() / "BDMV"; }
    TfExtDat* dialog() const { return w.extDatDialog(); }
    bool marked() const { return w.windowTitle().endsWith('*'); }

    // Clicks a host's "Edit" and, once the dialog is up, runs inDialog in it.
    void editWith(QPushButton* edit, const std::function<void(TfExtDat*)>& inDialog) {
        bool ran = false;
        QTimer::singleShot(0, dialog(), [&] {
            if (!dialog()->isVisible()) {
                QTest::qFail("the dialog is not shown", __FILE__, __LINE__);
            } else {
                activate(dialog());
                shownTitle = dialog()->windowTitle();
                inDialog(dialog());
            }
            ran = true;
            // Whatever happened, the modal loop ends.
            if (dialog()->isVisible()) dialog()->reject();
        });
        QVERIFY(edit->isEnabled());
        QTest::mouseClick(edit, Qt::LeftButton);
        QVERIFY(ran);
        QVERIFY(!dialog()->isVisible());
        activate(&w);
    }

    test::TempDir tmp;
    TfMain w;
    fs::path exd;
    QString shownTitle;
    QStringList chooserTitles;
    QStringList errors;
};

void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

void clickCell(StringGrid* grid, int row, int column) {
    const QRect r = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

}  // namespace

void ExtDatTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
}

namespace {

// A host of the ExtensionData editor as the user reaches it: the tab its
// "Edit" button is on, the button, the caption beside it, the dialog title,
// the file Save writes (empty: the host is never saved through the document),
// the block and start address the host holds, the address its rule gives, and
// the block read back from the saved file.
struct Host {
    const char* name;
    int tab;
    std::function<QPushButton*(TfMain&)> edit;
    std::function<QLabel*(TfMain&)> caption;
    QString title;
    const char* file;
    std::function<std::pair<TExtensionData, std::uint32_t>(TfMain&)> held;
    std::function<std::uint32_t(TfMain&)> rule;
    std::function<std::pair<TExtensionData, std::uint32_t>(const Bytes&)> readBack;
};

const std::vector<Host>& hosts() {
    static const std::vector<Host> table = {
        {"index.bdmv", TfMain::TabBdmv, [](TfMain& w) { return w.bdmvTab()->indexView()->bIndExDatEdit(); },
         [](TfMain& w) { return w.bdmvTab()->indexView()->lIndexExtDat(); },
         "index.bdmv ExtensionData edit", "index.bdmv",
         [](TfMain& w) {
             return std::pair{w.workspace().index.ext, w.workspace().index.extension_data_start_address};
         },
         [](TfMain& w) {
             const TINDX& i = w.workspace().index;
             return i.indexes_start_address + 4 + i.indexes.length;
         },
         [](const Bytes& b) {
             const TINDX i = readIndex(b, "index.bdmv");
             return std::pair{i.ext, i.extension_data_start_address};
         }},
        {"MovieObject.bdmv", TfMain::TabBdmv, [](TfMain& w) { return w.bdmvTab()->mobjView()->bObjExtDatEdit(); },
         [](TfMain& w) { return w.bdmvTab()->mobjView()->lObjExtDat(); },
         "MovieObject.bdmv ExtensionData edit", "MovieObject.bdmv",
         [](TfMain& w) {
             return std::pair{w.workspace().mobj.ext, w.workspace().mobj.extension_data_start_address};
         },
         [](TfMain& w) { return 44 + w.workspace().mobj.mobjs.length; },
         [](const Bytes& b) {
             const TMOBJ m = readMovieObjects(b, "MovieObject.bdmv");
             return std::pair{m.ext, m.extension_data_start_address};
         }},
        // The block follows the PlayListMark section.
        {"playlist", TfMain::TabPlaylist, [](TfMain& w) { return w.playlistTab()->bbExtDat(); },
         [](TfMain& w) { return w.playlistTab()->lMExtDat(); }, "00000.mpls ExtensionData edit",
         "PLAYLIST/00000.mpls",
         [](TfMain& w) {
             return std::pair{w.workspace().playlist.ExtensionData, w.workspace().playlist.ExtensionData_start_address};
         },
         [](TfMain& w) {
             const TMPLS& p = w.workspace().playlist;
             return p.PlayListMark_start_address + 4 + p.PlayListMark.length;
         },
         [](const Bytes& b) {
             const TMPLS p = readPlaylist(b, "00000.mpls");
             return std::pair{p.ExtensionData, p.ExtensionData_start_address};
         }},
        // The block is the last thing in the file, after the last sound's data.
        {"sound.bdmv", TfMain::TabBdmv, [](TfMain& w) { return w.bdmvTab()->soundView()->bEditSndExtDat(); },
         [](TfMain& w) { return w.bdmvTab()->soundView()->lSNDExtDat(); }, "sound.bdmv ExtensionData edit",
         "AUXDATA/sound.bdmv",
         [](TfMain& w) {
             return std::pair{w.workspace().sound.ext, w.workspace().sound.ExtensionData_start_address};
         },
         [](TfMain& w) {
             return static_cast<std::uint32_t>(writeSound(w.workspace().sound).size() - 4 - twoEntries().length);
         },
         [](const Bytes& b) {
             const TSND s = readSound(b, "sound.bdmv");
             return std::pair{s.ext, s.ExtensionData_start_address};
         }},
        // The CLIPINF tab's own copy: the block follows the ClipMark section.
        {"clip information", TfMain::TabClipinf, [](TfMain& w) { return w.clipTab()->bCIExtDat(); },
         [](TfMain& w) { return w.clipTab()->lCIExtdat(); }, "00090.clpi ExtensionData edit", "",
         [](TfMain& w) {
             return std::pair{w.clipTab()->clip().ExtensionData, w.clipTab()->clip().ExtensionData_start_address};
         },
         [](TfMain& w) {
             const TCLPI& c = w.clipTab()->clip();
             return c.ClipMark_start_address + 4 + c.ClipMark_length;
         },
         {}},
    };
    return table;
}

}  // namespace

void ExtDatTest::loadThenOkStoresTheBlockByTheHostsRule_data() {
    QTest::addColumn<int>("host");
    for (std::size_t i = 0; i < hosts().size(); ++i) QTest::newRow(hosts()[i].name) << static_cast<int>(i);
}

void ExtDatTest::loadThenOkStoresTheBlockByTheHostsRule() {
    QFETCH(int, host);
    const Host& h = hosts()[static_cast<std::size_t>(host)];
    Window f;
    QTabBar* bar = f.w.pageControl()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(h.tab).center());
    QCOMPARE(f.w.pageControl()->currentIndex(), h.tab);
    const bool saved = h.file[0] != '\0';
    const fs::path file = f.bdmv() / h.file;
    const Bytes original = saved ? test::readFile(file) : Bytes{};
    const auto before = h.held(f.w);
    const int steps = f.w.document().undoStack()->count();
    QPushButton* edit = h.edit(f.w);
    QLabel* caption = h.caption(f.w);
    QVERIFY(edit->isVisible());
    const QString captionBefore = caption->text();
    QVERIFY(captionBefore != "2 entries, 82 bytes");

    f.editWith(edit, [&](TfExtDat* d) {
        click(d->bbLoadExtDat());
        QCOMPARE(d->lExtDatprop()->text(), QString("82 bytes, 2 entries"));
        QCOMPARE(d->sgExtDatEntry()->cell(1, 3), QString("0000004C"));
        click(d->bOK());
    });
    QCOMPARE(f.shownTitle, h.title);
    QCOMPARE(f.chooserTitles, QStringList{"Load ExtensionData() | ExtensionData (*.exd)"});
    QCOMPARE(caption->text(), QString("2 entries, 82 bytes"));
    const auto after = h.held(f.w);
    QCOMPARE(after.first, twoEntries());
    QCOMPARE(after.second, h.rule(f.w));
    QVERIFY(after.second != 0);

    if (!saved) {
        // The clip is the tab's own copy: nothing goes on the document's undo stack.
        QVERIFY(!f.marked());
        QCOMPARE(f.w.document().undoStack()->count(), steps);
        QTest::keyClick(&f.w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(h.held(f.w).first, twoEntries());
        return;
    }
    QVERIFY(f.marked());
    QCOMPARE(f.w.document().undoStack()->count(), steps + 1);
    click(f.w.bSave());
    QVERIFY(!f.marked());
    QCOMPARE(h.readBack(test::readFile(file)), after);

    // Undo gives the file as it was read.
    QTest::keyClick(&f.w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(caption->text(), captionBefore);
    QVERIFY(h.held(f.w) == before);
    QVERIFY(f.marked());
    click(f.w.bSave());
    QCOMPARE(test::readFile(file), original);
}

void ExtDatTest::cancelAfterDeleteLeavesTheHost() {
    Window f;
    QPushButton* edit = f.w.bdmvTab()->indexView()->bIndExDatEdit();
    // A block to delete: loaded and accepted first.
    f.editWith(edit, [](TfExtDat* d) {
        click(d->bbLoadExtDat());
        click(d->bOK());
    });
    const TINDX before = f.w.workspace().index;
    const int steps = f.w.document().undoStack()->count();

    f.editWith(edit, [](TfExtDat* d) {
        QCOMPARE(d->sgExtDatEntry()->dataRows(), 2);
        click(d->bbDelExtDat());
        QCOMPARE(d->lExtDatprop()->text(), QString("None"));
        QCOMPARE(d->sgExtDatEntry()->dataRows(), 0);
        QVERIFY(!d->bbDelExtDat()->isEnabled());
        QVERIFY(!d->bbSaveExtDat()->isEnabled());
        QVERIFY(d->reData()->toPlainText().isEmpty());
        click(d->bCancel());
    });
    QCOMPARE(f.w.workspace().index, before);
    QCOMPARE(f.w.document().undoStack()->count(), steps);
    QCOMPARE(f.w.bdmvTab()->indexView()->lIndexExtDat()->text(), QString("2 entries, 82 bytes"));

    // Delete then OK: no block, and the start address 0.
    f.editWith(edit, [](TfExtDat* d) {
        click(d->bbDelExtDat());
        click(d->bOK());
    });
    QCOMPARE(f.w.workspace().index.extension_data_start_address, 0u);
    QCOMPARE(f.w.workspace().index.ext, TExtensionData{});
}

void ExtDatTest::entryGridTypedIdAndDataView() {
    Window f;
    QPushButton* edit = f.w.bdmvTab()->mobjView()->bObjExtDatEdit();
    f.editWith(edit, [&](TfExtDat* d) {
        click(d->bbLoadExtDat());
        StringGrid* grid = d->sgExtDatEntry();
        QTextEdit* data = d->reData();
        // The first entry is shown: 40 bytes in two lines, the address in blue, the characters in red.
        QCOMPARE(data->document()->blockCount(), 2);
        const QTextBlock first = data->document()->firstBlock();
        QVERIFY(first.text().startsWith(" 0024 41 42 43"));
        QVERIFY(first.text().endsWith(" ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEF"));
        QTextCursor at(first);
        at.setPosition(first.position() + 2);
        QCOMPARE(at.charFormat().foreground().color(), QColor(0, 0, 255));
        at.setPosition(first.position() + first.length() - 2);
        QCOMPARE(at.charFormat().foreground().color(), QColor(255, 0, 0));

        // A click on the second entry shows its six bytes.
        clickCell(grid, 1, 2);
        QCOMPARE(data->toPlainText(), QString(" 004C 4E 61 76 6F 72 61") + QString(26 * 3, ' ') + " Navora");

        // ID1 takes typed text, read as hexadecimal.
        clickCell(grid, 0, 1);
        for (QChar c : QString("a1g")) {
            // The keys reach the dialog's focus widget: the grid, then its cell editor.
            QTest::keyClick(d->focusWidget() ? d->focusWidget() : grid, c.toLatin1());
        }
        QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        // The editor hands its text over once the event loop runs.
        QTRY_COMPARE(grid->cell(0, 1), QString("00A1"));
        QCOMPARE(d->block().entries[0].ID1, 0x00A1);
        QCOMPARE(d->block().entries[0].ID2, 0x0001);

        click(d->bbSaveExtDat());
        click(d->bOK());
    });
    QCOMPARE(f.chooserTitles.last(), QString("Save ExtensionData() | ExtensionData (*.exd)"));
    TExtensionData expected = twoEntries();
    expected.entries[0].ID1 = 0x00A1;
    QCOMPARE(test::readFile(f.tmp.path() / "saved.exd"), writeExd(expected));
    QCOMPARE(f.w.workspace().mobj.ext, expected);
    QVERIFY(f.errors.isEmpty());
}

void ExtDatTest::brokenExdKeepsTheWorkingCopy() {
    Window f;
    Bytes cut = writeExd(twoEntries());
    cut.resize(50);
    saveAtomic(f.exd, cut);
    f.editWith(f.w.bdmvTab()->indexView()->bIndExDatEdit(), [](TfExtDat* d) {
        click(d->bbLoadExtDat());
        QCOMPARE(d->lExtDatprop()->text(), QString("None"));
        click(d->bOK());
    });
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.front().contains("block.exd") && f.errors.front().contains("cut short"),
             qPrintable(f.errors.front()));
    QCOMPARE(f.w.workspace().index.ext, TExtensionData{});
    QCOMPARE(f.w.document().undoStack()->count(), 0);
}
