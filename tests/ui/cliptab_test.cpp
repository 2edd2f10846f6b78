// The CLIPINF tab as a user meets it: tab and row clicks, keys in the clip
// list, Save PID with its progress and Cancel, the packet-count question, and
// the bottom bar's Find with the "Referenced by" view.

#include "cliptab_test.h"

#include "core/bytes.h"
#include "core/extdata.h"
#include "core/log.h"
#include "disc/demo.h"
#include "support/clipfixture.h"
#include "support/testsupport.h"
#include "ts/demux.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/clip/cliptab.h"
#include "ui/shell/extdat.h"
#include "ui/options/optionstab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/shell/qtlogview.h"
#include "ui/shell/statustab.h"
#include "ui/app/tfmain.h"
#include "ui/menu/menutab.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QFileInfo>
#include <QSignalSpy>
#include <QAction>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <fstream>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

fs::path corpusDisc(const std::string& name) { return test::corpusDir() / "tsmuxer" / name; }

// A copy of a corpus disc that a test may change.
fs::path copyDisc(const test::TempDir& tmp, const std::string& name) {
    fs::create_directories(tmp / "disc");
    fs::copy(corpusDisc(name) / "BDMV", tmp / "disc" / "BDMV", fs::copy_options::recursive);
    return tmp / "disc";
}

// The main window on a disc, shown, with the clip tab's questions and the
// desktop answered by the test.
struct Window {
    explicit Window(const fs::path& disc) {
        w.show();
        if (!QTest::qWaitForWindowExposed(&w)) qWarning("window not exposed");
        tab()->askYesCancel = [this](const QString& q) {
            questions << q;
            return answer;
        };
        tab()->openUrl = [this](const QUrl& url) {
            urls << url;
            return true;
        };
        w.formActivate({QString::fromStdString((disc / "BDMV" / "index.bdmv").string())});
    }
    ClipTab* tab() const { return w.clipTab(); }

    TfMain w;
    QStringList questions;
    bool answer = false;
    QList<QUrl> urls;
};

QStringList logLines(TfMain& w) {
    QStringList out;
    QTextDocument* doc = w.statusTab()->reMessage()->document();
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) out << b.text();
    return out;
}

int countLines(TfMain& w, const QString& line) { return static_cast<int>(logLines(w).count(line)); }

void clickTab(TfMain& w, int tab) {
    TabBar* bar = w.pageControl()->navTabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    QCOMPARE(w.pageControl()->currentIndex(), tab);
}

QPoint cellCentre(StringGrid* g, int row, int column = 1) {
    return g->visualRect(g->model()->index(row, column)).center();
}

void clickRow(StringGrid* g, int row) { QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cellCentre(g, row)); }

// A double click as the mouse makes it: press and release, then the double click.
void doubleClickRow(StringGrid* g, int row) {
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cellCentre(g, row));
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cellCentre(g, row));
}

void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

// The data rows of a grid, cells 1... joined by "|".
QStringList rowsOf(StringGrid* g) {
    QStringList out;
    for (int r = 0; r < g->dataRows(); ++r) {
        QStringList cells;
        for (int c = 1; c < g->columnCount(); ++c) cells << g->cell(r, c);
        out << cells.join('|');
    }
    return out;
}

// The row numbers a grid shows in column 0.
QStringList numbersOf(StringGrid* g) {
    QStringList out;
    for (int r = 0; r < g->dataRows(); ++r) out << g->cell(r, 0);
    return out;
}

// Selects clip `index` of the clip list with the arrow keys, as a user would.
void chooseClip(ClipTab* tab, int index) {
    QComboBox* cb = tab->cbClipinf();
    cb->setFocus();
    while (cb->currentIndex() < index) QTest::keyClick(cb, Qt::Key_Down);
    while (cb->currentIndex() > index) QTest::keyClick(cb, Qt::Key_Up);
}

std::uint32_t get32(const Bytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

std::vector<fs::path> filesIn(const fs::path& dir) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename());
    return out;
}

// The number of the " source packets saved." line of a log or a program's output.
QString savedPackets(const QString& text) {
    const auto m = QRegularExpression(QStringLiteral("(\\d+) source packets saved\\. \\(\\d+:\\d\\d:\\d\\d\\)"))
                       .match(text);
    return m.hasMatch() ? m.captured(1) : QString();
}

// A clip information file that has every optional part: application type 6
// with one font file, one ATC delta entry, two ATC sequences (the second with
// two STC sequences), an MPEG-2 and a PG stream, an EP map of two PIDs, and
// an ExtensionData block with one entry. Its stream has 10 source packets.
Bytes handMadeClip() {
    test::HandMadeClip clip;
    clip.sourcePackets = 10;
    clip.atcSequences = {{0, 0, {{0x1001, 0, 45000u * 3600, 45000u * 3660}}},
                         {0x100, 1, {{0x1001, 0x100, 0, 45000u * 10}, {0x1001, 0x180, 45000u * 10, 45000u * 20}}}};
    clip.streams = {
        test::handMadeStream(0x1011, 0x02, {0x44, 0x30, 0, 0}),  // MPEG-2 video, 1080i 29.97, 16:9
        test::handMadeStream(0x1200, 0x90, {'d', 'e', 'u', 0}),  // PG
    };
    clip.epMaps = {{0x1011, {0x155, 0x100}, {}, {0x12345678, 0x7FFFFFFF}},
                   {0x1200, {(3u << 14) | 0x2A, 0x200}, {}, {0xF0000000}}};
    return test::handMadeClipFile(clip);
}

}  // namespace

