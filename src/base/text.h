// Byte-string helpers shared by the settings store, the project files, the
// URL helpers and the command line.
#pragma once

#include <string>
#include <string_view>

namespace ks {

inline bool IsSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}

// s without blanks and tabs at either end.
inline std::string_view TrimSpacesTabs(std::string_view s) {
    while (!s.empty() && IsSpaceOrTab(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpaceOrTab(s.back())) s.remove_suffix(1);
    return s;
}

// s without CR, LF and NUL. Line-based files store values one per line: a line
// break inside a value would end its line early and shift every later line (or
// plant a key of its own), and a NUL would cut it short for C-string readers.
inline std::string WithoutLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c != '\r' && c != '\n' && c != '\0') out += c;
    }
    return out;
}

// ASCII letters lower-cased, every other byte kept (names, schemes, headers).
inline std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// A bare file name: nothing that could lead a path joined from it (and later
// deleted) out of its folder. It must also name that one file: a NUL would cut
// the path short, and a line break would not survive a save of a list file.
inline bool IsPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0\r\n", 5)) == std::string_view::npos;
}

}  // namespace ks
