// The sound group of the BDMV tab and the BDJO tab, driven by clicks and keys
// on the demo disc: sound entries imported, deleted, undone and saved, a new
// sound.bdmv created, BD-J objects read and shown, and refused files shown
// as refused.

#include "uitests.h"

#include "bdj/bdjo_io.h"
#include "bdj/bdjo_text.h"
#include "core/extdata.h"
#include "core/fileio.h"
#include "core/log.h"
#include "disc/demo.h"
#include "disc/workspace.h"
#include "sound/sound_edit.h"
#include "sound/sound_io.h"
#include "sound/wav.h"
#include "support/testsupport.h"
#include "ui/bdjo/bdjotab.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/app/document.h"
#include "ui/shell/extdat.h"
#include "ui/bdmv/indexview.h"
#include "ui/options/optionstab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/shell/qtlogview.h"
#include "ui/bdmv/soundview.h"
#include "ui/shell/statustab.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
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

// A WAV file: RIFF header, "fmt " chunk, an optional "LIST" chunk, and a
// "data" chunk (left out with withData false) holding frames of a ramp.
Bytes wavFile(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::size_t frames,
              bool withData = true, bool withList = false) {
    Bytes samples;
    for (std::size_t i = 0; i < frames * channels; ++i) {
        if (bits == 8) {
            samples.push_back(static_cast<std::uint8_t>(i));
        } else {
            const auto v = static_cast<std::uint16_t>(i * 97 + 1);
            samples.push_back(static_cast<std::uint8_t>(v));
            samples.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    }
    auto le32 = [](Bytes& b, std::uint32_t v) {
        for (int s = 0; s < 32; s += 8) b.push_back(static_cast<std::uint8_t>(v >> s));
    };
    auto le16 = [](Bytes& b, std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto tag = [](Bytes& b, const char* t) { b.insert(b.end(), t, t + 4); };
    Bytes body;
    tag(body, "WAVE");
    tag(body, "fmt ");
    le32(body, 16);
    le16(body, 1);
    le16(body, channels);
    le32(body, rate);
    le32(body, rate * channels * bits / 8);
    le16(body, static_cast<std::uint16_t>(channels * bits / 8));
    le16(body, bits);
    if (withList) {
        tag(body, "LIST");
        le32(body, 5);
        body.insert(body.end(), {'I', 'N', 'F', 'O', 'x', 0});  // odd size and its pad byte
    }
    if (withData) {
        tag(body, "data");
        le32(body, static_cast<std::uint32_t>(samples.size()));
        body.insert(body.end(), samples.begin(), samples.end());
    }
    Bytes out;
    tag(out, "RIFF");
    le32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// Keeps every image it is asked to play.
class RecordingPlayer : public WavePlayer {
public:
    bool Play(const Bytes& wav) override {
        played.push_back(wav);
        return true;
    }
    void Stop() override {}
    bool playing() const override { return false; }
    std::vector<Bytes> played;
};

// The demo disc (changed by prepare before it is read), read by a shown and active window.
struct Window {
    explicit Window(const std::function<void(const fs::path& bdmv)>& prepare = {}) {
        makeDemoDisc(tmp.path());
        if (prepare) prepare(bdmv());
        showActive(&w);
        w.formActivate({QString::fromStdString((bdmv() / "index.bdmv").string())});
        sound()->setPlayer(&player);
    }
    fs::path bdmv() const { return tmp.path() / "BDMV"; }
    SoundView* sound() const { return w.bdmvTab()->soundView(); }
    StringGrid* sounds() const { return sound()->sgSounds(); }
    BdjoTab* bdjo() const { return w.bdjoTab(); }
    const Workspace& ws() { return w.workspace(); }
    bool marked() const { return w.windowTitle().endsWith('*'); }
    QString panel(int n) const { return w.statusBarWidget()->panelText(n); }
    void undo() { QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); }
    void redo() { QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier); }
    void save() { QTest::mouseClick(w.bSave(), Qt::LeftButton); }
    // The WAV file the open dialog answers with.
    void answerWith(const Bytes& wav, const std::string& name = "new.wav") {
        const fs::path p = tmp / name;
        test::writeFile(p, wav);
        sound()->openChooser = [p](const QString&, const QString&, const QString&) {
            return QString::fromStdString(p.string());
        };
    }
    QStringList log() const {
        QStringList out;
        QTextDocument* doc = w.statusTab()->reMessage()->document();
        for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) out << b.text();
        return out;
    }

    test::TempDir tmp;
    TfMain w;
    RecordingPlayer player;
};

