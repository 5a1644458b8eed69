// The offline phase: a text-only copy of every hit, at most kMaxCopyThreads
// at once. Copy files are named only from the search's own numbers (its
// frameset name and the hit's index), never from anything an engine sent.
#include <algorithm>
#include <list>
#include <memory>
#include <thread>

#include "base/project.h"
#include "base/runtime.h"
#include "base/status_event.h"
#include "base/text.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "search/page_fetch.h"
#include "search/query.h"
#include "search/search_phase.h"
#include "search/search_worker.h"
#include "transfer/http_connection.h"
#include "transfer/url.h"

namespace ks {
namespace {

struct CopyJob {
    const SearchHit* hit = nullptr;
    std::atomic<bool> done{false};
    int result = 0;  // read after done
    CancelSlot slot;
    std::thread thread;
};

bool Contains(const std::string& s, const char* what) {
    return s.find(what) != std::string::npos;
}

}  // namespace

int CopyHitPage(CProject& project, const SearchHit& hit, const std::string& copyFolder,
                CancelSlot& slot) {
    std::string url = hit.url;
    for (int attempt = 0; attempt < 2; ++attempt) {
        SearchRequest r;
        if (!PlanSearchRequest(url, GlobalRuntime().Proxy(), r)) return 0;
        CHttpConnection c;
        c.host = r.connectHost;
        c.port = r.connectPort;
        LimitPage(c);
        int ok;
        {
            CancelScope scope(slot, c);
            ok = c.SendAndReceive(BuildQueryRequest(r, false, {}));
        }
        if (!ok || project.stopRequested.load()) return 0;
        if (Contains(c.statusLine, "50") || Contains(c.statusLine, "40")) return 0;
        // One redirect is followed; the answer to a second is saved as it is.
        if (attempt == 0 && Contains(c.statusLine, "30")) {
            url = ResolveLocation(url, TrimSpacesTabs(WithoutLineBreaks(c.location)));
            continue;
        }
        if (c.pageText.empty() || copyFolder.empty()) return 0;
        plat::MakeDirs(copyFolder);
        const std::string path = plat::JoinPath(copyFolder, std::to_string(hit.index) + ".html");
        return plat::WriteFileAtomic(path, c.pageText) ? 1 : 0;
    }
    return 0;
}

int RunOfflinePhase(CProject& project, const std::vector<SearchHit>& hits, const SearchPlan& plan,
                    const std::string& dataFolder) {
    const int total = static_cast<int>(hits.size());
    project.settings.totalSize = total;
    NotifyRow(project, StatusEvent::SearchDownloading);
    if (!plan.copies) {
        project.settings.savedProgress = total;
        return total;
    }
    const std::string copyFolder = plat::JoinPath(dataFolder, plan.copyFolderName);
    std::list<std::unique_ptr<CopyJob>> jobs;
    int copied = 0, next = total - 1;  // the newest hit first
    while (copied < total) {
        NotifyRow(project, StatusEvent::SearchDownloading);
        const bool stop = project.stopRequested.load();
        int running = 0;
        for (auto it = jobs.begin(); it != jobs.end();) {
            CopyJob& j = **it;
            if (j.done.load(std::memory_order_acquire)) {
                if (j.thread.joinable()) j.thread.join();
                ++copied;
                it = jobs.erase(it);
                continue;
            }
            if (stop) j.slot.Cancel();
            ++running;
            ++it;
        }
        project.settings.savedProgress = copied;
        if (running < kMaxCopyThreads && next >= 0) {
            auto job = std::make_unique<CopyJob>();
            job->hit = &hits[static_cast<std::size_t>(next--)];
            CopyJob* raw = job.get();
            jobs.push_back(std::move(job));
            if (stop) {
                raw->done.store(true, std::memory_order_release);
                continue;
            }
            try {
                raw->thread = std::thread([&project, &copyFolder, raw] {
                    raw->result = CopyHitPage(project, *raw->hit, copyFolder, raw->slot);
                    raw->done.store(true, std::memory_order_release);
                    project.WakeWaiters();
                });
            } catch (...) {
                raw->done.store(true, std::memory_order_release);
            }
            continue;
        }
        if (copied >= total) break;
        // Until a copy is done or a stop comes (after a stop, until a
        // cancelled copy is done), at least once a tick for the row.
        project.WaitUntil(kSearchTickMs, [&] {
            if (!stop && project.stopRequested.load()) return true;
            return std::any_of(jobs.begin(), jobs.end(), [](const auto& j) {
                return j->done.load(std::memory_order_acquire);
            });
        });
    }
    project.settings.savedProgress = copied;
    return copied;
}

}  // namespace ks
