#pragma once
// Sub-commands of navora-cli. Each area registers its own.

#include "core/log.h"

#include <CLI/CLI.hpp>

namespace navora::cli {

struct CliState {
    Log& log;
    bool colour = false;  // ANSI styles: only when stdout is a terminal
    int exitCode = 0;
};

// check, make-demo
void registerWorkspaceCommands(CLI::App& app, CliState& state);
// dump, roundtrip
void registerNavdbCommands(CLI::App& app, CliState& state);
// disasm, run
void registerNavCommands(CLI::App& app, CliState& state);
// menu dump/objects/save, mux
void registerMenuCommands(CLI::App& app, CliState& state);

}  // namespace navora::cli
