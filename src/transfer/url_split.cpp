// SplitUrl: canonicalise a URL, then crack it into service, host, port, path
// and credentials. Written to give the same answers as the Win32 pair
// InternetCanonicalizeUrlA + InternetCrackUrlA called with no flags, so the
// engine behaves alike on every platform; the Windows build checks this
// against the real functions.
#include <climits>
#include <cstddef>

#include "transfer/url.h"

namespace ks {
namespace {

constexpr std::size_t kMaxHost = 256;
constexpr std::size_t kMaxPath = 2048;
constexpr std::size_t kMaxCredential = 128;

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

// Characters that may not stand literally in the host or path of a URL.
bool IsUnsafe(unsigned char c) {
    if (c < 0x20 || c >= 0x7f) return true;
    return std::string_view(" \"&<>[]^`{|}").find(static_cast<char>(c)) != std::string_view::npos;
}

void AppendEscaped(std::string& out, std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (IsUnsafe(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
}

// Removes "." and ".." segments from an absolute path (no query); ".." at the
// root is dropped, and a trailing "." or ".." leaves the folder with its "/".
std::string RemoveDotSegments(std::string_view path) {
    std::vector<std::string_view> segs;
    std::size_t pos = 1;  // path[0] is '/'
    bool endsInFolder = false;
    while (true) {
        std::size_t slash = path.find('/', pos);
        std::string_view seg =
            path.substr(pos, slash == std::string_view::npos ? path.npos : slash - pos);
        bool last = slash == std::string_view::npos;
        if (seg == ".") {
            endsInFolder = last;
        } else if (seg == "..") {
            if (!segs.empty()) segs.pop_back();
            endsInFolder = last;
        } else {
            segs.push_back(seg);
            endsInFolder = false;
        }
        if (last) break;
        pos = slash + 1;
    }
    std::string out;
    for (auto s : segs) {
        out += '/';
        out.append(s);
    }
    if (endsInFolder || out.empty()) out += '/';
    return out;
}

struct Canonical {
    std::string scheme;
    bool hierarchical = false;  // "scheme://authority..."
    std::string authority;
    std::string path;  // path, query and fragment
};

// Canonical form of url (leading blanks already removed). False when there is
// no scheme.
bool Canonicalize(std::string_view raw, Canonical& out) {
    // Tabs and line breaks are dropped wherever they stand.
    std::string url;
    url.reserve(raw.size());
    for (char c : raw) {
        if (c != '\t' && c != '\r' && c != '\n') url += c;
    }
    // Trailing blanks and control characters are dropped too (text pasted
    // from elsewhere often ends in them); leading ones are not, see SplitUrl.
    while (!url.empty() && static_cast<unsigned char>(url.back()) <= 0x20) url.pop_back();
    std::size_t colon = url.find(':');
    // A single letter before ':' is a drive, not a scheme.
    if (colon == std::string::npos || colon < 2 || !IsAlpha(url[0])) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        char c = url[i];
        if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return false;
    }
    out.scheme = url.substr(0, colon);
    std::string rest = url.substr(colon + 1);
    auto isSlash = [](char c) { return c == '/' || c == '\\'; };

    std::size_t pathStart = 0;
    if (rest.size() >= 2 && isSlash(rest[0]) && isSlash(rest[1])) {
        out.hierarchical = true;
        std::size_t end = rest.find_first_of("/\\?#", 2);
        if (end == std::string::npos) end = rest.size();
        AppendEscaped(out.authority, std::string_view(rest).substr(2, end - 2));
        pathStart = end;
    }
    std::string_view tail = std::string_view(rest).substr(pathStart);
    std::size_t extra = tail.find_first_of("?#");
    std::string_view pathPart = tail.substr(0, extra);
    std::string_view extraPart =
        extra == std::string_view::npos ? std::string_view() : tail.substr(extra);

    std::string path;
    AppendEscaped(path, pathPart);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    if (out.hierarchical && !path.empty()) path = RemoveDotSegments(path);
    if (out.hierarchical && path.empty() && extraPart.empty() && !out.authority.empty()) {
        path.assign(1, '/');  // a bare host names its root
    }
    // Query and fragment stay as typed, except that backslashes become slashes.
    for (char c : extraPart) path += (c == '\\') ? '/' : c;
    out.path = std::move(path);
    return true;
}

struct SchemeInfo {
    std::string_view name;
    UrlService service;
    std::uint16_t defaultPort;
};

constexpr SchemeInfo kSchemes[] = {
    {"ftp", UrlService::Ftp, 21},      {"gopher", UrlService::Gopher, 0},
    {"http", UrlService::Http, 80},    {"https", UrlService::Https, 443},
    {"file", UrlService::File, 0},     {"news", UrlService::News, 0},
    {"mailto", UrlService::Mailto, 0},
};

// The port as the C library's atoi reads it (sign, digits, stop at anything
// else, clamp on overflow), truncated to 16 bits.
std::uint16_t ParsePort(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > INT_MAX) {
            v = negative ? -(long long)INT_MAX - 1 : INT_MAX;
            negative = false;
            break;
        }
    }
    if (negative) v = -v;
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
}

bool Crack(const Canonical& c, UrlParts& out) {
    UrlParts parts;
    std::uint16_t defaultPort = 0;
    for (const auto& s : kSchemes) {
        if (EqualsNoCase(c.scheme, s.name)) {
            parts.service = s.service;
            defaultPort = s.defaultPort;
        }
    }
    if (c.hierarchical) {
        std::string_view auth = c.authority;
        std::size_t at = auth.find('@');
        if (at != std::string_view::npos) {
            std::string_view userInfo = auth.substr(0, at);
            std::size_t colon = userInfo.rfind(':');
            parts.userName = std::string(userInfo.substr(0, colon));
            if (colon != std::string_view::npos) parts.password = userInfo.substr(colon + 1);
            auth = auth.substr(at + 1);
        }
        std::size_t colon = auth.rfind(':');
        parts.host = std::string(auth.substr(0, colon));
        parts.port =
            colon == std::string_view::npos ? defaultPort : ParsePort(auth.substr(colon + 1));
    }
    parts.path = c.path;
    if (parts.host.size() > kMaxHost || parts.path.size() > kMaxPath ||
        parts.userName.size() > kMaxCredential || parts.password.size() > kMaxCredential) {
        return false;
    }
    out = std::move(parts);
    return true;
}

}  // namespace

bool SplitUrl(std::string_view url, UrlParts& out) {
    out = UrlParts{};
    // Redirect targets arrive with the blank that followed the header's colon.
    std::size_t start = url.find_first_not_of(' ');
    if (start == std::string_view::npos) return false;
    Canonical canonical;
    if (!Canonicalize(url.substr(start), canonical)) return false;
    return Crack(canonical, out);
}

UrlParts SplitUrl(std::string_view url) {
    UrlParts parts;
    SplitUrl(url, parts);
    return parts;
}

}  // namespace ks
