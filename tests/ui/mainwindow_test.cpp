#include "uitests.h"

#include "core/log.h"
#include "disc/workspace.h"
#include "support/testsupport.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/app/execpanel.h"
#include "ui/bdmv/mobjview.h"
#include "ui/options/optionstab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/shell/qtlogview.h"
#include "ui/app/runcontroller.h"
#include "ui/shell/statustab.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

fs::path firstDisc() {
    const auto discs = test::corpusDiscs();
    return discs.empty() ? fs::path() : discs.front().lexically_normal();
}

QString bdmvFolderOf(const fs::path& disc) { return QString::fromStdString((disc / "BDMV").string()) + "/"; }

QString titleFor(const fs::path& disc) {
    return "Navora v0.30b [" + QString::fromStdString(disc.filename().string()) + "]";
}

void setStored(const QString& name, const QVariant& value) {
    auto s = TfMain::openSettings();
    s->setValue(name, value);
}

QTextCharFormat formatOf(QTextDocument* doc, const QString& text) {
    QTextCursor c = doc->find(text, 0, QTextDocument::FindCaseSensitively);
    if (c.isNull()) return {};
    QTextCursor at(doc);
    at.setPosition(c.selectionStart() + 1);
    return at.charFormat();
}

// Pixels of exactly colour inside r of img.
int countColour(const QImage& img, const QRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixel(x, y) == (colour | 0xFF000000u)) ++n;
    return n;
}

// The longest horizontal run of colour on row y between x0 and x1.
int longestRun(const QImage& img, int y, int x0, int x1, QRgb colour) {
    int best = 0, run = 0;
    for (int x = x0; x <= x1; ++x) {
        run = img.pixel(x, y) == (colour | 0xFF000000u) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

bool shown(QWidget* w, QWidget* window) { return w->isVisibleTo(window); }

}  // namespace

void MainWindowTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().cancelConfirm = false;
    mainLog().errorFlag = false;
}

void MainWindowTest::tabsInOrderWithOwnerDrawnCaptions() {
    TfMain w;
    const QStringList expected = {"&BDMV", "&PLAYLIST", "&CLIPINF", "&Menu", "BD&JO", "&Options", "S&tatus", "&About"};
    QStringList captions;
    for (int i = 0; i < w.pageControl()->count(); ++i) captions << w.pageControl()->tabText(i);
    QCOMPARE(captions, expected);

    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.pageControl()->setCurrentIndex(TfMain::TabOptions);
    TabBar* bar = w.pageControl()->navTabBar();
    const QImage img = bar->grab().toImage();
    const QColor face = bar->palette().color(QPalette::Button);
    for (int i = 0; i < bar->count(); ++i) {
        const QRect r = bar->tabRect(i);
        const bool active = i == TfMain::TabOptions;
        // The 3-pixel strip 2 pixels below the top, inset 4 pixels.
        for (int y = r.top() + 2; y <= r.top() + 4; ++y) {
            QCOMPARE(img.pixelColor(r.left() + 4, y), active ? QColor(255, 187, 0) : face);
            QCOMPARE(img.pixelColor(r.right() - 4, y), active ? QColor(255, 187, 0) : face);
        }
        QCOMPARE(img.pixelColor(r.left() + 3, r.top() + 3) == QColor(255, 187, 0), false);
        // Caption colour: dark blue on the active tab, slate on the others.
        const QRect text = r.adjusted(2, 5, -2, 0);
        QCOMPARE(countColour(img, text, TabBar::kActiveText) > 0, active);
        QCOMPARE(countColour(img, text, TabBar::kInactiveText) > 0, !active);
        // The accelerator letter is underlined 16 pixels below the top on inactive tabs only.
        const int underline = longestRun(img, r.top() + 16, r.left(), r.right(), TabBar::kInactiveText);
        if (!active) QVERIFY2(underline >= 4, qPrintable(bar->tabText(i)));
    }

    // Alt with an accelerator letter switches the tab.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(w.pageControl()->currentIndex(), int(TfMain::TabStatus));
    QTest::keyClick(&w, Qt::Key_J, Qt::AltModifier);
    QCOMPARE(w.pageControl()->currentIndex(), int(TfMain::TabBdjo));
}

