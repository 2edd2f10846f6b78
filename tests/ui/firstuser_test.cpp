// What a new user meets around the views: failures shown as failures, the
// folder box, the questions before unsaved edits are dropped, the menu bar
// and its keys, drag and drop, commands on the system clipboard, a dark
// palette and a small screen. Clicks and keys as a user gives them; the
// questions are answered by clicking their buttons.

#include "uitests.h"

#include "core/log.h"
#include "disc/demo.h"
#include "nav/disasm.h"
#include "nav/edit.h"
#include "navdb/movieobject_io.h"
#include "support/testsupport.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/widgets/clipboard.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/commandgrid.h"
#include "ui/app/execpanel.h"
#include "ui/shell/menubar.h"
#include "ui/bdmv/mobjview.h"
#include "ui/shell/pagecontrol.h"
#include "ui/shell/qtlogview.h"
#include "ui/app/runcontroller.h"
#include "ui/shell/statustab.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include <map>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

// The demo disc in a temporary folder, read by a shown and active window.
struct Demo {
    Demo() {
        makeDemoDisc(tmp.path());
        showActive(&w);
        w.formActivate({QString::fromStdString((bdmv() / "index.bdmv").string())});
    }
    fs::path bdmv() const { return tmp.path() / "BDMV"; }
    Bytes mobjFile() const { return test::readFile(bdmv() / "MovieObject.bdmv"); }
    MobjView* mobj() const { return w.bdmvTab()->mobjView(); }
    const Workspace& ws() { return w.workspace(); }
    bool marked() const { return w.windowTitle().endsWith('*'); }
    QString panel1() const { return w.statusBarWidget()->panelText(1); }
    // An unsaved edit: a click on line 1 of movie object 0, then Insert.
    void edit() {
        CommandGrid* grid = mobj()->sgCommands();
        const QRect r = grid->visualRect(grid->model()->index(1, ColCommandLine));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        QTest::keyClick(grid, Qt::Key_Insert);
    }

    test::TempDir tmp;
    TfMain w;
};

// Cuts the demo disc's MovieObject.bdmv inside the second object's second command.
void cutMovieObjectFile(const fs::path& bdmv) {
    Bytes data = test::readFile(bdmv / "MovieObject.bdmv");
    const TMOBJ whole = readMovieObjects(data, "MovieObject.bdmv");
    data.resize(50 + 4 + 12 * whole.mobjs.objects.at(0).commands.size() + 4 + 12 + 5);
    test::writeFile(bdmv / "MovieObject.bdmv", data);
}

// The colour most of the area is painted with, and the highest contrast any
// pixel there has against it: the text drawn on the background.
double textContrast(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) ++counts[image.pixel(x, y)];
    if (counts.empty()) return 0;
    const QColor background(
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first);
    double best = 1;
    for (const auto& [rgb, n] : counts) best = std::max(best, contrastRatio(QColor(rgb), background));
    return best;
}

}  // namespace

void FirstUserTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
    commandClipboard().commands.clear();
}

// A refused file or a file read only in part: the status bar shows the error
// indicator and the first error line, and a click on it opens the Status tab.
void FirstUserTest::failedReadsShowInTheStatusBar_data() {
    QTest::addColumn<int>("damage");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("caption");
    QTest::newRow("index version 0400") << 0 << "index.bdmv" << "index.bdmv \u2014 refused";
    QTest::newRow("MovieObject.bdmv cut") << 1 << "MovieObject.bdmv read incomplete: ends early"
                                          << "MovieObject.bdmv \u2014 read incomplete";
}

