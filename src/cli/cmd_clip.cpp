// demux STREAM --pid PID [--pes] [--sup] [--mnu] [-o FILE], refs FOLDER [--json]

#include "cli/commands.h"
#include "clip/clipinfo_io.h"
#include "clip/clipinfo_view.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "core/filenames.h"
#include "core/log.h"
#include "disc/references.h"
#include "disc/workspace.h"
#include "navdb/movieobject_io.h"
#include "ts/savepid.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <unistd.h>

namespace navora::cli {

namespace {

namespace fs = std::filesystem;

// The run that Ctrl-C or SIGTERM cancels: the export then ends as a cancel
// does, leaving no partial file.
std::atomic<CancelToken*> interruptible{nullptr};

extern "C" void onInterrupt(int) {
    if (CancelToken* t = interruptible.load()) t->cancel();
}

// Installs the Ctrl-C and SIGTERM handlers for the lifetime of the object.
class InterruptGuard {
public:
    explicit InterruptGuard(CancelToken& token) {
        interruptible = &token;
        struct sigaction sa {};
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &previousInt_);
        ::sigaction(SIGTERM, &sa, &previousTerm_);
    }
    ~InterruptGuard() {
        ::sigaction(SIGINT, &previousInt_, nullptr);
        ::sigaction(SIGTERM, &previousTerm_, nullptr);
        interruptible = nullptr;
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

// A PID as navora-cli takes it: one to four hexadecimal digits, "0x" allowed.
std::string checkPidText(const std::string& text) {
    std::string_view t = text;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t.remove_prefix(2);
    const bool ok = !t.empty() && t.size() <= 4 &&
                    t.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
    return ok ? std::string() : "PID must be 1 to 4 hexadecimal digits, e.g. 1100: " + text;
}

// The clip information file of a stream: in the CLIPINF folder beside its
// STREAM folder, or beside the stream itself.
std::optional<fs::path> clipInfoBeside(const fs::path& stream) {
    const std::string stem = stream.stem().string();
    const fs::path dir = stream.has_parent_path() ? stream.parent_path() : fs::path(".");
    for (const fs::path& folder : {dir.parent_path() / "CLIPINF", dir})
        for (const char* ext : {".clpi", ".CLP"}) {
            std::error_code ec;
            const fs::path p = folder / (stem + ext);
            if (fs::is_regular_file(p, ec)) return p;
        }
    return std::nullopt;
}

// Save PID's file name when the stream's clip information lists the PID;
// otherwise the stream name + "_PID" + the PID + "." + extension.
std::string defaultOutputName(const fs::path& stream, std::uint16_t pid, const std::string& extension) {
    const std::string stem = stream.stem().string();
    if (const auto clpi = clipInfoBeside(stream)) {
        const std::string name = clpi->filename().string();
        try {
            const TCLPI clip = readClipInfo(readDatabaseFile(*clpi), name);
            for (const ProgramStreamRow& row : programStreamRows(clip))
                if (row.stream_PID == pid) return savePidFileName(stem, row.pid, row.type, row.details, extension);
        } catch (const WrongTypeError&) {
            std::fprintf(stderr, "navora-cli: note: Invalid format: %s; the output is named after the stream\n",
                         name.c_str());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "navora-cli: note: %s; the output is named after the stream\n",
                         errorText(e).c_str());
        }
    }
    return fmt::format("{}_PID{:04X}.{}", stem, pid, extension);
}

struct DemuxArgs {
    std::string stream;
    std::string pid;
    bool pes = false, sup = false, mnu = false;
    bool force = false;
    std::string output;
};

// The progress line of a run on a terminal (stderr), cleared before the log
// prints its next line.
class ProgressLine : public LogView {
public:
    explicit ProgressLine(LogView* inner) : inner_(inner) {}
    void show(const Progress& p) {
        std::fprintf(stderr, "\r%s\x1b[K", progressLine(p).c_str());
        shown_ = true;
    }
    void clear() {
        if (shown_) std::fprintf(stderr, "\r\x1b[K");
        shown_ = false;
    }
    void appendLine(const MarkedLine& line) override {
        clear();
        if (inner_) inner_->appendLine(line);
    }
    void showError(const std::string& plain) override {
        if (inner_) inner_->showError(plain);
    }

private:
    LogView* inner_;
    bool shown_ = false;
};

void runDemux(const DemuxArgs& a, CliState& state) {
    const std::uint16_t pid = pidFromText(a.pid);
    const SavePidChoice choice = savePidChoice(pid, DemuxOptions{a.pes, a.sup, a.mnu});
    const fs::path output = a.output.empty() ? fs::path(defaultOutputName(a.stream, pid, choice.extension))
                                             : fs::path(a.output);
    std::error_code ec;
    if (!a.force && fs::symlink_status(output, ec).type() != fs::file_type::not_found && !ec) {
        std::fprintf(stderr, "navora-cli: %s exists; nothing was written (--force replaces it)\n",
                     output.string().c_str());
        state.exitCode = kExitFailed;
        return;
    }
    CancelToken token;
    LogView* const view = state.log.view();
    ProgressLine line(view);
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    if (terminal) state.log.setView(&line);
    token.progress = [&](const Progress& p) {
        if (terminal) line.show(p);
    };
    InterruptGuard guard(token);
    SavePidOutcome o;
    try {
        o = savePid(state.log, a.stream, output, pid, choice.form, token);
    } catch (...) {
        line.clear();
        state.log.setView(view);
        throw;
    }
    line.clear();
    state.log.setView(view);
    // The log has the problems of the input already; stderr gets them too.
    for (const std::string& problem : demuxProblems(o.result))
        std::fprintf(stderr, "navora-cli: warning: %s: %s\n", a.stream.c_str(), problem.c_str());
    if (!o.saved)
        state.exitCode = kExitFailed;
    else if (o.result.damaged())
        state.exitCode = kExitIncomplete;
}

struct RefsArgs {
    std::string folder;
    bool json = false;
    bool use83 = false;
};

void runRefs(const RefsArgs& a, CliState& state) {
    const DiscPaths paths{folderFromArgument(a.folder), FileNameSet::make(a.use83)};
    std::error_code ec;
    if (!fs::is_directory(paths.folder + "PLAYLIST", ec) || !fs::is_directory(paths.folder + "CLIPINF", ec))
        throw IoError(fmt::format("{} has no PLAYLIST and CLIPINF folders", paths.folder));
    const auto playlists = listFiles(paths.folder + "PLAYLIST", paths.names.playlistExt);
    const auto clips = listFiles(paths.folder + "CLIPINF", paths.names.clipExt);

    Log quiet;  // the per-playlist "Reading" lines are not shown here
    const ClipReferenceSearch search = findClipReferences(quiet, paths, playlists, clips);
    for (const PlaylistReadFailure& f : search.failures)
        std::fprintf(stderr, "navora-cli: warning: %s\n", f.message.c_str());

    TMOBJ mobj;
    try {
        mobj = readMovieObjects(readDatabaseFile(paths.movieObject()), paths.names.movieObject);
    } catch (const WrongTypeError&) {
        std::fprintf(stderr, "navora-cli: warning: Invalid format: %s\n", paths.names.movieObject.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "navora-cli: warning: %s\n", errorText(e).c_str());
    }

    if (a.json) {
        nlohmann::ordered_json j;
        j["clips"] = nlohmann::ordered_json::array();
        for (std::size_t c = 0; c < clips.size(); ++c) {
            nlohmann::ordered_json refs = nlohmann::ordered_json::array();
            for (const TCIRef& r : search.refs[c])
                refs.push_back({{"mpls", fmt::format("{:05}", r.playlist)},
                                {"kind", std::string(1, static_cast<char>(r.kind))},
                                {"item", r.item}});
            j["clips"].push_back({{"clip", clips[c]}, {"references", refs}});
        }
        j["playlists"] = nlohmann::ordered_json::array();
        for (const std::string& p : playlists) {
            nlohmann::ordered_json cmds = nlohmann::ordered_json::array();
            if (const auto number = playlistNumber(p))
                for (const PlayCommandRef& r : findPlaylistPlayers(mobj, *number))
                    cmds.push_back({{"object", r.object}, {"command", r.command}});
            j["playlists"].push_back({{"playlist", p}, {"commands", cmds}});
        }
        j["failures"] = nlohmann::ordered_json::array();
        for (const PlaylistReadFailure& f : search.failures)
            j["failures"].push_back({{"playlist", f.playlist}, {"message", f.message}});
        std::printf("%s\n", j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
        return;
    }
    Log& log = state.log;
    for (std::size_t c = 0; c < clips.size(); ++c) {
        const auto rows = clipReferenceRows(search.refs[c]);
        log.log(fmt::format("Clip [b]{}[/b] used by {} item(s){}", clips[c], rows.size(), rows.empty() ? "." : ":"));
        for (const ClipRefRow& r : rows) log.log(fmt::format("  {}  {}  {}", r.mpls, r.kind, r.item));
    }
    for (const std::string& p : playlists) {
        log.log("");
        log.log("PlayList [b]" + p + "[/b] found in:");
        if (const auto number = playlistNumber(p))
            for (const PlayCommandRef& r : findPlaylistPlayers(mobj, *number)) log.log(playCommandLine(r));
    }
}

}  // namespace

void registerClipCommands(CLI::App& app, CliState& state) {
    auto d = std::make_shared<DemuxArgs>();
    auto* demux = app.add_subcommand(
        "demux", "Save the packets of one PID of a transport stream (.m2ts) as an elementary stream, PES, SUP or .mnu "
                 "file.");
    demux->add_option("STREAM", d->stream, "The stream file")->required()->check(CLI::ExistingFile);
    demux->add_option("--pid", d->pid, "The PID in hexadecimal, e.g. 1100")->required()->check(checkPidText);
    demux->add_flag("--pes", d->pes, "Save PES stream (not elementary)");
    demux->add_flag("--sup", d->sup, "Save SUP if PG stream");
    demux->add_flag("--mnu", d->mnu, "Save MNU if IG stream");
    demux->add_option("-o,--output", d->output,
                      "The output file; default: named after the row of the clip information file beside the "
                      "stream, in the current folder");
    demux->add_flag("--force", d->force, "Replace the output file when it exists");
    demux->callback([d, &state] { guarded(state, [&] { runDemux(*d, state); }); });

    auto r = std::make_shared<RefsArgs>();
    auto* refs = app.add_subcommand(
        "refs", "List the playlists and items that use each clip, then the movie object commands that play each "
                "playlist.");
    refs->add_option("FOLDER", r->folder, "A disc root, its BDMV folder, or a file inside it")
        ->required()
        ->check(CLI::ExistingPath);
    refs->add_flag("--json", r->json, "Print the same as JSON");
    refs->add_flag("--83", r->use83, "Use 8.3 filenames");
    refs->callback([r, &state] { guarded(state, [&] { runRefs(*r, state); }); });
}

}  // namespace navora::cli
