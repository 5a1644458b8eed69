#include "search/mirror_lookup.h"

#include "base/project.h"
#include "base/runtime.h"
#include "base/worker_threads.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "search/engine_defs.h"
#include "search/extract.h"
#include "search/page_fetch.h"
#include "search/query.h"
#include "transfer/download_worker.h"
#include "transfer/http_connection.h"
#include "transfer/ping.h"
#include "transfer/url.h"

namespace ks {
namespace {

// How often the worker's end re-cancels a lookup that has not let go yet.
constexpr std::int64_t kEndLookupRecheckMs = 200;

bool LookupGoesOn(const CProject& p) {
    return !p.stopRequested.load() && !p.pingStop.load() && p.workerRunning.load();
}

// The ping connection's slot for one engine query; a stop that came before
// the registration still reaches the connection.
class PingRegistration {
  public:
    PingRegistration(CProject& p, CHttpConnection& c) : p_(p) {
        p_.SetPingConnection(&c);
        if (!LookupGoesOn(p_)) c.Cancel();
    }
    ~PingRegistration() { p_.SetPingConnection(nullptr); }
    PingRegistration(const PingRegistration&) = delete;
    PingRegistration& operator=(const PingRegistration&) = delete;

  private:
    CProject& p_;
};

// The bare request: no Host, no User-Agent, no content type.
std::string MinimalRequest(const SearchRequest& r) {
    std::string s = (r.post ? "POST " : "GET ") + r.target + " HTTP/1.0\r\n";
    if (r.post)
        s += "Content-Length: " + std::to_string(r.body.size()) + "\r\n\r\n" + r.body;
    else
        s += "\r\n";
    return s;
}

std::string AskEngine(CProject& p, const std::string& query) {
    SearchRequest req;
    if (!PlanSearchRequest(query, GlobalRuntime().Proxy(), req)) return {};
    CHttpConnection conn;
    conn.host = req.connectHost;
    conn.port = req.connectPort;
    conn.pageLimit = kMaxEnginePage;
    int ok;
    {
        PingRegistration reg(p, conn);
        ok = conn.SendAndReceive(MinimalRequest(req));
    }
    return ok ? std::move(conn.pageText) : std::string();
}

void QueryEngine(CProject& p, const EngineDefs& defs, int m, const std::string& sought,
                 const std::vector<std::string>& fileTypes) {
    if (p.segmentWorker.load() || !LookupGoesOn(p)) return;
    const std::string query = ComposeQuery(defs, kMirrorCategory, m, SearchMethod::ExactPhrase, 1,
                                           kMirrorHitCount, sought);
    if (query.empty()) return;
    const std::string page = AskEngine(p, query);
    if (page.empty() || !LookupGoesOn(p)) return;
    const EngineDef engine = defs.Engine(kMirrorCategory, m);
    const std::string types = defs.CategoryTypes(kMirrorCategory);
    ExtractContext ctx;
    ctx.engine = &engine;
    ctx.types = types;
    ctx.stop = &p.stopRequested;
    ctx.fetch = [&p](const std::string& url) { return FetchSearchPage(p, url); };
    for (const std::string& m : MirrorCandidates(ExtractHits(page, ctx), sought, fileTypes))
        p.AddMirrorIfNew(m);
}

void OrderMirrorsByPing(CProject& p, const std::function<std::int32_t(const std::string&)>& ping) {
    if (!p.settings.pingFastest.load() || !LookupGoesOn(p)) return;
    const std::vector<std::string> mirrors = p.Mirrors();
    if (mirrors.size() < 2) return;
    std::vector<std::int32_t> times;
    for (const std::string& m : mirrors) {
        if (!LookupGoesOn(p)) break;
        times.push_back(ping(m));
    }
    // Mirrors not pinged because the lookup ended count as unanswered.
    p.ReplaceMirrorsIf(mirrors, OrderByPingTimes(mirrors, times));
}

}  // namespace

std::string SoughtName(std::string_view currentUrl) {
    const std::size_t slash = currentUrl.rfind('/');
    return PercentDecode(slash == std::string_view::npos ? currentUrl
                                                         : currentUrl.substr(slash + 1));
}

std::vector<std::string> MirrorCandidates(std::string_view hits, std::string_view sought,
                                          const std::vector<std::string>& fileTypes) {
    std::vector<std::string> out;
    const std::string want = AsciiLower(sought);
    if (want.empty()) return out;
    std::size_t pos = 0;
    while (pos <= hits.size()) {
        std::size_t end = hits.find_first_of("|\n", pos);
        if (end == std::string_view::npos) end = hits.size();
        const std::string_view piece = hits.substr(pos, end - pos);
        pos = end + 1;
        if (piece.empty() || !MatchesFileTypes(piece, fileTypes)) continue;
        const std::size_t slash = piece.rfind('/');
        if (slash == std::string_view::npos || AsciiLower(piece.substr(slash + 1)) != want)
            continue;
        out.emplace_back(piece);
    }
    return out;
}

void MirrorLookup(CProject& p, const std::string& searchIni,
                  const std::function<std::int32_t(const std::string&)>& ping) {
    const EngineDefs defs(searchIni);
    const std::string sought = SoughtName(p.CurrentUrl());
    const std::vector<std::string> fileTypes = GlobalRuntime().CaptureFileTypes();
    const std::size_t enough = std::size_t(std::max(0, p.settings.segments.load())) + kSpareMirrors;
    const int engines = defs.EngineCount(kMirrorCategory);
    for (int m = 1; m <= engines && LookupGoesOn(p) && p.MirrorCount() <= enough; ++m)
        QueryEngine(p, defs, m, sought, fileTypes);
    OrderMirrorsByPing(p, ping);
    p.EndPingThread();
}

void StartMirrorLookup(CProject& p) {
    if (!p.settings.autoMirror.load() || p.settings.segments.load() <= 0 ||
        p.segmentWorker.load() || p.pingThread.exchange(true))
        return;
    p.pingStop.store(false);
    const std::string ini = plat::JoinPath(GlobalRuntime().ProgramFolder(), kSearchIniName);
    CProject* project = &p;
    // The project outlives the thread: only the download worker starts a
    // lookup, and it waits for the lookup at its end (EndMirrorLookup) while
    // it still holds the project.
    if (!LaunchWorkerThread([project, ini] {
            MirrorLookup(*project, ini, [](const std::string& url) { return PingHost(url); });
        }))
        p.pingThread.store(false);
}

void EndMirrorLookup(CProject& p) {
    // The flag is read only under the wait's lock: seen clear, the lookup
    // thread has let go of the project for good.
    const auto ended = [&p] { return !p.pingThread.load(); };
    if (p.WaitUntil(0, ended)) return;
    p.pingStop.store(true);
    // A ping or page fetch that began after the first cancel is cancelled again.
    do p.CancelPing();
    while (!p.WaitUntil(kEndLookupRecheckMs, ended));
}

void InstallMirrorLookup() {
    WorkerHooks h = GetWorkerHooks();
    h.mirrorLookup = [](CProject& p) { StartMirrorLookup(p); };
    h.mirrorLookupEnd = [](CProject& p) { EndMirrorLookup(p); };
    SetWorkerHooks(std::move(h));
}

}  // namespace ks