void ClipTabTest::initTestCase() {
    // Sizes and counts are shown with the locale's thousands separator: the C locale's is ",".
    QLocale::setDefault(QLocale::c());
}

void ClipTabTest::cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

void ClipTabTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
    mainLog().cancelConfirm = false;
    mainLog().cancelFlag = false;
}

void ClipTabTest::corpusClipFillsTheViews_data() {
    QTest::addColumn<QString>("disc");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("packets");
    QTest::addColumn<QStringList>("streams");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("two audio, two PG") << "tsm02_avc1080p24_2aud_2pg" << "2,992,128" << "15584"
                                       << QStringList{"1011|AVC|1080p, 23.976, 16:9", "1100|DD|Multi-ch., 48 kHz, eng",
                                                      "1101|DD|Stereo, 48 kHz, fra", "1200|PG|eng", "1201|PG|fra"}
                                       << "5 Program stream(s) found.";
    QTest::newRow("MPEG-2 interlaced, DTS") << "tsm07_mpeg2_1080i_dts" << "3,158,016" << "16448"
                                            << QStringList{"1011|MPEG-2|1080i, 29.97, 16:9",
                                                           "1100|DTS|Multi-ch., 48 kHz, eng",
                                                           "1101|DD|Stereo, 48 kHz, ita"}
                                            << "3 Program stream(s) found.";
    QTest::newRow("UHD: HEVC with dynamic range and colour space")
        << "tsm14_uhdv3_hevc1080_sdr" << "614,400" << "3200"
        << QStringList{"1011|HEVC|1080p, 23.976, 16:9, SDR, -", "1100|DD|Multi-ch., 48 kHz, eng",
                       "1101|DD+|Stereo, 48 kHz, fra"}
        << "3 Program stream(s) found.";
    // Clip information of a later version (made "0400") in a disc that reads: the clip is refused, the views
    // stay empty.
    QTest::newRow("later version refused") << "tsm01_avc1080p24_ac3_chap5s" << "1,867,776" << "0" << QStringList{}
                                           << "ERROR: Invalid format: 00000.clpi";
}

void ClipTabTest::corpusClipFillsTheViews() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(QString, disc);
    QFETCH(QString, size);
    QFETCH(QString, packets);
    QFETCH(QStringList, streams);
    QFETCH(QString, logLine);
    test::TempDir tmp;
    const fs::path copy = copyDisc(tmp, disc.toStdString());
    if (streams.isEmpty()) {
        const fs::path clip = copy / "BDMV" / "CLIPINF" / "00000.clpi";
        Bytes later = test::readFile(corpusDisc("tsm14_uhdv3_hevc1080_sdr") / "BDMV" / "CLIPINF" / "00000.clpi");
        later[5] = '4';
        fs::remove(clip);
        test::writeFile(clip, later);
    }
    Window win(copy);
    ClipTab* t = win.tab();
    // Entering the tab reads the selected clip ("Auto Read" is on by default).
    clickTab(win.w, TfMain::TabClipinf);
    QCOMPARE(countLines(win.w, "Reading 00000.clpi"), 1);
    QVERIFY(logLines(win.w).contains(logLine));
    QCOMPARE(t->lStreamName()->text(), QString("00000.m2ts"));
    QCOMPARE(t->lStreamSize()->text(), size);
    QCOMPARE(rowsOf(t->sgCI()), streams);
    QCOMPARE(t->iePackets()->text(), packets);
    // Save is shown and disabled on this tab: nothing of a clip is saved.
    QVERIFY(win.w.bSave()->isVisible());
    QVERIFY(!win.w.bSave()->isEnabled());
    QCOMPARE(win.w.bSave()->toolTip(), QString("Save 00000.clpi"));
    QVERIFY(win.w.bFind()->isVisible());

    const bool read = !streams.isEmpty();
    QCOMPARE(t->sgCI()->isEnabled(), read);
    QCOMPARE(t->bPlay()->isEnabled(), read);
    QCOMPARE(t->bSavePES()->isEnabled(), read);
    QVERIFY(!t->bLoadToMenu()->isEnabled());  // no IG stream on these discs
    if (!read) return;
    QCOMPARE(t->cbApplitype()->currentText(), QString("Main TS for a Movie"));
    QVERIFY(!t->pATCdelta()->isVisible());
    QVERIFY(!t->pFonts()->isVisible());
    QCOMPARE(t->lCIExtdat()->text(), QString("no ExtensionData()"));
    QCOMPARE(t->sgSequence()->dataRows(), 1);
    QCOMPARE(t->sgSTC()->cell(0, 1), QString("1001"));
    // The entry points of the video: its coarse entries point into its fine table.
    QCOMPARE(t->sgEPmap()->cell(0, 1), QString("1011"));
    QCOMPARE(t->sgEPcoarse()->dataRows(), t->sgEPmap()->cell(0, 3).toInt(nullptr, 16));
    QCOMPARE(t->sgEPfine()->dataRows(), t->sgEPmap()->cell(0, 4).toInt(nullptr, 16));
}

