// A plain page download: HTTP/1.0 GET of one address, following redirects,
// body kept in memory. Used for list pages, search engines' digs and the
// engine update. Safe to run on several threads for one project at once:
// each fetch registers its own connection, so a stop cancels all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ks {

class CProject;

// Redirects followed after the first request.
inline constexpr int kMaxPageRedirects = 6;
// A page body longer than this is cut; pages are read whole into memory.
inline constexpr std::size_t kMaxFetchedPageBytes = 4 * 1024 * 1024;

struct PageFetch {
    std::string body;         // of the last answer, whatever its status
    std::int32_t result = 0;  // ResultCode: 0, -1 (no answer), -3 (not an http address)
    int statusCode = 0;       // of the last answer; 0 without one
    std::string finalUrl;     // the address the body came from
    int redirects = 0;
    bool truncated = false;  // the body was longer than the limit
};

// The exact request: every line ends in CR LF, closed by an empty line.
std::string BuildPageRequest(const std::string& target, const std::string& host);

// Fetches url for project (whose stopRequested ends it early). Does not touch
// project.result. limit: the most body bytes kept.
PageFetch FetchPageDetailed(CProject& project, const std::string& url,
                            std::size_t limit = kMaxFetchedPageBytes);
// The body alone, empty on failure.
std::string FetchPage(CProject& project, const std::string& url);

}  // namespace ks