QRect cellRect(QTableWidget* grid, int row, int column) { return grid->visualRect(grid->model()->index(row, column)); }

void clickRow(QTableWidget* grid, int row, int column = 1) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellRect(grid, row, column).center());
}

// A double-click as the platform delivers it: press, release, double-click, release.
void doubleClickRow(QTableWidget* grid, int row, int column = 1) {
    const QPoint at = cellRect(grid, row, column).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
}

// Status panel 1 showing the readout of row.
QString readout(const TSND& snd, std::size_t row) {
    const QString text = QString::fromStdString(soundReadout(snd, row, ','));
    return " " + QString(text).replace(QLatin1Char(','), QLocale().groupSeparator()) + " ";
}

void clickTab(TfMain& w, TfMain::Tab tab) {
    QTabBar* bar = w.pageControl()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

// A BD-J object of three applications: the second has no parameters, the third two.
TBDJO threeApplications() {
    TBDJO b;
    b.type_indicator = "BDJO";
    b.version_number = "0200";
    b.terminal_info.default_font_file_name = "00007";
    b.terminal_info.initial_HAVi_configuration_id = 0xB;
    b.terminal_info.menu_call_mask = true;
    b.accessible_playlists.autostart_first_PlayList_flag = true;
    b.accessible_playlists.PlayList_file_name = {"00001"};
    b.key_interest = (1u << 31) | (1u << 21);  // Play and PG TextST
    b.file_access_info.directory_path = "THREE";
    for (int i = 0; i < 3; ++i) {
        Tapplication a;
        a.application_id = static_cast<std::uint16_t>(0x4000 + i);
        a.organization_id = 0x12345678;
        a.profiles.push_back({1, 1, 0, static_cast<std::uint8_t>(i)});
        a.names.push_back({"eng", "App " + std::to_string(i)});
        a.initial_class_name = "org.example.App" + std::to_string(i);
        if (i == 0) a.parameters = {"first"};
        if (i == 2) a.parameters = {"x=1", "y=2"};
        b.applications.applications.push_back(a);
    }
    return b;
}

}  // namespace

void SoundBdjoTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
}

void SoundBdjoTest::importDeleteUndoAndSave() {
    Window o;
    const fs::path soundFile = o.bdmv() / "AUXDATA" / "sound.bdmv";
    const Bytes read = test::readFile(soundFile);
    QVERIFY(!o.w.bdmvTab()->soundGroup()->isHidden());
    QCOMPARE(o.sounds()->dataRows(), 2);
    QCOMPARE(o.sounds()->cell(1, 1), QString("Stereo"));
    QVERIFY(!o.w.optionsTab()->bCreateSound()->isEnabled());

    // A click on the first row shows its readout.
    clickRow(o.sounds(), 1);
    clickRow(o.sounds(), 0);
    QCOMPARE(o.panel(1), readout(o.ws().sound, 0));

    // Ins with the first row selected imports after it: the new stereo entry is entry 1.
    const Bytes wav = wavFile(2, 48000, 16, 301, true, true);
    o.answerWith(wav, "chord.wav");
    QTest::keyClick(o.sounds(), Qt::Key_Insert);
    TSND expected = readSound(read, "sound.bdmv");
    loadSound(expected, wav, "chord.wav", 0);
    QCOMPARE(o.ws().sound, expected);
    QCOMPARE(o.sounds()->dataRows(), 3);
    QCOMPARE(o.sounds()->currentRow(), 1);
    QCOMPARE(o.sounds()->cell(1, 1), QString("Stereo"));
    QCOMPARE(o.sounds()->cell(2, 0), QString("002"));
    QCOMPARE(o.panel(1), readout(expected, 1));
    QVERIFY(o.marked());
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Import sound entry"));

    // Del alone does nothing; Shift+Del deletes the clicked row (the demo's stereo entry, now 2).
    clickRow(o.sounds(), 2);
    QTest::keyClick(o.sounds(), Qt::Key_Delete);
    QCOMPARE(o.ws().sound.entries.size(), std::size_t{3});
    QTest::keyClick(o.sounds(), Qt::Key_Delete, Qt::ShiftModifier);
    QVERIFY(deleteSound(expected, 2));
    QCOMPARE(o.ws().sound, expected);
    QCOMPARE(o.sounds()->dataRows(), 2);
    QCOMPARE(o.sounds()->currentRow(), 1);
    QCOMPARE(o.panel(1), readout(expected, 1));

    // Undo brings the deleted entry back, redo takes it again.
    o.undo();
    QCOMPARE(o.sounds()->dataRows(), 3);
    QCOMPARE(o.sounds()->cell(2, 1), QString("Stereo"));
    o.redo();
    QCOMPARE(o.ws().sound, expected);

    // Save on the BDMV tab writes sound.bdmv as the engine writes the model.
    o.save();
    QVERIFY(!o.marked());
    QCOMPARE(test::readFile(soundFile), writeSound(expected));
    QCOMPARE(readSound(test::readFile(soundFile), "sound.bdmv").entries.at(1).data, soundFromWav(wav, "w").data);
    QVERIFY(fs::exists(backupFileFor(o.ws().options, soundFile.string())));
    // Undo past the save is a change again; undoing both edits gives back the file as read.
    o.undo();
    o.undo();
    QVERIFY(o.marked());
    o.save();
    QCOMPARE(test::readFile(soundFile), read);
}

