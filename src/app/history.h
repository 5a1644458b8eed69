// The three history texts (URLs, upload targets, search keywords): entries
// separated by "\r\n", newest first, kept to about kHistoryLimit characters,
// stored whole in one file each under the program folder.
// Used on the UI thread only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

inline constexpr std::size_t kHistoryLimit = 5000;
// A history file is read up to this size; a larger one is cut there (it only
// ever holds the newest entries first, so the cut loses the oldest).
inline constexpr std::size_t kHistoryFileMax = 1u << 20;

inline constexpr const char* kUrlHistoryFile = "history.txt";
inline constexpr const char* kUploadHistoryFile = "uploadhistory.txt";
inline constexpr const char* kSearchHistoryFile = "searchhistory.txt";

// Puts entry first unless it already occurs anywhere in the text (plain,
// case-sensitive substring search); then, if the text is longer than
// kHistoryLimit, drops everything from its last line feed on -- once, so the
// oldest entry goes. A carriage return left dangling at the end by that cut
// goes too, so the last entry never carries a stray "\r". Line breaks inside
// entry are removed: one entry is one line.
void AddToHistory(std::string& history, std::string_view entry);

// The entries in order, for drop-down lists (empty pieces skipped).
std::vector<std::string> HistoryEntries(std::string_view history);

struct Histories {
    std::string urls;
    std::string uploads;
    std::string searches;
};

// A missing or unreadable file gives an empty history.
std::string LoadHistory(const std::string& path);
// Replaces the file atomically. False on failure (callers ignore it at exit).
bool SaveHistory(const std::string& path, std::string_view history);

Histories LoadHistories(const std::string& programFolder);
bool SaveHistories(const std::string& programFolder, const Histories& h);
// Empties the three texts and deletes the three files (the confirmation
// question is the caller's).
void ClearHistories(const std::string& programFolder, Histories& h);

}  // namespace ks