void FirstUserTest::failedReadsShowInTheStatusBar() {
    QFETCH(int, damage);
    QFETCH(QString, shown);
    QFETCH(QString, caption);
    Demo o;
    QVERIFY(!o.w.statusBarWidget()->errorShown());
    if (damage == 0) {
        Bytes data = test::readFile(o.bdmv() / "index.bdmv");
        std::copy_n("0400", 4, data.begin() + 4);
        test::writeFile(o.bdmv() / "index.bdmv", data);
    } else {
        cutMovieObjectFile(o.bdmv());
    }
    QTest::mouseClick(o.w.bdmvTab()->bReadBDMV(), Qt::LeftButton);
    QVERIFY(o.w.statusBarWidget()->errorShown());
    QVERIFY2(o.panel1().contains(shown), qPrintable(o.panel1()));
    QVERIFY(!o.panel1().contains("Ready."));
    QGroupBox* group = damage == 0 ? o.w.bdmvTab()->indexGroup() : o.w.bdmvTab()->movieObjectGroup();
    QCOMPARE(group->title(), caption);

    QTest::mouseClick(o.w.statusBarWidget(), Qt::LeftButton, {}, o.w.statusBarWidget()->panelRect(1).center());
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabStatus));
    // The Status tab says why.
    const QString log = o.w.statusTab()->reMessage()->toPlainText();
    QVERIFY2(log.contains(damage == 0 ? "version \"0400\" is not supported" : "MovieObject.bdmv ends early at $"),
             qPrintable(log));

    // The next whole read clears the indicator and the caption.
    makeDemoDisc(o.tmp.path());
    o.w.pageControl()->setCurrentIndex(TfMain::TabBdmv);
    QTest::mouseClick(o.w.bdmvTab()->bReadBDMV(), Qt::LeftButton);
    QVERIFY(!o.w.statusBarWidget()->errorShown());
    QVERIFY(!group->title().contains(QChar(0x2014)));
}

// Save of a MovieObject.bdmv read only in part asks first, and says the cut
// part is dropped; Cancel leaves the file as it is.
void FirstUserTest::cutMovieObjectIsSavedOnlyWhenAgreed() {
    Demo o;
    cutMovieObjectFile(o.bdmv());
    QTest::mouseClick(o.w.bdmvTab()->bReadBDMV(), Qt::LeftButton);
    const Bytes cut = o.mobjFile();
    o.edit();
    {
        Answer no(QMessageBox::Cancel);
        QTest::mouseClick(o.w.bSave(), Qt::LeftButton);
        QVERIFY2(no.asked.contains("MovieObject.bdmv was read only in part"), qPrintable(no.asked));
        QVERIFY(no.asked.contains("dropped"));
    }
    QVERIFY(o.mobjFile() == cut);
    QVERIFY(o.marked());
    {
        Answer yes(QMessageBox::Save);
        QTest::mouseClick(o.w.bSave(), Qt::LeftButton);
        QVERIFY(!yes.asked.isEmpty());
    }
    QVERIFY(!o.marked());
    QCOMPARE(readMovieObjects(o.mobjFile(), "MovieObject.bdmv").mobjs, o.ws().mobj.mobjs);
    QCOMPARE(o.w.bdmvTab()->movieObjectGroup()->title(), QString("MovieObject.bdmv"));
}

// Enter in the folder box reads what was typed: a BDMV folder or the disc
// root; a folder without BDMV is named, and the open disc stays.
void FirstUserTest::folderBoxReadsWhatIsTyped() {
    Demo o;
    test::TempDir other;
    makeDemoDisc(other.path());
    test::TempDir empty;
    QLineEdit* box = o.w.bdmvTab()->eBDMVdir();
    const auto type = [&](const fs::path& p) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::fromStdString(p.string()));
        QTest::keyClick(box, Qt::Key_Return);
    };

    type(other.path());
    QCOMPARE(fs::path(o.ws().folder).lexically_normal(), (other.path() / "BDMV/").lexically_normal());
    QVERIFY(!o.w.statusBarWidget()->errorShown());

    type(empty.path());
    QVERIFY(o.w.statusBarWidget()->errorShown());
    QVERIFY2(o.panel1().contains("No BDMV folder in"), qPrintable(o.panel1()));
    QVERIFY(!o.panel1().contains("Check failed"));
    QCOMPARE(fs::path(o.ws().folder).lexically_normal(), (other.path() / "BDMV/").lexically_normal());
    QVERIFY(o.ws().mobjLoaded);
}

// Read, Open, a drop and closing the window ask before unsaved edits are
// dropped: Cancel keeps them, Discard drops them, Save writes them.
void FirstUserTest::unsavedEditsAreAskedAbout_data() {
    QTest::addColumn<int>("how");
    QTest::addColumn<int>("answer");
    QTest::newRow("Read, Cancel") << 0 << int(QMessageBox::Cancel);
    QTest::newRow("Read, Discard") << 0 << int(QMessageBox::Discard);
    QTest::newRow("F5, Save") << 1 << int(QMessageBox::Save);
    QTest::newRow("close, Cancel") << 2 << int(QMessageBox::Cancel);
    QTest::newRow("close, Save") << 2 << int(QMessageBox::Save);
    QTest::newRow("drop, Discard") << 3 << int(QMessageBox::Discard);
}

