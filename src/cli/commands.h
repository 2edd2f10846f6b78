#pragma once
// Sub-commands of navora-cli. Each area registers its own.

#include "core/errors.h"
#include "core/extdata.h"
#include "core/log.h"
#include "ig/model.h"
#include "navdb/movieobject_io.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>

namespace navora::cli {

// Exit codes, listed in --help and the README.
enum ExitCode : int {
    kExitOk = 0,          // every file read
    kExitFailed = 1,      // the check or the command failed
    kExitUsage = 2,       // bad command line
    kExitIncomplete = 3,  // the folder was read, but a file was refused or read only in part
};

// The --help text of the exit codes.
inline constexpr const char* kExitCodesHelp =
    "Exit codes:\n"
    "  0  every file read\n"
    "  1  the check failed, or the command failed\n"
    "  2  usage error\n"
    "  3  the folder was read, but a file was refused or read incomplete (check, roundtrip, dump, disasm, run);\n"
    "     demux: the file was saved, but parts of the stream were skipped (named on stderr)\n";

struct CliState {
    Log& log;
    bool colour = false;  // ANSI styles: only when stdout is a terminal
    int exitCode = 0;
};

// Runs one command body; any failure becomes one line on stderr and exit 1
// (exit 2 for a value the body found out of range).
template <class F>
void guarded(CliState& state, F body) {
    try {
        body();
    } catch (const CLI::ValidationError& e) {
        std::fprintf(stderr, "navora-cli: %s\n", e.what());
        state.exitCode = kExitUsage;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "navora-cli: %s\n", errorText(e).c_str());
        state.exitCode = kExitFailed;
    }
}

// The one-line warning for a MovieObject.bdmv read only in part: where it
// ends, what was kept and what was dropped.
void warnCutMovieObjects(const std::string& name, const MobjReadReport& report);

// Warns when an .exd file holds bytes after its block (a short length field):
// they are shown but not written back. True when it warned.
bool warnBytesBeyondBlock(const std::string& name, const TExtensionData& block);

// check, make-demo
void registerWorkspaceCommands(CLI::App& app, CliState& state);
// dump, roundtrip
void registerNavdbCommands(CLI::App& app, CliState& state);
// disasm, asm, run
void registerNavCommands(CLI::App& app, CliState& state);
// sound export, sound import, sound create
void registerSoundCommands(CLI::App& app, CliState& state);
// chapters export, chapters import
void registerPlaylistCommands(CLI::App& app, CliState& state);
// demux, refs
void registerClipCommands(CLI::App& app, CliState& state);
// menu dump/objects/save/render/play, mux
void registerMenuCommands(CLI::App& app, CliState& state);
// menu render, menu play: registered inside the "menu" command.
void registerMenuPreviewCommands(CLI::App& menu, CliState& state);

// The menu of a .mnu file, or of the Interactive Graphics PID of a transport
// stream; throws FormatError for a file that holds no menu. Soft problems of
// the load are printed as warnings.
TIGSc loadMenuFile(const std::string& path);
// --matrix auto|601|709: the colour matrix of the palettes' display colours
// (auto: BT.709 for HD menus, BT.601 for SD).
void addMatrixOption(CLI::App* cmd, std::string& matrix);
// Makes the menu's display colours with the chosen matrix.
void applyMatrix(TIGSc& menu, const std::string& matrix);
// exd
void registerExdCommands(CLI::App& app, CliState& state);
// edit
void registerEditCommands(CLI::App& app, CliState& state);

}  // namespace navora::cli
