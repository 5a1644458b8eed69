// Runs kestrune-cli as a child process on a given program folder, the way a
// user's shell would, and returns its exit code (-1 when it could not start).
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"
#include "support/child_process.h"

namespace ks::test {

inline int RunCliIn(const std::string& home, std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", home});
    ChildProcess child;
    if (!child.Start(HelperPath("kestrune-cli"), args)) return -1;
    return child.Wait();
}

#ifndef _WIN32
// The same, with the command's standard error kept in `errors` and, when
// asked, its standard output in `output` (through files in home).
inline int RunCliKeepingErrors(const std::string& home, const std::vector<std::string>& args,
                               std::string& errors, std::string* output = nullptr) {
    const std::string errFile = home + "/stderr.txt", outFile = home + "/stdout.txt";
    std::string line = "'" + HelperPath("kestrune-cli") + "' --home '" + home + "'";
    for (const std::string& a : args) line += " '" + a + "'";
    line += " 2>'" + errFile + "'";
    if (output) line += " >'" + outFile + "'";
    ChildProcess child;
    if (!child.Start("/bin/sh", {"-c", line})) return -1;
    const int status = child.Wait();
    errors.clear();
    plat::ReadWholeFile(errFile, errors);
    if (output) {
        output->clear();
        plat::ReadWholeFile(outFile, *output);
    }
    return status;
}
#endif

}  // namespace ks::test