void ClipTabTest::handMadeClipShowsEveryPanel() {
    test::TempDir tmp;
    makeDemoDisc(tmp.path());
    const fs::path bdmv = tmp / "BDMV";
    test::writeFile(bdmv / "CLIPINF" / "00091.clpi", handMadeClip());
    test::writeFile(bdmv / "STREAM" / "00091.m2ts", Bytes(10 * 192, 0));
    Window win(tmp.path());
    ClipTab* t = win.tab();
    clickTab(win.w, TfMain::TabClipinf);
    QCOMPARE(t->shownClip(), QString("00090"));
    QCOMPARE(t->lCIExtdat()->text(), QString("no ExtensionData()"));
    chooseClip(t, 1);
    QCOMPARE(t->shownClip(), QString("00091"));
    QVERIFY(win.questions.isEmpty());

    QCOMPARE(t->cbApplitype()->currentText(), QString("Sub TS for a Text subtitle"));
    QVERIFY(t->cbATCdelta()->isChecked());
    QCOMPARE(t->ieRecordingRate()->text(), QString("48000000"));
    QVERIFY(t->pATCdelta()->isVisible());
    QCOMPARE(rowsOf(t->sgATCdelta()), QStringList{"12345678|00007|M2TS"});
    QVERIFY(t->pFonts()->isVisible());
    QCOMPARE(rowsOf(t->sgFonts()), QStringList{"00003"});
    QCOMPARE(numbersOf(t->sgFonts()), QStringList{"1"});
    QCOMPARE(rowsOf(t->sgCI()), (QStringList{"1011|MPEG-2|1080i, 29.97, 16:9", "1200|PG|deu"}));
    QCOMPARE(numbersOf(t->sgCI()), (QStringList{"1", "2"}));
    QCOMPARE(t->lCIExtdat()->text(), QString("1 entry, 30 bytes"));
    // "Edit" hands the block to the ExtensionData dialog; the block it gives
    // back is an undoable edit of the clip.
    const TExtensionData block = t->extensionData();
    const std::uint32_t address = t->clip().ExtensionData_start_address;
    TfExtDat* dialog = win.w.extDatDialog();
    QString shownTitle;
    QTimer::singleShot(0, dialog, [&] {
        shownTitle = dialog->windowTitle();
        click(dialog->bbDelExtDat());
        click(dialog->bOK());
        if (dialog->isVisible()) dialog->reject();
    });
    click(t->bCIExtDat());
    QCOMPARE(shownTitle, QString("00091.clpi ExtensionData edit"));
    QCOMPARE(t->lCIExtdat()->text(), QString("no ExtensionData()"));
    QCOMPARE(t->clip().ExtensionData_start_address, 0u);
    t->setExtensionData(block);
    QCOMPARE(t->lCIExtdat()->text(), QString("1 entry, 30 bytes"));
    QCOMPARE(t->clip().ExtensionData_start_address, address);  // ClipMark start + 4 + its length 0
    // Both edits undone: nothing unsaved keeps the next clip from being read.
    win.w.undoAction()->trigger();  // Edit > Undo
    win.w.undoAction()->trigger();
    QVERIFY(!win.w.windowTitle().endsWith('*'));

    // The STC view follows the ATC sequence clicked, starting with the last one.
    QCOMPARE(rowsOf(t->sgSequence()), (QStringList{"00000000|1|0", "00000100|2|1"}));
    QCOMPARE(rowsOf(t->sgSTC()),
             (QStringList{"1001|00000100|0:00:00.000|0:00:10.000", "1001|00000180|0:00:10.000|0:00:20.000"}));
    clickRow(t->sgSequence(), 0);
    QCOMPARE(rowsOf(t->sgSTC()), QStringList{"1001|00000000|1:00:00.000|1:01:00.000"});

    // The coarse and fine views follow the EP map row clicked, starting with the last PID.
    QCOMPARE(rowsOf(t->sgEPmap()), (QStringList{"1011|1|0001|00002|0000001A", "1200|1|0001|00001|0000002E"}));
    QCOMPARE(rowsOf(t->sgEPcoarse()), QStringList{"00003|002A|00000200"});
    QCOMPARE(rowsOf(t->sgEPfine()), QStringList{"y|7|0000|00000"});
    clickRow(t->sgEPmap(), 0);
    QCOMPARE(rowsOf(t->sgEPcoarse()), QStringList{"00000|0155|00000100"});
    QCOMPARE(rowsOf(t->sgEPfine()), (QStringList{"n|1|011A|05678", "n|7|07FF|1FFFF"}));
    QCOMPARE(numbersOf(t->sgEPfine()), (QStringList{"00000", "00001"}));
    // The arrow keys move the choice as a click does.
    QTest::keyClick(t->sgEPmap(), Qt::Key_Down);
    QCOMPARE(rowsOf(t->sgEPcoarse()), QStringList{"00003|002A|00000200"});

    // A clip without an ExtensionData block after one with it: the empty block's caption, no panels.
    chooseClip(t, 0);
    QCOMPARE(t->shownClip(), QString("00090"));
    QCOMPARE(t->lCIExtdat()->text(), QString("no ExtensionData()"));
    QVERIFY(!t->pATCdelta()->isVisible());
    QVERIFY(!t->pFonts()->isVisible());
}

