#include "base/list_file.h"

#include "base/text.h"
#include "platform/files.h"

namespace ks {

bool ReadBounded(const std::string& path, std::int64_t limit, std::string& text) {
    auto size = plat::FileSize(path);
    if (!size || *size > limit) return false;
    return plat::ReadWholeFile(path, text) && std::int64_t(text.size()) <= limit;
}

std::vector<std::string> ListEntries(const std::string& text) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (std::size_t lf; (lf = text.find('\n', pos)) != std::string::npos; pos = lf + 1) {
        out.push_back(text.substr(pos, lf - pos));
    }
    return out;
}

bool WriteList(const std::string& path, const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& e : entries) {
        text += WithoutLineBreaks(e);
        text += '\n';
    }
    return plat::WriteFileAtomic(path, text);
}

bool ReadUploadList(const std::string& path, std::vector<std::string>& entries) {
    std::string text;
    if (!ReadBounded(path, kListFileMax, text)) return false;
    entries = ListEntries(text);
    return true;
}

std::vector<std::string> ReadUploadList(const std::string& path) {
    std::vector<std::string> entries;
    ReadUploadList(path, entries);
    return entries;
}

}  // namespace ks
