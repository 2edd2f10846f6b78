// disasm MovieObject.bdmv, run MovieObject.bdmv

#include "cli/commands.h"

namespace navora::cli {

void registerNavCommands(CLI::App&, CliState&) {}

}  // namespace navora::cli
