// dump FILE, roundtrip IN OUT

#include "cli/commands.h"
#include "bdj/bdjo_io.h"
#include "bdj/json.h"
#include "clip/clipinfo_io.h"
#include "clip/json.h"
#include "core/errors.h"
#include "core/extdata.h"
#include "core/json.h"
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
#include <cctype>
#include <filesystem>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace navora::cli {

namespace {

using Data = std::span<const std::uint8_t>;

// One file kind the command line can dump and round-trip, known by the four
// bytes it starts with. A new kind is one more entry in kKinds; kinds that
// Navora only reads have no roundtrip. A reader that keeps what a cut file
// holds clears `complete` (after its warning) when the file was cut.
struct FileKind {
    std::string_view magic;
    std::string_view label;
    nlohmann::ordered_json (*dump)(Data data, const std::string& name, bool& complete);
    Bytes (*roundtrip)(Data data, const std::string& name, bool& complete) = nullptr;
};

TMOBJ readMovieObjectsWarning(Data d, const std::string& name, bool& complete) {
    MobjReadReport r;
    TMOBJ m = readMovieObjects(d, name, &r);
    if (!r.complete) {
        warnCutMovieObjects(name, r);
        complete = false;
    }
    return m;
}

const FileKind kKinds[] = {
    {"INDX", "index.bdmv", [](Data d, const std::string& n, bool&) { return toJson(readIndex(d, n)); },
     [](Data d, const std::string& n, bool&) { return writeIndex(readIndex(d, n)); }},
    {"MOBJ", "MovieObject.bdmv",
     [](Data d, const std::string& n, bool& c) { return toJson(readMovieObjectsWarning(d, n, c)); },
     [](Data d, const std::string& n, bool& c) { return writeMovieObjects(readMovieObjectsWarning(d, n, c)); }},
    {"MPLS", "playlist (.mpls)", [](Data d, const std::string& n, bool&) { return toJson(readPlaylist(d, n)); },
     [](Data d, const std::string& n, bool&) { return writePlaylist(readPlaylist(d, n)); }},
    {"HDMV", "clip information (.clpi)",
     [](Data d, const std::string& n, bool&) { return toJson(readClipInfo(d, n)); }},
    {"BCLK", "sound.bdmv", [](Data d, const std::string& n, bool&) { return toJson(readSound(d, n)); },
     [](Data d, const std::string& n, bool&) { return writeSound(readSound(d, n)); }},
    {"BDJO", "BD-J object (.bdjo)", [](Data d, const std::string& n, bool&) { return toJson(readBdjo(d, n)); }},
};

TExtensionData readExdWarning(Data d, const std::string& name, bool& complete) {
    TExtensionData block = readExd(d, name);
    if (warnBytesBeyondBlock(name, block)) complete = false;
    return block;
}

// .exd files hold one ExtensionData block and have no magic: they are known by their extension.
const FileKind kExdKind = {
    "", "ExtensionData (.exd)",
    [](Data d, const std::string& n, bool& c) { return nlohmann::ordered_json(toJson(readExdWarning(d, n, c))); },
    [](Data d, const std::string& n, bool& c) { return writeExd(readExdWarning(d, n, c)); }};

// What the writer did not write back as read: the size and the first bytes
// that differ, each with the bits it lost or gained. Empty when the bytes are
// the same.
std::vector<std::string> changesWritten(Data in, Data out) {
    std::vector<std::string> lines;
    if (std::equal(in.begin(), in.end(), out.begin(), out.end())) return lines;
    if (in.size() != out.size())
        lines.push_back(fmt::format("{} bytes written for the {} read ({} bytes {})", out.size(), in.size(),
                                    in.size() > out.size() ? in.size() - out.size() : out.size() - in.size(),
                                    in.size() > out.size() ? "fewer" : "more"));
    constexpr std::size_t kShown = 8;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < std::min(in.size(), out.size()); ++i) {
        if (in[i] == out[i]) continue;
        if (++differing > kShown) continue;
        const unsigned cleared = in[i] & ~out[i] & 0xFFu, set = out[i] & ~in[i] & 0xFFu;
        std::string bits;
        if (cleared) bits += fmt::format("bits ${:02X} cleared", cleared);
        if (set) bits += fmt::format("{}bits ${:02X} set", bits.empty() ? "" : ", ", set);
        lines.push_back(fmt::format("offset {} (${:08X}): ${:02X} written as ${:02X} ({})", i, i, in[i], out[i], bits));
    }
    if (differing > kShown) lines.push_back(fmt::format("{} more bytes differ", differing - kShown));
    return lines;
}

