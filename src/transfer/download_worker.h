// The thread body that runs a Download or UrlListGrab project, a segment of a
// segmented download, or the hidden keep-alive fetcher: a series of fetches
// with redirects, retries after failures and the final report and save.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ks {

class CProject;

// Consecutive redirects followed for one file before the project ends with "Error".
inline constexpr int kMaxRedirects = 20;
// Consecutive server errors (5xx) retried before the project ends with "Error".
inline constexpr int kMaxServerErrorRetries = 5;

// Thread entry. Returns 0. Ends with EndWorker, so the project may be gone afterwards.
int DownloadWorker(CProject* project);
// The pause between two attempts: "Error", then "Retrying...(n)" counting down.
void RetryWait(CProject& project);
// Waits while any segment of the project is transferring; returns stopRequested.
bool WaitForSegments(CProject& project);

// Collaborators that live in other parts of the engine (or are replaced by
// tests). Unset members fall back to the built-in behaviour.
struct WorkerHooks {
    // Default: DispatchUrl.
    std::function<int(CProject&, const std::string&)> dispatch;
    // The URL list branch (UrlListGrab); returns like the download loop leaves result.
    // Default: RunUrlListGrab.
    std::function<void(CProject&)> urlList;
    // Mirror lookup before each fetch, and its end when the worker ends (the
    // lookup must be done with the project before the worker lets it go).
    std::function<void(CProject&)> mirrorLookup;
    std::function<void(CProject&)> mirrorLookupEnd;
    // After each completed file (not for segment workers): the after-download action.
    std::function<void(const std::string& localPath)> afterDownload;
    // The keep-alive fetch ended; arm the next one in ms.
    std::function<void(std::int64_t ms)> keepAliveDone;
    // A message for the user ("Error reading list file!"). Called on the
    // worker's thread; must not wait for the UI thread.
    std::function<void(const std::string& text)> message;
};
void SetWorkerHooks(WorkerHooks hooks);
WorkerHooks GetWorkerHooks();

}  // namespace ks
