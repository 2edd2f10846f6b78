// dump FILE, roundtrip IN OUT

#include "cli/commands.h"
#include "bdj/bdjo_io.h"
#include "bdj/json.h"
#include "clip/clipinfo_io.h"
#include "clip/json.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "navdb/index_io.h"
#include "navdb/json.h"
#include "navdb/movieobject_io.h"
#include "playlist/json.h"
#include "playlist/playlist_io.h"
#include "sound/json.h"
#include "sound/sound_io.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace navora::cli {

namespace {

using Data = std::span<const std::uint8_t>;

// One file kind the command line can dump and round-trip, known by the four
// bytes it starts with. A new kind is one more entry in kKinds; kinds that
// Navora only reads have no roundtrip.
struct FileKind {
    std::string_view magic;
    std::string_view label;
    nlohmann::ordered_json (*dump)(Data data, const std::string& name);
    Bytes (*roundtrip)(Data data, const std::string& name) = nullptr;
};

const FileKind kKinds[] = {
    {"INDX", "index.bdmv", [](Data d, const std::string& n) { return toJson(readIndex(d, n)); },
     [](Data d, const std::string& n) { return writeIndex(readIndex(d, n)); }},
    {"MOBJ", "MovieObject.bdmv",
     [](Data d, const std::string& n) {
         MobjReadReport r;
         auto j = toJson(readMovieObjects(d, n, &r));
         warnShortMovieObjects(n, r);
         return j;
     },
     [](Data d, const std::string& n) {
         MobjReadReport r;
         Bytes out = writeMovieObjects(readMovieObjects(d, n, &r));
         warnShortMovieObjects(n, r);
         return out;
     }},
    {"MPLS", "playlist (.mpls)", [](Data d, const std::string& n) { return toJson(readPlaylist(d, n)); },
     [](Data d, const std::string& n) { return writePlaylist(readPlaylist(d, n)); }},
    {"HDMV", "clip information (.clpi)", [](Data d, const std::string& n) { return toJson(readClipInfo(d, n)); }},
    {"BCLK", "sound.bdmv", [](Data d, const std::string& n) { return toJson(readSound(d, n)); },
     [](Data d, const std::string& n) { return writeSound(readSound(d, n)); }},
    {"BDJO", "BD-J object (.bdjo)", [](Data d, const std::string& n) { return toJson(readBdjo(d, n)); }},
};

const FileKind& kindOf(const Bytes& data, const std::string& name) {
    for (const FileKind& k : kKinds)
        if (data.size() >= k.magic.size() && std::equal(k.magic.begin(), k.magic.end(), data.begin()))
            return k;
    std::string known;
    for (const FileKind& k : kKinds)
        known += fmt::format("{}\"{}\" ({})", known.empty() ? "" : ", ", k.magic, k.label);
    throw FormatError(name, 0, "not a file kind navora-cli reads; known kinds: " + known);
}

// Runs one command body; any failure becomes one line on stderr and exit 1.
template <class F>
void guarded(CliState& state, F body) {
    try {
        body();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "navora-cli: %s\n", e.what());
        state.exitCode = 1;
    }
}

}  // namespace

void warnShortMovieObjects(const std::string& name, const MobjReadReport& r) {
    if (!r.complete)
        std::fprintf(stderr,
                     "navora-cli: warning: %s ends early at offset %zu; %zu whole movie objects read, the rest left "
                     "blank\n",
                     name.c_str(), r.stoppedAt, r.wholeObjects);
}

void registerNavdbCommands(CLI::App& app, CliState& state) {
    auto dumpFile = std::make_shared<std::string>();
    auto* dump = app.add_subcommand("dump", "Print the model of a database file (index.bdmv, MovieObject.bdmv, .mpls, "
                                            ".clpi, sound.bdmv, .bdjo) as JSON.");
    dump->add_option("FILE", *dumpFile, "The file to dump")->required();
    dump->callback([dumpFile, &state] {
        guarded(state, [&] {
            const Bytes data = readWholeFile(*dumpFile);
            const nlohmann::ordered_json j = kindOf(data, *dumpFile).dump(data, *dumpFile);
            std::printf("%s\n", j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
        });
    });

    struct RoundtripArgs {
        std::string in, out;
    };
    auto args = std::make_shared<RoundtripArgs>();
    auto* rt = app.add_subcommand("roundtrip", "Read a database file and write it back through Navora's writer.");
    rt->add_option("IN", args->in, "The file to read")->required();
    rt->add_option("OUT", args->out, "The file to write (replaced atomically)")->required();
    rt->callback([args, &state] {
        guarded(state, [&] {
            const Bytes data = readWholeFile(args->in);
            const FileKind& kind = kindOf(data, args->in);
            if (!kind.roundtrip)
                throw FormatError(args->in, 0, fmt::format("{} files are read, not written, by Navora", kind.label));
            saveAtomic(args->out, kind.roundtrip(data, args->in));
        });
    });
}

}  // namespace navora::cli