void MainWindowTest::readsCorpusDiscFromTheArgument() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    const fs::path disc = firstDisc();
    setStored("AutoRead", false);  // the argument is read whatever Auto Read says
    TfMain w;
    QSignalSpy reset(&w, &TfMain::viewsReset);
    QSignalSpy read(&w, &TfMain::workspaceRead);
    w.formActivate({QString::fromStdString((disc / "BDMV" / "index.bdmv").string())});

    QCOMPARE(read.count(), 1);
    QVERIFY(reset.count() >= 1);
    QCOMPARE(w.windowTitle(), titleFor(disc));
    QCOMPARE(QGuiApplication::applicationDisplayName(), titleFor(disc));
    QCOMPARE(w.bdmvTab()->folder(), bdmvFolderOf(disc));
    QVERIFY(w.workspace().indexLoaded);
    QVERIFY(w.workspace().mobjLoaded);
    QVERIFY(w.bdmvTab()->bReadBDMV()->isEnabled());
    QVERIFY(w.bSave()->isEnabled());
    QVERIFY(w.bFind()->isEnabled());
    QCOMPARE(w.statusBarWidget()->panelText(0), QString(" Ready. "));

    QTextDocument* doc = w.statusTab()->reMessage()->document();
    QCOMPARE(doc->firstBlock().text(), QString("Checking required files and directories..."));
    QVERIFY(doc->toPlainText().contains("  Found "));
    // "index.bdmv: [b]OK[/b]": the name regular, OK bold.
    QCOMPARE(formatOf(doc, "index.bdmv: OK").fontWeight(), int(QFont::Normal));
    QCOMPARE(formatOf(doc, "OK").fontWeight(), int(QFont::Bold));
    // "[bl]PLAYLIST[/bl] folder": the name blue.
    QCOMPARE(formatOf(doc, "PLAYLIST folder").foreground().color(), QColor(0, 0, 255));
    QVERIFY(!formatOf(doc, " folder").hasProperty(QTextFormat::ForegroundBrush));

    mainLog().erlog("broken");
    QCOMPARE(doc->lastBlock().text(), QString("ERROR: broken"));
    QCOMPARE(formatOf(doc, "ERROR:").foreground().color(), QColor(255, 0, 0));
    QVERIFY(w.statusBarWidget()->errorShown());
    mainLog().errorFlag = false;
}

void MainWindowTest::startUpFolder_data() {
    QTest::addColumn<bool>("autoRead");
    QTest::addColumn<bool>("remembered");
    QTest::addColumn<bool>("read");
    QTest::newRow("remembered folder, Auto Read on") << true << true << true;
    QTest::newRow("remembered folder, Auto Read off") << false << true << false;
    QTest::newRow("no folder, Auto Read on") << true << false << false;
}

void MainWindowTest::startUpFolder() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(bool, autoRead);
    QFETCH(bool, remembered);
    QFETCH(bool, read);
    setStored("AutoRead", autoRead);
    setStored("BDMVdir", remembered ? bdmvFolderOf(firstDisc()) : QString());
    TfMain w;
    QSignalSpy spy(&w, &TfMain::workspaceRead);
    w.formActivate({});
    QCOMPARE(spy.count(), read ? 1 : 0);
    QCOMPARE(w.workspace().indexLoaded, read);
    QCOMPARE(w.windowTitle(), read ? titleFor(firstDisc()) : QString("Navora v0.30b"));
    QCOMPARE(w.bSave()->isEnabled(), read);
    QCOMPARE(w.optionsTab()->cbOAutoRead()->isChecked(), autoRead);
}

void MainWindowTest::chosenFolderIsReadWithAutoRead_data() {
    QTest::addColumn<bool>("autoRead");
    QTest::newRow("Auto Read on") << true;
    QTest::newRow("Auto Read off") << false;
}

