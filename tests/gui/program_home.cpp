#include "program_home.h"

#include "gui_test.h"

namespace guitest {

std::string ProjectText(const SavedProject& p, const std::string& folder) {
    // The .kpr lines in file order.
    const std::string lines[] = {
        p.url,
        p.fileName,
        "",
        "1",
        folder,
        std::to_string(p.seqFrom),
        std::to_string(p.seqTo),
        std::to_string(p.done),
        std::to_string(p.total),
        "",
        std::to_string(p.kind),
        "",
        "",
        "0",
        "0",
        std::to_string(p.position),
        "0",
        "0",
        "",
        "0",
        "0",
        "",
    };
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

std::string MakeHome(const std::vector<SavedProject>& projects, const std::string& extraIni) {
    std::string home = MakeTempFolder("home");
    std::string downloads = home + "\\Temp";
    CreateDirectoryA(downloads.c_str(), nullptr);
    WriteTextFile(home + "\\kestrune.ini",
                  "[Download]\r\nImmediate=no\r\nuseWav=no\r\ndontaskme=yes\r\n"
                  "automirrorcheck=no\r\ncheckfast=no\r\n" +
                      extraIni);
    int n = 0;
    for (const SavedProject& p : projects)
        WriteTextFile(home + "\\Projects\\" + std::to_string(1700000000 + n++) + ".kpr",
                      ProjectText(p, downloads));
    return home;
}

std::vector<std::string> Column(HWND list, int column) {
    std::vector<std::string> out;
    for (int i = 0, n = ListCount(list); i < n; ++i) out.push_back(ListText(list, i, column));
    return out;
}

std::string Ini(const std::string& home, const char* section, const char* key) {
    // Read from the file itself: Wine's profile functions keep a per-process
    // copy that they reload only when the file's time or size changed, and two
    // rewrites by the program within a second can keep both.
    std::string text;
    if (!ReadTextFile(home + "\\kestrune.ini", text)) return "<missing>";
    auto same = [](std::string a, std::string b) {
        return a.size() == b.size() &&
               CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(),
                              int(b.size())) == CSTR_EQUAL;
    };
    auto trim = [](std::string s) {
        std::size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
        return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    };
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (!line.empty() && line[0] == '[') {
            inSection = line.back() == ']' && same(trim(line.substr(1, line.size() - 2)), section);
            continue;
        }
        std::size_t eq = line.find('=');
        if (inSection && eq != std::string::npos && same(trim(line.substr(0, eq)), key))
            return trim(line.substr(eq + 1));
    }
    return "<missing>";
}

}  // namespace guitest
