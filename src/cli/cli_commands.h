// The commands of kestrune-cli. Each returns the process exit status.
#pragma once

#include "cli/cli_args.h"

namespace ks::cli {

int RunGet(const CliArgs& args);
int RunUpload(const CliArgs& args);
int RunAdd(const CliArgs& args);
int RunList(const CliArgs& args);
int RunQueue(const CliArgs& args);
int RunConfig(const CliArgs& args);
int RunStatus(const CliArgs& args);
int RunSearchCommand(const CliArgs& args);

// Exit status for a finished row's Status text.
int ExitForStatus(const std::string& status);

}  // namespace ks::cli