void MainWindowTest::chosenFolderIsReadWithAutoRead() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(bool, autoRead);
    const fs::path disc = firstDisc();
    setStored("AutoRead", autoRead);
    setStored("BDMVdir", "/old/place/BDMV/");
    TfMain w;
    w.formActivate({});
    QString start;
    w.bdmvTab()->folderChooser = [&](const QString& title, const QString& from) {
        start = from;
        return title == "Select a directory" ? QString::fromStdString(disc.string()) : QString();
    };
    QSignalSpy spy(&w, &TfMain::workspaceRead);
    w.bdmvTab()->bbOpenDir()->click();
    QCOMPARE(start, QString("/old/place/"));  // the parent of the BDMV folder
    QCOMPARE(w.bdmvTab()->folder(), bdmvFolderOf(disc));
    QCOMPARE(spy.count(), autoRead ? 1 : 0);
}

void MainWindowTest::failedCheckLeavesNoDiscInTitle() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    test::TempDir tmp;
    fs::copy(firstDisc() / "BDMV", tmp / "BDMV", fs::copy_options::recursive);
    TfMain w;
    w.formActivate({QString::fromStdString((tmp / "BDMV" / "index.bdmv").string())});
    QVERIFY(w.windowTitle().startsWith("Navora v0.30b ["));

    fs::remove(tmp / "BDMV" / "MovieObject.bdmv");
    w.bReadBDMVClick();
    QVERIFY(mainLog().errorFlag);
    QVERIFY(w.statusBarWidget()->errorShown());
    QCOMPARE(w.windowTitle(), QString("Navora v0.30b"));
    QVERIFY(!w.bSave()->isEnabled());
    QVERIFY(w.bdmvTab()->bReadBDMV()->isEnabled());
    QVERIFY(w.statusTab()->reMessage()->toPlainText().contains("MovieObject.bdmv: missing"));
}

void MainWindowTest::refusedIndexKeepsSaveDisabled() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    test::TempDir tmp;
    fs::copy(firstDisc() / "BDMV", tmp / "BDMV", fs::copy_options::recursive);
    const fs::path index = tmp / "BDMV" / "index.bdmv";
    fs::permissions(index, fs::perms::owner_write, fs::perm_options::add);
    test::writeFile(index, Bytes{'I', 'N', 'D', 'X', '9', '9', '9', '9'});
    TfMain w;
    w.formActivate({QString::fromStdString(index.string())});
    QVERIFY(w.workspace().mobjLoaded);
    QVERIFY(!w.workspace().indexLoaded);
    QVERIFY(w.statusTab()->reMessage()->toPlainText().contains("ERROR: index.bdmv format error at $00000008"));
    // Neither the read nor a later tab change enables Save.
    QVERIFY(!w.bSave()->isEnabled());
    w.pageControl()->setCurrentIndex(TfMain::TabStatus);
    w.pageControl()->setCurrentIndex(TfMain::TabBdmv);
    QVERIFY(shown(w.bSave(), &w));
    QVERIFY(!w.bSave()->isEnabled());
}

// A folder chosen while a movie object program runs is not read under it: the
// models the program works on stay in place until it has ended.
void MainWindowTest::readWaitsWhileAProgramRuns() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    const fs::path disc = firstDisc();
    TfMain w;
    w.formActivate({QString::fromStdString((disc / "BDMV" / "index.bdmv").string())});
    QVERIFY(w.optionsTab()->autoRead());
    // Object 0 becomes a GoTo to itself.
    w.workspace().mobj.mobjs.objects.at(0).commands = {TCommand{{0x20810000, 0, 0}}};
    w.bdmvTab()->mobjView()->setObjectSG(0);
    QVERIFY(w.run()->execPanel()->bStart()->isEnabled());

    w.bdmvTab()->folderChooser = [&](const QString&, const QString&) { return QString::fromStdString(disc.string()); };
    QSignalSpy read(&w, &TfMain::workspaceRead);
    bool running = false;
    QTimer::singleShot(100, &w, [&] {
        running = w.run()->running();
        w.bdmvTab()->bbOpenDir()->click();
        w.bCancel()->click();
    });
    QTimer::singleShot(20000, &w, [] { mainLog().cancelFlag = true; });  // a broken Cancel fails, not hangs
    w.run()->execPanel()->bStart()->click();
    QVERIFY(running);
    QVERIFY(!w.run()->running());
    QCOMPARE(read.count(), 0);
    QCOMPARE(w.workspace().mobj.mobjs.objects.at(0).commands.size(), std::size_t{1});
    // Once the program has ended, Read works again.
    w.bdmvTab()->bReadBDMV()->click();
    QCOMPARE(read.count(), 1);
}

