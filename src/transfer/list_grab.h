// The list branch of the download worker: a UrlListGrab project fetches every
// wanted file named in a list file or on a web page, one after the other.
#pragma once

#include <string>
#include <vector>

namespace ks {

class CProject;
struct WorkerHooks;

struct UrlList {
    std::vector<std::string> urls;
    // Local file names, one per URL: the URL's own, or a numbered variant
    // when an earlier entry of the list has already taken that name.
    std::vector<std::string> localNames;
    bool cut = false;  // the list or the page was longer than the limits
};

// The message shown when the list file cannot be read.
inline constexpr const char* kListFileError = "Error reading list file!";

// Fills `list` from the project's source (a page URL or a list file) and sets
// seqFrom 1 and seqTo to the number of wanted URLs. False when the list file
// cannot be read or a stop came while the page was being fetched.
bool GetUrlList(CProject& project, const WorkerHooks& hooks, UrlList& list);

// Distinct local names for the URLs, in list order (see UrlList::localNames).
std::vector<std::string> DistinctLocalNames(const std::vector<std::string>& urls);

// The whole list branch; leaves the project's result for the worker's end.
// False when the worker must end at once, without its final report and save
// (the list file could not be read).
bool RunUrlListGrab(CProject& project, const WorkerHooks& hooks);

}  // namespace ks