void ClipTabTest::autoReadFollowsTheOption_data() {
    QTest::addColumn<bool>("autoRead");
    QTest::newRow("Auto Read on") << true;
    QTest::newRow("Auto Read off") << false;
}

void ClipTabTest::autoReadFollowsTheOption() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(bool, autoRead);
    TfMain::openSettings()->setValue("AutoRead", autoRead);
    Window win(corpusDisc("tsm04_split_4clips"));
    ClipTab* t = win.tab();
    QCOMPARE(t->cbClipinf()->count(), 4);

    clickTab(win.w, TfMain::TabClipinf);
    QCOMPARE(countLines(win.w, "Reading 00000.clpi"), autoRead ? 1 : 0);
    QCOMPARE(t->iePackets()->text(), QString(autoRead ? "2560" : "0"));

    chooseClip(t, 1);
    QCOMPARE(win.w.bSave()->toolTip(), QString("Save 00001.clpi"));
    QCOMPARE(countLines(win.w, "Reading 00001.clpi"), autoRead ? 1 : 0);
    click(t->bReadCI());
    QCOMPARE(countLines(win.w, "Reading 00001.clpi"), autoRead ? 2 : 1);
    QCOMPARE(t->iePackets()->text(), QString("2464"));

    // The bottom bar laid out again is no entry into the tab; leaving and coming back is.
    win.w.PageControlChange();
    QCOMPARE(countLines(win.w, "Reading 00001.clpi"), autoRead ? 2 : 1);
    clickTab(win.w, TfMain::TabBdmv);
    clickTab(win.w, TfMain::TabClipinf);
    QCOMPARE(countLines(win.w, "Reading 00001.clpi"), autoRead ? 3 : 1);
}

void ClipTabTest::followClipReadsOnce_data() {
    QTest::addColumn<bool>("autoRead");
    QTest::addColumn<int>("from");  // the tab shown before the jump
    QTest::newRow("Auto Read, from BDMV") << true << int(TfMain::TabBdmv);
    QTest::newRow("Auto Read, from CLIPINF") << true << int(TfMain::TabClipinf);
    QTest::newRow("no Auto Read, from BDMV") << false << int(TfMain::TabBdmv);
    QTest::newRow("no Auto Read, from CLIPINF") << false << int(TfMain::TabClipinf);
}

void ClipTabTest::followClipReadsOnce() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(bool, autoRead);
    QFETCH(int, from);
    TfMain::openSettings()->setValue("AutoRead", autoRead);
    Window win(corpusDisc("tsm04_split_4clips"));
    ClipTab* t = win.tab();
    clickTab(win.w, from);
    win.w.followClip("00002");
    QCOMPARE(win.w.pageControl()->currentIndex(), int(TfMain::TabClipinf));
    QCOMPARE(t->cbClipinf()->currentText(), QString("00002"));
    QCOMPARE(t->shownClip(), QString("00002"));
    QCOMPARE(countLines(win.w, "Reading 00002.clpi"), 1);
    QCOMPARE(win.w.bSave()->toolTip(), QString("Save 00002.clpi"));

    // A clip the list lacks leaves the selection and the views as they were.
    const QStringList before = logLines(win.w);
    win.w.followClip("00009");
    QCOMPARE(t->cbClipinf()->currentText(), QString("00002"));
    QCOMPARE(t->shownClip(), QString("00002"));
    QCOMPARE(logLines(win.w), before);
    QCOMPARE(win.w.statusBarWidget()->panelText(1), QString(" Clip 00009.clpi not found "));
}

void ClipTabTest::missingStreamFile() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    test::TempDir tmp;
    const fs::path disc = copyDisc(tmp, "tsm01_avc1080p24_ac3_chap5s");
    fs::remove(disc / "BDMV" / "STREAM" / "00000.m2ts");
    Window win(disc);
    ClipTab* t = win.tab();
    clickTab(win.w, TfMain::TabClipinf);
    QCOMPARE(t->lStreamName()->text(), QString("00000.m2ts"));
    QCOMPARE(t->lStreamSize()->text(), QString("missing file"));
    const QColor inactive = t->palette().color(QPalette::Disabled, QPalette::WindowText);
    QCOMPARE(t->lStreamName()->palette().color(QPalette::WindowText), inactive);
    QCOMPARE(t->lStreamSize()->palette().color(QPalette::WindowText), inactive);
    // The clip is shown, but there is no stream to play, export or check.
    QCOMPARE(t->sgCI()->dataRows(), 2);
    QVERIFY(!t->bPlay()->isEnabled());
    QVERIFY(!t->bSavePES()->isEnabled());
    QVERIFY(win.questions.isEmpty());
}

void ClipTabTest::packetCountCorrection_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("Cancel") << false;
}

