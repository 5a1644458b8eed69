// The capture windows' dialogs: the download confirmation every captured URL
// passes, the Options dialog that gathers the capture switches and opens the
// other settings dialogs, and the list of file types to capture. Modal, UI
// thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ks {

// "Kestrune Download confirmation...". folder in and out (the "..." button
// changes it); dontAsk out: the check box, stored by the caller on OK and on
// Cancel alike. True on OK.
bool RunConfirmDownloadDialog(HWND parent, const std::string& url, std::string& folder,
                              bool& dontAsk);

struct CaptureSwitches {
    bool capture = false, immediate = false, captureIE = false, captureNetscape = false;
    bool operator==(const CaptureSwitches&) const = default;
};

// "Options": the four capture switches in and out (changed only on OK). Each
// of the six buttons calls openSettings with the dialog as parent and the
// button's menu command (the File types, keep-alive, connection, scheduler,
// transfer and search settings), so the dialog it opens is modal to it.
bool RunCaptureOptionsDialog(HWND parent, CaptureSwitches& switches,
                             const std::function<void(HWND parent, int command)>& openSettings);

// "File types to capture": the list in and out, sorted as the list shows it.
bool RunFileTypesDialog(HWND parent, std::vector<std::string>& types);

}  // namespace ks
