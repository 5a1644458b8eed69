// Runs kestrune-cli as a child process on a given program folder, the way a
// user's shell would, and returns its exit code (-1 when it could not start).
#pragma once

#include <string>
#include <vector>

#include "support/child_process.h"

namespace ks::test {

inline int RunCliIn(const std::string& home, std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", home});
    ChildProcess child;
    if (!child.Start(HelperPath("kestrune-cli"), args)) return -1;
    return child.Wait();
}

}  // namespace ks::test
