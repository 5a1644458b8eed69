#include "capture/capture_rules.h"

#include "app/shell_text.h"
#include "transfer/url.h"

namespace ks {

namespace {
bool HasControlCharacter(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f) return true;
    return false;
}
}  // namespace

std::optional<std::string> AcceptableUrl(std::string_view text, std::string* path) {
    if (text.size() > kMaxCapturedUrl * 4) return std::nullopt;  // not worth trimming
    std::string url = TrimBlanks(text);
    if (url.empty() || url.size() > kMaxCapturedUrl || HasControlCharacter(url))
        return std::nullopt;
    UrlParts parts;
    if (!SplitUrl(url, parts)) return std::nullopt;
    if (parts.service != UrlService::Http && parts.service != UrlService::Https &&
        parts.service != UrlService::Ftp)
        return std::nullopt;
    if (parts.host.empty()) return std::nullopt;
    if (path) *path = std::move(parts.path);
    return url;
}

std::string CaptureExtension(std::string_view path) {
    std::size_t dot = path.rfind('.');
    return AsciiLower(dot == std::string_view::npos ? path : path.substr(dot));
}

std::optional<std::size_t> MatchingFileType(std::string_view extension,
                                            const std::vector<std::string>& types) {
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i].empty()) continue;
        std::string needle = "." + AsciiLower(types[i]);
        if (extension.find(needle) != std::string_view::npos) return i;
    }
    return std::nullopt;
}

std::optional<std::string> CapturableUrl(std::string_view text,
                                         const std::vector<std::string>& types) {
    std::string path;
    std::optional<std::string> url = AcceptableUrl(text, &path);
    if (!url || !MatchingFileType(CaptureExtension(path), types)) return std::nullopt;
    return url;
}

std::optional<std::string> ClipboardRepeatRule::Offer(std::string_view text,
                                                      const std::vector<std::string>& types) {
    std::optional<std::string> url = CapturableUrl(text, types);
    if (!url) return std::nullopt;
    if (*url == last_) {
        // The repeat is consumed: a URL matching several list entries must
        // not be taken on its second copy through another entry.
        last_.clear();
        return std::nullopt;
    }
    last_ = *url;
    return url;
}

}  // namespace ks
