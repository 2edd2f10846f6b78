// The settings as the user meets them: the Options tab's controls, the store
// in the private XDG configuration folder, the mirrored menu switches, the
// background picture dialog, "Reset to defaults" and the .bdmv association.

#include "uitests.h"

#include "core/log.h"
#include "ui/shell/association.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/options/optionstab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/app/settings.h"
#include "ui/shell/statustab.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

using namespace navora;
using namespace navora::ui;

namespace {

// Every value different from its default, in a normal window.
Settings changedSettings() {
    Settings s;
    s.top = 31;
    s.left = 42;
    s.width = 1001;
    s.height = 702;
    s.bdmvDir = "/discs/MY DISC/BDMV/";
    s.backgroundPic = "/pics/back ground.png";
    s.outputFolder = "/work/out folder";
    s.backupMode = 2;
    s.region = 1;
    s.objectHeight = 80;
    s.playListHeight = 177;
    s.subPathHeight = 93;
    s.playListMarkHeight = 104;
    s.chapterFormat = 2;
    s.programFormat = 1;
    for (bool* b :
         {&s.autoRead, &s.backup,        &s.saveBackup,     &s.backupInDiscTree,    &s.savePES,        &s.saveSUP,
          &s.saveMNU,  &s.buttonId,      &s.objectId,       &s.buttonFrame,         &s.windowFrame,    &s.forcedBeep,
          &s.preLoad,  &s.showInEffects, &s.showOutEffects, &s.showButtonAnimation, &s.showFullScreen, &s.background,
          &s.realPSRs, &s.playSound,     &s.names83})
        *b = !*b;
    s.colBackground = winColour(1, 2, 3);
    s.colObjectBackground = winColour(4, 5, 6);
    s.colSelectedButton = winColour(7, 8, 9);
    s.colSelectedFrame = winColour(10, 11, 12);
    s.colNormalButton = winColour(13, 14, 15);
    s.colNormalFrame = winColour(16, 17, 18);
    s.colInvalidButton = winColour(19, 20, 21);
    s.colInvalidFrame = winColour(22, 23, 24);
    s.colWindow = 0x8000000Fu;  // a system colour
    s.actiDelay = 250;
    s.countryCode = 0x4A50;
    return s;
}

QString configFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Varkeld Software/Navora.ini";
}

QString dataFolder() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center()); }

// A shown window on the Options tab.
struct Window {
    Window() {
        w.formActivate({});
        w.pageControl()->setCurrentIndex(TfMain::TabOptions);
        w.show();
        if (!QTest::qWaitForWindowExposed(&w)) qWarning("window not exposed");
    }
    OptionsTab* o() const { return w.optionsTab(); }
    TfMain w;
};

// Values that are no control's: the window's geometry and folder, and the
// panel heights of the BDMV and PLAYLIST tabs, taken from the views.
const QStringList kBoundElsewhere = {"WindowState",   "Top",           "Left",
                                     "Width",         "Height",        "BDMVdir",
                                     "ObjectHeight",  "PlayListHeight", "SubPathHeight",
                                     "PlayListMarkHeight"};

}  // namespace

void OptionsTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    QFile::remove(configFile());
    QDir(dataFolder()).removeRecursively();
    QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/mimeapps.list");
    mainLog().errorFlag = false;
}

