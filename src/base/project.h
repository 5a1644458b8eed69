// The project record: one job-list row, a segment worker, or the hidden
// keep-alive fetcher.
//
// Thread rules. The UI thread and one worker thread (plus segment workers)
// share a project. Flags and counters are atomics. The strings of `settings`
// and the other shared strings are read and replaced only under `mu` (use
// GetText/SetText or Snapshot); strings marked "worker-owned" below are only
// touched by the project's own worker. The blocking call a stop must cancel is
// reached through SetConnection/SetClient/CancelBlocking, which share a lock
// with the worker that installs and removes it, so the UI never cancels an
// object that the worker has just destroyed.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/atom.h"
#include "base/segment_list.h"

namespace ks {

enum class ProjectKind : std::int32_t { Download = 0, UrlListGrab = 1, FtpUpload = 2, Search = 3 };

// ResultCode values left in CProject::result.
enum ResultCode : std::int32_t {
    ResultOk = 0,
    ResultNetwork = -1,     // connect, send or receive failed, or timed out
    ResultIncomplete = -2,  // closed early, or an HTML page for a file
    ResultInvalidUrl = -3,
    ResultFetchAgain = -4,  // redirect or segment merge: fetch nextUrl
    // The server refused the request (4xx): retrying cannot help, the
    // project ends as an error.
    ResultHttpClientError = -5,
    // The server failed (5xx): retried like a network failure, but only a
    // few times in a row.
    ResultHttpServerError = -6,
    // The local file could not be opened or written: the project ends as an
    // error instead of counting as done.
    ResultFileError = -7,
    // The TLS handshake failed or the server's certificate is not trusted: a
    // bad certificate does not heal by retrying, so the project ends as an
    // error. (A connection lost during the handshake is ResultNetwork.)
    ResultTlsFailure = -8,
    // The FTP server refused the file for good (a 5xx reply to RETR, STOR or
    // LIST, a missing file) or the local file is longer than the remote one:
    // a retry would be refused alike, so the file is passed over.
    ResultRefused = -9,
};

// Something a stop request can interrupt: an HTTP connection's socket or the
// FTP client.
class Cancellable {
  public:
    virtual ~Cancellable() = default;
    virtual void Cancel() = 0;
};

// The 24 persistent fields, in record order. Sizes and offsets are 64-bit
// inside; the project file keeps them as decimal text.
struct ProjectSettings {
    Atom<std::int32_t> position{0};
    std::string url;
    std::string seqSuffix;
    Atom<std::int32_t> seqDigits{1};
    Atom<std::int32_t> seqFrom{1};
    Atom<std::int32_t> seqTo{1};
    Atom<std::int64_t> savedProgress{0};
    Atom<std::int64_t> totalSize{0};
    std::string folder;
    void* ownerList = nullptr;  // the list the row lives in; not persisted
    std::string projectFile;
    std::string fileName;
    std::string source;
    std::string mirrorFile;
    std::string password;
    std::string userName;
    Atom<std::int32_t> kind{0};  // ProjectKind
    Atom<std::int32_t> uploadMode{0};
    Atom<std::int32_t> sequential{0};
    Atom<std::int32_t> disabled{0};
    Atom<std::int32_t> autoMirror{0};
    Atom<std::int32_t> pingFastest{0};
    Atom<std::int32_t> segments{0};
    std::string segmentFile;

    ProjectKind Kind() const { return static_cast<ProjectKind>(kind.load()); }
};

class CProject {
  public:
    CProject();
    explicit CProject(const ProjectSettings& s);
    virtual ~CProject();
    CProject(const CProject&) = delete;
    CProject& operator=(const CProject&) = delete;

    // Run-time reset: every run-time member to its starting value.
    void ResetRuntime();

    // Shared strings (fields of `settings`, currentUrl, mirrors) under `mu`.
    std::string GetText(std::string ProjectSettings::*field) const;
    void SetText(std::string ProjectSettings::*field, std::string value);
    ProjectSettings Snapshot() const;
    std::string CurrentUrl() const;
    void SetCurrentUrl(std::string u);
    std::vector<std::string> Mirrors() const;
    void SetMirrors(std::vector<std::string> m);
    // Mirrors that served another file or refused: segments skip them for the
    // rest of the run.
    void RejectMirror(const std::string& url);
    bool MirrorRejected(const std::string& url) const;
    // The mirror lookup's additions: appended unless an entry equal without
    // regard to case is there. False when it was there.
    bool AddMirrorIfNew(const std::string& url);
    std::size_t MirrorCount() const;
    // Replaces the list only if it still is `seen` (the ping order must not
    // undo an edit made while the pings ran).
    bool ReplaceMirrorsIf(const std::vector<std::string>& seen, std::vector<std::string> next);
    // Why the last attempt failed, in words for the user (for example a
    // certificate's fault); empty when the result code says it all.
    std::string FailureText() const;
    void SetFailureText(std::string text);
    // Numbers of a series passed over because the server would not give
    // them; a run starts with none.
    std::vector<std::int64_t> SkippedNumbers() const;
    void AddSkippedNumber(std::int64_t number);
    void ClearSkippedNumbers();
    // A search's status lines: engines finished, then engines still running.
    // The Search dialog reads them while the worker replaces them.
    std::string SearchStatus() const;
    void SetSearchStatus(std::string finished, std::string running);

