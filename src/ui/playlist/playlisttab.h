#pragma once
// The PLAYLIST tab: the playlist selector with "&Read", the AppInfoPlayList
// group, and the "PlayList" (timeline strip, PlayItems and streams),
// "SubPath" and "PlayListMark" groups stacked with splitters, the chapter
// buttons and the ExtensionData caption. It reads the selected playlist into
// the document, saves it through the backup step, and exchanges the marks
// with chapter files; every edit goes through the document.

#include "core/extdata.h"
#include "ui/app/tabpage.h"

#include <QString>

#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSplitter;

namespace navora {
class Log;
}

namespace navora::ui {

class AppInfoView;
class Document;
class MarkView;
class PlayItemView;
class PlaylistTimeline;
class ReferenceFinder;
class SubPathView;

class PlaylistTab : public TabPage {
    Q_OBJECT
public:
    PlaylistTab(Document& doc, ReferenceFinder& finder, Log& log, QWidget* parent = nullptr);

    // Save for the selected playlist (enabled while a playlist is read and
    // the last read of the selected name did not fail); "Find".
    BottomBar bottomBar() const override;
    // With Auto Read on, reads the selected playlist, unless the one read
    // holds edits that are not saved.
    void activated() override;
    // Writes the playlist to the selected name through the backup step.
    bool save() override;
    // Before the window closes or reads another folder: writes the playlist
    // read when it holds unsaved edits, to the file it was read from.
    bool saveModified() override;
    // "Find": the movie object commands that play the selected playlist.
    void find() override;

    // The playlist selector's entry (name without extension); empty when none.
    QString selection() const;
    // Chooses a playlist in the selector without reading it.
    void setSelection(const QString& name);
    // A Play command was followed here: chooses the playlist, reads it unless it
    // is the one shown, and selects the PlayItem (when playItem >= 0).
    void openPlaylist(const QString& name, int playItem);
    // Replaces the playlist's ExtensionData block as one undoable edit (the
    // ExtensionData editor's result).
    void applyExtensionData(const TExtensionData& block);

    QComboBox* cbPlaylist() const { return cbPlaylist_; }
    QPushButton* bReadPL() const { return bReadPL_; }
    AppInfoView* appInfo() const { return appInfo_; }
    PlaylistTimeline* timeline() const { return timeline_; }
    PlayItemView* playItems() const { return playItems_; }
    SubPathView* subPaths() const { return subPaths_; }
    MarkView* marks() const { return marks_; }
    QLabel* lMExtDat() const { return lMExtDat_; }
    QPushButton* bbExtDat() const { return bbExtDat_; }
    QSplitter* splitter() const { return splitter_; }
    QGroupBox* playListGroup() const { return gPlayList_; }
    QGroupBox* subPathGroup() const { return gSubPath_; }
    QGroupBox* markGroup() const { return gMark_; }

    // The heights of the "PlayList", "SubPath" and "PlayListMark" groups
    // (kept in the settings).
    void setGroupHeights(int playList, int subPath, int marks);
    std::array<int, 3> groupHeights() const;

    // Options and dialogs the tab uses; tests replace them.
    std::function<bool()> autoRead;       // "Auto Read"
    std::function<int()> chapterFormat;   // "Chapter format": 0 PTS, 1 Frame, 2 Time
    std::function<QString()> workFolder;  // the output folder of the options
    // A Yes/No question; Yes is true.
    std::function<bool(const QString& question)> ask;
    // (title, proposed path, filter) -> the chosen path, empty when cancelled.
    std::function<QString(const QString&, const QString&, const QString&)> openFileChooser;
    std::function<QString(const QString&, const QString&, const QString&)> saveFileChooser;

public slots:
    // "&Read": reads the selected playlist (asking first when the one read
    // holds edits that are not saved).
    void bReadPLClick();
    void bbLoadChapClick();
    void bbSaveChapClick();

signals:
    // A clip name was double-clicked: the CLIPINF tab is to show that clip.
    void clipRequested(const QString& name);
    // The ExtensionData "Edit" button was clicked.
    void extensionDataEditRequested();

protected:
    void showEvent(QShowEvent* e) override;

private:
    std::array<int, 3> requestedHeights_{0, 0, 0};  // by setGroupHeights
    bool shownOnce_ = false;
    void buildLayout();
    void connectViews();
    // Reads the selected playlist; with ask, a playlist with unsaved edits is
    // replaced only when the user agrees.
    bool readSelected(bool askFirst);
    void fillSelector();
    void showAll();
    void refreshAll();
    QString chapterStart(const QString& fileName) const;
    QString playlistFile(const QString& name) const;
    // Writes the playlist to NAME through the backup step; false when not written.
    bool writePlaylist(const QString& name);

    Document& doc_;
    ReferenceFinder& finder_;
    Log& log_;
    QString failed_;  // the name whose last read failed
    bool reading_ = false;

    QComboBox* cbPlaylist_;
    QPushButton* bReadPL_;
    AppInfoView* appInfo_;
    PlaylistTimeline* timeline_;
    PlayItemView* playItems_;
    SubPathView* subPaths_;
    MarkView* marks_;
    QLabel* lMExtDat_;
    QPushButton* bbExtDat_;
    QSplitter* splitter_;
    QGroupBox* gPlayList_;
    QGroupBox* gSubPath_;
    QGroupBox* gMark_;
};

}  // namespace navora::ui