void SoundBdjoTest::playAndExportTheClickedEntry() {
    Window o;
    test::TempDir out;
    o.w.optionsTab()->eWorkDir()->setText(QString::fromStdString(out.path().string()));
    QVERIFY(o.sound()->bbSoundPlay()->isEnabled());

    clickRow(o.sounds(), 1);
    QTest::mouseClick(o.sound()->bbSoundPlay(), Qt::LeftButton);
    QCOMPARE(o.player.played.size(), std::size_t{1});
    QCOMPARE(o.player.played[0], mkWav(o.ws().sound.entries[1]));

    // The export dialog starts in the output folder with the entry's name; without a suffix ".wav" is added.
    QString start;
    const fs::path target = out / "chosen";
    o.sound()->saveChooser = [&](const QString& title, const QString& s, const QString&) {
        start = s;
        return title == "Save sound entry" ? QString::fromStdString(target.string()) : QString();
    };
    QTest::mouseClick(o.sound()->bbSaveSound(), Qt::LeftButton);
    QCOMPARE(start, QString::fromStdString((out / "sound_001.wav").string()));
    QCOMPARE(test::readFile(out / "chosen.wav"), mkWav(o.ws().sound.entries[1]));
    QVERIFY(!o.marked());
}

void SoundBdjoTest::rejectedWavChangesNothing_data() {
    QTest::addColumn<QByteArray>("wav");
    QTest::addColumn<QString>("message");
    const auto bytes = [](const Bytes& b) { return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())); };
    QTest::newRow("44.1 kHz") << bytes(wavFile(1, 44100, 16, 10)) << "Wave format error! (Mandatory 48 kHz, 16 bit, PCM)";
    QTest::newRow("8 bit") << bytes(wavFile(1, 48000, 8, 10)) << "Wave format error! (Mandatory 48 kHz, 16 bit, PCM)";
    QTest::newRow("no data chunk") << bytes(wavFile(2, 48000, 16, 10, false, true)) << "no \"data\" chunk";
}

