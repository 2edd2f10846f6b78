// dump FILE, roundtrip IN OUT

#include "cli/commands.h"

namespace navora::cli {

void registerNavdbCommands(CLI::App&, CliState&) {}

}  // namespace navora::cli
