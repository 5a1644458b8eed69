#include "transfer/fetch_page.h"

#include "base/project.h"
#include "base/runtime.h"
#include "base/text.h"
#include "transfer/http_connection.h"
#include "transfer/url.h"

namespace ks {
namespace {

// Holds the connection in the project's page registry for one exchange, so a
// stop from any thread reaches it; the registry entry goes before the object.
class PageRegistration {
  public:
    PageRegistration(CProject& p, CHttpConnection& c) : p_(p), c_(c) {
        p_.AddPageConnection(&c_);
        // A stop that came before the registration found nothing to cancel.
        if (p_.stopRequested.load()) c_.Cancel();
    }
    ~PageRegistration() { p_.RemovePageConnection(&c_); }
    PageRegistration(const PageRegistration&) = delete;
    PageRegistration& operator=(const PageRegistration&) = delete;

  private:
    CProject& p_;
    CHttpConnection& c_;
};

// One exchange with url; fills `out` from the answer. False without an answer.
bool FetchOnce(CProject& project, const std::string& url, std::size_t limit, PageFetch& out,
               std::string& location) {
    UrlParts parts;
    if (!SplitUrl(url, parts) || parts.service != UrlService::Http) {
        out.result = ResultInvalidUrl;
        return false;
    }
    const ProxySettings proxy = GlobalRuntime().Proxy();
    CHttpConnection conn;
    conn.pageLimit = limit;
    if (UsesHttpProxy(proxy)) {
        conn.host = proxy.httpProxyServer;
        conn.port = proxy.httpProxyPort;
    } else {
        conn.host = parts.host;
        conn.port = parts.port;
    }
    const std::string target =
        UsesHttpProxy(proxy) ? url : (parts.path.empty() ? std::string("/") : parts.path);
    int ok;
    {
        PageRegistration reg(project, conn);
        ok = conn.SendAndReceive(BuildPageRequest(target, parts.host));
    }
    out.finalUrl = url;
    if (!ok) {
        out.result = conn.result != ResultOk ? conn.result : ResultNetwork;
        out.body.clear();
        out.statusCode = 0;
        return false;
    }
    out.result = ResultOk;
    out.body = std::move(conn.pageText);
    out.truncated = conn.pageTruncated;
    out.statusCode = conn.statusCode;
    location = std::string(TrimSpacesTabs(WithoutLineBreaks(conn.location)));
    return true;
}

}  // namespace

std::string BuildPageRequest(const std::string& target, const std::string& host) {
    return "GET " + target + " HTTP/1.0\r\n" + "Host: " + host + "\r\n" +
           "Accept: */*\r\n"
           "User-Agent: Mozilla/4.0 (compatible; Kestrune 3.0)\r\n"
           "Connection: close\r\n"
           "\r\n";
}

PageFetch FetchPageDetailed(CProject& project, const std::string& url, std::size_t limit) {
    PageFetch out;
    std::string current(TrimSpacesTabs(url));
    for (;;) {
        std::string location;
        if (!FetchOnce(project, current, limit, out, location)) return out;
        const bool redirect = out.statusCode >= 300 && out.statusCode < 400 && !location.empty();
        if (!redirect || out.redirects >= kMaxPageRedirects || project.stopRequested.load())
            return out;
        ++out.redirects;
        current = ResolveLocation(current, location);
    }
}

std::string FetchPage(CProject& project, const std::string& url) {
    return FetchPageDetailed(project, url).body;
}

}  // namespace ks