void SoundBdjoTest::rejectedWavChangesNothing() {
    QFETCH(QByteArray, wav);
    QFETCH(QString, message);
    Window o;
    const TSND before = o.ws().sound;
    o.answerWith(Bytes(wav.begin(), wav.end()), "bad.wav");
    int asked = 0;
    const WavFileChooser answer = o.sound()->openChooser;
    o.sound()->openChooser = [&](const QString& t, const QString& s, const QString& f) { return ++asked, answer(t, s, f); };
    o.sound()->rejectPauseMs = 300;
    clickRow(o.sounds(), 0);
    QTest::keyClick(o.sounds(), Qt::Key_Insert);
    // The window pauses: a second Ins, which goes where the keyboard focus
    // is, is not taken until the pause is over.
    QVERIFY(!o.w.isEnabled());
    QVERIFY(!o.sounds()->hasFocus());
    if (QWidget* focus = QApplication::focusWidget()) QTest::keyClick(focus, Qt::Key_Insert);
    QCOMPARE(asked, 1);
    QTRY_VERIFY(o.w.isEnabled());
    QVERIFY(o.sounds()->hasFocus());
    QCOMPARE(o.ws().sound, before);
    QCOMPARE(o.sounds()->dataRows(), 2);
    QVERIFY(!o.marked());
    QVERIFY(!o.w.undoAction()->isEnabled());
    QVERIFY(mainLog().errorFlag);
    const QString last = o.log().filter("ERROR").join('\n');
    QVERIFY2(last.contains("bad.wav") && last.contains(message), qPrintable(last));
}

void SoundBdjoTest::createSoundAndEditItsExtensionData() {
    // A disc without AUXDATA: no sound group, "Create sound.bdmv" enabled.
    Window o([](const fs::path& bdmv) { fs::remove_all(bdmv / "AUXDATA"); });
    QVERIFY(o.w.bdmvTab()->soundGroup()->isHidden());
    QPushButton* create = o.w.optionsTab()->bCreateSound();
    QVERIFY(create->isEnabled());
    clickTab(o.w, TfMain::TabOptions);

    // Cancelled: nothing changes.
    o.sound()->openChooser = [](const QString&, const QString&, const QString&) { return QString(); };
    QTest::mouseClick(create, Qt::LeftButton);
    QVERIFY(o.w.bdmvTab()->soundGroup()->isHidden());
    QVERIFY(!o.marked());

    const Bytes wav = wavFile(1, 48000, 16, 4801);
    o.answerWith(wav, "blip.wav");
    clickTab(o.w, TfMain::TabOptions);
    QTest::mouseClick(create, Qt::LeftButton);
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabBdmv));
    QVERIFY(!o.w.bdmvTab()->soundGroup()->isHidden());
    QCOMPARE(o.sounds()->dataRows(), 1);
    QCOMPARE(o.sounds()->cell(0, 1), QString("Mono"));
    QVERIFY(!create->isEnabled());
    QVERIFY(o.marked());
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Create sound.bdmv"));

    // Undo takes the sound.bdmv away again, redo brings it back.
    o.undo();
    QVERIFY(o.w.bdmvTab()->soundGroup()->isHidden());
    QVERIFY(create->isEnabled());
    QVERIFY(!o.ws().soundLoaded);
    o.redo();
    QVERIFY(!o.w.bdmvTab()->soundGroup()->isHidden());
    QCOMPARE(o.sounds()->dataRows(), 1);

    // "Edit" opens the editor; a block loaded there and taken with OK goes
    // through the document.
    TExtensionData block;
    block.length = 24;
    block.data_block_start_address = 24;
    block.number_of_ext_data_entries = 1;
    block.entries.push_back({1, 2, 24, 4});
    block.data = {0xDE, 0xAD, 0xBE, 0xEF};
    const fs::path exd = o.tmp.path() / "block.exd";
    saveAtomic(exd, writeExd(block));
    TfExtDat* dialog = o.w.extDatDialog();
    dialog->openFileChooser = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(exd.string());
    };
    QString shownTitle;
    QTimer::singleShot(0, dialog, [&] {
        shownTitle = dialog->windowTitle();
        QTest::mouseClick(dialog->bbLoadExtDat(), Qt::LeftButton);
        QTest::mouseClick(dialog->bOK(), Qt::LeftButton);
        if (dialog->isVisible()) dialog->reject();
    });
    QTest::mouseClick(o.sound()->bEditSndExtDat(), Qt::LeftButton);
    QCOMPARE(shownTitle, QString("sound.bdmv ExtensionData edit"));
    QCOMPARE(o.sound()->lSNDExtDat()->text(), QString::fromStdString(ExtDatCap(block)));
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Edit ExtensionData"));

    // The first save makes AUXDATA and writes the new file.
    o.save();
    TSND expected = createSound(wav, "blip.wav");
    setSoundExtensionData(expected, block);
    const fs::path soundFile = o.bdmv() / "AUXDATA" / "sound.bdmv";
    QCOMPARE(test::readFile(soundFile), writeSound(expected));
    QVERIFY(!o.marked());

    // Deleting the only entry leaves an empty grid with nothing to play or export and
    // clears the readout; the group stays and Save writes a file without entries.
    clickRow(o.sounds(), 0);
    QVERIFY(!o.panel(1).trimmed().isEmpty());
    QTest::keyClick(o.sounds(), Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(o.sounds()->dataRows(), 0);
    QVERIFY(!o.sound()->bbSoundPlay()->isEnabled() && !o.sound()->bbSaveSound()->isEnabled());
    QVERIFY(o.panel(1).trimmed().isEmpty());
    QVERIFY(!o.w.bdmvTab()->soundGroup()->isHidden());
    QTest::mouseClick(o.sound()->bbSoundPlay(), Qt::LeftButton);
    QVERIFY(o.player.played.empty());
    o.save();
    QVERIFY(deleteSound(expected, 0));
    QCOMPARE(test::readFile(soundFile), writeSound(expected));
    QCOMPARE(readSound(test::readFile(soundFile), "sound.bdmv"), expected);

    // Undoing the creation after saving it: Save takes the file away again,
    // and the window is clean; redone, it is written again.
    activate(&o.w);  // the ExtensionData editor was the active window
    for (int i = 0; i < 3; ++i) o.undo();
    QVERIFY(o.w.bdmvTab()->soundGroup()->isHidden());
    QVERIFY(o.marked());
    o.save();
    QVERIFY(!fs::exists(soundFile));
    QVERIFY(!o.marked());
    QVERIFY(o.log().contains("sound.bdmv removed."));
    for (int i = 0; i < 3; ++i) o.redo();
    o.save();
    QCOMPARE(test::readFile(soundFile), writeSound(expected));
    QVERIFY(!o.marked());
}

