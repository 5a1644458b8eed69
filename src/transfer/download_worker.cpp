#include "transfer/download_worker.h"

#include <mutex>

#include "base/checkpoint.h"
#include "base/outcome.h"
#include "base/project.h"
#include "base/runtime.h"
#include "base/status_event.h"
#include "base/worker_threads.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "transfer/dispatch.h"
#include "transfer/external_program.h"
#include "transfer/list_grab.h"
#include "transfer/segments.h"
#include "transfer/url.h"

namespace ks {
namespace {

// Failures that a retry cannot mend: the server refused the request, its
// certificate is not trusted, or the local file cannot be written.
bool IsFinal(std::int32_t r) {
    return r == ResultHttpClientError || r == ResultFileError || r == ResultTlsFailure ||
           r == ResultRefused;
}

// Failures that concern one number of a series only: the next number may
// well be there. A local file or a certificate fails every number alike.
bool OnlyThisNumber(std::int32_t r) {
    return r != ResultFileError && r != ResultTlsFailure;
}

std::mutex& HooksMu() {
    static std::mutex mu;
    return mu;
}
WorkerHooks& HooksSlot() {
    static WorkerHooks hooks;
    return hooks;
}

// Sleeps up to ms, returning early once a stop is requested.
void SleepUnlessStopped(CProject& p, std::int64_t ms) {
    p.WaitForStop(ms);
}

int Dispatch(const WorkerHooks& h, CProject& p, const std::string& url) {
    return h.dispatch ? h.dispatch(p, url) : DispatchUrl(p, url);
}

void RunHidden(CProject& p, const WorkerHooks& h) {
    p.result.store(0);
    p.cancelViaConnection.store(true);
    NotifyActivity(true);
    if (!p.stopRequested.load()) Dispatch(h, p, p.GetText(&ProjectSettings::url));
    SleepUnlessStopped(p, 1000);
    NotifyActivity(false);
    const bool rearm = !p.released.load();
    std::int64_t seconds = GlobalRuntime().keepAliveSeconds.load();
    if (seconds == 0) seconds = 60;
    EndWorker(&p);
    if (rearm && h.keepAliveDone) h.keepAliveDone(seconds * 1000);
}

// Follows redirects and merge restarts. A redirect is a new target; a merge
// restarts the URL just requested, so only redirects count towards the cap.
int FetchAgain(CProject& p, const WorkerHooks& h, const std::string& u, int ok, bool& gaveUp) {
    int redirects = 0;
    while (p.result.load() == ResultFetchAgain && !p.stopRequested.load()) {
        p.result.store(0);
        p.nextUrl = ResolveLocation(u, p.nextUrl);
        if (p.nextUrl != p.requestedUrl && ++redirects > kMaxRedirects) {
            p.result.store(ResultNetwork);
            gaveUp = true;
            return 0;
        }
        ok = Dispatch(h, p, p.nextUrl);
    }
    return ok;
}

void DownloadLoop(CProject& p, const WorkerHooks& h) {
    ProjectSettings& s = p.settings;
    const bool sequential = s.sequential.load() != 0;
    if (!sequential) {
        s.seqFrom = 1;
        s.seqTo = 1;
    }
    const bool segmentWorker = p.segmentWorker.load();
    const bool series = sequential && s.seqDigits.load() != 0 && !segmentWorker;
    int failedAttempts = 0;
    int serverErrors = 0;
    std::string skippedWhy;
    p.result.store(0);
    p.ClearSkippedNumbers();
    p.SetFailureText({});
    for (std::int64_t i = s.seqFrom.load(); i <= s.seqTo.load(); ++i) {
        p.result.store(0);
        if (p.stopRequested.load()) {
            p.active.store(false);
            break;
        }
        std::string u = p.GetText(&ProjectSettings::url);
        if (s.seqDigits.load() != 0 && sequential)
            u = SequenceUrl(u, i, s.seqDigits.load(), p.GetText(&ProjectSettings::seqSuffix));
        p.SetCurrentUrl(u);
        if (h.mirrorLookup) h.mirrorLookup(p);
        p.nextUrl.clear();
        p.noMoreSegments.store(false);

        int ok = Dispatch(h, p, u);
        p.rate.store(0);
        if (segmentWorker) {
            ok = 1;
            p.result.store(0);
        }
        bool gaveUp = false;
        ok = FetchAgain(p, h, u, ok, gaveUp);
        if (gaveUp) break;

        const std::int32_t r = p.result.load();
        if (ok) {
            serverErrors = 0;
            failedAttempts = 0;
            if (!WaitForSegments(p)) {
                s.seqFrom.fetch_add(1);
                CleanupSegments(p);
                NotifyRow(p, StatusEvent::Completed);
                if (!segmentWorker) {
                    if (h.afterDownload)
                        h.afterDownload(p.localPath);
                    else
                        RunExternalProgram(p.localPath);
                }
            }
            p.result.store(0);
            if (i < s.seqTo.load()) SaveCheckpoint(p);
        } else if (r < 0) {
            if (p.stopRequested.load()) {
                p.active.store(false);
                if (r != ResultInvalidUrl) p.result.store(0);
                break;
            }
            serverErrors = (r == ResultHttpServerError) ? serverErrors + 1 : 0;
            const std::int32_t limit = p.attemptLimit.load();
            const bool spent = limit > 0 && ++failedAttempts >= limit;
            // A refusal by the server will not change on a retry.
            if (IsFinal(r) || serverErrors > kMaxServerErrorRetries || spent) {
                if (!series || !OnlyThisNumber(r)) break;
                // One number the server will not give does not cost the
                // numbers after it; the caller learns which were passed over.
                p.AddSkippedNumber(i);
                skippedWhy = p.FailureText();
                s.seqFrom.fetch_add(1);
                serverErrors = 0;
                failedAttempts = 0;
                p.result.store(0);
                if (i < s.seqTo.load()) SaveCheckpoint(p);
                continue;
            }
            p.result.store(0);
            RetryWait(p);
            --i;  // the same number again
        } else {
            serverErrors = 0;
        }
    }
    // The reason a number was passed over outlives the numbers fetched after it.
    if (p.result.load() >= 0 && !p.SkippedNumbers().empty()) p.SetFailureText(skippedWhy);
}

// False when the worker must end without its final report.
bool RunList(CProject& p, const WorkerHooks& h) {
    if (!h.urlList) return RunUrlListGrab(p, h);
    h.urlList(p);
    return true;
}

void Finish(CProject& p, const WorkerHooks& h) {
    const bool stopped = WaitForSegments(p);
    const std::int32_t r = p.result.load();
    StatusEvent event;
    if (r == ResultInvalidUrl) {
        event = StatusEvent::InvalidUrl;
    } else if (r < 0) {
        event = StatusEvent::Error;
    } else if (stopped) {
        event = StatusEvent::Stopped;
    } else {
        CleanupSegments(p);
        event = StatusEvent::Completed;
    }
    NotifyRow(p, event);
    SaveOutcome(p, event);
    if (h.mirrorLookupEnd) {
        h.mirrorLookupEnd(p);
    } else if (p.pingThread.load()) {
        p.CancelPing();
        p.SetPingConnection(nullptr);
    }
    if (p.settings.segments.load() > 0) StopSegments(p);
    p.rate.store(0);
    NotifyActivity(false);
    SaveCheckpoint(p);
    EndWorker(&p);
}

}  // namespace

void SetWorkerHooks(WorkerHooks hooks) {
    std::lock_guard<std::mutex> g(HooksMu());
    HooksSlot() = std::move(hooks);
}

WorkerHooks GetWorkerHooks() {
    std::lock_guard<std::mutex> g(HooksMu());
    return HooksSlot();
}

void RetryWait(CProject& p) {
    if (p.segmentWorker.load()) return;
    const std::int32_t n = GlobalRuntime().retryWaitSeconds.load();
    NotifyRow(p, StatusEvent::Error);
    SleepUnlessStopped(p, GlobalRuntime().errorPauseMs.load());
    for (std::int32_t k = 0; k < n; ++k) {
        p.retryCountdown.store(n - k);
        NotifyRow(p, StatusEvent::Retrying);
        SleepUnlessStopped(p, 1000);
        if (p.stopRequested.load()) break;
    }
    p.retryCountdown.store(0);
}

bool WaitForSegments(CProject& p) {
    return WaitForSegmentsToEnd(p);
}

int DownloadWorker(CProject* project) {
    CProject& p = *project;
    // The queue marks the project running before this thread exists; a stop that
    // came first still ends through EndWorker.
    if (p.stopRequested.load()) {
        EndWorker(project);
        return 0;
    }
    p.workerRunning.store(true);
    if (!plat::SocketLayerInit()) {
        EndWorker(project);
        return 0;
    }
    const WorkerHooks h = GetWorkerHooks();
    if (p.hidden.load()) {
        RunHidden(p, h);
        return 0;
    }
    if (p.settings.Kind() == ProjectKind::UrlListGrab && !p.segmentWorker.load()) {
        if (!RunList(p, h)) {
            EndWorker(project);
            return 0;
        }
    } else {
        DownloadLoop(p, h);
    }
    Finish(p, h);
    return 0;
}

}  // namespace ks
