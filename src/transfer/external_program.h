// The after-download action: an external program (a virus scanner, say) run on
// every file a download completes.
#pragma once

#include <string>

namespace ks {

// The command line that starts program on a downloaded file: the quoted
// program, the path as it is, then the parameters (the blank before them is
// there even when they are empty).
std::string ExternalCommandLine(const std::string& program, const std::string& downloadedPath,
                                const std::string& params);

// Starts the configured program on downloadedPath without waiting for it.
// Does nothing when the action is off or the program or the file is missing.
// Returns whether a program was started; callers may ignore it.
bool RunExternalProgram(const std::string& downloadedPath);

}  // namespace ks
