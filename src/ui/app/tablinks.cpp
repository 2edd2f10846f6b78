#include "ui/app/tablinks.h"

#include "core/extdata.h"
#include "core/log.h"
#include "navdb/index_edit.h"
#include "navdb/movieobject_edit.h"
#include "playlist/playlist_edit.h"
#include "sound/sound_edit.h"
#include "ui/app/document.h"
#include "ui/app/reffinder.h"
#include "ui/bdjo/bdjotab.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/bdmv/indexview.h"
#include "ui/bdmv/mobjview.h"
#include "ui/bdmv/soundview.h"
#include "ui/clip/cliptab.h"
#include "ui/menu/menuobjects.h"
#include "ui/menu/menuswitches.h"
#include "ui/menu/menutab.h"
#include "ui/options/optionstab.h"
#include "ui/playlist/playlisttab.h"
#include "ui/shell/extdat.h"
#include "ui/shell/statustab.h"
#include "ui/app/settings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>

namespace navora::ui {

TabLinks::TabLinks(Document& doc, const Tabs& tabs, TfExtDat& extDat, ReferenceFinder& finder, QObject* parent)
    : QObject(parent), doc_(doc), t_(tabs), extDat_(extDat), finder_(finder) {
    linkBdmv();
    linkPlaylistAndClip();
    linkMenu();
}

void TabLinks::linkBdmv() {
    BdmvTab& bdmv = t_.bdmv;
    connect(&bdmv, &BdmvTab::followPlaylist, this, &TabLinks::followPlaylist);
    connect(bdmv.indexView(), &IndexView::extensionDataEditRequested, this, &TabLinks::editIndexExtensionData);
    connect(bdmv.mobjView(), &MobjView::extensionDataEditRequested, this, &TabLinks::editMovieObjectExtensionData);
    connect(bdmv.indexView(), &IndexView::bdjoRequested, this, &TabLinks::openBdjObject);
    bdmv.mobjView()->programFormat = [this] { return t_.options.programFormat(); };
    bdmv.mobjView()->outputFolder = [this] { return t_.options.outputFolder(); };

    SoundView* sound = bdmv.soundView();
    connect(sound, &SoundView::extensionDataEditRequested, this, [this] {
        const Workspace& ws = doc_.model();
        if (!ws.soundLoaded) return;
        editExtensionData(extDat_, doc_, Document::Part::Sound, extDatTitle(QString::fromLatin1(kSoundFile)), ws.sound.ext,
                          [](Workspace& w, TExtensionData b) { setSoundExtensionData(w.sound, b); });
    });
    // "Create sound.bdmv" stands on the Options tab and runs on the BDMV tab.
    QPushButton* create = t_.options.bCreateSound();
    connect(sound, &SoundView::stateChanged, create, [create, sound] { create->setEnabled(sound->canCreate()); });
    connect(create, &QPushButton::clicked, this, [this, sound] {
        t_.pages.setCurrentWidget(&t_.bdmv);
        sound->bCreateSoundClick();
    });
    connect(&t_.bdjo, &BdjoTab::playlistRequested, this, [this](const QString& name) {
        const auto& lists = doc_.model().playlists;
        if (std::find(lists.begin(), lists.end(), name.toStdString()) != lists.end()) followPlaylist(name, -1);
    });
    t_.options.bdmvFolder = [this] { return t_.bdmv.folder(); };
}

void TabLinks::linkPlaylistAndClip() {
    PlaylistTab& playlist = t_.playlist;
    // A clip named on the PLAYLIST tab is chosen in the clip list before its tab comes up.
    connect(&playlist, &PlaylistTab::clipRequested, this, &TabLinks::followClip);
    connect(&playlist, &PlaylistTab::extensionDataEditRequested, this, [this] {
        const Workspace& ws = doc_.model();
        if (!ws.playlistLoaded) return;
        editExtensionData(extDat_, doc_, Document::Part::Playlist,
                          extDatTitle(QString::fromStdString(ws.playlistName + ws.names().playlistExt)),
                          ws.playlist.ExtensionData,
                          [](Workspace& w, TExtensionData b) { setPlaylistExtensionData(w.playlist, std::move(b)); });
    });
    playlist.autoRead = [this] { return t_.options.autoRead(); };
    playlist.chapterFormat = [this] { return t_.options.chapterFormat(); };
    playlist.workFolder = [this] { return t_.options.outputFolder(); };

    ClipTab& clip = t_.clip;
    connect(&finder_, &ReferenceFinder::logRequested, this, [this] { t_.pages.setCurrentWidget(&t_.status); });
    connect(&clip, &ClipTab::playItemRequested, this, &TabLinks::followPlaylist);
    // "-> Menu": the Menu tab loads the extracted menu and comes up.
    connect(&clip, &ClipTab::menuFileReady, &t_.menu, &MenuTab::loadMenuFile);
    // The clip is the tab's own copy until its Save: the edited block goes back to the tab.
    connect(&clip, &ClipTab::extensionDataEditRequested, this, [this] {
        if (const auto edited = extDat_.edit(t_.clip.extensionDataTitle(), t_.clip.extensionData()))
            t_.clip.setExtensionData(*edited);
    });
    clip.demuxOptions = [this] { return t_.options.demuxOptions(); };
    clip.outputFolder = [this] { return t_.options.outputFolder(); };
}

void TabLinks::linkMenu() {
    MenuTab& menu = t_.menu;
    OptionsTab& options = t_.options;
    connect(&menu, &MenuTab::menuLoaded, this, [this] { t_.pages.setCurrentWidget(&t_.menu); });
    menu.dialogs.workFolder = [this] { return t_.options.outputFolder(); };
    menu.objectsView()->objectBackground = [this] {
        return colourFromWin(t_.options.menuColour(MenuColour::ObjectBackground));
    };
    // The Menu tab's switches have their twins on the Options tab; "Create Menu" stands there too.
    using S = MenuSwitches;
    const std::pair<S::Switch, MenuSwitch> pairs[] = {
        {S::ButtonId, MenuSwitch::ButtonId},       {S::ObjectId, MenuSwitch::ObjectId},
        {S::ButtonFrame, MenuSwitch::ButtonFrame}, {S::WindowFrame, MenuSwitch::WindowFrame},
        {S::InEffect, MenuSwitch::InEffects},      {S::OutEffect, MenuSwitch::OutEffects},
        {S::FullScreen, MenuSwitch::FullScreen},   {S::Animate, MenuSwitch::Animate},
        {S::PlaySound, MenuSwitch::PlaySound}};
    for (const auto& [menuSwitch, twin] : pairs) options.bindMenuSwitch(twin, menu.switches()->box(menuSwitch));
    auto* create = new QPushButton(QStringLiteral("Create Menu"), &options);
    create->setObjectName(QStringLiteral("bCreateMenu"));
    options.actionLayout()->insertWidget(1, create);
    connect(create, &QPushButton::clicked, &menu, &MenuTab::bCreateMenuClick);
    // The page is composed on the background picture while its switch is on.
    connect(&options, &OptionsTab::backgroundChanged, this,
            [this](bool on) { t_.menu.setBackgroundPicture(on, t_.options.backgroundPicture()); });
    connect(&options, &OptionsTab::backgroundPictureChanged, this,
            [this](const QString& file) { t_.menu.setBackgroundPicture(t_.options.background(), file); });
}

void TabLinks::followPlaylist(const QString& name, int playItem) {
    Log& log = mainLog();
    const Workspace& ws = doc_.model();
    const std::string file = name.toStdString() + ws.names().playlistExt;
    const bool known = std::find(ws.playlists.begin(), ws.playlists.end(), name.toStdString()) != ws.playlists.end();
    // The playlist is chosen before the tab turns, so that entering it reads that one.
    if (known) t_.playlist.setSelection(name);
    t_.pages.setCurrentWidget(&t_.playlist);
    if (known) {
        t_.playlist.openPlaylist(name, playItem);
        log.slog("Playlist " + file + (playItem >= 0 ? ", PlayItem " + std::to_string(playItem) : std::string()), 1);
    } else {
        log.slog("Playlist " + file + " not found", 1);
    }
    emit playlistFollowed(name, playItem);
}

void TabLinks::followClip(const QString& name) {
    const Workspace& ws = doc_.model();
    if (!t_.clip.selectClip(name)) {
        mainLog().slog("Clip " + name.toStdString() + ws.names().clipExt + " not found", 1);
        return;
    }
    const bool entering = t_.pages.currentWidget() != &t_.clip;
    t_.pages.setCurrentWidget(&t_.clip);
    // Entering the tab has read the clip when "Auto Read" is on.
    if (!entering || !ws.options.autoRead) t_.clip.bReadCIClick();
}

void TabLinks::openBdjObject(const QString& name) {
    if (!t_.bdjo.openObject(name)) {
        mainLog().slog("BD-J object " + name.toStdString() + ".bdjo not found", 1);
        return;
    }
    // Entering the tab reads it; on the tab already, it is activated again.
    if (t_.pages.currentWidget() == &t_.bdjo)
        emit reactivate();
    else
        t_.pages.setCurrentWidget(&t_.bdjo);
}

void TabLinks::editIndexExtensionData() {
    const Workspace& ws = doc_.model();
    if (!ws.indexLoaded) return;
    editExtensionData(extDat_, doc_, Document::Part::Index, extDatTitle(QString::fromStdString(ws.names().index)),
                      ws.index.ext, [](Workspace& w, TExtensionData b) { setIndexExtensionData(w.index, std::move(b)); });
}

void TabLinks::editMovieObjectExtensionData() {
    const Workspace& ws = doc_.model();
    if (!ws.mobjLoaded) return;
    editExtensionData(extDat_, doc_, Document::Part::MovieObjects,
                      extDatTitle(QString::fromStdString(ws.names().movieObject)), ws.mobj.ext,
                      [](Workspace& w, TExtensionData b) { setMovieObjectExtensionData(w.mobj, std::move(b)); });
}

}  // namespace navora::ui