void FirstUserTest::unsavedEditsAreAskedAbout() {
    QFETCH(int, how);
    QFETCH(int, answer);
    Demo o;
    const Bytes read = o.mobjFile();
    const auto act = [&] {
        switch (how) {
            case 0: QTest::mouseClick(o.w.bdmvTab()->bReadBDMV(), Qt::LeftButton); break;
            case 1: QTest::keyClick(&o.w, Qt::Key_F5); break;
            case 2: o.w.close(); break;
            case 3: {
                QMimeData data;
                data.setUrls({QUrl::fromLocalFile(QString::fromStdString((o.bdmv() / "index.bdmv").string()))});
                // Onto the folder box: the window takes it, the box does not insert the path.
                QLineEdit* box = o.w.bdmvTab()->eBDMVdir();
                const QPoint at = box->rect().center();
                QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(box, &enter);
                QVERIFY(enter.isAccepted());
                QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(box, &drop);
                QVERIFY(drop.isAccepted());
                break;
            }
        }
        // A drop reads once the drag has ended.
        QTest::qWait(50);
    };

    // Nothing changed: nothing is asked.
    if (how != 2) {
        Answer none(QMessageBox::Cancel);
        act();
        QVERIFY(none.asked.isEmpty());
    }
    o.edit();
    QVERIFY(o.marked());
    const std::size_t edited = o.ws().mobj.mobjs.objects[0].commands.size();
    Answer a(static_cast<QMessageBox::StandardButton>(answer));
    act();
    QVERIFY2(a.asked.startsWith("Save changes to "), qPrintable(a.asked));
    switch (answer) {
        case QMessageBox::Cancel:
            QVERIFY(o.marked());
            QCOMPARE(o.ws().mobj.mobjs.objects[0].commands.size(), edited);
            QVERIFY(o.w.isVisible());
            QVERIFY(o.mobjFile() == read);
            break;
        case QMessageBox::Discard:
            QVERIFY(!o.marked());
            QCOMPARE(o.ws().mobj.mobjs.objects[0].commands.size(), edited - 1);
            QVERIFY(o.mobjFile() == read);
            break;
        case QMessageBox::Save:
            QVERIFY(!o.marked());
            QCOMPARE(readMovieObjects(o.mobjFile(), "MovieObject.bdmv").mobjs.objects[0].commands.size(), edited);
            QCOMPARE(o.w.isVisible(), how != 2);
            break;
    }
}