void SoundBdjoTest::refusedSoundIsShownAndKept() {
    Bytes refused;
    Window o([&](const fs::path& bdmv) {
        const fs::path f = bdmv / "AUXDATA" / "sound.bdmv";
        refused = test::readFile(f);
        refused[5] = '3';  // "0300"
        test::writeFile(f, refused);
    });
    QVERIFY(!o.ws().soundLoaded);
    QVERIFY(!o.w.bdmvTab()->soundGroup()->isHidden());
    QVERIFY(!o.sound()->lRefused()->isHidden());
    QVERIFY2(o.sound()->lRefused()->text().contains("sound.bdmv") &&
                 o.sound()->lRefused()->text().contains("\"0300\""),
             qPrintable(o.sound()->lRefused()->text()));
    QVERIFY(o.log().filter("ERROR").join('\n').contains("Format error sound.bdmv"));
    QCOMPARE(o.sounds()->dataRows(), 0);
    QVERIFY(!o.sounds()->isEnabled() && o.sounds()->isHidden());
    QVERIFY(!o.sound()->bbSoundPlay()->isEnabled());
    QVERIFY(!o.sound()->bEditSndExtDat()->isEnabled());
    // It is never replaced unread: neither Create nor Save touches it.
    QVERIFY(!o.w.optionsTab()->bCreateSound()->isEnabled());
    o.save();
    QCOMPARE(test::readFile(o.bdmv() / "AUXDATA" / "sound.bdmv"), refused);
}

