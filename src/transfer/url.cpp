// URL string helpers: decoding, series URLs, capture filtering, redirect
// targets and the names of local files.
#include "transfer/url.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <vector>

#include "base/text.h"
#include "platform/files.h"

namespace ks {
namespace {

// The URL's text after its last "/".
std::string_view AfterLastSlash(std::string_view s) {
    std::size_t slash = s.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : s.substr(slash + 1);
}

// path (from its leading "/", query and fragment included) with "." and ".."
// segments removed; ".." never climbs above the root.
std::string WithoutDotSegments(std::string_view full) {
    std::size_t end = std::min(full.find_first_of("?#"), full.size());
    std::string_view path = full.substr(0, end);
    std::vector<std::string_view> kept;
    std::size_t pos = 1;  // past the leading "/"
    bool endsInFolder = false;
    while (pos <= path.size()) {
        std::size_t next = std::min(path.find('/', pos), path.size());
        std::string_view seg = path.substr(pos, next - pos);
        bool last = next == path.size();
        endsInFolder = false;
        if (seg == "..") {
            if (!kept.empty()) kept.pop_back();
            endsInFolder = true;
        } else if (seg == ".") {
            endsInFolder = true;
        } else if (!last || !seg.empty()) {
            kept.push_back(seg);
        }
        pos = next + 1;
    }
    std::string out;
    for (std::string_view seg : kept) (out += '/') += seg;
    if (out.empty() || endsInFolder || path.back() == '/') out += '/';
    out += full.substr(end);
    return out;
}

}  // namespace

std::string PercentDecode(std::string_view text, bool enabled) {
    if (!enabled) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        // The two characters after "%" read as strtol reads them in base 16:
        // leading white space and a sign are accepted, reading stops at the
        // first character that is not a hex digit.
        char digits[3] = {0, 0, 0};
        std::size_t avail = std::min<std::size_t>(2, text.size() - i - 1);
        for (std::size_t k = 0; k < avail; ++k) digits[k] = text[i + 1 + k];
        long value = std::strtol(digits, nullptr, 16);
        if (value == 0) {
            out += '%';
            ++i;
        } else {
            out += static_cast<char>(static_cast<unsigned long>(value) & 0xff);
            i += 1 + avail;
        }
    }
    return out;
}

std::string SequenceUrl(std::string_view left, std::int64_t number, std::int32_t digits,
                        std::string_view right) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, number);
    std::string_view num(buf, ec == std::errc() ? std::size_t(end - buf) : 0);
    std::string out(left);
    std::size_t signLen = (!num.empty() && num[0] == '-') ? 1 : 0;
    out.append(num.substr(0, signLen));
    // The width counts the sign, as a printf width does; zeros go after it.
    // A width no URL needs is not honoured beyond a sane bound.
    std::size_t width = digits > 0 ? std::min<std::size_t>(std::size_t(digits), 64) : 0;
    if (width > num.size()) out.append(width - num.size(), '0');
    out.append(num.substr(signLen));
    out.append(right);
    return out;
}

bool MatchesFileTypes(std::string_view url, const std::vector<std::string>& fileTypes) {
    UrlParts parts = SplitUrl(url);
    if (!IsHttpOrFtpService(parts.service)) return false;
    std::string_view path = parts.path;
    if (parts.service != UrlService::Ftp) path = path.substr(0, path.find('#'));
    std::size_t dot = path.rfind('.');
    std::string ext = AsciiLower(dot == std::string_view::npos ? path : path.substr(dot));
    for (const std::string& type : fileTypes) {
        // An empty entry would otherwise match every URL that has a dot.
        if (type.empty()) continue;
        std::string needle(1, '.');
        needle += AsciiLower(type);
        if (ext.find(needle) != std::string::npos) return true;
    }
    return false;
}

bool IsHttpOrFtpService(UrlService s) {
    return s == UrlService::Ftp || s == UrlService::Http || s == UrlService::Https;
}

bool IsHttpOrFtpUrl(std::string_view url) {
    return IsHttpOrFtpService(SplitUrl(url).service);
}

std::string ResolveLocation(std::string_view requested, std::string_view target) {
    // Absolute targets come back unchanged, blank included, so that the next
    // answer's Location can be compared with this one.
    if (target.find("http://") != std::string_view::npos ||
        target.find("ftp://") != std::string_view::npos ||
        target.find("https://") != std::string_view::npos) {
        return std::string(target);
    }
    std::string_view relative = TrimSpacesTabs(target);
    std::size_t scheme = requested.find("://");
    if (scheme == std::string_view::npos) return std::string(relative);
    // Joined as a browser joins a link, so that neither a requested URL
    // without a path nor a target without a leading "/" yields a URL whose
    // host swallowed the path.
    std::size_t pathStart = std::min(requested.find_first_of("/?#", scheme + 3), requested.size());
    std::string_view origin = requested.substr(0, pathStart);
    std::string_view rest = requested.substr(pathStart);
    std::string_view path = rest.substr(0, std::min(rest.find_first_of("?#"), rest.size()));
    if (relative.substr(0, 2) == "//")
        return std::string(requested.substr(0, scheme + 1)) += relative;
    if (relative.empty() || relative[0] == '#')
        return std::string(requested.substr(0, std::min(requested.find('#'), requested.size()))) +=
               relative;
    std::string joined;
    if (relative[0] == '/') {
        joined = relative;
    } else if (relative[0] == '?') {
        joined = std::string(path.empty() ? "/" : path) += relative;
    } else {
        std::size_t slash = path.rfind('/');
        joined = slash == std::string_view::npos ? "/" : std::string(path.substr(0, slash + 1));
        joined += relative;
    }
    return std::string(origin) + WithoutDotSegments(joined);
}

std::string HttpLocalFileName(std::string_view url) {
    std::string path = SplitUrl(url).path;
    // The fragment is never sent, so it never names the file either.
    path.erase(std::min(path.find('#'), path.size()));
    std::string name;
    if (path.find('/') != std::string::npos) {
        name = SafeFileName(PercentDecode(AfterLastSlash(path), true));
    }
    return name.empty() ? std::string("default.htm") : name;
}

std::string FtpLocalFileName(std::string_view url) {
    return SafeFileName(PercentDecode(AfterLastSlash(url), true));
}

std::string LocalPath(std::string_view folder, std::string_view name) {
    return plat::JoinPath(folder, name);
}

}  // namespace ks