void ClipTabTest::packetCountCorrection() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(bool, yes);
    test::TempDir tmp;
    const fs::path disc = copyDisc(tmp, "tsm01_avc1080p24_ac3_chap5s");
    const fs::path clpi = disc / "BDMV" / "CLIPINF" / "00000.clpi";
    const Bytes before = test::readFile(clpi);
    QCOMPARE(get32(before, 56), 9728u);
    {
        std::ofstream stream(disc / "BDMV" / "STREAM" / "00000.m2ts", std::ios::binary | std::ios::app);
        stream << std::string(1000000, '\0');
    }
    Window win(disc);
    win.answer = yes;
    ClipTab* t = win.tab();
    clickTab(win.w, TfMain::TabClipinf);
    // 9728 packets and 1,000,000 bytes more: 9728 + 5208 whole packets.
    QCOMPARE(win.questions, QStringList{"The m2ts file contains 14,936 packets.\n"
                                        "Do you want to correct the packet value of ClipInfo?"});
    // Yes is an edit like any other: nothing is written yet.
    QCOMPARE(test::readFile(clpi), before);
    QCOMPARE(t->iePackets()->text(), QString(yes ? "14936" : "9728"));
    QCOMPARE(win.w.windowTitle().endsWith('*'), yes);
    QCOMPARE(win.w.bSave()->isEnabled(), yes);
    if (!yes) {
        // Read again: the question comes again.
        click(t->bReadCI());
        QCOMPARE(win.questions.size(), 2);
        return;
    }
    // Undo takes it back, redo brings it again; Save writes it with the backup step.
    QTest::keyClick(&win.w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(t->iePackets()->text(), QString("9728"));
    QVERIFY(!win.w.windowTitle().endsWith('*'));
    QTest::keyClick(&win.w, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(t->iePackets()->text(), QString("14936"));
    // The backup beside the file, where the test reads it.
    win.w.optionsTab()->cbOBackupInTree()->setChecked(true);
    click(win.w.bSave());
    QVERIFY(!win.w.windowTitle().endsWith('*'));
    const Bytes after = test::readFile(clpi);
    QCOMPARE(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        if (i < 56 || i > 59) QCOMPARE(after[i], before[i]);
    QCOMPARE(get32(after, 56), 14936u);
    QCOMPARE(test::readFile(clpi.string() + ".backup"), before);

    // Read again: a corrected count asks nothing more.
    click(t->bReadCI());
    QCOMPARE(win.questions.size(), 1);
}

void ClipTabTest::savePidEqualsCommandLine_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("optionClicks");  // object names of the Options tab's boxes
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("cliOptions");
    QTest::newRow("AC-3 elementary") << 1 << QStringList{} << "00000_PID1100_DD_Multi-ch._48_kHz_eng.aus"
                                     << QStringList{};
    QTest::newRow("PG as SUP") << 3 << QStringList{} << "00000_PID1200_PG_eng.sup" << QStringList{"--sup"};
    QTest::newRow("AC-3 as PES") << 2 << QStringList{"cbSavePES"} << "00000_PID1101_DD_Stereo_48_kHz_fra.PES.aus"
                                 << QStringList{"--pes"};
    QTest::newRow("PG as PES, SUP off") << 4 << QStringList{"cbSavePES", "cbSaveSUP"} << "00000_PID1201_PG_fra.PES.pgs"
                                        << QStringList{"--pes"};
}

void ClipTabTest::savePidEqualsCommandLine() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(int, row);
    QFETCH(QStringList, optionClicks);
    QFETCH(QString, file);
    QFETCH(QStringList, cliOptions);
    const fs::path disc = corpusDisc("tsm02_avc1080p24_2aud_2pg");
    test::TempDir out;
    Window win(disc);
    win.w.optionsTab()->eWorkDir()->setText(QString::fromStdString(out.path().string()));
    if (!optionClicks.isEmpty()) {
        clickTab(win.w, TfMain::TabOptions);
        for (const QString& name : optionClicks) click(win.w.optionsTab()->findChild<QCheckBox*>(name));
    }
    ClipTab* t = win.tab();
    clickTab(win.w, TfMain::TabClipinf);
    clickRow(t->sgCI(), row);
    const int reads = countLines(win.w, "Reading 00000.clpi");
    click(t->bSavePES());

    QCOMPARE(filesIn(out.path()), std::vector<fs::path>{file.toStdString()});
    const fs::path saved = out / file.toStdString();
    std::vector<std::string> args = {"demux", (disc / "BDMV" / "STREAM" / "00000.m2ts").string(), "--pid",
                                     t->sgCI()->cell(row, 1).toStdString(), "-o", (out / "cli").string()};
    for (const QString& o : cliOptions) args.push_back(o.toStdString());
    const test::CliResult cli = test::runCli(args);
    QCOMPARE(cli.exitCode, 0);
    QVERIFY(test::readFile(saved) == test::readFile(out / "cli"));
    QVERIFY(!test::readFile(saved).empty());

    const QStringList lines = logLines(win.w);
    QVERIFY(lines.contains("Saving " + QString::fromStdString(saved.string()) + " ..."));
    QCOMPARE(savedPackets(lines.join('\n')), savedPackets(QString::fromStdString(cli.out)));
    QVERIFY(!savedPackets(lines.join('\n')).isEmpty());
    QCOMPARE(win.w.statusBarWidget()->panelText(0), QString(" Ready. "));
    // The bar and Cancel are gone, Save PID is back, and the clip was not read again.
    QVERIFY(!win.w.progressBar()->isVisible());
    QVERIFY(!win.w.bCancel()->isEnabled());
    QVERIFY(t->bSavePES()->isEnabled());
    QCOMPARE(countLines(win.w, "Reading 00000.clpi"), reads);
}

