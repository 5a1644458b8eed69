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
    char buf[256] = {};
    GetPrivateProfileStringA(section, key, "<missing>", buf, sizeof buf,
                             (home + "\\kestrune.ini").c_str());
    return buf;
}

}  // namespace guitest
