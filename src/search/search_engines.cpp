// The engine phase: one thread per engine, at most "maxthread" at once, the
// worker merging each engine's hits as soon as its thread is done.
#include <algorithm>
#include <list>
#include <memory>
#include <thread>
#include <unordered_set>

#include "base/project.h"
#include "base/runtime.h"
#include "base/status_event.h"
#include "platform/clock.h"
#include "search/extract.h"
#include "search/page_fetch.h"
#include "search/query.h"
#include "search/results_page.h"
#include "search/search_phase.h"
#include "transfer/http_connection.h"
#include "transfer/url.h"

namespace ks {
namespace {

struct EngineQuery {
    int engine = 0;
    bool withQuery = false;  // its query was not empty when launched
    std::string text;        // the page, then its hit lines; the worker reads it after done
    std::atomic<bool> done{false};
    CancelSlot slot;
    std::thread thread;
};

// One exchange in page mode, cancellable through the slot. The body on
// success, else empty; the connection stays readable for its headers.
bool Exchange(CHttpConnection& c, const SearchRequest& r, const std::string& request,
              CancelSlot& slot) {
    c.host = r.connectHost;
    c.port = r.connectPort;
    LimitPage(c);
    CancelScope scope(slot, c);
    return c.SendAndReceive(request) == 1;
}

void RunEngine(CProject& project, const EngineDefs& defs, const SearchPlan& plan, EngineQuery& q) {
    const std::string query =
        ComposeQuery(defs, plan.category, q.engine, plan.method, 1, plan.maxResults, plan.keywords);
    SearchRequest r;
    if (!query.empty() && PlanSearchRequest(query, GlobalRuntime().Proxy(), r)) {
        // The probe collects the cookies some engines insist on seeing again.
        CHttpConnection probe;
        Exchange(probe, r, BuildProbeRequest(r), q.slot);
        // Sent back as collected, without the blank that followed "Set-Cookie:".
        std::string cookies = probe.cookieText;
        cookies.erase(0, cookies.find_first_not_of(" \t"));
        CHttpConnection conn;
        if (!project.stopRequested.load() &&
            Exchange(conn, r, BuildQueryRequest(r, probe.cookieFlag, cookies), q.slot)) {
            const EngineDef engine = defs.Engine(plan.category, q.engine);
            ExtractContext ctx;
            ctx.engine = &engine;
            ctx.types = plan.types;
            ctx.stop = &project.stopRequested;
            ctx.fetch = [&project](const std::string& url) {
                return FetchSearchPage(project, url);
            };
            q.text = ExtractHits(conn.pageText, ctx);
        }
    }
    q.done.store(true, std::memory_order_release);
    project.WakeWaiters();
}

class Merger {
  public:
    Merger(const SearchPlan& plan, EnginePhaseResult& out) : plan_(plan), out_(out) {}

    // Adds an engine's lines; returns how many hits were new.
    int Add(const std::string& lines, const EngineDef& engine) {
        int added = 0;
        std::size_t pos = 0;
        while (pos < lines.size()) {
            std::size_t end = lines.find('\n', pos);
            if (end == std::string::npos) end = lines.size();
            if (AddLine(std::string_view(lines).substr(pos, end - pos), engine)) ++added;
            pos = end + 1;
        }
        return added;
    }

  private:
    bool AddLine(std::string_view line, const EngineDef& engine) {
        std::size_t a = line.find("||");
        if (a == std::string_view::npos) return false;
        SearchHit hit;
        hit.url = std::string(line.substr(0, a));
        // Only web and ftp addresses reach the page; the rest could be scripts.
        if (!IsWebOrFtpAddress(hit.url)) return false;
        if (!seen_.insert(AsciiLower(hit.url)).second) return false;
        std::size_t b = line.find("||", a + 2);
        hit.title = std::string(line.substr(a + 2, b == std::string_view::npos ? b : b - a - 2));
        if (b != std::string_view::npos) {
            std::size_t c = line.find("||", b + 2);
            hit.description =
                std::string(line.substr(b + 2, c == std::string_view::npos ? c : c - b - 2));
        }
        if (hit.title.empty()) hit.title = hit.url;
        hit.index = static_cast<int>(out_.hits.size());
        hit.engineName = engine.name;
        hit.engineHome = engine.home;
        HitLineInput in{hit.index,
                        hit.url,
                        hit.title,
                        hit.description,
                        hit.engineName,
                        hit.engineHome,
                        plan_.copyFolderName + "/" + std::to_string(hit.index) + ".html"};
        out_.hitLines += HitLine(in, plan_.types, plan_.copies);
        out_.hits.push_back(std::move(hit));
        return true;
    }

    const SearchPlan& plan_;
    EnginePhaseResult& out_;
    std::unordered_set<std::string> seen_;
};

}  // namespace

EnginePhaseResult RunEnginePhase(CProject& project, const EngineDefs& defs,
                                 const SearchPlan& plan) {
    EnginePhaseResult out;
    Merger merger(plan, out);
    std::list<std::unique_ptr<EngineQuery>> queries;  // newest first
    std::string finished;
    int next = 1, launchedWithQuery = 0;
    bool allLaunched = false;
    for (;;) {
        const bool stop = project.stopRequested.load();
        std::string running;
        int runningCount = 0, runningWithQuery = 0;
        for (auto it = queries.begin(); it != queries.end();) {
            EngineQuery& q = **it;
            const EngineDef engine = defs.Engine(plan.category, q.engine);
            const std::string name = engine.section.empty() ? std::string() : engine.name;
            if (q.done.load(std::memory_order_acquire)) {
                if (q.thread.joinable()) q.thread.join();
                const int added = merger.Add(q.text, engine);
                finished += name + ":  ---(" + std::to_string(added) + ")\r\n";
                it = queries.erase(it);
                continue;
            }
            if (stop) q.slot.Cancel();
            ++runningCount;
            if (q.withQuery) ++runningWithQuery;
            running += name + ":  ...searching...\r\n";
            ++it;
        }
        project.SetSearchStatus(finished, running);
        // Engines without a query finish at once and never counted as launched,
        // so they do not count as running either: progress stays within 0..total.
        project.settings.savedProgress = launchedWithQuery - runningWithQuery;
        NotifyRow(project, StatusEvent::Searching);
        if (runningCount < plan.maxThread && !allLaunched && !stop) {
            auto q = std::make_unique<EngineQuery>();
            q->engine = next;
            q->withQuery = !ComposeQuery(defs, plan.category, next, plan.method, 1, plan.maxResults,
                                         plan.keywords)
                                .empty();
            if (q->withQuery) ++launchedWithQuery;
            EngineQuery* raw = q.get();
            queries.push_front(std::move(q));
            try {
                raw->thread = std::thread(
                    [&project, &defs, &plan, raw] { RunEngine(project, defs, plan, *raw); });
            } catch (...) {
                raw->done.store(true,
                                std::memory_order_release);  // counts as an engine without hits
            }
            if (++next > plan.engineCount) allLaunched = true;
            continue;
        }
        if (queries.empty()) break;
        // Until an engine is done or a stop comes (after a stop, until a
        // cancelled engine is done); at least once a tick, so the row keeps
        // moving while the engines are slow.
        project.WaitUntil(kSearchTickMs, [&] {
            if (!stop && project.stopRequested.load()) return true;
            return std::any_of(queries.begin(), queries.end(), [](const auto& q) {
                return q->done.load(std::memory_order_acquire);
            });
        });
    }
    return out;
}

}  // namespace ks
