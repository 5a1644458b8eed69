// The search worker: one thread per running search. It queries the engines of
// the search's category, several at a time, merges their hits without
// repeats, fetches the offline copies and writes the results page and its
// frameset into the program folder's "Data".
#pragma once

#include <functional>
#include <string>

namespace ks {

class CProject;

// What a search needs from the program around it. Any member may be empty.
struct SearchHooks {
    // "Update search engines?" on the worker's thread; true for yes.
    std::function<bool()> askEngineUpdate;
    // Opens the finished frameset page in the user's browser.
    std::function<void(const std::string&)> openResults;
    // A search has finished (the main window settles its tray icon).
    std::function<void()> searchEnded;
};
void SetSearchHooks(SearchHooks hooks);
SearchHooks CurrentSearchHooks();

// "<program folder>/search.ini" and "<program folder>/Data".
std::string SearchIniPath();
std::string SearchDataFolder();

// Copy threads that may run at once during the offline phase.
inline constexpr int kMaxCopyThreads = 7;

// The body of a Search project's worker thread (ends with EndWorker).
void SearchWorker(CProject* project);
// The whole search, from the update check to the written pages.
void RunSearch(CProject& project);

}  // namespace ks
