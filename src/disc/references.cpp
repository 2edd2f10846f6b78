#include "disc/references.h"

#include "core/errors.h"
#include "core/fileio.h"
#include "core/log.h"
#include "playlist/playlist_io.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>

namespace navora {

namespace {

// First command words of the Play commands whose playlist number is immediate.
constexpr std::array<std::uint32_t, 5> kPlayPlaylistImmediate = {
    0x22800000,  // Play PL
    0x42810000,  // Play PL_PI, PlayItem from a register
    0x42C10000,  // Play PL_PI, both immediate
    0x42820000,  // Play PL_MK, mark from a register
    0x42C20000,  // Play PL_MK, both immediate
};

}  // namespace

ClipReferenceCollector::ClipReferenceCollector(const std::vector<std::string>& clips) : refs_(clips.size()) {
    // Keep the first index of a name, as a search from the top of the list would.
    index_.reserve(clips.size());
    for (std::size_t c = 0; c < clips.size(); ++c) index_.emplace(clips[c], c);
}

void ClipReferenceCollector::add(const TMPLS& playlist, std::uint16_t number) {
    auto use = [&](const std::string& clip, ClipRefKind kind, std::size_t item) {
        const auto it = index_.find(clip);
        if (it != index_.end()) refs_[it->second].push_back({number, kind, static_cast<std::uint16_t>(item)});
    };
    const auto& items = playlist.PlayList.PlayItems;
    for (std::size_t j = 0; j < items.size(); ++j) use(items[j].Clip_Information_file_name, ClipRefKind::PlayItem, j);
    for (const TSubPath& sp : playlist.PlayList.SubPaths)
        for (std::size_t k = 0; k < sp.SubPlayItems.size(); ++k)
            use(sp.SubPlayItems[k].Clip_Information_file_name, ClipRefKind::SubPlayItem, k);
}

std::optional<std::uint16_t> playlistNumber(std::string_view name) {
    if (name.empty() || name.size() > 5) return std::nullopt;
    unsigned v = 0;
    for (const char c : name) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(v);
}

ClipReferenceSearch findClipReferences(Log& log, const DiscPaths& paths, const std::vector<std::string>& playlists,
                                       const std::vector<std::string>& clips) {
    ClipReferenceSearch s;
    ClipReferenceCollector collector(clips);
    for (const std::string& name : playlists) {
        const std::string file = name + paths.names.playlistExt;
        log.dlog0("Reading [bl]" + file + "[/bl]");
        auto fail = [&](const std::string& message) {
            log.erlog(message);
            s.failures.push_back({name, message});
        };
        const auto number = playlistNumber(name);
        if (!number) {
            fail(file + ": the name is not a playlist number");
            continue;
        }
        try {
            const Bytes data = readDatabaseFile(paths.playlist(name));
            collector.add(readPlaylist(data, file), *number);
        } catch (const WrongTypeError&) {
            fail("Invalid format: " + file);
        } catch (const std::exception& e) {
            fail(e.what());
        }
    }
    log.slogR();
    s.refs = collector.take();
    return s;
}

std::vector<ClipRefRow> clipReferenceRows(const std::vector<TCIRef>& refs) {
    std::vector<ClipRefRow> rows;
    rows.reserve(refs.size());
    for (std::size_t i = 0; i < refs.size(); ++i)
        rows.push_back({std::to_string(i + 1), fmt::format("{:05}", refs[i].playlist),
                        std::string(1, static_cast<char>(refs[i].kind)), fmt::format("{:05}", refs[i].item)});
    return rows;
}

std::optional<std::uint16_t> playItemToSelect(const TCIRef& ref) {
    if (ref.kind == ClipRefKind::PlayItem && ref.item > 0) return ref.item;
    return std::nullopt;
}

std::vector<PlayCommandRef> findPlaylistPlayers(const TMOBJ& mobj, std::uint32_t playlist) {
    std::vector<PlayCommandRef> found;
    const auto& objects = mobj.mobjs.objects;
    for (std::size_t i = 0; i < objects.size(); ++i)
        for (std::size_t j = 0; j < objects[i].commands.size(); ++j) {
            const TCommand& c = objects[i].commands[j];
            if (c.dst() == playlist && std::ranges::find(kPlayPlaylistImmediate, c.opcode()) != kPlayPlaylistImmediate.end())
                found.push_back({i, j});
        }
    return found;
}

std::string playCommandLine(const PlayCommandRef& ref) {
    return fmt::format("Object {:04}, Command line {:04}", ref.object, ref.command);
}

std::vector<PlayCommandRef> findAndLogPlaylistPlayers(Log& log, const TMOBJ& mobj, const std::string& playlistName) {
    std::vector<PlayCommandRef> found;
    if (const auto number = playlistNumber(playlistName)) found = findPlaylistPlayers(mobj, *number);
    log.log("");
    log.log("PlayList [b]" + playlistName + "[/b] found in:");
    for (const PlayCommandRef& r : found) log.log(playCommandLine(r));
    return found;
}

}  // namespace navora
