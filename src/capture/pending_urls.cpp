#include "capture/pending_urls.h"

#include "capture/capture_rules.h"
#include "platform/files.h"

namespace ks {

namespace {
std::string PendingPath(const std::string& programFolder) {
    return plat::JoinPath(programFolder, kPendingFileName);
}
}  // namespace

bool SavePendingUrls(const std::string& programFolder, const std::vector<std::string>& urls) {
    const std::string path = PendingPath(programFolder);
    if (urls.empty()) return !plat::FileExists(path) || plat::RemoveFile(path);
    std::string text;
    for (const std::string& url : urls) {
        // One line per URL: a line break inside one would make two.
        if (url.find_first_of("\r\n") != std::string::npos) continue;
        text += url;
        text += '\n';
    }
    return plat::WriteFileAtomic(path, text);
}

std::vector<std::string> TakeSavedPendingUrls(const std::string& programFolder) {
    const std::string path = PendingPath(programFolder);
    std::vector<std::string> urls;
    std::string text;
    if (!plat::ReadWholeFile(path, text)) return urls;
    std::size_t start = 0;
    while (start < text.size() && urls.size() < kMaxPendingUrls) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (auto url = AcceptableUrl(std::string_view(text).substr(start, end - start)))
            urls.push_back(std::move(*url));
        start = end + 1;
    }
    plat::RemoveFile(path);
    return urls;
}

}  // namespace ks
