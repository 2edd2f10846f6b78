#include "uitests.h"

#include "ui/app/settings.h"
#include "ui/app/tfmain.h"

#include <QSettings>
#include <QTest>

#include <memory>

using namespace navora::ui;

namespace {

// Every value name of the store, as the settings table lists them.
const QStringList kValueNames = {
    "WindowState", "Top", "Left", "Width", "Height",
    "BDMVdir", "BackgroundPic", "OutputFolder", "AutoRead", "Backup",
    "SaveBACKUP", "BackupInDiscTree", "BackupMode", "Region", "ObjectHeight",
    "PlayListHeight", "SubPathHeight", "PlayListMarkHeight", "ChapterFormat", "ProgramFormat",
    "SavePES", "SaveSUP", "SaveMNU", "ButtonId", "ObjectId",
    "ButtonFrame", "WindowFrame", "ForcedBeep", "PreLoad", "ShowInEffects",
    "ShowOutEffects", "ShowButtonAnimation", "ShowFullScreen", "ColourMatrix", "Background", "RealPSRs",
    "PlaySound", "Associate", "8.3names", "colBackground", "colObjectBackground",
    "colSelectedButton", "colSelectedFrame", "colNormalButton", "colNormalFrame", "colInvalidButton",
    "colInvalidFrame", "colWindow", "ActiDelay", "CountryCode"};

std::unique_ptr<QSettings> store() { return TfMain::openSettings(); }

// Every value different from its default.
Settings changedSettings() {
    Settings s;
    s.windowState = 1;
    s.top = 11;
    s.left = 12;
    s.width = 1001;
    s.height = 702;
    s.bdmvDir = "/discs/MY DISC/BDMV/";
    s.backgroundPic = "/pics/back.png";
    s.outputFolder = "/pics/out";
    s.backupInDiscTree = !s.backupInDiscTree;
    s.autoRead = !s.autoRead;
    s.backup = !s.backup;
    s.saveBackup = !s.saveBackup;
    s.backupMode = 2;
    s.region = 1;
    s.objectHeight = 80;
    s.playListHeight = 177;
    s.subPathHeight = 93;
    s.playListMarkHeight = 104;
    s.chapterFormat = 2;
    s.programFormat = 1;
    for (bool* b : {&s.savePES, &s.saveSUP, &s.saveMNU, &s.buttonId, &s.objectId, &s.buttonFrame, &s.windowFrame,
                    &s.forcedBeep, &s.preLoad, &s.showInEffects, &s.showOutEffects, &s.showButtonAnimation,
                    &s.showFullScreen, &s.background, &s.realPSRs, &s.playSound, &s.associate, &s.names83})
        *b = !*b;
    s.colBackground = winColour(1, 2, 3);
    s.colObjectBackground = winColour(4, 5, 6);
    s.colSelectedButton = winColour(7, 8, 9);
    s.colSelectedFrame = winColour(10, 11, 12);
    s.colNormalButton = winColour(13, 14, 15);
    s.colNormalFrame = winColour(16, 17, 18);
    s.colInvalidButton = winColour(19, 20, 21);
    s.colInvalidFrame = winColour(22, 23, 24);
    s.colWindow = 0x80000005u;  // a system colour: top byte set
    s.actiDelay = 250;
    s.countryCode = 0x4A50;
    return s;
}

}  // namespace

void SettingsTest::init() {
    auto s = store();
    s->clear();
    s->sync();
}

void SettingsTest::firstRunKeepsDefaultsAndCreatesNothing() {
    auto s = store();
    Settings read;
    read.top = 1;  // whatever the caller holds stays
    QVERIFY(readSettings(*s, read, "0.30b").isEmpty());
    Settings expected;
    expected.top = 1;
    QVERIFY(read == expected);
    QVERIFY(s->allKeys().isEmpty());
    QCOMPARE(settingsValueNames(), kValueNames);
}

void SettingsTest::roundTripKeepsEveryValue() {
    const Settings changed = changedSettings();
    {
        auto s = store();
        writeSettings(*s, changed, "0.30b");
    }
    auto s = store();
    for (const QString& name : kValueNames) QVERIFY2(s->contains(name), qPrintable(name));
    // Stored as the table says: Windows colour values, the country code as a number.
    QCOMPARE(s->value("colBackground").toInt(), 0x030201);
    QCOMPARE(s->value("CountryCode").toInt(), 0x4A50);
    QCOMPARE(s->value("8.3names").toBool(), true);

    Settings read;
    QVERIFY(readSettings(*s, read, "0.30b").isEmpty());
    QVERIFY(read == changed);
    QCOMPARE(s->value("Version").toString(), QString("0.30b"));
    QVERIFY(!colourFromWin(read.colWindow).isValid());
    QCOMPARE(colourFromWin(read.colBackground), QColor(1, 2, 3));
}

void SettingsTest::maximisedWindowKeepsGeometry() {
    auto s = store();
    s->setValue("Top", 10);
    s->setValue("Left", 20);
    s->setValue("Width", 1000);
    s->setValue("Height", 700);
    Settings max;
    max.windowState = 2;
    max.top = max.left = 999;
    max.width = max.height = 1999;
    writeSettings(*s, max, "0.30b");
    QCOMPARE(s->value("WindowState").toInt(), 2);
    QCOMPARE(s->value("Top").toInt(), 10);
    QCOMPARE(s->value("Left").toInt(), 20);
    QCOMPARE(s->value("Width").toInt(), 1000);
    QCOMPARE(s->value("Height").toInt(), 700);
}

void SettingsTest::wrongTypeKeepsDefault() {
    auto s = store();
    s->setValue("Top", "abc");
    s->setValue("AutoRead", "maybe");
    s->setValue("Width", 1200);
    s->setValue("Backup", "false");
    Settings read;
    QCOMPARE(readSettings(*s, read, "0.30b"), QStringList({"Top", "AutoRead"}));
    QCOMPARE(read.top, 203);
    QVERIFY(read.autoRead);
    QCOMPARE(read.width, 1200);
    QVERIFY(!read.backup);
    QCOMPARE(s->value("Version").toString(), QString("0.30b"));
}

void SettingsTest::closingTheWindowWritesEveryValue() {
    {
        TfMain w;
        w.formActivate({});
        w.close();
    }
    auto s = store();
    for (const QString& name : kValueNames) QVERIFY2(s->contains(name), qPrintable(name));
    QCOMPARE(s->value("Version").toString(), QString("0.30b"));
    QCOMPARE(s->value("AutoRead").toBool(), true);
    QCOMPARE(s->value("CountryCode").toInt(), 0x5553);
    QCOMPARE(s->value("Width").toInt(), 913);
    QCOMPARE(s->value("Height").toInt(), 585);
}

void SettingsTest::maximisedWindowClosedKeepsGeometry() {
    {
        auto s = store();
        s->setValue("WindowState", 2);
        s->setValue("Top", 77);
        s->setValue("Width", 1111);
        s->setValue("AutoRead", false);
    }
    {
        TfMain w;
        w.formActivate({});
        QVERIFY(w.isMaximized());
        w.show();
        w.close();
    }
    auto s = store();
    QCOMPARE(s->value("WindowState").toInt(), 2);
    QCOMPARE(s->value("Top").toInt(), 77);
    QCOMPARE(s->value("Width").toInt(), 1111);
    QCOMPARE(s->value("AutoRead").toBool(), false);
}
