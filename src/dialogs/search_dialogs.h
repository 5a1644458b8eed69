// The three search dialogs. Each runs modally on the UI thread and reads and
// writes the engine definition file itself (afresh at every opening).
#pragma once

#include <windows.h>

#include <string>

namespace ks {

class CProject;

struct SearchDialogData {
    std::string keywords;
    int category = 0;  // 0-based
    int method = 0;    // 0 all words, 1 any word, 2 exact phrase
    bool copies = false;
    bool images = false;
    // The search shown (its live status lines); null for a new search.
    CProject* project = nullptr;
    // The keyword drop-down's history; may be null.
    const std::string* history = nullptr;
    bool searchNow = false;  // out: closed with "Search Now"
};

// "Search": true for OK or "Search Now" (data then holds the fields).
bool RunSearchDialog(HWND parent, SearchDialogData& data, const std::string& searchIni);
// "Search Engines" for one category.
bool RunSearchEnginesDialog(HWND parent, int category, const std::string& searchIni);
// "Search Settings".
bool RunSearchSettingsDialog(HWND parent, const std::string& searchIni);

}  // namespace ks
