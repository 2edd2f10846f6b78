// navora-cli edit against the same edits made by clicks and keys in the
// editor: the saved files are the same bytes. Deleting the line a GoTo names,
// and typed command lines pasted into the movie object grid.

#include "uitests.h"

#include "core/log.h"
#include "disc/demo.h"
#include "nav/disasm.h"
#include "nav/edit.h"
#include "navdb/movieobject_io.h"
#include "support/testsupport.h"
#include "ui/app/tfmain.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/bdmv/indexview.h"
#include "ui/bdmv/mobjview.h"
#include "ui/playlist/appinfoview.h"
#include "ui/playlist/markview.h"
#include "ui/playlist/playlisttab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/shell/qtlogview.h"
#include "ui/shell/statustab.h"
#include "ui/widgets/commandgrid.h"
#include "ui/widgets/composer.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>

#include <functional>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

// A window that has read the disc.
struct Window {
    explicit Window(const fs::path& disc) {
        showActive(&w);
        w.formActivate({QString::fromStdString((disc / "BDMV" / "index.bdmv").string())});
    }
    void clickTab(int index) {
        QTabBar* bar = w.pageControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    MobjView* mobj() const { return w.bdmvTab()->mobjView(); }
    IndexView* index() const { return w.bdmvTab()->indexView(); }
    CommandGrid* commands() const { return mobj()->sgCommands(); }
    const TCommands& program(std::size_t o) { return w.workspace().mobj.mobjs.objects.at(o).commands; }
    TfMain w;
};

void clickRow(StringGrid* g, int row, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(g->viewport(), Qt::LeftButton, mods, g->visualRect(g->model()->index(row, 1)).center());
}

void clickButton(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center()); }

// Types a word into a composer box and leaves it with Enter, which stores it.
void typeWord(QLineEdit* box, const QString& hex) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, hex);
    QTest::keyClick(box, Qt::Key_Return);
}

// Types the three words of a command into the composer.
void compose(Window& o, std::uint32_t w0, std::uint32_t w1, std::uint32_t w2) {
    Composer* c = o.mobj()->composer();
    typeWord(c->heOCH(), QString::fromStdString(hex8(w0)));
    typeWord(c->heDEH(), QString::fromStdString(hex8(w1)));
    typeWord(c->heSOH(), QString::fromStdString(hex8(w2)));
}

// The demo disc written into a fresh folder.
struct Demo {
    Demo() { makeDemoDisc(tmp.path()); }
    test::TempDir tmp;
    fs::path root() const { return tmp.path(); }
};

fs::path copyOf(const test::TempDir& dir, const std::string& as) {
    const fs::path to = dir / as;
    fs::copy(test::corpusDir() / "tsmuxer" / "tsm04_split_4clips", to, fs::copy_options::recursive);
    return to;
}

}  // namespace

void CliEditViewsTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
    commandClipboard().commands.clear();
}

