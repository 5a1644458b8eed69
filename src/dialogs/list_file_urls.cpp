#include "dialogs/list_file_urls.h"

#include "platform/files.h"
#include "transfer/url.h"

namespace ks::dlg {

std::vector<std::string> ExtractListUrls(std::string_view text) {
    std::vector<std::string> urls;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\"\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view token = text.substr(pos, end - pos);
        if (!token.empty()) {
            UrlParts parts;
            if (SplitUrl(token, parts) && IsHttpOrFtpService(parts.service))
                urls.emplace_back(token);
        }
        pos = end + 1;
    }
    return urls;
}

std::vector<std::string> ReadListFileUrls(const std::string& path) {
    // A list file is text a person or a browser wrote; anything this large is
    // not one, and reading it whole would only exhaust memory.
    constexpr std::int64_t kMaxListFile = 64ll << 20;
    std::optional<std::int64_t> size = plat::FileSize(path);
    if (!size || *size > kMaxListFile) return {};
    std::string text;
    if (!plat::ReadWholeFile(path, text)) return {};
    return ExtractListUrls(text);
}

}  // namespace ks::dlg