bool isExd(const std::string& name) {
    const std::string ext = std::filesystem::path(name).extension().string();
    return ext.size() == 4 && std::equal(ext.begin(), ext.end(), ".exd", [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

const FileKind& kindOf(const Bytes& data, const std::string& name) {
    if (isExd(name)) return kExdKind;
    for (const FileKind& k : kKinds)
        if (data.size() >= k.magic.size() && std::equal(k.magic.begin(), k.magic.end(), data.begin()))
            return k;
    std::string known;
    for (const FileKind& k : kKinds)
        known += fmt::format("{}\"{}\" ({})", known.empty() ? "" : ", ", k.magic, k.label);
    throw FormatError(name, 0, "not a file kind navora-cli reads; known kinds: " + known + ", and .exd files by name");
}

}  // namespace

bool warnBytesBeyondBlock(const std::string& name, const TExtensionData& block) {
    const std::uint64_t beyond = exdBytesBeyondBlock(block);
    if (beyond == 0) return false;
    std::fprintf(stderr,
                 "navora-cli: warning: %s: the block's length field declares %llu bytes, the file holds %llu more: "
                 "they are shown, but the block is written without them\n",
                 name.c_str(), static_cast<unsigned long long>(std::uint64_t{block.length} + 4),
                 static_cast<unsigned long long>(beyond));
    return true;
}

void warnCutMovieObjects(const std::string& name, const MobjReadReport& r) {
    std::fprintf(stderr, "navora-cli: warning: %s ends early at offset %zu: %s\n", name.c_str(), r.stoppedAt,
                 cutReadSummary(r).c_str());
}

void registerNavdbCommands(CLI::App& app, CliState& state) {
    auto dumpFile = std::make_shared<std::string>();
    auto* dump = app.add_subcommand("dump", "Print the model of a database file (index.bdmv, MovieObject.bdmv, .mpls, .exd, "
                                            ".clpi, sound.bdmv, .bdjo) as JSON.");
    dump->add_option("FILE", *dumpFile, "The file to dump")->required();
    dump->callback([dumpFile, &state] {
        guarded(state, [&] {
            const Bytes data = readDatabaseFile(*dumpFile);
            bool complete = true;
            const nlohmann::ordered_json j = kindOf(data, *dumpFile).dump(data, *dumpFile, complete);
            std::printf("%s\n", j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
            if (!complete) state.exitCode = kExitIncomplete;
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
            const Bytes data = readDatabaseFile(args->in);
            const FileKind& kind = kindOf(data, args->in);
            if (!kind.roundtrip)
                throw FormatError(args->in, 0, fmt::format("{} files are read, not written, by Navora", kind.label));
            bool complete = true;
            const Bytes out = kind.roundtrip(data, args->in, complete);
            saveAtomic(args->out, out);
            // A file that is read whole is written back byte for byte; say where it was not.
            const std::vector<std::string> changes = complete ? changesWritten(data, out) : std::vector<std::string>{};
            for (const std::string& c : changes)
                std::fprintf(stderr, "navora-cli: warning: %s not written back as read: %s\n", args->in.c_str(),
                             c.c_str());
            if (!complete || !changes.empty()) state.exitCode = kExitIncomplete;
        });
    });
}

}  // namespace navora::cli
