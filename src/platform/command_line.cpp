// Command-line splitting by the rules of the Windows C runtime, so that a
// command line composed for Windows reaches a program on any platform as the
// same arguments.
#include "platform/process.h"

namespace ks::plat {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

// The program name: quotes group, backslashes are plain characters.
std::size_t ReadProgramName(const std::string& s, std::string& out) {
    std::size_t i = 0;
    bool quoted = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (IsSpace(c) && !quoted) {
            break;
        } else {
            out += c;
        }
    }
    return i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& s) {
    std::vector<std::string> args;
    std::string arg;
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i == s.size()) return args;
    i += ReadProgramName(s.substr(i), arg);
    args.push_back(arg);

    while (true) {
        while (i < s.size() && IsSpace(s[i])) ++i;
        if (i == s.size()) break;
        arg.clear();
        bool quoted = false;
        for (; i < s.size(); ++i) {
            char c = s[i];
            if (c == '\\') {
                std::size_t n = 0;
                while (i < s.size() && s[i] == '\\') ++n, ++i;
                if (i < s.size() && s[i] == '"') {
                    // 2n backslashes and a quote: n backslashes, the quote
                    // toggles; 2n+1: n backslashes and a literal quote.
                    arg.append(n / 2, '\\');
                    if (n % 2 == 1) {
                        arg += '"';
                        continue;
                    }
                } else {
                    arg.append(n, '\\');
                }
                --i;  // let the loop see the character after the backslashes
                continue;
            }
            if (c == '"') {
                // Inside quotes a doubled quote is one literal quote.
                if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
                    arg += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else if (IsSpace(c) && !quoted) {
                break;
            } else {
                arg += c;
            }
        }
        args.push_back(arg);
    }
    return args;
}

}  // namespace ks::plat
