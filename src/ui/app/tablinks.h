#pragma once
// The links between the main window's tabs: a command followed to its
// playlist, a PlayItem's clip to the CLIPINF tab, a BD-J title to the BDJO
// tab, an extracted menu to the Menu tab, the ExtensionData editor of every
// host file, and the Menu tab's switches with their twins on the Options
// tab. Each tab says what it wants through its signals; this turns the tab
// that answers it to the front.

#include <QObject>
#include <QString>

class QTabWidget;

namespace navora::ui {

class BdjoTab;
class BdmvTab;
class ClipTab;
class Document;
class MenuTab;
class OptionsTab;
class PlaylistTab;
class ReferenceFinder;
class StatusTab;
class TfExtDat;

class TabLinks : public QObject {
    Q_OBJECT
public:
    struct Tabs {
        QTabWidget& pages;
        BdmvTab& bdmv;
        PlaylistTab& playlist;
        ClipTab& clip;
        MenuTab& menu;
        BdjoTab& bdjo;
        OptionsTab& options;
        StatusTab& status;
    };
    TabLinks(Document& doc, const Tabs& tabs, TfExtDat& extDat, ReferenceFinder& finder, QObject* parent = nullptr);

    // Shows playlist `name` (5 digits) on the PLAYLIST tab, read, with PlayItem
    // playItem selected (none: -1). A name the disc lacks is reported.
    void followPlaylist(const QString& name, int playItem);
    // Shows clip `name` (5 digits) on the CLIPINF tab and reads it once,
    // whether or not "Auto Read" reads it on the tab's entry. A name the
    // clip list lacks is reported on the status line; nothing is read.
    void followClip(const QString& name);
    // The BDJO tab reads BD-J object `name` and comes up.
    void openBdjObject(const QString& name);
    // "Edit" beside the ExtensionData captions of index.bdmv and MovieObject.bdmv.
    void editIndexExtensionData();
    void editMovieObjectExtensionData();

signals:
    void playlistFollowed(const QString& name, int playItem);
    // The tab shown is to be activated again (it reads what it was given).
    void reactivate();

private:
    void linkBdmv();
    void linkPlaylistAndClip();
    void linkMenu();

    Document& doc_;
    Tabs t_;
    TfExtDat& extDat_;
    ReferenceFinder& finder_;
};

}  // namespace navora::ui
