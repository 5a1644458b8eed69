#include "base/list_file.h"

#include "base/text.h"
#include "platform/files.h"

namespace ks {

// One open and reads up to the limit: no separate size query, which would cost
// a second lookup of the path for each of thousands of project files, and a
// file that grows meanwhile is still cut off at the limit.
bool ReadBounded(const std::string& path, std::int64_t limit, std::string& text) {
    text.clear();
    plat::File f;
    if (!f.Open(path, plat::File::Mode::Read)) return false;
    char buf[16384];
    for (;;) {
        const std::int64_t n = f.Read(buf, sizeof buf);
        if (n < 0) return false;
        if (n == 0) return true;
        if (std::int64_t(text.size()) + n > limit) return false;
        text.append(buf, static_cast<std::size_t>(n));
    }
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
