// navora-cli: the scriptable command line of Navora.

#include "cli/commands.h"
#include "core/logviews.h"

#include <cstdio>
#include <exception>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace navora;
    Log& log = mainLog();
    cli::CliState state{log};
    state.colour = ::isatty(STDOUT_FILENO) != 0;
    TerminalLogView view(stdout, state.colour);
    log.setView(&view);
    log.actiDelayMs = 0;

    CLI::App app{"Navora command line: check, dump, round-trip and run the files of a BDMV folder."};
    app.set_version_flag("--version", std::string("navora-cli ") + NAVORA_VERSION_TEXT);
    app.require_subcommand(1);
    app.footer(cli::kExitCodesHelp);
    cli::registerWorkspaceCommands(app, state);
    cli::registerNavdbCommands(app, state);
    cli::registerNavCommands(app, state);
    cli::registerSoundCommands(app, state);
    cli::registerPlaylistCommands(app, state);
    cli::registerClipCommands(app, state);
    cli::registerMenuCommands(app, state);
    cli::registerExdCommands(app, state);
    cli::registerEditCommands(app, state);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "navora-cli: %s\n", e.what());
        return cli::kExitUsage;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "navora-cli: %s\n", navora::errorText(e).c_str());
        return cli::kExitFailed;
    }
    return state.exitCode;
}
