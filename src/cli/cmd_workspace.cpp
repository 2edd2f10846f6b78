// check FOLDER, make-demo DIR

#include "cli/commands.h"
#include "core/demo.h"
#include "core/errors.h"
#include "core/filenames.h"
#include "core/workspace.h"

#include <filesystem>

namespace navora::cli {

void registerWorkspaceCommands(CLI::App& app, CliState& state) {
    auto* check = app.add_subcommand("check", "Check and read a BDMV folder; exit 1 when the check fails.");
    static std::string folderArg;
    static bool use83 = false;
    check->add_option("FOLDER", folderArg, "A disc root, its BDMV folder, or a file inside it")
        ->required()
        ->check(CLI::ExistingPath);
    check->add_flag("--83", use83, "Use 8.3 filenames");
    check->callback([&state] {
        Workspace ws;
        ws.options.use83 = use83;
        ws.folder = folderFromArgument(folderArg);
        state.exitCode = ws.checkAndRead(state.log) ? 0 : 1;
    });

    auto* demo = app.add_subcommand("make-demo", "Write the demo disc (DIR/BDMV/...).");
    static std::string demoDir;
    demo->add_option("DIR", demoDir, "Folder that receives the disc")->required();
    demo->callback([&state] {
        try {
            makeDemoDisc(demoDir);
            std::printf("%s\n", (std::filesystem::path(demoDir) / "BDMV").c_str());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "navora-cli: %s\n", e.what());
            state.exitCode = 1;
        }
    });
}

}  // namespace navora::cli
