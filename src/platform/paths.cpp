// Path text helpers shared by both sides of the seam.
#include "platform/files.h"

namespace ks::plat {

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool IsAbsolutePath(std::string_view p) {
    if (p.empty()) return false;
#ifdef _WIN32
    if (p.size() >= 2 && p[1] == ':') return true;
#endif
    return IsSeparator(p[0]);
}

char PathSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

std::string StripTrailingSeparators(std::string_view a) {
    std::string s(a);
    while (s.size() > 1 && IsSeparator(s.back())) s.pop_back();
    return s;
}

std::string JoinPath(std::string_view a, std::string_view b) {
    std::string s(a);
    while (!s.empty() && IsSeparator(s.back())) s.pop_back();
    s += PathSeparator();
    s.append(b);
    return s;
}

std::string BaseName(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1])) return std::string(path.substr(i));
    }
    return std::string(path);
}

std::string DirName(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1])) return std::string(path.substr(0, i - 1));
    }
    return std::string();
}

File::~File() {
    Close();
}

File::File(File&& other) noexcept : handle_(other.handle_) {
    other.handle_ = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

bool File::IsOpen() const {
    return handle_ != -1;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    File f;
    if (!f.Open(path, File::Mode::Read)) return false;
    char buf[65536];
    for (;;) {
        std::int64_t n = f.Read(buf, sizeof buf);
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

bool MakeDirs(const std::string& path) {
    if (path.empty()) return false;
    if (DirExists(path)) return true;
    std::string parent = DirName(StripTrailingSeparators(path));
    if (!parent.empty() && parent != path && !DirExists(parent)) MakeDirs(parent);
    return MakeDir(path);
}

}  // namespace ks::plat