void ClipTabTest::failedSaveIsReported() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    test::TempDir tmp;
    const fs::path missing = tmp / "gone";
    Window win(corpusDisc("tsm02_avc1080p24_2aud_2pg"));
    win.w.optionsTab()->eWorkDir()->setText(QString::fromStdString(missing.string()));
    ClipTab* t = win.tab();
    clickTab(win.w, TfMain::TabClipinf);
    clickRow(t->sgCI(), 1);
    click(t->bSavePES());
    // The output cannot be created: an error names it, and nothing claims a save.
    const QStringList lines = logLines(win.w);
    QVERIFY(!lines.filter(QRegularExpression(QStringLiteral("^ERROR: .*gone"))).isEmpty());
    QVERIFY(savedPackets(lines.join('\n')).isEmpty());
    QVERIFY(!fs::exists(missing));
    QVERIFY(filesIn(tmp.path()).empty());
    // The window is ready for another try.
    QVERIFY(!win.w.progressBar()->isVisible());
    QVERIFY(!win.w.bCancel()->isEnabled());
    QVERIFY(t->bSavePES()->isEnabled());
    QVERIFY(!t->busy());
}

void ClipTabTest::savePidAsksBeforeReplacingAFile() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    test::TempDir out;
    Window win(corpusDisc("tsm02_avc1080p24_2aud_2pg"));
    win.w.optionsTab()->eWorkDir()->setText(QString::fromStdString(out.path().string()));
    ClipTab* t = win.tab();
    clickTab(win.w, TfMain::TabClipinf);
    clickRow(t->sgCI(), 1);
    const fs::path file = out / "00000_PID1100_DD_Multi-ch._48_kHz_eng.aus";
    test::writeFile(file, Bytes{1, 2, 3});
    // No: the file stays as it was and the status bar says why.
    {
        Answer no(QMessageBox::No);
        click(t->bSavePES());
        QCOMPARE(no.asked, QString::fromStdString(file.string()) + " exists.\nDo you want to replace it?\n");
    }
    QVERIFY(test::readFile(file) == (Bytes{1, 2, 3}));
    QVERIFY(win.w.statusBarWidget()->panelText(1).contains("exists"));
    QVERIFY(savedPackets(logLines(win.w).join('\n')).isEmpty());
    // Yes: the export replaces it.
    {
        Answer yes(QMessageBox::Yes);
        click(t->bSavePES());
        QVERIFY(!yes.asked.isEmpty());
    }
    QCOMPARE(filesIn(out.path()), std::vector<fs::path>{file.filename()});
    Bytes expected;
    demuxToMemory(corpusDisc("tsm02_avc1080p24_2aud_2pg") / "BDMV" / "STREAM" / "00000.m2ts", expected,
                  DemuxJob{0x1100});
    QVERIFY(test::readFile(file) == expected);
    QVERIFY(!savedPackets(logLines(win.w).join('\n')).isEmpty());
}

void ClipTabTest::savePidOfADamagedOrEmptyStream() {
    // A copy of the disc whose stream has one bad sync byte: saved without
    // that packet, with a warning; a stream of zeros: nothing saved, an error.
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    test::TempDir disc, out;
    fs::copy(corpusDisc("tsm02_avc1080p24_2aud_2pg"), disc.path(), fs::copy_options::recursive);
    const fs::path stream = disc / "BDMV" / "STREAM" / "00000.m2ts";
    Bytes bytes = test::readFile(stream);
    bytes[100 * 192 + 4] = 0;
    test::writeFile(stream, bytes);
    Window win(disc.path());
    win.w.optionsTab()->eWorkDir()->setText(QString::fromStdString(out.path().string()));
    ClipTab* t = win.tab();
    clickTab(win.w, TfMain::TabClipinf);
    clickRow(t->sgCI(), 1);
    click(t->bSavePES());
    QStringList lines = logLines(win.w);
    QVERIFY(lines.contains("WARNING: Bad sync byte at offset 19200 ($00004B00): 192 bytes skipped, up to offset "
                           "19392 ($00004BC0), where source packets line up again."));
    QVERIFY(!savedPackets(lines.join('\n')).isEmpty());
    QCOMPARE(win.w.statusBarWidget()->panelText(0),
             QString(" Saved; damaged parts of the stream were skipped (see the log). "));
    QCOMPARE(filesIn(out.path()).size(), std::size_t{1});

    test::writeFile(stream, Bytes(bytes.size(), 0));
    fs::remove(out / filesIn(out.path()).front());
    click(t->bSavePES());
    lines = logLines(win.w);
    QVERIFY(lines.contains(QString::fromStdString("ERROR: Nothing saved: " + stream.string() +
                                                  " holds no source packets (no sync bytes 0x47 192 bytes apart).")));
    QVERIFY(filesIn(out.path()).empty());
    QVERIFY(t->bSavePES()->isEnabled());
}

void ClipTabTest::cancelAsksAndLeavesNoFile_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("stop: Yes") << true;
    QTest::newRow("stop: No") << false;
}