void SoundBdjoTest::bdjoTabShowsObjectsAndOpensPlaylists() {
    Window o([](const fs::path& bdmv) { test::writeFile(bdmv / "BDJO" / "00002.bdjo", writeBdjo(threeApplications())); });
    BdjoTab* t = o.bdjo();
    QCOMPARE(t->cbBDJO()->count(), 2);

    // Auto Read off: entering the tab reads nothing until "Read".
    o.w.optionsTab()->cbOAutoRead()->click();
    clickTab(o.w, TfMain::TabBdjo);
    QCOMPARE(t->sgAppManage()->dataRows(), 0);
    QVERIFY(!o.w.bSave()->isEnabled());
    QTest::mouseClick(t->bReadBDJO(), Qt::LeftButton);

    // The demo's object.
    const TBDJO demo = readBdjo(test::readFile(o.bdmv() / "BDJO" / "00001.bdjo"), "00001.bdjo");
    QCOMPARE(t->eDefaultFont()->text(), QString("*****"));
    QVERIFY(t->cbAccessToAll()->isChecked());
    QVERIFY(!t->cbAutostartFirstPL()->isChecked());
    QCOMPARE(t->sgAccPLs()->dataRows(), 2);
    QCOMPARE(t->sgCacheInfo()->dataRows(), 1);
    QCOMPARE(t->eDirectoryPath()->text(), QString::fromStdString(demo.file_access_info.directory_path));
    const TextGrid apps = applicationsGrid(demo);
    QCOMPARE(t->sgAppManage()->dataRows(), 1);
    for (int c = 0; c < int(apps.columns.size()); ++c)
        QCOMPARE(t->sgAppManage()->cell(0, c), QString::fromStdString(apps.rows[0][std::size_t(c)]));
    QCOMPARE(t->sgNames()->cell(1, 2), QString("Demo"));
    for (std::size_t k = 0; k < keySwitches().size(); ++k)
        QCOMPARE(t->keyBoxes()[k]->isChecked(), hasKeyInterest(demo.key_interest, keySwitches()[k].key));

    // Auto Read on: choosing the next object with the keyboard reads it.
    o.w.optionsTab()->cbOAutoRead()->click();
    t->cbBDJO()->setFocus();
    QTest::keyClick(t->cbBDJO(), Qt::Key_Down);
    QCOMPARE(o.w.document().bdjObject().name, std::string("00002"));
    QCOMPARE(t->eDefaultFont()->text(), QString("00007"));
    QCOMPARE(t->eHavi()->text(), QString("B"));
    QVERIFY(t->cbMenuCallMask()->isChecked());
    QVERIFY(!t->cbAccessToAll()->isChecked() && t->cbAutostartFirstPL()->isChecked());
    QVERIFY(t->keyBoxes().front()->isChecked() && t->keyBoxes().back()->isChecked());
    QCOMPARE(t->sgCacheInfo()->dataRows(), 0);
    QVERIFY(!t->sgCacheInfo()->isEnabled());
    QCOMPARE(t->sgAppManage()->dataRows(), 3);
    QCOMPARE(t->sgParameters()->cell(0, 1), QString("first"));

    // A click on an application shows its details; the second has no parameters.
    clickRow(t->sgAppManage(), 1, 4);
    QCOMPARE(t->sgAppManage()->cell(1, 15), QString("0"));
    QCOMPARE(t->sgParameters()->dataRows(), 0);
    QVERIFY(!t->sgParameters()->isEnabled());
    QCOMPARE(t->sgNames()->cell(0, 2), QString("App 1"));
    // The arrow key moves to the third, and its details follow.
    QTest::keyClick(t->sgAppManage(), Qt::Key_Down);
    QCOMPARE(t->sgAppManage()->currentRow(), 2);
    QCOMPARE(t->sgParameters()->dataRows(), 2);
    QCOMPARE(t->sgParameters()->cell(1, 0), QString("2"));
    QCOMPARE(t->sgParameters()->cell(1, 1), QString("y=2"));
    QCOMPARE(t->sgProfiles()->cell(0, 2), QString("1.0.2"));

    // Read only in look and behaviour: typing, F2 and clicks change nothing,
    // and nothing is drawn as a box that takes typing.
    QTest::mouseClick(t->eDefaultFont(), Qt::LeftButton);
    QTest::keyClicks(t->eDefaultFont(), "99999");
    QCOMPARE(t->eDefaultFont()->text(), QString("00007"));
    for (QLineEdit* e : t->findChildren<QLineEdit*>()) {
        if (e->parent() == t->cbBDJO()) continue;
        QVERIFY2(e->isReadOnly(), qPrintable(e->objectName()));
        QCOMPARE(e->palette().color(QPalette::Base), e->palette().color(QPalette::Window));
    }
    QCOMPARE(t->sgAppManage()->palette().color(QPalette::Base), t->sgAppManage()->palette().color(QPalette::Window));
    const bool mask = t->cbMenuCallMask()->isChecked();
    QTest::mouseClick(t->cbMenuCallMask(), Qt::LeftButton, {}, QPoint(6, t->cbMenuCallMask()->height() / 2));
    QCOMPARE(t->cbMenuCallMask()->isChecked(), mask);
    clickRow(t->sgParameters(), 1, 1);
    QTest::keyClick(t->sgParameters(), Qt::Key_F2);
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClicks(focused, "z");
    QCOMPARE(t->sgParameters()->cell(1, 1), QString("y=2"));
    QVERIFY(t->findChild<QLabel*>("lReadOnly")->text().startsWith("Read only"));
    QVERIFY(!o.w.bSave()->isEnabled());

    // A double-click on an accessible playlist opens it on the PLAYLIST tab.
    QSignalSpy followed(&o.w, &TfMain::playlistFollowed);
    doubleClickRow(t->sgAccPLs(), 0);
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabPlaylist));
    QCOMPARE(followed.count(), 1);
    QCOMPARE(followed.at(0).at(0).toString(), QString("00001"));
}

