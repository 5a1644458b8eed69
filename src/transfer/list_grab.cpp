#include "transfer/list_grab.h"

#include <unordered_set>

#include "base/checkpoint.h"
#include "base/project.h"
#include "base/runtime.h"
#include "base/status_event.h"
#include "platform/files.h"
#include "transfer/dispatch.h"
#include "transfer/download_worker.h"
#include "transfer/external_program.h"
#include "transfer/fetch_page.h"
#include "transfer/segments.h"
#include "transfer/url.h"
#include "transfer/url_list.h"

namespace ks {
namespace {

constexpr std::size_t kListBlock = 1023;

int Dispatch(const WorkerHooks& h, CProject& p, const std::string& url) {
    return h.dispatch ? h.dispatch(p, url) : DispatchUrl(p, url);
}

// The page's links, from the address the page finally came from. False when
// a stop ended the wait for it.
bool ReadPage(CProject& p, const std::string& source, std::string& text, bool& cut) {
    for (;;) {
        if (p.stopRequested.load()) return false;
        NotifyRow(p, StatusEvent::GettingWebPage);
        PageFetch page = FetchPageDetailed(p, source);
        if (page.result == ResultInvalidUrl) {
            // Reported as such at the end rather than as an empty, completed list.
            p.result.store(ResultInvalidUrl);
            return true;
        }
        if (page.result == ResultOk) {
            text = ExtractLinks(page.body, page.finalUrl, "href");
            cut = page.truncated;
            return true;
        }
        p.result.store(page.result);
        RetryWait(p);
        p.result.store(0);
    }
}

bool ReadListFile(const std::string& path, UrlListCollector& collector, bool& cut) {
    plat::File f;
    if (!f.Open(path, plat::File::Mode::Read)) return false;
    char buf[kListBlock];
    std::size_t total = 0;
    for (;;) {
        const std::int64_t n = f.Read(buf, sizeof buf);
        if (n < 0) return false;
        if (n == 0) break;
        collector.Feed(std::string_view(buf, std::size_t(n)));
        total += std::size_t(n);
        if (collector.Full()) break;
        if (total >= kMaxListFileBytes) {
            cut = true;
            break;
        }
    }
    collector.Finish();
    return true;
}

std::string NaturalLocalName(const std::string& url) {
    // The client the URL goes to names the file (see DispatchUrl).
    const std::string lower = AsciiLower(url);
    if (lower.find("http://") != std::string::npos)
        return HttpLocalFileName(url.substr(0, url.find('#')));
    return FtpLocalFileName(url);
}

// "name(k).ext", the number before the last dot.
std::string Numbered(const std::string& name, int k) {
    const std::size_t dot = name.rfind('.');
    const std::string suffix = "(" + std::to_string(k) + ")";
    if (dot == std::string::npos || dot == 0) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

}  // namespace

std::vector<std::string> DistinctLocalNames(const std::vector<std::string>& urls) {
    std::vector<std::string> natural;
    natural.reserve(urls.size());
    // Names compare without regard to case: the file systems the files land
    // on mostly do.
    std::unordered_set<std::string> naturalSet;
    for (const std::string& u : urls) {
        natural.push_back(NaturalLocalName(u));
        naturalSet.insert(AsciiLower(natural.back()));
    }
    std::unordered_set<std::string> used;
    std::vector<std::string> out;
    out.reserve(urls.size());
    for (const std::string& name : natural) {
        // A numbered name never takes one that a later entry has by nature.
        std::string chosen = name;
        for (int k = 2;
             used.count(AsciiLower(chosen)) || (k > 2 && naturalSet.count(AsciiLower(chosen)));)
            chosen = Numbered(name, k++);
        used.insert(AsciiLower(chosen));
        out.push_back(std::move(chosen));
    }
    return out;
}

bool GetUrlList(CProject& p, const WorkerHooks& h, UrlList& list) {
    const std::string source = p.GetText(&ProjectSettings::source);
    UrlListCollector collector(GlobalRuntime().CaptureFileTypes());
    bool cut = false;
    if (IsHttpOrFtpUrl(source)) {
        std::string text;
        if (!ReadPage(p, source, text, cut)) return false;
        collector.Feed(text);
        collector.Finish();
    } else if (!ReadListFile(source, collector, cut)) {
        if (h.message) h.message(kListFileError);
        return false;
    }
    list.cut = cut || collector.Full();
    list.urls = collector.TakeUrls();
    p.listCutAt.store(list.cut ? static_cast<std::int64_t>(list.urls.size()) : -1);
    list.localNames = DistinctLocalNames(list.urls);
    p.settings.seqTo = static_cast<std::int32_t>(list.urls.size());
    p.settings.seqFrom = 1;
    return true;
}

namespace {

// One list entry until it is done, skipped or the project stops. Returns false
// when the project must leave the list.
bool FetchEntry(CProject& p, const WorkerHooks& h, const std::string& u, bool& failed) {
    int serverErrors = 0;
    int attempts = 0;
    for (;;) {
        p.result.store(0);
        if (p.stopRequested.load()) {
            p.active.store(false);
            return false;
        }
        p.SetText(&ProjectSettings::url, u);
        p.SetCurrentUrl(u);
        p.nextUrl.clear();
        p.noMoreSegments.store(false);
        int ok = Dispatch(h, p, u);
        p.rate.store(0);
        for (int redirects = 0; p.result.load() == ResultFetchAgain && !p.stopRequested.load();) {
            p.result.store(0);
            p.nextUrl = ResolveLocation(u, p.nextUrl);
            if (p.nextUrl != p.requestedUrl && ++redirects > kMaxRedirects) {
                p.result.store(ResultNetwork);
                ok = 0;
                break;
            }
            ok = Dispatch(h, p, p.nextUrl);
        }
        const std::int32_t r = p.result.load();
        if (ok || r >= 0) {
            if (!WaitForSegments(p)) {
                p.settings.seqFrom.fetch_add(1);
                CleanupSegments(p);
                NotifyRow(p, StatusEvent::Completed);
                if (ok) {
                    if (h.afterDownload)
                        h.afterDownload(p.localPath);
                    else
                        RunExternalProgram(p.localPath);
                }
            }
            p.result.store(0);
            SaveCheckpoint(p);
            return true;
        }
        if (r == ResultInvalidUrl) {
            // The client asked the worker to stop; only this entry is bad.
            p.stopRequested.store(false);
            RetryWait(p);
            failed = true;
            return true;
        }
        if (p.stopRequested.load()) {
            p.active.store(false);
            p.result.store(0);
            return false;
        }
        // A refusal, a file that cannot be written or a server that keeps
        // failing will not mend on a retry: the entry fails, the list goes on.
        serverErrors = r == ResultHttpServerError ? serverErrors + 1 : 0;
        const std::int32_t limit = p.attemptLimit.load();
        if (r == ResultHttpClientError || r == ResultFileError || r == ResultRefused ||
            serverErrors > kMaxServerErrorRetries || (limit > 0 && ++attempts >= limit)) {
            NotifyRow(p, StatusEvent::Error);
            failed = true;
            return true;
        }
        p.result.store(0);
        RetryWait(p);
    }
}

}  // namespace

bool RunUrlListGrab(CProject& p, const WorkerHooks& h) {
    UrlList list;
    p.result.store(0);
    // An unreadable list file ends the worker without a report; a stop while
    // the page was awaited ends it as stopped.
    if (!GetUrlList(p, h, list)) return p.stopRequested.load();
    if (p.result.load() == ResultInvalidUrl) return true;
    if (list.cut && h.message)
        h.message("The list was cut after " + std::to_string(list.urls.size()) +
                  " files: the rest of it was too long to read.");
    bool anyFailed = false;
    for (std::size_t i = 0; i < list.urls.size(); ++i) {
        p.localName = list.localNames[i];
        bool failed = false;
        const bool goOn = FetchEntry(p, h, list.urls[i], failed);
        anyFailed = anyFailed || failed;
        if (!goOn) break;
    }
    p.localName.clear();
    // The row ends "Error" when any wanted file could not be fetched.
    if (anyFailed && p.result.load() == 0 && !p.stopRequested.load()) p.result.store(ResultNetwork);
    return true;
}

}  // namespace ks