void MainWindowTest::pageChangeSetsBottomBar_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("saveEnabled");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("others");  // shown among Find, Load, Mux: "f", "l", "m"
    QTest::addColumn<QString>("panels");  // shown among execute, navigate, registers: "e", "n", "r"
    QTest::newRow("BDMV") << 0 << true << true << "Save the bdmv files" << "" << "er";
    // Entering the PLAYLIST tab with Auto Read on reads the playlist: Save is enabled.
    QTest::newRow("PLAYLIST") << 1 << true << true << "Save 00000.mpls" << "f" << "";
    QTest::newRow("CLIPINF") << 2 << true << false << "Save 00000.clpi" << "f" << "";
    QTest::newRow("Menu") << 3 << true << false << "Save the IGS menu (*.mnu)" << "lm" << "enr";
    QTest::newRow("BDJO") << 4 << true << false << "Save" << "" << "";
    QTest::newRow("Options") << 5 << false << false << "Save" << "" << "";
    QTest::newRow("Status") << 6 << false << false << "Save" << "" << "r";
    QTest::newRow("About") << 7 << false << false << "Save" << "" << "";
}

void MainWindowTest::pageChangeSetsBottomBar() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(int, tab);
    QFETCH(bool, save);
    QFETCH(bool, saveEnabled);
    QFETCH(QString, hint);
    QFETCH(QString, others);
    QFETCH(QString, panels);
    TfMain w;
    w.formActivate({QString::fromStdString((firstDisc() / "BDMV" / "index.bdmv").string())});
    QSignalSpy applied(&w, &TfMain::pageLayoutApplied);
    w.pageControl()->setCurrentIndex(tab);
    if (tab == 0) w.PageControlChange();
    QCOMPARE(applied.count(), 1);
    QCOMPARE(applied.front().front().toInt(), tab);
    QCOMPARE(shown(w.bSave(), &w), save);
    QCOMPARE(w.bSave()->isEnabled(), saveEnabled);
    QCOMPARE(w.bSave()->toolTip(), hint);
    QCOMPARE(shown(w.bFind(), &w), others.contains('f'));
    QCOMPARE(shown(w.bLoadMenu(), &w), others.contains('l'));
    QCOMPARE(shown(w.bMux(), &w), others.contains('m'));
    QCOMPARE(shown(w.pExecute(), &w), panels.contains('e'));
    QCOMPARE(shown(w.pNavigate(), &w), panels.contains('n'));
    QCOMPARE(shown(w.pRegisters(), &w), panels.contains('r'));
    QVERIFY(!shown(w.progressBar(), &w));
}

