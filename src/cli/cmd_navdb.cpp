// dump FILE, roundtrip IN OUT

#include "cli/commands.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "navdb/index_io.h"
#include "navdb/json.h"
#include "navdb/movieobject_io.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace navora::cli {

namespace {

using Data = std::span<const std::uint8_t>;

// One file kind the command line can dump and round-trip, known by the four
// bytes it starts with. A new kind is one more entry in kKinds.
struct FileKind {
    std::string_view magic;
    std::string_view label;
    nlohmann::ordered_json (*dump)(Data data, const std::string& name);
    Bytes (*roundtrip)(Data data, const std::string& name);
};

void warnShortMovieObjects(const std::string& name, const MobjReadReport& r) {
    if (!r.complete)
        std::fprintf(stderr,
                     "navora-cli: warning: %s ends early at offset %zu; %zu whole movie objects read, the rest left "
                     "blank\n",
                     name.c_str(), r.stoppedAt, r.wholeObjects);
}

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

void registerNavdbCommands(CLI::App& app, CliState& state) {
    auto* dump = app.add_subcommand("dump", "Print the model of an index.bdmv or MovieObject.bdmv file as JSON.");
    static std::string dumpFile;
    dump->add_option("FILE", dumpFile, "The file to dump")->required();
    dump->callback([&state] {
        guarded(state, [] {
            const Bytes data = readWholeFile(dumpFile);
            const std::string& name = dumpFile;
            const nlohmann::ordered_json j = kindOf(data, name).dump(data, name);
            std::printf("%s\n", j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
        });
    });

    auto* rt = app.add_subcommand("roundtrip", "Read a database file and write it back through Navora's writer.");
    static std::string inFile, outFile;
    rt->add_option("IN", inFile, "The file to read")->required();
    rt->add_option("OUT", outFile, "The file to write (replaced atomically)")->required();
    rt->callback([&state] {
        guarded(state, [] {
            const Bytes data = readWholeFile(inFile);
            const std::string& name = inFile;
            const Bytes out = kindOf(data, name).roundtrip(data, name);
            saveAtomic(outFile, out);
        });
    });
}

}  // namespace navora::cli