void ClipTabTest::cancelAsksAndLeavesNoFile() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(bool, yes);
    test::TempDir out;
    Window win(corpusDisc("tsm02_avc1080p24_2aud_2pg"));
    win.w.optionsTab()->eWorkDir()->setText(QString::fromStdString(out.path().string()));
    QStringList asked;
    win.w.logView()->question = [&](const QString& q) {
        asked << q;
        return yes;
    };
    ClipTab* t = win.tab();
    clickTab(win.w, TfMain::TabClipinf);
    clickRow(t->sgCI(), 0);  // the video: the most packets

    // The click on Cancel lands while the export runs: at its first look at the window's events.
    bool barShown = false;
    bool saveDisabled = false;
    QTimer::singleShot(0, &win.w, [&] {
        barShown = win.w.progressBar()->isVisible();
        saveDisabled = !t->bSavePES()->isEnabled();
        click(win.w.bCancel());
    });
    click(t->bSavePES());
    QVERIFY(barShown);
    QVERIFY(saveDisabled);
    QCOMPARE(asked, QStringList{"Are you sure to stop?"});

    const QStringList lines = logLines(win.w);
    QCOMPARE(lines.contains("Saving cancelled."), yes);
    QCOMPARE(savedPackets(lines.join('\n')).isEmpty(), yes);
    // A cancelled export leaves nothing behind, not even its temporary file.
    QCOMPARE(filesIn(out.path()).size(), std::size_t{yes ? 0u : 1u});
    QVERIFY(!win.w.progressBar()->isVisible());
    QVERIFY(!win.w.bCancel()->isEnabled());
    QVERIFY(t->bSavePES()->isEnabled());
}

void ClipTabTest::closingDuringExportCancelsIt() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    test::TempDir out;
    auto* win = new Window(corpusDisc("tsm02_avc1080p24_2aud_2pg"));
    win->w.optionsTab()->eWorkDir()->setText(QString::fromStdString(out.path().string()));
    ClipTab* t = win->tab();
    clickTab(win->w, TfMain::TabClipinf);
    clickRow(t->sgCI(), 0);
    bool closed = true;
    QTimer::singleShot(0, &win->w, [&] { closed = win->w.close(); });
    click(t->bSavePES());
    // The window waits for the export, which stops without asking and leaves no file.
    QVERIFY(!closed);
    QVERIFY(logLines(win->w).contains("Saving cancelled."));
    QVERIFY(filesIn(out.path()).empty());
    QTRY_VERIFY(!win->w.isVisible());
    QVERIFY(TfMain::openSettings()->contains("SavePES"));
    delete win;
}

void ClipTabTest::playAndMenuFromTheProgramView() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    {
        const fs::path disc = corpusDisc("tsm02_avc1080p24_2aud_2pg");
        Window win(disc);
        ClipTab* t = win.tab();
        clickTab(win.w, TfMain::TabClipinf);
        const QUrl stream =
            QUrl::fromLocalFile(QString::fromStdString((disc / "BDMV" / "STREAM" / "00000.m2ts").lexically_normal().string()));
        click(t->bPlay());
        QCOMPARE(win.urls, QList<QUrl>{stream});
        // A double click on a stream other than the menu opens the stream too.
        doubleClickRow(t->sgCI(), 1);
        QCOMPARE(win.urls, (QList<QUrl>{stream, stream}));
        for (int row = 0; row < t->sgCI()->dataRows(); ++row) {
            clickRow(t->sgCI(), row);
            QVERIFY(!t->bLoadToMenu()->isEnabled());
        }
    }
    // The demo disc's clip carries an IG stream on PID 1400.
    test::TempDir tmp;
    makeDemoDisc(tmp.path());
    Window win(tmp.path());
    ClipTab* t = win.tab();
    QSignalSpy menus(t, &ClipTab::menuFileReady);
    clickTab(win.w, TfMain::TabClipinf);
    QCOMPARE(rowsOf(t->sgCI()), QStringList{"1400|IG|eng"});
    clickRow(t->sgCI(), 0);
    QVERIFY(t->bLoadToMenu()->isEnabled());
    QCOMPARE(t->bLoadToMenu()->toolTip(), QString("Load to Menu"));
    click(t->bLoadToMenu());
    QCOMPARE(menus.count(), 1);
    const QString path = menus.front().front().toString();
    QCOMPARE(path, QString::fromStdString(menuTempFile().string()));
    const fs::path stream = tmp / "BDMV" / "STREAM" / "00090.m2ts";
    const test::CliResult cli = test::runCli({"demux", stream.string(), "--pid", "1400", "--mnu", "-o",
                                              (tmp / "cli.mnu").string()});
    QCOMPARE(cli.exitCode, 0);
    QVERIFY(test::readFile(path.toStdString()) == test::readFile(tmp / "cli.mnu"));
    // The Menu tab has loaded it and come up.
    QCOMPARE(win.w.pageControl()->currentIndex(), int(TfMain::TabMenu));
    QVERIFY(win.w.workspace().menu.loaded && !win.w.workspace().menu.igs.pages.empty());
    // The temporary file is not the menu's own (the window removes it when it
    // closes, with anything saved over it): Save asks for a file, starting at
    // the default name, not at the temporary file.
    MenuTab* menuTab = win.w.menuTab();
    QVERIFY(menuTab->menuFile().isEmpty());
    QString offered;
    const fs::path mine = tmp / "mine.mnu";
    menuTab->dialogs.saveFile = [&](const QString&, const QString& start, const QStringList&, QString*) {
        offered = start;
        return QString::fromStdString(mine.string());
    };
    QTest::mouseClick(win.w.bSave(), Qt::LeftButton);
    QCOMPARE(QFileInfo(offered).fileName(), QString("mymenu.mnu"));
    QVERIFY(fs::exists(mine));
    QCOMPARE(menuTab->menuFile(), QString::fromStdString(mine.string()));
    clickTab(win.w, TfMain::TabClipinf);
    // A double click on the row "1400" loads the menu as well.
    doubleClickRow(t->sgCI(), 0);
    QCOMPARE(menus.count(), 2);
    QVERIFY(win.urls.isEmpty());
}

