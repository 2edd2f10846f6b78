// chapters export PLAYLIST [--format F] [-o FILE], chapters import PLAYLIST FILE [--format F] -o OUT

#include "cli/commands.h"
#include "core/fileio.h"
#include "core/logviews.h"
#include "playlist/chapters.h"
#include "playlist/playlist_io.h"

#include <fmt/format.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace navora::cli {

namespace {

const char* const kFormatHelp = "Line format: pts (45 kHz ticks), frame (video frames) or time (hh:mm:ss.mmm)";

TMPLS loadPlaylist(const std::string& path) {
    return readPlaylist(readDatabaseFile(path), std::filesystem::path(path).filename().string());
}

// Runs a command body: a refused file or a failed read or write is one line
// on stderr and exit 1.
// While the chapter lines go to stdout, the log goes to stderr.
class LogToStderr {
public:
    LogToStderr(Log& log, bool colour) : log_(log), previous_(log.view()), view_(stderr, colour) {
        log_.setView(&view_);
    }
    ~LogToStderr() { log_.setView(previous_); }
    LogToStderr(const LogToStderr&) = delete;
    LogToStderr& operator=(const LogToStderr&) = delete;

private:
    Log& log_;
    LogView* previous_;
    TerminalLogView view_;
};

}  // namespace

void registerPlaylistCommands(CLI::App& app, CliState& state) {
    auto* chapters = app.add_subcommand("chapters", "Exchange a playlist's marks with a chapter text file.");
    chapters->require_subcommand(1);
    auto formatCheck = CLI::IsMember({"pts", "frame", "time"}, CLI::ignore_case);

    struct ExportArgs {
        std::string playlist, format = "pts", out;
    };
    auto ex = std::make_shared<ExportArgs>();
    auto* exportCmd = chapters->add_subcommand(
        "export", "Write one chapter line (CR LF) per mark, on the playlist's own timeline; marks on PlayItems the "
                  "playlist lacks are reported and skipped.");
    exportCmd->add_option("PLAYLIST", ex->playlist, "The playlist (.mpls)")->required();
    exportCmd->add_option("--format", ex->format, kFormatHelp)->check(formatCheck);
    exportCmd->add_option("-o,--output", ex->out, "The chapter file to write (replaced atomically); stdout without it");
    exportCmd->callback([ex, &state] {
        guarded(state, [&] {
            const TMPLS m = loadPlaylist(ex->playlist);
            const ChapterFormat format = *chapterFormatNamed(ex->format);
            auto chapterText = [&] {
                try {
                    return exportChapters(m, format, state.log);
                } catch (const ChapterError& e) {
                    throw ChapterError(ex->playlist + ": " + e.what());
                }
            };
            if (ex->out.empty()) {
                std::string text;
                {
                    LogToStderr toStderr(state.log, ::isatty(STDERR_FILENO) != 0);
                    text = chapterText();
                }
                std::fwrite(text.data(), 1, text.size(), stdout);
            } else {
                const std::string text = chapterText();
                saveAtomic(ex->out, Bytes(text.begin(), text.end()));
            }
        });
    });

    struct ImportArgs {
        std::string playlist, chapters, format = "pts", out;
    };
    auto im = std::make_shared<ImportArgs>();
    auto* importCmd = chapters->add_subcommand(
        "import", "Replace the playlist's marks by one entry mark per chapter line and write the playlist to OUT.");
    importCmd->add_option("PLAYLIST", im->playlist, "The playlist (.mpls)")->required();
    importCmd->add_option("FILE", im->chapters, "The chapter file, one chapter per line")->required();
    importCmd->add_option("--format", im->format, kFormatHelp)->check(formatCheck);
    importCmd->add_option("-o,--output", im->out, "The playlist to write (replaced atomically)")->required();
    importCmd->callback([im, &state] {
        guarded(state, [&] {
            TMPLS m = loadPlaylist(im->playlist);
            const Bytes file = readDatabaseFile(im->chapters);
            const std::string text(file.begin(), file.end());
            std::size_t n = 0;
            try {
                n = importChapters(m, text, *chapterFormatNamed(im->format), state.log);
            } catch (const ChapterError& e) {
                throw ChapterError((e.line() ? im->chapters : im->playlist) + ": " + e.what());
            }
            if (n == 0) throw ChapterError(im->chapters + ": the file holds no chapter line; nothing written.");
            saveAtomic(im->out, writePlaylist(m));
            state.log.log(fmt::format("[b]{}[/b] PlayListMark(s) written to {}", n, im->out));
        });
    });
}

}  // namespace navora::cli
