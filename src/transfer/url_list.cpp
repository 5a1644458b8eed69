#include "transfer/url_list.h"

#include <algorithm>

#include "base/text.h"
#include "transfer/url.h"

namespace ks {
namespace {

// A line break ends a target too: the result holds one link per line.
constexpr std::string_view kLinkSeparators = "=>\"' \t\r\n";
constexpr std::string_view kListSeparators = "\"\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// "scheme:" at the start, as in "ftp://", "https://", "mailto:".
bool StartsWithScheme(std::string_view link) {
    const std::size_t colon = link.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!alpha(link[0])) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = link[i];
        if (!alpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// "http://host:port" of base, without anything after the authority.
std::string_view Origin(std::string_view base) {
    const std::size_t scheme = base.find("://");
    if (scheme == std::string_view::npos) return base.substr(0, 0);
    const std::size_t path = base.find_first_of("/?#", scheme + 3);
    return base.substr(0, path);
}

// base up to and including the last "/" of its path; "http://host" gets one.
std::string Folder(std::string_view base) {
    const std::size_t scheme = base.find("://");
    const std::size_t pathStart = scheme == std::string_view::npos ? 0 : scheme + 3;
    // The query and fragment are not part of the folder.
    base = base.substr(0, base.find_first_of("?#", pathStart));
    const std::size_t slash = base.rfind('/');
    if (slash != std::string_view::npos && slash >= pathStart)
        return std::string(base.substr(0, slash + 1));
    return std::string(base) + "/";
}

// The first piece of text split at the link separators, blanks trimmed.
std::string_view FirstLinkPiece(std::string_view text) {
    std::size_t a = text.find_first_not_of(kLinkSeparators);
    if (a == std::string_view::npos) return {};
    std::size_t b = text.find_first_of(kLinkSeparators, a);
    return TrimBlanks(text.substr(a, b == std::string_view::npos ? std::string_view::npos : b - a));
}

}  // namespace

std::string JoinLink(std::string_view base, std::string_view link) {
    if (StartsWithScheme(link)) return std::string(link);
    if (link.size() >= 2 && link[0] == '/' && link[1] == '/') {
        const std::size_t scheme = base.find("://");
        return std::string(base.substr(0, scheme == std::string_view::npos ? 0 : scheme + 1)) +
               std::string(link);
    }
    if (!link.empty() && link[0] == '/') return std::string(Origin(base)) + std::string(link);
    return Folder(base) + std::string(link);
}

std::string ExtractLinks(std::string_view page, std::string_view base, std::string_view keyword) {
    std::string out;
    if (keyword.empty()) return out;
    const std::string lower = AsciiLower(page);
    const std::string key = AsciiLower(keyword);
    std::size_t pos = 0;
    for (;;) {
        const std::size_t b = lower.find(key, pos);
        if (b == std::string::npos) break;
        const std::size_t afterKey = b + key.size();
        const std::size_t gt = lower.find('>', afterKey);
        std::string_view between;
        if (gt != std::string::npos)
            between = std::string_view(page).substr(afterKey, gt - afterKey);
        while (!between.empty() && IsBlank(between.front())) between.remove_prefix(1);
        if (gt == std::string::npos || between.empty() || between.front() != '=') {
            // Not an attribute ("hrefs", a word in the text): look further on.
            pos = b + 1;
            continue;
        }
        const std::string_view link = FirstLinkPiece(between);
        if (!link.empty()) {
            // A hostile page of short links against a long base must not
            // grow the text past what a list file may hold.
            std::string joined = JoinLink(base, link);
            if (joined.size() <= kMaxListPiece) {
                if (out.size() + joined.size() + 1 > kMaxListFileBytes) break;
                out += joined;
                out += '\n';
            }
        }
        pos = gt + 1;
    }
    return out;
}

UrlListCollector::UrlListCollector(std::vector<std::string> fileTypes, std::size_t maxEntries)
    : fileTypes_(std::move(fileTypes)), maxEntries_(maxEntries) {}

void UrlListCollector::Feed(std::string_view block) {
    while (!block.empty() && !full_) {
        const std::size_t sep = block.find_first_of(kListSeparators);
        const std::string_view head = block.substr(0, sep);
        if (!overlong_) {
            if (partial_.size() + head.size() > kMaxListPiece) {
                overlong_ = true;
                partial_.clear();
            } else {
                partial_.append(head);
            }
        }
        if (sep == std::string_view::npos) return;
        if (!overlong_) Piece(partial_);
        partial_.clear();
        overlong_ = false;
        block.remove_prefix(sep + 1);
    }
}

void UrlListCollector::Finish() {
    if (!overlong_ && !full_) Piece(partial_);
    partial_.clear();
    overlong_ = false;
}

void UrlListCollector::Piece(std::string_view piece) {
    piece = TrimSpacesTabs(piece);
    if (piece.empty() || !MatchesFileTypes(piece, fileTypes_)) return;
    std::string url(piece);
    if (seen_.count(url)) return;
    if (urls_.size() >= maxEntries_) {
        full_ = true;
        return;
    }
    seen_.insert(url);
    urls_.push_back(std::move(url));
}

}  // namespace ks
