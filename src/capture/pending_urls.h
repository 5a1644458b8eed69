// URLs captured but not yet turned into projects outlive the program: those
// still pending at exit are written to "pending.txt" in the program folder and
// offered again at the next start, so a URL the user captured is never lost.
#pragma once

#include <string>
#include <vector>

namespace ks {

inline constexpr char kPendingFileName[] = "pending.txt";
// A list longer than this is not the program's own: the rest is dropped.
inline constexpr std::size_t kMaxPendingUrls = 10000;

// Writes the URLs one per line (a line feed after each), replacing the file
// at once; an empty list removes it. False when it could not be written.
bool SavePendingUrls(const std::string& programFolder, const std::vector<std::string>& urls);

// Reads the saved list and removes the file, so each URL is offered once.
// Lines that are not acceptable URLs (AcceptableUrl) are skipped.
std::vector<std::string> TakeSavedPendingUrls(const std::string& programFolder);

}  // namespace ks
