#pragma once
// The bottom bar's "Find": which movie object commands play the selected
// playlist (PLAYLIST tab), and which playlists use each clip of the disc
// (CLIPINF tab). The clip uses are kept per clip until the next search or
// the next folder read; the search reads playlists into a model of its own,
// so the playlist the editor holds is never replaced by it.

#include "disc/references.h"

#include <QObject>
#include <QString>

#include <vector>

namespace navora {
class Log;
}

namespace navora::ui {

class Document;

class ReferenceFinder : public QObject {
    Q_OBJECT
public:
    ReferenceFinder(Document& doc, Log& log, QObject* parent = nullptr);

    // The PLAYLIST tab's Find: logs an empty line, "PlayList <name> found
    // in:" and one line per movie object command that plays the playlist
    // (name without extension), then asks for the log to be shown. Does
    // nothing while no playlist is selected or no folder is read.
    std::vector<PlayCommandRef> findPlaylistPlayers(const QString& playlist);

    // The CLIPINF tab's Find: reads every playlist of the disc and rebuilds
    // the uses of every clip. A playlist that fails to read is reported and
    // contributes nothing. Returns the playlists that failed.
    std::vector<PlaylistReadFailure> findClipUses();

    // The uses of clip number `clip` of the clip list (empty before a search).
    const std::vector<TCIRef>& usesOf(int clip) const;
    // Forgets every use (a folder is about to be read).
    void clear();

signals:
    // The answer is in the log: the window shows the tab that holds it.
    void logRequested();
    // findClipUses() rebuilt the table.
    void clipUsesChanged();

private:
    Document& doc_;
    Log& log_;
    TCIRefs uses_;
};

}  // namespace navora::ui
