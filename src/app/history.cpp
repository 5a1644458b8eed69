#include "app/history.h"

#include "platform/files.h"

namespace ks {

void AddToHistory(std::string& history, std::string_view rawEntry) {
    std::string entry;
    for (char c : rawEntry) {
        if (c != '\r' && c != '\n') entry += c;
    }
    if (history.find(entry) == std::string::npos) history = entry + "\r\n" + history;
    if (history.size() <= kHistoryLimit) return;
    std::size_t lastLf = history.rfind('\n');
    if (lastLf == std::string::npos) return;
    history.erase(lastLf);
    if (!history.empty() && history.back() == '\r') history.pop_back();
}

std::vector<std::string> HistoryEntries(std::string_view history) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < history.size()) {
        std::size_t end = history.find("\r\n", pos);
        if (end == std::string_view::npos) end = history.size();
        if (end > pos) out.emplace_back(history.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

std::string LoadHistory(const std::string& path) {
    plat::File f;
    std::string text;
    if (!f.Open(path, plat::File::Mode::Read)) return text;
    char buf[4096];
    while (text.size() < kHistoryFileMax) {
        std::int64_t n = f.Read(buf, sizeof buf);
        if (n <= 0) break;
        text.append(buf, std::size_t(n));
    }
    if (text.size() > kHistoryFileMax) text.resize(kHistoryFileMax);
    return text;
}

bool SaveHistory(const std::string& path, std::string_view history) {
    return plat::WriteFileAtomic(path, history);
}

Histories LoadHistories(const std::string& p) {
    Histories h;
    h.urls = LoadHistory(plat::JoinPath(p, kUrlHistoryFile));
    h.uploads = LoadHistory(plat::JoinPath(p, kUploadHistoryFile));
    h.searches = LoadHistory(plat::JoinPath(p, kSearchHistoryFile));
    return h;
}

bool SaveHistories(const std::string& p, const Histories& h) {
    bool ok = SaveHistory(plat::JoinPath(p, kUrlHistoryFile), h.urls);
    ok = SaveHistory(plat::JoinPath(p, kUploadHistoryFile), h.uploads) && ok;
    ok = SaveHistory(plat::JoinPath(p, kSearchHistoryFile), h.searches) && ok;
    return ok;
}

void ClearHistories(const std::string& p, Histories& h) {
    h = Histories();
    plat::RemoveFile(plat::JoinPath(p, kUrlHistoryFile));
    plat::RemoveFile(plat::JoinPath(p, kUploadHistoryFile));
    plat::RemoveFile(plat::JoinPath(p, kSearchHistoryFile));
}

}  // namespace ks
