// TEMPORARY stand-ins for the URL helpers until they are merged; deleted then.
#include <cstdlib>

#include "platform/files.h"
#include "transfer/url.h"

namespace ks {

bool SplitUrl(std::string_view url, UrlParts& out) {
    out = UrlParts{};
    std::string u(url);
    while (!u.empty() && u[0] == ' ') u.erase(0, 1);
    std::size_t p = u.find("://");
    if (p == std::string::npos) return false;
    std::string scheme = u.substr(0, p);
    out.service = scheme == "http"  ? UrlService::Http
                  : scheme == "ftp" ? UrlService::Ftp
                                    : UrlService::Unknown;
    std::string rest = u.substr(p + 3);
    std::size_t slash = rest.find('/');
    std::string auth = rest.substr(0, slash);
    out.path = slash == std::string::npos ? "" : rest.substr(slash);
    std::size_t at = auth.rfind('@');
    if (at != std::string::npos) {
        std::string cred = auth.substr(0, at);
        auth = auth.substr(at + 1);
        std::size_t colon = cred.rfind(':');
        out.userName = cred.substr(0, colon);
        if (colon != std::string::npos) out.password = cred.substr(colon + 1);
    }
    std::size_t colon = auth.find(':');
    out.host = auth.substr(0, colon);
    out.port = colon == std::string::npos ? (out.service == UrlService::Ftp ? 21 : 80)
                                          : std::uint16_t(std::atoi(auth.c_str() + colon + 1));
    return true;
}

std::string HttpLocalFileName(std::string_view url) {
    UrlParts parts;
    SplitUrl(url, parts);
    std::size_t slash = parts.path.rfind('/');
    std::string name = slash == std::string::npos ? "" : parts.path.substr(slash + 1);
    return name.empty() ? "default.htm" : name;
}

std::string LocalPath(std::string_view folder, std::string_view name) {
    return plat::JoinPath(folder, name);
}

}  // namespace ks
