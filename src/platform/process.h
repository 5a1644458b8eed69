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
// Opens a local HTML page in the user's browser: on Windows the program
// registered for ".htm" (so results open in the browser even where ".html"
// belongs to an editor), elsewhere xdg-open. False if nothing was started.
bool OpenInBrowser(const std::string& path);
// Splits a Windows-style command line into arguments (the rules of the C runtime).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace ks::plat
