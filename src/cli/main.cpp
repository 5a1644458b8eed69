// kestrune-cli: the headless front end over the engine.
#include <cstdio>
#include <string>
#include <vector>

#include "app/version.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"

using namespace ks::cli;

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const CliArgs a = ParseCliArgs(args);
    if (a.version) {
        std::printf("kestrune-cli (%s)\n", ks::ProductTitle());
        return kExitOk;
    }
    if (a.help) {
        std::fputs(UsageText(a.command).c_str(), stdout);
        return kExitOk;
    }
    if (!a.error.empty()) {
        std::fprintf(stderr, "kestrune-cli: %s\n%s", a.error.c_str(), UsageText(a.command).c_str());
        return kExitUsage;
    }
    switch (a.command) {
        case Command::Get:
            return RunGet(a);
        case Command::Upload:
            return RunUpload(a);
        case Command::Add:
            return RunAdd(a);
        case Command::List:
            return RunList(a);
        case Command::Run:
            return RunQueue(a);
        case Command::Config:
            return RunConfig(a);
        case Command::Status:
            return RunStatus(a);
        case Command::Search:
            return RunSearchCommand(a);
        case Command::None:
            break;
    }
    std::fputs(UsageText(Command::None).c_str(), stderr);
    return kExitUsage;
}