void MainWindowTest::saveOnlyOnBdmvTab() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    test::TempDir tmp;
    fs::copy(firstDisc() / "BDMV", tmp / "BDMV", fs::copy_options::recursive);
    const fs::path index = tmp / "BDMV" / "index.bdmv";
    const fs::path mobj = tmp / "BDMV" / "MovieObject.bdmv";
    const Bytes indexBytes = test::readFile(index);
    const Bytes mobjBytes = test::readFile(mobj);

    TfMain w;
    w.formActivate({QString::fromStdString(index.string())});
    QVERIFY(w.workspace().indexLoaded);
    QSignalSpy saved(&w, &TfMain::workspaceSaved);
    QTextEdit* log = w.statusTab()->reMessage();
    // The PLAYLIST tab saves its playlist (tests/ui/playlist_test.cpp); the others after it save nothing.
    for (int tab = TfMain::TabClipinf; tab < w.pageControl()->count(); ++tab) {
        w.pageControl()->setCurrentIndex(tab);
        w.bSaveClick();
    }
    QCOMPARE(saved.count(), 0);
    QVERIFY(!log->toPlainText().contains("Saving"));
    QVERIFY(!fs::exists(tmp / "BDMV" / "index.bdmv.backup"));
    QVERIFY(!fs::exists(tmp / "BDMV" / "MovieObject.bdmv.backup"));

    // On the BDMV tab both files are backed up and written back unchanged;
    // the backups go out of the disc (the output folder typed on the Options
    // tab) and the disc's BACKUP copies follow the save.
    const fs::path out = tmp / "out";
    showActive(&w);
    w.pageControl()->setCurrentIndex(TfMain::TabOptions);
    QTest::mouseClick(w.optionsTab()->eWorkDir(), Qt::LeftButton);
    QTest::keyClicks(w.optionsTab()->eWorkDir(), QString::fromStdString(out.string()));
    fs::remove(tmp / "BDMV" / "BACKUP" / "index.bdmv");  // a stale or missing copy is written anew
    w.pageControl()->setCurrentIndex(TfMain::TabBdmv);
    QVERIFY(w.bSave()->isEnabled());
    QTest::mouseClick(w.bSave(), Qt::LeftButton);
    QCOMPARE(saved.count(), 1);
    QVERIFY(log->toPlainText().contains("index.bdmv saved."));
    QVERIFY(log->toPlainText().contains("MovieObject.bdmv saved."));
    const WorkspaceOptions& options = w.workspace().options;
    QCOMPARE(options.outputFolder, out.string());
    const std::string indexBackup = backupFileFor(options, index.string());
    QVERIFY2(indexBackup.rfind((out / "backup").string(), 0) == 0, indexBackup.c_str());
    QVERIFY(test::readFile(indexBackup) == indexBytes);
    QVERIFY(test::readFile(backupFileFor(options, mobj.string())) == mobjBytes);
    QVERIFY(!fs::exists(tmp / "BDMV" / "index.bdmv.backup"));
    QVERIFY(test::readFile(index) == indexBytes);
    QVERIFY(test::readFile(mobj) == mobjBytes);
    QVERIFY(test::readFile(tmp / "BDMV" / "BACKUP" / "index.bdmv") == indexBytes);

    // "Backups beside the files" puts them in the disc tree again.
    w.pageControl()->setCurrentIndex(TfMain::TabOptions);
    QCheckBox* beside = w.optionsTab()->cbOBackupInTree();
    QTest::mouseClick(beside, Qt::LeftButton, {}, QPoint(6, beside->height() / 2));
    QVERIFY(beside->isChecked());
    w.pageControl()->setCurrentIndex(TfMain::TabBdmv);
    QTest::mouseClick(w.bSave(), Qt::LeftButton);
    QVERIFY(test::readFile(tmp / "BDMV" / "index.bdmv.backup") == indexBytes);
    QVERIFY(test::readFile(tmp / "BDMV" / "MovieObject.bdmv.backup") == mobjBytes);
}

void MainWindowTest::progressTakesThePanelsPlace() {
    TfMain w;
    w.formActivate({});
    QVERIFY(shown(w.pExecute(), &w));
    QVERIFY(!w.bCancel()->isEnabled());

    mainLog().PrBarOn();
    QVERIFY(shown(w.progressBar(), &w));
    QVERIFY(!shown(w.pExecute(), &w));
    QVERIFY(!shown(w.pRegisters(), &w));
    QVERIFY(w.bCancel()->isEnabled());
    // A tab change while the bar is up keeps the panels hidden.
    w.pageControl()->setCurrentIndex(TfMain::TabMenu);
    QVERIFY(!shown(w.pNavigate(), &w));
    mainLog().progress(42);
    QCOMPARE(w.progressBar()->value(), 42);
    QVERIFY(!mainLog().cancelFlag);
    w.bCancel()->click();
    QVERIFY(mainLog().cancelFlag);

    mainLog().PrBarOff();
    QVERIFY(!shown(w.progressBar(), &w));
    QVERIFY(!w.bCancel()->isEnabled());
    QVERIFY(shown(w.pExecute(), &w));
    QVERIFY(shown(w.pNavigate(), &w));
    QVERIFY(shown(w.pRegisters(), &w));
}

