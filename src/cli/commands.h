#pragma once
// Sub-commands of navora-cli. Each area registers its own.

#include "core/log.h"
#include "navdb/movieobject_io.h"

#include <CLI/CLI.hpp>

namespace navora::cli {

struct CliState {
    Log& log;
    bool colour = false;  // ANSI styles: only when stdout is a terminal
    int exitCode = 0;
};

// Warns on stderr when a MovieObject.bdmv read ended early, so that its
// blank objects are not taken for real ones.
void warnShortMovieObjects(const std::string& name, const MobjReadReport& report);

// check, make-demo
void registerWorkspaceCommands(CLI::App& app, CliState& state);
// dump, roundtrip
void registerNavdbCommands(CLI::App& app, CliState& state);
// disasm, run
void registerNavCommands(CLI::App& app, CliState& state);
// sound export, sound import, sound create
void registerSoundCommands(CLI::App& app, CliState& state);
// chapters export, chapters import
void registerPlaylistCommands(CLI::App& app, CliState& state);
// demux, refs
void registerClipCommands(CLI::App& app, CliState& state);

}  // namespace navora::cli