void OptionsTest::firstRunShowsDefaultsAndWritesReadableIni() {
    QVERIFY(!QFile::exists(configFile()));
    {
        Window f;
        QVERIFY(!QFile::exists(configFile()));  // reading creates nothing
        OptionsTab* o = f.o();
        // The disc's BACKUP copies follow the saves; the editor's backups stay out of the disc.
        QVERIFY(o->autoRead() && o->backup() && o->saveToBackupDir() && !o->associate());
        QVERIFY(!o->cbOBackupInTree()->isChecked());
        QVERIFY(f.w.workspace().options.saveToBackupDir && !f.w.workspace().options.backupInDiscTree);
        QCOMPARE(o->backupMode(), 0);
        QCOMPARE(o->countryCode(), 0x5553);
        QCOMPARE(o->lCountry()->text(), QString("US"));
        QVERIFY(o->menuSwitch(MenuSwitch::InEffects) && !o->menuSwitch(MenuSwitch::Animate));
        QCOMPARE(o->colourBox(MenuColour::Background)->colour(), QColor(0, 0, 128));
        QCOMPARE(o->colourBox(MenuColour::Window)->colour(), QColor(0, 255, 0));
        f.w.close();
    }
    const QString ini = QString::fromUtf8(readAll(configFile()));
    QVERIFY2(ini.startsWith("[General]\n"), qPrintable(ini));
    for (const char* line : {"AutoRead=true", "CountryCode=21843", "8.3names=false", "colBackground=8388608",
                             "Width=", "Version=0.30b", "ShowInEffects=true"})
        QVERIFY2(ini.contains(QString("\n") + line), line);
}

void OptionsTest::everyValueComesBackThroughTheControls() {
    const Settings changed = changedSettings();
    {
        auto s = TfMain::openSettings();
        writeSettings(*s, changed, "0.30b");
    }
    {
        Window f;
        OptionsTab* o = f.o();
        QVERIFY(!o->autoRead() && !o->backup() && !o->saveToBackupDir());
        QVERIFY(!o->rgOBackup()->isEnabled());  // backup off disables its mode and place
        QVERIFY(!o->cbOBackupInTree()->isEnabled() && o->cbOBackupInTree()->isChecked());
        // The output folder is kept between runs.
        QCOMPARE(o->outputFolder(), QString("/work/out folder"));
        QCOMPARE(f.w.workspace().options.outputFolder, std::string("/work/out folder"));
        QCOMPARE(o->backupMode(), 2);
        QCOMPARE(o->eBackPic()->text(), QString("/pics/back ground.png"));
        QVERIFY(o->menuSwitch(MenuSwitch::ButtonId) && o->menuSwitch(MenuSwitch::FullScreen));
        QCOMPARE(o->colourBox(MenuColour::SelectedFrame)->colour(), QColor(10, 11, 12));
        QCOMPARE(o->lCountry()->text(), QString("JP"));
        QCOMPARE(f.w.bdmvTab()->folder(), QString("/discs/MY DISC/BDMV/"));
        f.w.close();
    }
    auto s = TfMain::openSettings();
    Settings back;
    QVERIFY(readSettings(*s, back, "0.30b").isEmpty());
    // Value by value first, so that a failure names the value.
    const auto asIni = [](const Settings& v) {
        QSettings ini(QDir::temp().filePath("navora-options-compare.ini"), QSettings::IniFormat);
        ini.clear();
        writeSettings(ini, v, "0.30b");
        QStringList lines;
        // The window's place and size are fitted to the (800 x 600) test screen.
        for (const QString& key : ini.allKeys())
            if (!QStringList{"Top", "Left", "Width", "Height"}.contains(key))
                lines << key + "=" + ini.value(key).toString();
        return lines;
    };
    QCOMPARE(asIni(back), asIni(changed));
    back.top = changed.top;
    back.left = changed.left;
    back.width = changed.width;
    back.height = changed.height;
    QVERIFY(back == changed);
}

void OptionsTest::everyValueIsBoundOrNamedAsBoundElsewhere() {
    TfMain w;
    QStringList covered = w.settingsBinder().boundValues() + kBoundElsewhere;
    covered.sort();
    QStringList all = settingsValueNames();
    all.sort();
    QCOMPARE(covered, all);
}