void MainWindowTest::backupModeFollowsCheckbox() {
    setStored("Backup", false);
    TfMain w;
    w.formActivate({});
    OptionsTab* o = w.optionsTab();
    QVERIFY(!o->rgOBackup()->isEnabled());
    o->cbOBackup()->click();
    QVERIFY(o->rgOBackup()->isEnabled());
    QVERIFY(w.workspace().options.backup);
    o->cbOBackup()->click();
    QVERIFY(!o->rgOBackup()->isEnabled());
    QVERIFY(!w.workspace().options.backup);

    // A stored mode outside the items selects none, and backs up as "Only first".
    setStored("Backup", true);
    setStored("BackupMode", 7);
    TfMain w2;
    w2.formActivate({});
    QCOMPARE(w2.optionsTab()->backupMode(), -1);
    QVERIFY(w2.workspace().options.backupMode == BackupMode::OnlyFirst);
    w2.optionsTab()->rgOBackup()->item(1)->click();
    QVERIFY(w2.workspace().options.backupMode == BackupMode::Overwrite);
}

void MainWindowTest::countryCodeClampedOnLeaving_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("letters");
    QTest::newRow("below AA") << "3041" << "4141" << "AA";
    QTest::newRow("above ZZ") << "6000" << "5A5A" << "ZZ";
    QTest::newRow("inside") << "4a50" << "4A50" << "JP";
}

void MainWindowTest::countryCodeClampedOnLeaving() {
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(QString, letters);
    TfMain w;
    w.formActivate({});
    w.pageControl()->setCurrentIndex(TfMain::TabOptions);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    OptionsTab* o = w.optionsTab();
    QCOMPARE(o->lCountry()->text(), QString("US"));
    QSignalSpy changed(o, &OptionsTab::countryCodeChanged);
    THexEdit* he = o->heCountryCode();
    he->setFocus();
    QVERIFY(he->hasFocus());
    he->clear();
    QTest::keyClicks(he, typed);
    QTest::keyClick(he, Qt::Key_Return);  // Enter moves the focus on, which clamps
    QVERIFY(!he->hasFocus());
    QCOMPARE(he->text(), text);
    QCOMPARE(o->lCountry()->text(), letters);
    QVERIFY(changed.count() >= 1);
    QCOMPARE(changed.back().front().toInt(), int(he->value()));
}

void MainWindowTest::optionsReachWorkspaceAndLog() {
    TfMain w;
    w.formActivate({});
    OptionsTab* o = w.optionsTab();
    QCOMPARE(w.workspace().names().index, std::string("index.bdmv"));
    o->cb83names()->click();
    QCOMPARE(w.workspace().names().index, std::string("INDEX.BDM"));
    QCOMPARE(w.workspace().names().playlistExt, std::string(".MPL"));
    o->ieActiDelay()->setText("250");
    QCOMPARE(mainLog().actiDelayMs, 250);
    // On by default: the click turns the disc's BACKUP copies off.
    QVERIFY(w.workspace().options.saveToBackupDir);
    o->cbOSaveBACKUP()->click();
    QVERIFY(!w.workspace().options.saveToBackupDir);
    o->eWorkDir()->setText("/out");
    QCOMPARE(w.workspace().options.outputFolder, std::string("/out"));
    o->ieActiDelay()->setText("500");

    // Closing stores the controls' values.
    w.close();
    auto s = TfMain::openSettings();
    QCOMPARE(s->value("8.3names").toBool(), true);
    QCOMPARE(s->value("SaveBACKUP").toBool(), false);
    // The output folder is kept between runs.
    QCOMPARE(s->value("OutputFolder").toString(), QString("/out"));
}

void MainWindowTest::shutDownRemovesTemporaryFiles() {
    const QDir tmp(QDir::tempPath());
    const QStringList ours = {"Navora_MENU.tmp", "Navora_IGSsave"};
    const QStringList others = {"_Navora_tmppes", "other.txt"};
    for (const QString& name : ours + others) {
        QFile f(tmp.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    {
        TfMain w;
        w.formActivate({});
        w.close();
    }
    for (const QString& name : ours) QVERIFY2(!tmp.exists(name), qPrintable(name));
    for (const QString& name : others) {
        QVERIFY2(tmp.exists(name), qPrintable(name));
        QFile::remove(tmp.filePath(name));
    }
}
