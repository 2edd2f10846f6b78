#pragma once
// The reference finder: which playlists use each clip (PlayItems and
// SubPlayItems), and which movie object commands play a playlist.
//
// It reads every playlist of the disc, so it sits in disc, above the playlist
// and movie object folders. Playlists are read into a model of the search's
// own: the playlist that the editor holds is never replaced by the search.

#include "core/filenames.h"
#include "navdb/movieobject.h"
#include "playlist/playlist.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace navora {

class Log;

enum class ClipRefKind : char { PlayItem = 'p', SubPlayItem = 's' };

// One use of a clip by a playlist.
struct TCIRef {
    std::uint16_t playlist = 0;  // the playlist's name read as a decimal number
    ClipRefKind kind = ClipRefKind::PlayItem;
    std::uint16_t item = 0;  // PlayItem index, or SubPlayItem index within its SubPath

    bool operator==(const TCIRef&) const = default;
};

// One entry per clip of the clip list (same index), each the clip's uses in
// playlist list order.
using TCIRefs = std::vector<std::vector<TCIRef>>;

// Collects the uses of the clips of a clip list, playlist by playlist.
class ClipReferenceCollector {
public:
    explicit ClipReferenceCollector(const std::vector<std::string>& clips);
    // Appends the uses by one playlist: each PlayItem j whose clip name is in
    // the list (exact, case-sensitive) gives (number, "p", j); then each
    // SubPlayItem k of each SubPath gives (number, "s", k). Names not in the
    // list are skipped.
    void add(const TMPLS& playlist, std::uint16_t number);
    const TCIRefs& refs() const { return refs_; }
    TCIRefs take() { return std::move(refs_); }

private:
    std::unordered_map<std::string, std::size_t> index_;
    TCIRefs refs_;
};

// The playlist number of a playlist name ("00005" -> 5); nothing when the
// name is not a decimal number of at most 65535.
std::optional<std::uint16_t> playlistNumber(std::string_view name);

struct PlaylistReadFailure {
    std::string playlist;  // the name without extension
    std::string message;   // as logged
};

struct ClipReferenceSearch {
    TCIRefs refs;  // one entry per clip
    std::vector<PlaylistReadFailure> failures;
};

// The clip tab's Find: reads each playlist of the list in order (logging
// "Reading [bl]<name><ext>[/bl]" as a playlist read does, and nothing else)
// and collects the uses of every clip. A playlist that fails to read, or
// whose name is not a number, contributes nothing: it is reported with erlog
// ("Invalid format: " + file name for a wrong type or version, else the
// error) and the search goes on with the next one.
ClipReferenceSearch findClipReferences(Log& log, const DiscPaths& paths, const std::vector<std::string>& playlists,
                                       const std::vector<std::string>& clips);

// A row of the clip tab's reference view: row number (from 1), "mpls" (5
// digits), "s/p", "item" (5 digits).
struct ClipRefRow {
    std::string row, mpls, kind, item;

    bool operator==(const ClipRefRow&) const = default;
};
std::vector<ClipRefRow> clipReferenceRows(const std::vector<TCIRef>& refs);

// Opening a reference: the PlayItem to select once the playlist is read, for
// a PlayItem use other than the first one; nothing for the default selection.
std::optional<std::uint16_t> playItemToSelect(const TCIRef& ref);

// A movie object command that plays a playlist.
struct PlayCommandRef {
    std::size_t object = 0;
    std::size_t command = 0;

    bool operator==(const PlayCommandRef&) const = default;
};

// The commands that play playlist number (Play PL, Play PL_PI, Play PL_MK with
// an immediate playlist number equal to it); forms that take the playlist
// from a register do not count.
std::vector<PlayCommandRef> findPlaylistPlayers(const TMOBJ& mobj, std::uint32_t playlist);

// "Object 0002, Command line 0015"
std::string playCommandLine(const PlayCommandRef& ref);

// The playlist tab's Find: logs an empty line, "PlayList [b]<name>[/b] found
// in:" and one plain line per command that plays the playlist.
std::vector<PlayCommandRef> findAndLogPlaylistPlayers(Log& log, const TMOBJ& mobj, const std::string& playlistName);

}  // namespace navora