void OptionsTest::menuSwitchTwinsMirror() {
    Window f;
    OptionsTab* o = f.o();
    // The Menu tab's switch, as the Menu tab will bind it.
    QCheckBox menuTab("Animate buttons");
    menuTab.show();
    o->bindMenuSwitch(MenuSwitch::Animate, &menuTab);
    QVERIFY(!menuTab.isChecked());
    QSignalSpy changed(o, &OptionsTab::menuSwitchChanged);

    click(&menuTab);
    QVERIFY(o->menuSwitchTwin(MenuSwitch::Animate)->isChecked());
    click(o->menuSwitchTwin(MenuSwitch::Animate));
    QVERIFY(!menuTab.isChecked());
    click(o->menuSwitchTwin(MenuSwitch::Animate));
    QVERIFY(menuTab.isChecked());
    QCOMPARE(changed.count(), 3);  // once per click, not once per twin
    QCOMPARE(changed.back().at(1).toBool(), true);
    f.w.close();
    QCOMPARE(TfMain::openSettings()->value("ShowButtonAnimation").toBool(), true);
}

void OptionsTest::resetToDefaultsAsksThenShowsDefaults() {
    {
        auto s = TfMain::openSettings();
        writeSettings(*s, changedSettings(), "0.30b");
    }
    Window f;
    OptionsTab* o = f.o();
    bool answer = false;
    QStringList asked;
    o->confirm = [&](const QString& q) {
        asked << q;
        return answer;
    };
    click(o->bResetDefaults());
    QCOMPARE(asked.size(), 1);
    QVERIFY(!o->autoRead());  // "No" changes nothing

    answer = true;
    click(o->bResetDefaults());
    // Every bound value at its default; the others as they were.
    Settings shown = changedSettings();
    f.w.settingsBinder().store(shown);
    const Settings defaults;
    for (bool Settings::*b : {&Settings::autoRead, &Settings::backup, &Settings::saveBackup, &Settings::forcedBeep,
                              &Settings::preLoad, &Settings::background, &Settings::realPSRs, &Settings::names83,
                              &Settings::buttonId, &Settings::showInEffects, &Settings::playSound})
        QCOMPARE(shown.*b, defaults.*b);
    QCOMPARE(shown.colWindow, defaults.colWindow);
    QCOMPARE(shown.actiDelay, defaults.actiDelay);
    QVERIFY(o->autoRead() && o->backup() && o->rgOBackup()->isEnabled());
    QCOMPARE(o->backupMode(), 0);
    QCOMPARE(o->countryCode(), 0x5553);
    QCOMPARE(o->lCountry()->text(), QString("US"));
    QCOMPARE(o->eBackPic()->text(), QString());
    QVERIFY(!o->menuSwitch(MenuSwitch::ButtonId) && o->menuSwitch(MenuSwitch::InEffects));
    QCOMPARE(o->colourBox(MenuColour::SelectedFrame)->value(), defaults.colSelectedFrame);
    QCOMPARE(shown.chapterFormat, defaults.chapterFormat);
    QCOMPARE(shown.saveSUP, defaults.saveSUP);
    QCOMPARE(shown.playListHeight, 177);  // no control's value: kept
    QCOMPARE(f.w.bdmvTab()->folder(), QString("/discs/MY DISC/BDMV/"));
    QVERIFY(f.w.workspace().options.backup);
}

void OptionsTest::backgroundPictureDialogStartsWhereItShould_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("start");
    QTest::newRow("the BDMV folder") << "" << "" << "/discs/A/BDMV/";
    QTest::newRow("the output folder when set") << "/out" << "" << "/out";
    QTest::newRow("the picture's folder when set") << "/out" << "/pics/x.png" << "/pics";
}

