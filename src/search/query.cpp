#include "search/query.h"

#include "transfer/http_connection.h"
#include "transfer/url.h"

namespace ks {
namespace {

constexpr const char* kAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
    "application/msword, application/vnd.ms-powerpoint, application/x-comet, */*\r\n";
constexpr const char* kAgent = "User-Agent: Mozilla/4.0 (compatible; Kestrune 3.0)\r\n";
constexpr const char* kNoCache = "Pragma: no-cache\r\nCache-Control: no-cache\r\n";

bool IsWordByte(char c) {
    return static_cast<unsigned char>(c) > ' ' && c != 0x7f;
}

// The lines every search request shares after its first (and Cookie) line.
std::string CommonLines(const SearchRequest& r) {
    std::string s = kAccept;
    s += "Accept-Language: en-us\r\n";
    s += kAgent;
    s += "Host: " + r.host + "\r\n";
    if (r.viaProxy) s += "Proxy-Connection: Keep-Alive\r\n";
    s += kNoCache;
    return s;
}

// The address's path and query exactly as the template wrote them: engines get
// the bytes their definition names, not a canonical form.
std::string RawTarget(std::string_view address) {
    std::size_t scheme = address.find("://");
    std::size_t from = scheme == std::string_view::npos ? 0 : scheme + 3;
    std::size_t start = address.find_first_of("/?", from);
    if (start == std::string_view::npos) return "/";
    std::string target(address.substr(start));
    if (target[0] == '?') target.insert(0, "/");
    std::size_t hash = target.find('#');
    if (hash != std::string::npos) target.resize(hash);
    return target;
}

}  // namespace

std::string JoinKeywords(std::string_view keywords) {
    std::string out;
    std::size_t i = 0;
    while (i < keywords.size()) {
        while (i < keywords.size() && !IsWordByte(keywords[i])) ++i;
        std::size_t start = i;
        while (i < keywords.size() && IsWordByte(keywords[i])) ++i;
        if (i == start) break;
        if (!out.empty()) out += '+';
        out.append(keywords.substr(start, i - start));
    }
    return out;
}

std::string FillTemplate(std::string_view tmpl, std::string_view joinedWords, int page, int count,
                         std::string_view typeText) {
    std::string q(tmpl);
    ReplaceAll(q, "<KEYWORD>", joinedWords);
    ReplaceAll(q, "<PAGENUM>", std::to_string(page));
    ReplaceAll(q, "<COUNT>", std::to_string(count));
    ReplaceAll(q, "<TYPE>", typeText);
    return q;
}

std::string ComposeQuery(const EngineDefs& defs, int category, int engine, SearchMethod method,
                         int page, int count, std::string_view keywords) {
    const EngineDef e = defs.Engine(category, engine);
    if (e.section.empty() || !e.enabled || e.url.empty()) return {};
    const std::string tmpl = e.post.empty() ? e.url : e.url + "::" + e.post;
    return FillTemplate(tmpl, JoinKeywords(keywords), page, count, e.TypeText(method));
}

bool PlanSearchRequest(std::string_view query, const ProxySettings& proxy, SearchRequest& out) {
    out = SearchRequest{};
    std::string_view address = query;
    const std::size_t sep = query.find("::");
    if (sep != std::string_view::npos) {
        out.post = true;
        out.body = std::string(query.substr(sep + 2));
        address = query.substr(0, sep);
    }
    UrlParts parts;
    if (!SplitUrl(address, parts) || parts.service != UrlService::Http) return false;
    out.host = parts.host;
    out.viaProxy = UsesHttpProxy(proxy);
    if (out.viaProxy) {
        out.connectHost = proxy.httpProxyServer;
        out.connectPort = proxy.httpProxyPort;
        out.target = std::string(address);
    } else {
        out.connectHost = parts.host;
        out.connectPort = parts.port;
        out.target = RawTarget(address);
    }
    return true;
}

std::string BuildProbeRequest(const SearchRequest& r) {
    return "HEAD " + r.target + " HTTP/1.0\r\n" + CommonLines(r) + "\r\n";
}

std::string BuildQueryRequest(const SearchRequest& r, bool hasCookies, std::string_view cookies) {
    std::string s = (r.post ? "POST " : "GET ") + r.target + " HTTP/1.0\r\n";
    if (hasCookies) s += "Cookie: " + std::string(cookies) + "\r\n";
    s += CommonLines(r);
    if (!r.post) return s + "\r\n";
    s += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
         std::to_string(r.body.size()) + "\r\n\r\n" + r.body;
    return s;
}

}  // namespace ks