void SoundBdjoTest::refusedBdjoEmptiesTheTab() {
    Bytes bad = writeBdjo(threeApplications());
    bad[5] = '3';  // "0300"
    Window o([&](const fs::path& bdmv) { test::writeFile(bdmv / "BDJO" / "00002.bdjo", bad); });
    BdjoTab* t = o.bdjo();
    clickTab(o.w, TfMain::TabBdjo);
    QCOMPARE(t->sgAppManage()->dataRows(), 1);
    QVERIFY(t->lRefused()->isHidden());

    t->cbBDJO()->setFocus();
    QTest::keyClick(t->cbBDJO(), Qt::Key_Down);
    QVERIFY(!o.w.document().bdjObject().object);
    QVERIFY(!t->lRefused()->isHidden());
    const QString why = t->lRefused()->text();
    QVERIFY2(why.contains("00002.bdjo") && why.contains("\"0300\""), qPrintable(why));
    QVERIFY2(o.log().filter("ERROR").join("\n").contains("Format error 00002.bdjo at $00000008: version \"0300\""),
             qPrintable(o.log().join("\n")));
    // Nothing of the object shown before stays.
    for (StringGrid* g : {t->sgCacheInfo(), t->sgAccPLs(), t->sgAppManage(), t->sgProfiles(), t->sgNames(),
                          t->sgParameters()}) {
        QCOMPARE(g->dataRows(), 0);
        QVERIFY(!g->isEnabled());
    }
    QVERIFY(t->eDefaultFont()->text().isEmpty() && t->eDirectoryPath()->text().isEmpty());
    QVERIFY(!t->cbAccessToAll()->isChecked());
    for (QCheckBox* k : t->keyBoxes()) QVERIFY(!k->isChecked());
}

void SoundBdjoTest::titleDoubleClickOpensBdjObject_data() {
    QTest::addColumn<bool>("autoRead");
    QTest::newRow("Auto Read on") << true;
    QTest::newRow("Auto Read off") << false;
}

void SoundBdjoTest::titleDoubleClickOpensBdjObject() {
    QFETCH(bool, autoRead);
    Window o;
    if (!autoRead) o.w.optionsTab()->cbOAutoRead()->click();
    StringGrid* titles = o.w.bdmvTab()->indexView()->sgTitles();
    QCOMPARE(titles->cell(2, 1), QString("BD-J"));

    // An HDMV title stays on the BDMV tab.
    doubleClickRow(titles, 0);
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabBdmv));

    const int before = o.log().filter("Reading 00001.bdjo").size();
    doubleClickRow(titles, 2);
    QCOMPARE(o.w.pageControl()->currentIndex(), int(TfMain::TabBdjo));
    QCOMPARE(o.w.document().bdjObject().name, std::string("00001"));
    QCOMPARE(o.bdjo()->eDefaultFont()->text(), QString("*****"));
    // Read once, not once more for entering the tab.
    QCOMPARE(o.log().filter("Reading 00001.bdjo").size(), before + 1);
}
