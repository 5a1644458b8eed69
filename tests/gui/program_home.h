// Program folders for tests that start kestrune.exe: saved projects written
// as the program stores them, and settings that keep a test quiet (no sound,
// no confirmation, no automatic start, no lookups of other sources).
#pragma once

#include <string>
#include <vector>

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
// clang-format on

namespace guitest {

struct SavedProject {
    std::string url, fileName;
    int position = 0;
    int kind = 0;
    int seqFrom = 1, seqTo = 1;
    long long done = 0, total = 0;
};

// The .kpr text of p, downloading into folder.
std::string ProjectText(const SavedProject& p, const std::string& folder);

// A fresh program folder with a "Temp" download folder, these projects and
// the quiet settings; extraIni is appended to the settings file (it starts
// inside section "Download").
std::string MakeHome(const std::vector<SavedProject>& projects, const std::string& extraIni = "");

// The texts of one column, top to bottom.
std::vector<std::string> Column(HWND list, int column);
using Urls = std::vector<std::string>;

// A value of kestrune.ini in home, or "<missing>".
std::string Ini(const std::string& home, const char* section, const char* key);

}  // namespace guitest