// The File menu's keys; Save says what it wrote; Open Recent lists the folders read.
void FirstUserTest::menuKeysOpenReadSaveAndQuit() {
    Demo o;
    test::TempDir other;
    makeDemoDisc(other.path());
    MainMenu* menu = o.w.mainMenu();
    QStringList menus;
    for (QAction* a : o.w.menuBar()->actions()) menus << a->text();
    QCOMPARE(menus, (QStringList{"&File", "Edit", "&Help"}));

    o.edit();
    QTest::keyClick(&o.w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!o.marked());
    QCOMPARE(o.panel1().trimmed(), QString("index.bdmv, MovieObject.bdmv and sound.bdmv saved."));

    QString asked;
    o.w.bdmvTab()->folderChooser = [&](const QString&, const QString& start) {
        asked = start;
        return QString::fromStdString(other.path().string());
    };
    QTest::keyClick(&o.w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(QDir::cleanPath(asked), QString::fromStdString(o.tmp.path().string()));
    QCOMPARE(fs::path(o.ws().folder).lexically_normal(), (other.path() / "BDMV/").lexically_normal());

    const QList<QAction*> recent = menu->recentMenu()->actions();
    QCOMPARE(recent.size(), 2);
    QCOMPARE(fs::path(recent[0]->data().toString().toStdString()), fs::path(o.ws().folder));
    recent[1]->trigger();
    QCOMPARE(fs::path(o.ws().folder).lexically_normal(), (o.bdmv() / "").lexically_normal());

    // F5 reads the folder again: an edit made on disc shows.
    cutMovieObjectFile(o.bdmv());
    QTest::keyClick(&o.w, Qt::Key_F5);
    QCOMPARE(o.ws().incompleteFiles, std::vector<std::string>{"MovieObject.bdmv"});

    QTest::keyClick(&o.w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!o.w.isVisible());

    // A new window remembers the folders.
    TfMain again;
    again.formActivate({});
    QCOMPARE(again.mainMenu()->recentMenu()->actions().size(), 2);
}

// Copy puts commands on the system clipboard as program list text and as the
// private type; Paste takes either, into another window's object.
void FirstUserTest::commandsMoveThroughTheSystemClipboard() {
    Demo a;
    const TCommands& source = a.ws().mobj.mobjs.objects[0].commands;
    QVERIFY(source.size() >= 3);
    const TCommands copied(source.begin() + 1, source.begin() + 3);
    CommandGrid* grid = a.mobj()->sgCommands();
    const auto rowAt = [](CommandGrid* g, int row) {
        return g->visualRect(g->model()->index(row, ColCommandLine)).center();
    };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowAt(grid, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowAt(grid, 2));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data->hasFormat(kCommandsMimeType));
    QCOMPARE(data->data(kCommandsMimeType).size(), qsizetype(24));
    const QString text = data->text();
    QCOMPARE(text.count('\n'), 2);
    QCOMPARE(commandsFromMimeData(data).commands, copied);

    // The exact words, then the text alone (as from a text editor or a saved list).
    for (bool textOnly : {false, true}) {
        if (textOnly) QApplication::clipboard()->setText(text);
        commandClipboard().commands.clear();
        Demo b;
        const std::size_t before = b.ws().mobj.mobjs.objects[1].commands.size();
        StringGrid* objects = b.mobj()->sgObject();
        QTest::mouseClick(objects->viewport(), Qt::LeftButton, {},
                          objects->visualRect(objects->model()->index(1, 1)).center());
        CommandGrid* target = b.mobj()->sgCommands();
        QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, rowAt(target, 0));
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
        const TCommands& now = b.ws().mobj.mobjs.objects[1].commands;
        QCOMPARE(now.size(), before + 2);
        QVERIFY(std::search(now.begin(), now.end(), copied.begin(), copied.end()) != now.end());
        QCOMPARE(b.panel1().trimmed(), QString("2 command(s) pasted"));
        QVERIFY(b.marked());
    }

    // The Edit menu acts on the grid with the focus: Select all, then Cut.
    a.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&a.w));
    grid->setFocus();
    const std::size_t all = source.size();
    a.w.mainMenu()->editAction(MainMenu::EditItem::SelectAll)->trigger();
    QCOMPARE(grid->selectedRange(), std::make_optional(std::make_pair(0, int(all) - 1)));
    const TCommands before = source;
    a.w.mainMenu()->editAction(MainMenu::EditItem::Cut)->trigger();
    QCOMPARE(commandsFromMimeData(QApplication::clipboard()->mimeData()).commands, before);
    QVERIFY(a.ws().mobj.mobjs.objects[0].commands.size() < all);
    QVERIFY(a.marked());
}

// With a dark palette the texts that carry a colour stay readable: the hex
// columns, a coloured log run and the tab captions.
void FirstUserTest::darkPaletteKeepsTextReadable() {
    const QPalette light = QApplication::palette();
    const QString styleName = QApplication::style()->name();
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    dark.setColor(QPalette::Text, QColor(220, 220, 220));
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, QColor(220, 220, 220));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    QApplication::setPalette(dark);
    const auto restore = qScopeGuard([&] {
        QApplication::setStyle(QStyleFactory::create(styleName));
        QApplication::setPalette(light);
    });

    Demo o;
    CommandGrid* grid = o.mobj()->sgCommands();
    const QImage cells = grid->viewport()->grab().toImage();
    for (int column : {int(ColOpcode), int(ColDestination), int(ColSource)}) {
        const double c = textContrast(cells, grid->visualRect(grid->model()->index(2, column)));
        QVERIFY2(c >= 3, qPrintable(QString("column %1: contrast %2").arg(column).arg(c)));
    }

    QTextEdit* logView = o.w.statusTab()->reMessage();
    logView->clear();
    mainLog().log("[bl]blue file name[/bl]");
    mainLog().log("[c:0000ff]red run[/c:0000ff]");
    o.w.pageControl()->setCurrentIndex(TfMain::TabStatus);
    QTest::qWait(20);
    const QImage log = logView->viewport()->grab().toImage();
    for (const char* run : {"blue file name", "red run"}) {
        QTextCursor at = logView->document()->find(QString::fromLatin1(run));
        QVERIFY(!at.isNull());
        const QRect line = logView->cursorRect(at).adjusted(-60, 0, 0, 0);
        const double c = textContrast(log, line);
        QVERIFY2(c >= 3, qPrintable(QString("%1: contrast %2").arg(run).arg(c)));
    }

    QTabBar* tabs = o.w.pageControl()->tabBar();
    const QImage strip = tabs->grab().toImage();
    for (int i : {0, int(TfMain::TabStatus)}) {
        const double c = textContrast(strip, tabs->tabRect(i).adjusted(4, 4, -4, -4));
        QVERIFY2(c >= 3, qPrintable(QString("tab %1: contrast %2").arg(i).arg(c)));
    }
}

