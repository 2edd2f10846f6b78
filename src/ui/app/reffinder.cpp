#include "ui/app/reffinder.h"

#include "core/log.h"
#include "ui/app/document.h"

namespace navora::ui {

ReferenceFinder::ReferenceFinder(Document& doc, Log& log, QObject* parent) : QObject(parent), doc_(doc), log_(log) {
    connect(&doc_, &Document::aboutToRead, this, &ReferenceFinder::clear);
}

std::vector<PlayCommandRef> ReferenceFinder::findPlaylistPlayers(const QString& playlist) {
    const Workspace& ws = doc_.model();
    if (playlist.isEmpty() || !ws.folderRead) return {};
    auto found = findAndLogPlaylistPlayers(log_, ws.mobj, playlist.toStdString());
    emit logRequested();
    return found;
}

std::vector<PlaylistReadFailure> ReferenceFinder::findClipUses() {
    const Workspace& ws = doc_.model();
    if (!ws.folderRead) return {};
    ClipReferenceSearch search = findClipReferences(log_, ws.paths(), ws.playlists, ws.clipinfos);
    uses_ = std::move(search.refs);
    emit clipUsesChanged();
    return std::move(search.failures);
}

const std::vector<TCIRef>& ReferenceFinder::usesOf(int clip) const {
    static const std::vector<TCIRef> none;
    return clip >= 0 && static_cast<std::size_t>(clip) < uses_.size() ? uses_[static_cast<std::size_t>(clip)] : none;
}

void ReferenceFinder::clear() {
    uses_.clear();
    emit clipUsesChanged();
}

}  // namespace navora::ui
