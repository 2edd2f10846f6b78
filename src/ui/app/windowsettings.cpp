#include "ui/app/windowsettings.h"

#include "core/log.h"
#include "ui/app/runcontroller.h"
#include "ui/app/windowplace.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/bdmv/mobjview.h"
#include "ui/menu/menuswitches.h"
#include "ui/menu/menutab.h"
#include "ui/options/optionstab.h"
#include "ui/playlist/playlisttab.h"
#include "ui/shell/association.h"
#include "ui/shell/menubar.h"

#include <QApplication>
#include <QMainWindow>

#include <algorithm>

namespace navora::ui {

namespace {

QString versionText() { return QStringLiteral(NAVORA_VERSION_TEXT); }

}  // namespace

WindowSettings::WindowSettings(const Views& views, QObject* parent) : QObject(parent), v_(views) {
    // Every control that shows a value of the settings table. The window
    // geometry, the BDMV folder and the panel heights are taken from the
    // window and its views in load() and store(). The Menu tab's nine view
    // switches follow their twins on the Options tab, which the binder loads
    // and stores.
    v_.options.bindSettings(binder_);
    connect(&v_.options, &OptionsTab::menuColourChanged, this, &WindowSettings::applyMenuColours);
}

void WindowSettings::showDefaults() {
    binder_.load(settings_);
    v_.options.runHandlers();
    applyMenuColours();
    applyMachineOptions();
    v_.run.resetRegisters();
}

void WindowSettings::load() {
    Log& log = mainLog();
    auto store = openSettingsStore();
    const QStringList wrong = readSettings(*store, settings_, versionText());
    v_.mainMenu.setRecentFolders(RecentFolders::load(*store));
    store.reset();
    binder_.load(settings_);
    v_.options.runHandlers();
    applyMenuColours();
    v_.bdmv.setFolder(settings_.bdmvDir);
    applyMachineOptions();
    v_.run.resetRegisters();
    applyGeometry(v_.window, settings_);
    v_.bdmv.mobjView()->setObjectListHeight(settings_.objectHeight);
    v_.playlist.setGroupHeights(settings_.playListHeight, settings_.subPathHeight, settings_.playListMarkHeight);
    for (const QString& name : wrong)
        log.log("Setting [b]" + name.toStdString() + "[/b] has a value of the wrong type; the default is used.");
    if (settings_.associate) associate();
}

void WindowSettings::store() {
    binder_.store(settings_);
    settings_.bdmvDir = v_.bdmv.folder();
    if (const int height = v_.bdmv.mobjView()->objectListHeight(); height >= 0) settings_.objectHeight = height;
    if (const auto h = v_.playlist.groupHeights(); h[0] > 0 && h[1] > 0 && h[2] > 0) {
        settings_.playListHeight = h[0];
        settings_.subPathHeight = h[1];
        settings_.playListMarkHeight = h[2];
    }
    storeGeometry(v_.window, settings_);
    auto store = openSettingsStore();
    writeSettings(*store, settings_, versionText());
}

void WindowSettings::reset() {
    binder_.load(Settings{});
    v_.options.runHandlers();
    applyMachineOptions();
    mainLog().log("Every option was set back to its default value.");
}

void WindowSettings::associate() {
    Log& log = mainLog();
    const AssociationReport r = associateBdmv(QApplication::applicationFilePath());
    if (!r.error.isEmpty()) {
        log.erlog("File association of .bdmv: " + r.error.toStdString());
        return;
    }
    if (!r.written.isEmpty()) log.log("File association of .bdmv with Navora registered.");
}

void WindowSettings::applyMachineOptions() {
    v_.run.setResetOptions({v_.options.realPsrs(), std::max(v_.options.region(), 0),
                            clampCountryCode(static_cast<std::uint32_t>(v_.options.countryCode()))});
}

void WindowSettings::applyMenuColours() {
    // The colours the controls show, whether loaded or just picked.
    Settings shown = settings_;
    binder_.store(shown);
    v_.menu.setColours(previewColours(shown));
}

}  // namespace navora::ui