// On a screen smaller than the designed least size the window still fits,
// and its splitters still move.
void FirstUserTest::windowFitsASmallScreen() {
    Demo o;
    const QSize screen = o.w.screen()->availableSize();
    QVERIFY(o.w.minimumSize().width() <= screen.width());
    QVERIFY(o.w.minimumSize().height() <= screen.height());
    // The designed place (172, 203) and width would put part of the window off this screen.
    QVERIFY(o.w.screen()->availableGeometry().contains(o.w.frameGeometry()));
    const QSize small = screen;
    o.w.resize(small);
    QTest::qWait(20);
    QVERIFY2(o.w.width() <= small.width() && o.w.height() <= small.height(),
             qPrintable(QString("%1x%2").arg(o.w.width()).arg(o.w.height())));
    const QList<QSplitter*> splitters = o.w.findChildren<QSplitter*>();
    for (QSplitter* s : splitters) {
        if (!s->isVisible() || s->count() < 2) continue;
        QList<int> sizes = s->sizes();
        const int total = sizes[0] + sizes[1];
        s->setSizes({total / 3, total - total / 3});
        QVERIFY(s->sizes()[0] != sizes[0] || sizes[0] == total / 3);
    }
}

// A program that runs long shows how many commands it executed in the status bar.
void FirstUserTest::longRunShowsCommandsExecuted() {
    Demo o;
    // Object 4 becomes a GoTo to itself.
    o.w.workspace().mobj.mobjs.objects[4].commands = {TCommand{{0x20810000, 0, 0}}};
    o.mobj()->setObjectSG(4);
    // The count shows once the run has gone on a while, sooner or later with
    // the machine's load: look every 50 ms and cancel once it is there.
    QString shown;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &o.w, [&] {
        shown = o.panel1();
        if (!shown.contains(" commands executed")) return;
        look.stop();
        QTest::mouseClick(o.w.bCancel(), Qt::LeftButton);
    });
    look.start(50);
    // A safety net so that a broken Cancel fails the test instead of hanging it.
    QTimer::singleShot(20000, &o.w, [] { mainLog().cancelFlag = true; });
    QTest::mouseClick(o.w.run()->execPanel()->bStart(), Qt::LeftButton);
    QVERIFY2(shown.contains(" commands executed"), qPrintable(shown));
    QVERIFY(!o.w.run()->running());
}

// The window has the application's icon.
void FirstUserTest::windowHasTheIcon() {
    TfMain w;
    QVERIFY(!w.windowIcon().isNull());
    QVERIFY(!w.windowIcon().pixmap(32, 32).isNull());
}

// Open Recent keeps the last ten folders, the latest first, each once.
void FirstUserTest::recentFoldersKeepTheLastTen() {
    QStringList folders;
    for (int i = 0; i < 12; ++i) folders = RecentFolders::with(folders, QString("/d%1/BDMV/").arg(i));
    QCOMPARE(folders.size(), RecentFolders::kCount);
    QCOMPARE(folders.front(), QString("/d11/BDMV/"));
    QCOMPARE(folders.back(), QString("/d2/BDMV/"));
    folders = RecentFolders::with(folders, "/d5/BDMV/");
    QCOMPARE(folders.size(), RecentFolders::kCount);
    QCOMPARE(folders.front(), QString("/d5/BDMV/"));
    QCOMPARE(folders.count("/d5/BDMV/"), 1);
}