void OptionsTest::backgroundPictureDialogStartsWhereItShould() {
    QFETCH(QString, output);
    QFETCH(QString, picture);
    QFETCH(QString, start);
    Window f;
    OptionsTab* o = f.o();
    f.w.bdmvTab()->setFolder("/discs/A/BDMV/");
    o->eWorkDir()->setText(output);
    o->eBackPic()->setText(picture);
    QString title, from;
    QStringList filters;
    o->pictureChooser = [&](const QString& t, const QString& s, const QStringList& fl) {
        title = t;
        from = s;
        filters = fl;
        return QString("/new/back.png");
    };
    QSignalSpy changed(o, &OptionsTab::backgroundPictureChanged);
    click(o->bbBackPic());
    QCOMPARE(title, QString("Select a background picture"));
    QCOMPARE(from, start);
    QCOMPARE(filters, QStringList({"BMP (*.bmp)", "PNG (*.png)"}));
    QCOMPARE(o->eBackPic()->text(), QString("/new/back.png"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(!o->eBackPic()->isEnabled());
}

void OptionsTest::associationWritesTheUsersFiles() {
    const QString mimeapps = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/mimeapps.list";
    {
        QFile f(mimeapps);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Default Applications]\ntext/plain=editor.desktop\n\n[Added Associations]\nimage/png=viewer.desktop\n");
    }
    const QString entry = dataFolder() + "/applications/navora.desktop";
    const QString mime = dataFolder() + "/mime/packages/navora-bdmv.xml";
    const QString icon = dataFolder() + "/icons/hicolor/scalable/apps/navora.svg";
    {
        Window f;
        QVERIFY(!QFile::exists(entry));  // off by default: nothing written
        click(f.o()->cbAssoc());
        QVERIFY(f.o()->associate());
        for (const QString& p : {entry, mime, icon}) QVERIFY2(QFile::exists(p), qPrintable(p));
        const QString desktop = QString::fromUtf8(readAll(entry));
        QVERIFY2(desktop.contains("\nExec=\"" + QCoreApplication::applicationFilePath() + "\" %f\n"), qPrintable(desktop));
        QVERIFY(desktop.contains("\nMimeType=application/x-bdmv;\n"));
        QVERIFY(readAll(mime).contains("<glob pattern=\"*.bdmv\""));
        QCOMPARE(QString::fromUtf8(readAll(mimeapps)),
                 QString("[Default Applications]\ntext/plain=editor.desktop\napplication/x-bdmv=navora.desktop\n\n"
                         "[Added Associations]\nimage/png=viewer.desktop\n"));
        // Unchecking removes nothing.
        click(f.o()->cbAssoc());
        QVERIFY(!f.o()->associate());
        QVERIFY(QFile::exists(entry));
        click(f.o()->cbAssoc());
        f.w.close();
    }
    // At every start while it is on, the association is made again.
    QVERIFY(QFile::remove(entry));
    Window again;
    QVERIFY(QFile::exists(entry));
    QVERIFY(QString::fromUtf8(readAll(mimeapps)).count("application/x-bdmv=") == 1);
}

void OptionsTest::defaultApplicationLine_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    const QString line = "application/x-bdmv=navora.desktop\n";
    QTest::newRow("no file") << "" << "[Default Applications]\n" + line;
    QTest::newRow("other sections only") << "[Added Associations]\na/b=x.desktop\n"
                                         << "[Added Associations]\na/b=x.desktop\n\n[Default Applications]\n" + line;
    QTest::newRow("replaces an older choice")
        << "[Default Applications]\napplication/x-bdmv=other.desktop\nc/d=y.desktop\n"
        << "[Default Applications]\n" + line + "c/d=y.desktop\n";
    QTest::newRow("a look-alike key stays")
        << "[Default Applications]\napplication/x-bdmv2=z.desktop\n"
        << "[Default Applications]\napplication/x-bdmv2=z.desktop\n" + line;
}

void OptionsTest::defaultApplicationLine() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    QCOMPARE(withBdmvDefault(before), after);
    QCOMPARE(withBdmvDefault(after), after);
}

void OptionsTest::wrongTypeIsReportedOnceInTheLog() {
    {
        auto s = TfMain::openSettings();
        s->setValue("Top", "high");
        s->setValue("AutoRead", "perhaps");
        s->setValue("Width", 1000);
    }
    Window f;
    const QString log = f.w.statusTab()->reMessage()->toPlainText();
    for (const char* name : {"Top", "AutoRead"})
        QCOMPARE(log.count(QString("Setting %1 has a value of the wrong type").arg(name)), 1);
    QVERIFY(!log.contains("Setting Width"));
    QVERIFY(f.o()->autoRead());
    QCOMPARE(f.w.settings().width, 1000);
}
