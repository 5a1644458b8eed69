// Starting other programs.
#pragma once

#include <string>
#include <vector>

namespace ks::plat {

// Starts commandLine (program path first, quoted as Windows quotes it) without
// waiting for it; the window, if any, starts minimised. False if it could not start.
bool StartProcess(const std::string& commandLine);
// Opens a file or URL with the user's associated program.
bool ShellOpen(const std::string& target);
// Splits a Windows-style command line into arguments (the rules of the C runtime).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace ks::plat
