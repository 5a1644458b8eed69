// Thin helpers over the Win32 API shared by the program's windows.
#pragma once

#include <windows.h>
// commctrl.h needs the types windows.h declares.
#include <commctrl.h>

#include <string>

namespace ks::win {

HINSTANCE Instance();

std::string WindowText(HWND w);
// A modal message box titled with the product name.
int Message(HWND owner, const std::string& text, UINT flags = MB_OK | MB_ICONEXCLAMATION);
// An icon resource at an exact size (shared icons are never destroyed).
HICON LoadIconSized(int id, int size);

// Runs a window procedure's work so that nothing throws past the window
// procedure (the system's code above it cannot unwind): a handler that fails,
// out of memory mostly, answers `failed` and the message is dropped.
template <class F>
LRESULT Guarded(F&& handler, LRESULT failed) noexcept {
    try {
        return handler();
    } catch (...) {
        return failed;
    }
}

// Private messages of the main window. Worker threads only ever post these;
// nothing outside the UI thread sends a message to a window.
enum : UINT {
    WM_KS_TRAY = WM_USER + 10,           // tray icon callback (1034)
    WM_KS_UITASK = WM_APP + 1,           // tasks wait in UiTasks(): drain them
    WM_KS_DIAL_STATE = WM_APP + 40,      // wParam RAS state, lParam error
    WM_KS_KEEPALIVE_DONE = WM_APP + 41,  // the hidden keep-alive fetch ended
};

// Adds report-view column `index` to a list control. Inline, so the dialogs
// (also built into the test host without the shell) can use it.
inline void AddListColumn(HWND list, int index, const char* title, int width, int format) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    c.fmt = format;
    c.cx = width;
    c.pszText = const_cast<char*>(title);
    c.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&c));
}

}  // namespace ks::win