    // The blocking call in progress (worker thread installs and clears it).
    void SetConnection(Cancellable* c);
    void SetClient(Cancellable* c);
    void SetPingConnection(Cancellable* c);
    // Page fetches register here, one per thread that fetches (a list grab's
    // worker, a search's engine threads); a stop cancels every one of them.
    void AddPageConnection(Cancellable* c);
    void RemovePageConnection(Cancellable* c);
    // Stop side: cancels `connection` when cancelViaConnection is set, else the
    // client when clientOpen is set, and every page fetch. Safe from any thread.
    void CancelBlocking();
    void CancelPing();

    // Sets stopRequested and wakes every WaitForStop. Any thread.
    void SignalStop();
    // Sleeps up to ms; returns early (true) once a stop is requested.
    bool WaitForStop(std::int64_t ms);
    // Sleeps up to ms until ready() holds (true), re-checking it at each stop
    // and each WakeWaiters. ready runs on the waiting thread.
    bool WaitUntil(std::int64_t ms, const std::function<bool()>& ready);
    // A helper thread of this project changed what a WaitUntil looks at. Any thread.
    void WakeWaiters();
    // The mirror lookup thread's last touch of its project: clears pingThread and
    // wakes its waiter under one lock, so the waiter (who may let the project go
    // at once) cannot see the flag clear before the wake-up is done.
    void EndPingThread();

    mutable std::mutex mu;  // guards the strings of settings, currentUrl, mirrors

    std::atomic<bool> mergeFlag{false};
    // The main file has been given its disk space (see ReserveMergeSpace).
    std::atomic<bool> spaceReserved{false};
    std::atomic<bool> pingThread{false};  // a mirror lookup thread runs
    // Set by the download worker at its end: the lookup asks and pings no more.
    std::atomic<bool> pingStop{false};
    std::atomic<std::int32_t> retryCountdown{5};
    ProjectSettings settings;
    std::atomic<bool> active{false};
    std::atomic<bool> queued{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> workerRunning{false};
    std::atomic<bool> cancelViaConnection{true};
    std::atomic<bool> deleteFiles{false};
    std::atomic<bool> hidden{false};
    std::atomic<bool> loggedOn{false};
    // The queue has let go of it (row deleted, program closing): a hidden
    // fetcher then does not arm its next round.
    std::atomic<bool> released{false};
    std::atomic<bool> clientOpen{false};
    std::atomic<bool> segmentWorker{false};
    std::atomic<bool> noMoreSegments{false};
    std::atomic<bool> cookiePending{false};
    std::atomic<bool> resumable{false};
    std::string cookieText;     // worker-owned
    std::string cookieHost;     // worker-owned: the host cookieText came from
    bool cookieSecure = false;  // worker-owned: cookieText came over https
    std::atomic<std::int32_t> result{0};
    // Failed attempts after which the worker gives up with "Error"; 0: never.
    std::atomic<std::int32_t> attemptLimit{0};
    // URL list grab: the links kept when the list or page was longer than the
    // limits and the rest went unread; -1 when it was read whole.
    std::atomic<std::int64_t> listCutAt{-1};
    std::atomic<std::int32_t> imageBase{4};
    std::atomic<std::int64_t> bytesDone{0};
    std::atomic<std::int64_t> bytesSinceTick{0};
    std::atomic<double> rate{0.001};
    std::atomic<std::int32_t> nextMirror{0};
    CProject* parentProject = nullptr;  // segment worker: the project it serves
    std::string localPath;              // worker-owned
    std::string nextUrl;                // worker-owned
    std::string requestedUrl;           // worker-owned
    // Worker-owned: when set, the local file name the clients use instead of
    // the one the URL gives (a list naming two files alike).
    std::string localName;
    // Own lock inside. A segment worker (owned by its thread, named by its
    // node through CSegment::worker) hands its node back (ReturnSegment) under
    // this lock at its last checkpoint or in EndWorker; after that it must not
    // touch its parent any more. The parent's worker waits for every segment
    // (WaitForSegments), so a parent always outlives its segment workers.
    SegmentList segmentList;
    CSegment* servedSegment = nullptr;  // segment worker: its node
    std::atomic<std::int64_t> lastTick{0};

  private:
    void ReleaseSegments();
    void DeleteProjectFiles();
    static void DeleteSearchResults(const ProjectSettings& s);

    std::string currentUrl_;
    std::string failureText_;
    std::vector<std::int64_t> skippedNumbers_;
    std::vector<std::string> mirrors_;
    std::vector<std::string> rejectedMirrors_;
    std::string searchFinished_, searchRunning_;
    std::mutex cancelMu_;
    std::mutex stopMu_;
    std::condition_variable stopCv_;
    Cancellable* connection_ = nullptr;
    Cancellable* client_ = nullptr;
    Cancellable* pingConnection_ = nullptr;
    std::vector<Cancellable*> pageConnections_;
};

}  // namespace ks