// Each operation of navora-cli edit writes the bytes the same edit by clicks
// and keys saves.
void CliEditViewsTest::clicksSaveWhatTheCliWrites() {
    NAVORA_NEED_CORPUS_QT("tsmuxer/tsm04_split_4clips");
    test::TempDir files;
    const fs::path chapters = files / "every5s.txt";
    const std::string lines = "0\r\n225000\r\n450000\r\n675000\r\n900000\r\n";  // every 5 s of 20.02 s
    test::writeFile(chapters, Bytes(lines.begin(), lines.end()));
    struct Case {
        const char* what;
        std::vector<std::string> cli;
        const char* file;
        std::function<void(Window&)> clicks;
    };
    const Case cases[] = {
        {"First Playback off",
         {"--first-playback", "off"},
         "BDMV/index.bdmv",
         [](Window& o) { clickButton(o.index()->cbFPBon()); }},
        {"Top Menu on movie object 0",
         {"--top-menu", "mobj:0"},
         "BDMV/index.bdmv",
         [](Window& o) {
             o.index()->cbTMObject()->setFocus();
             QTest::keyClick(o.index()->cbTMObject(), Qt::Key_Home);
         }},
        {"UO29 and UO0 of the playlist",
         {"--uo-mask", "00000=UO29=1,UO0=1"},
         "BDMV/PLAYLIST/00000.mpls",
         [](Window& o) {
             o.clickTab(TfMain::TabPlaylist);
             clickButton(o.w.playlistTab()->appInfo()->uoBox(2));
             clickButton(o.w.playlistTab()->appInfo()->uoBox(31));
         }},
        {"a chapter every 5 s",
         {"--chapters", "00000=every:5s"},
         "BDMV/PLAYLIST/00000.mpls",
         [&](Window& o) {
             o.clickTab(TfMain::TabPlaylist);
             o.w.playlistTab()->openFileChooser = [&](const QString&, const QString&, const QString&) {
                 return QString::fromStdString(chapters.string());
             };
             clickButton(o.w.playlistTab()->marks()->bbLoadChap());
         }},
        {"insert, replace and delete commands",
         {"--insert", "mobj:0:1=Move GPR7, 5", "--command", "mobj:0:3=GoTo 1", "--delete", "mobj:0:2"},
         "BDMV/MovieObject.bdmv",
         [](Window& o) {
             clickRow(o.mobj()->sgObject(), 0);
             clickRow(o.commands(), 0);
             QTest::keyClick(o.commands(), Qt::Key_Insert);
             QCOMPARE(o.commands()->currentRow(), 1);
             compose(o, 0x50400001, 7, 5);
             clickRow(o.commands(), 3);
             compose(o, 0x20810000, 1, 0);
             clickRow(o.commands(), 2);
             QTest::keyClick(o.commands(), Qt::Key_Delete, Qt::ShiftModifier);
         }},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const fs::path byClicks = copyOf(dir, "clicks");
        const fs::path byCli = copyOf(dir, "cli");
        const Bytes original = test::readFile(byCli / c.file);
        {
            Window o(byClicks);
            c.clicks(o);
            clickButton(o.w.bSave());
        }
        std::vector<std::string> args = {"edit", byCli.string()};
        args.insert(args.end(), c.cli.begin(), c.cli.end());
        const test::CliResult r = test::runCli(args);
        QVERIFY2(r.exitCode == 0, r.err.c_str());
        const Bytes cli = test::readFile(byCli / c.file);
        QVERIFY2(cli != original, c.what);
        QVERIFY2(test::readFile(byClicks / c.file) == cli, c.what);
    }
}

// Shift+Delete on the line a GoTo names: the GoTo then names the line that
// took its place, not the one before; targets after it move up.
void CliEditViewsTest::deletedGoToTargetMovesToTheNextLine() {
    Demo demo;
    const fs::path file = demo.root() / "BDMV" / "MovieObject.bdmv";
    TMOBJ m = readMovieObjects(test::readFile(file), "MovieObject.bdmv");
    const TCommand move1{{0x50400001, 1, 1}}, move2{{0x50400001, 2, 2}};
    m.mobjs.objects[0].commands = {TCommand{{0x20810000, 3, 0}}, TCommand{{0x20810000, 4, 0}}, TCommand{}, move1,
                                   move2};
    m.mobjs.length = movieObjectsLength(m.mobjs);
    test::writeFile(file, writeMovieObjects(m));
    Window o(demo.root());
    clickRow(o.mobj()->sgObject(), 0);
    clickRow(o.commands(), 3);
    QTest::keyClick(o.commands(), Qt::Key_Delete, Qt::ShiftModifier);
    const TCommands want = {TCommand{{0x20810000, 3, 0}}, TCommand{{0x20810000, 3, 0}}, TCommand{}, move2};
    QCOMPARE(o.program(0), want);
    QCOMPARE(o.commands()->cell(0, ColCommandLine), QString("GoTo 3"));
    QCOMPARE(o.commands()->cell(3, ColCommandLine), QString("Move GPR2, 2"));
    clickButton(o.w.bSave());
    QCOMPARE(readMovieObjects(test::readFile(file), "MovieObject.bdmv").mobjs.objects[0].commands, want);
}

// Command lines typed in a text editor paste through the assembler; a line
// that does not assemble pastes nothing and says where.
void CliEditViewsTest::typedLinesPasteIntoTheProgram() {
    Demo demo;
    Window o(demo.root());
    clickRow(o.mobj()->sgObject(), 1);
    const TCommands before = o.program(1);
    clickRow(o.commands(), 0);
    QApplication::clipboard()->setText("Move GPR1, PSR4\n0001  Jump Title 2\n");
    QTest::keyClick(o.commands(), Qt::Key_V, Qt::ControlModifier);
    TCommands want = before;
    want.insert(want.begin() + 1, {TCommand{{0x50000001, 1, 0x80000004}}, TCommand{{0x21810000, 2, 0}}});
    QCOMPARE(o.program(1), want);
    QCOMPARE(o.commands()->cell(2, ColCommandLine), QString("Jump Title 2"));

    QApplication::clipboard()->setText("GoTo 1\nMove GPR1 5\n");
    QTest::keyClick(o.commands(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(o.program(1), want);
    QVERIFY2(o.w.statusBarWidget()->panelText(1).contains("line 2 is not a command (column 11"),
             qPrintable(o.w.statusBarWidget()->panelText(1)));
}
