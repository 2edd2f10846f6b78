// check FOLDER, make-demo DIR

#include "cli/commands.h"
#include "disc/demo.h"
#include "core/filenames.h"
#include "disc/workspace.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace navora::cli {

void registerWorkspaceCommands(CLI::App& app, CliState& state) {
    // Option values live in a shared object that the callback keeps alive.
    struct CheckArgs {
        std::string folder;
        bool use83 = false;
    };
    auto check = std::make_shared<CheckArgs>();
    auto* checkCmd =
        app.add_subcommand("check",
                           "Check and read a BDMV folder and its playlists; exit 1 when the check fails or a mark lies "
                           "outside its PlayItem, 3 when a file was refused or read incomplete.");
    checkCmd->add_option("FOLDER", check->folder, "A disc root, its BDMV folder, or a file inside it")
        ->required()
        ->check(CLI::ExistingPath);
    checkCmd->add_flag("--83", check->use83, "Use 8.3 filenames");
    checkCmd->callback([check, &state] {
        const BdmvLocation where = locateBdmvFolder(check->folder);
        if (!where.error.empty()) {
            state.log.erlog(where.error);
            state.exitCode = kExitFailed;
            return;
        }
        Workspace ws;
        ws.options.use83 = check->use83;
        ws.folder = where.folder;
        if (!ws.checkAndRead(state.log)) {
            state.exitCode = kExitFailed;
            return;
        }
        const std::size_t misplaced = ws.checkPlaylistMarks(state.log);
        auto names = [](const std::vector<std::string>& files) {
            std::string text;
            for (const std::string& f : files) text += (text.empty() ? "" : ", ") + f;
            return text;
        };
        if (!ws.refusedFiles.empty())
            std::fprintf(stderr, "navora-cli: %s: refused %s\n", ws.folder.c_str(), names(ws.refusedFiles).c_str());
        if (!ws.incompleteFiles.empty())
            std::fprintf(stderr, "navora-cli: %s: read incomplete %s\n", ws.folder.c_str(),
                         names(ws.incompleteFiles).c_str());
        if (misplaced > 0) {
            std::fprintf(stderr, "navora-cli: %s: %zu playlist mark(s) outside their PlayItem\n", ws.folder.c_str(),
                         misplaced);
            state.exitCode = kExitFailed;
        } else {
            state.exitCode = ws.refusedFiles.empty() && ws.incompleteFiles.empty() ? kExitOk : kExitIncomplete;
        }
    });

    auto demoDir = std::make_shared<std::string>();
    auto* demoCmd = app.add_subcommand("make-demo", "Write the demo disc (DIR/BDMV/...) and print its BDMV folder.");
    demoCmd->add_option("DIR", *demoDir, "Folder that receives the disc")->required();
    auto uhd = std::make_shared<bool>(false);
    demoCmd->add_flag("--uhd", *uhd, "Write the Ultra HD demo disc (version \"0300\", HEVC HDR10)");
    demoCmd->callback([demoDir, uhd, &state] {
        try {
            if (*uhd)
                makeUhdDemoDisc(*demoDir);
            else
                makeDemoDisc(*demoDir);
            std::printf("%s\n", (std::filesystem::path(*demoDir) / "BDMV").c_str());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "navora-cli: %s\n", errorText(e).c_str());
            state.exitCode = 1;
        }
    });
}

}  // namespace navora::cli