void ClipTabTest::findFillsReferencedBy_data() {
    QTest::addColumn<QString>("disc");
    QTest::addColumn<int>("clip");
    QTest::addColumn<QStringList>("uses");
    QTest::addColumn<int>("opened");    // the row double-clicked
    QTest::addColumn<int>("playItem");  // the PlayItem the playlist opens at; -1: its default
    QTest::newRow("third PlayItem") << "tsm04_split_4clips" << 2 << QStringList{"00000|p|00002"} << 0 << 2;
    QTest::newRow("first PlayItem") << "tsm04_split_4clips" << 0 << QStringList{"00000|p|00000"} << 0 << -1;
    QTest::newRow("SubPlayItem") << "tsm08_pip_secaudio_1080p24" << 0
                                 << QStringList{"00000|p|00000", "00000|s|00000"} << 1 << -1;
}

void ClipTabTest::findFillsReferencedBy() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    QFETCH(QString, disc);
    QFETCH(int, clip);
    QFETCH(QStringList, uses);
    QFETCH(int, opened);
    QFETCH(int, playItem);
    Window win(corpusDisc(disc.toStdString()));
    ClipTab* t = win.tab();
    clickTab(win.w, TfMain::TabClipinf);
    QVERIFY(!t->sgCIRef()->isEnabled());
    QCOMPARE(t->sgCIRef()->dataRows(), 0);
    QVERIFY(win.w.bFind()->isEnabled());
    const int reads = countLines(win.w, "Reading 00000.clpi");
    click(win.w.bFind());
    // Every playlist was read for it, then the selected clip again ("Auto
    // Read" is on); the tab stays where it is.
    const QStringList lines = logLines(win.w);
    QVERIFY(lines.contains("Reading 00000.mpls"));
    QCOMPARE(countLines(win.w, "Reading 00000.clpi"), reads + 1);
    QVERIFY(lines.lastIndexOf("Reading 00000.clpi") > lines.lastIndexOf("Reading 00000.mpls"));
    QCOMPARE(win.w.pageControl()->currentIndex(), int(TfMain::TabClipinf));
    chooseClip(t, clip);
    QVERIFY(t->sgCIRef()->isEnabled());
    QCOMPARE(rowsOf(t->sgCIRef()), uses);

    QSignalSpy requested(t, &ClipTab::playItemRequested);
    QSignalSpy followed(&win.w, &TfMain::playlistFollowed);
    doubleClickRow(t->sgCIRef(), opened);
    QCOMPARE(requested.count(), 1);
    QCOMPARE(requested.front().at(0).toString(), QString("00000"));
    QCOMPARE(requested.front().at(1).toInt(), playItem);
    QCOMPARE(win.w.pageControl()->currentIndex(), int(TfMain::TabPlaylist));
    QCOMPARE(followed.count(), 1);
    QCOMPARE(followed.front().at(1).toInt(), playItem);

    // A new read of the folder forgets the uses.
    clickTab(win.w, TfMain::TabBdmv);
    click(win.w.bdmvTab()->bReadBDMV());
    QCOMPARE(t->sgCIRef()->dataRows(), 0);
    QVERIFY(!t->sgCIRef()->isEnabled());
}

void ClipTabTest::playlistFindListsPlayers() {
    test::TempDir tmp;
    makeDemoDisc(tmp.path());
    Window win(tmp.path());
    clickTab(win.w, TfMain::TabPlaylist);
    click(win.w.bFind());
    // The answer is in the log, and the log is shown.
    QCOMPARE(win.w.pageControl()->currentIndex(), int(TfMain::TabStatus));
    const QStringList lines = logLines(win.w);
    const auto at = lines.lastIndexOf("PlayList 00000 found in:");
    QVERIFY(at > 0);
    QCOMPARE(lines.at(at - 1), QString());
    QCOMPARE(lines.mid(at + 1), QStringList{"Object 0000, Command line 0006"});
}

void ClipTabTest::demuxOptionsPersist() {
    {
        auto s = TfMain::openSettings();
        s->setValue("SavePES", true);
        s->setValue("SaveSUP", false);
    }
    TfMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.formActivate({});
    OptionsTab* o = w.optionsTab();
    QVERIFY(o->cbSavePES()->isChecked());
    QVERIFY(!o->cbSaveSUP()->isChecked());
    QVERIFY(o->cbSaveIG()->isChecked());  // not stored: its default
    clickTab(w, TfMain::TabOptions);
    for (QCheckBox* b : {o->cbSavePES(), o->cbSaveSUP(), o->cbSaveIG()}) click(b);
    QCOMPARE(o->demuxOptions(), (DemuxOptions{false, true, false}));
    w.formClose();
    auto s = TfMain::openSettings();
    QCOMPARE(s->value("SavePES").toBool(), false);
    QCOMPARE(s->value("SaveSUP").toBool(), true);
    QCOMPARE(s->value("SaveMNU").toBool(), false);
}
