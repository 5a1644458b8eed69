// The commands of kestrune-cli. Each returns the process exit status.
#pragma once

#include <cstddef>

#include "cli/cli_args.h"

namespace ks::cli {

class Engine;

int RunGet(const CliArgs& args);
int RunUpload(const CliArgs& args);
int RunGrab(const CliArgs& args);
int RunAdd(const CliArgs& args);
int RunList(const CliArgs& args);
int RunQueue(const CliArgs& args);
int RunConfig(const CliArgs& args);
int RunStatus(const CliArgs& args);
int RunSearchCommand(const CliArgs& args);

// Starts the row and waits for its worker; Ctrl-C pauses it. The exit status
// follows the row's last Status text.
int StartAndWait(Engine& e, std::size_t row, bool quiet);

// Exit status for a finished row's Status text.
int ExitForStatus(const std::string& status);

}  // namespace ks::cli
