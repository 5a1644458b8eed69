// The main window's place in the clipboard-viewer chain. Every clipboard
// change is looked at twice: plain text the user copied, and the text the
// browser helper hands over in the program's private format. Accepted URLs go
// to the pending list; the notification always travels on down the chain.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "capture/capture_rules.h"

namespace ks {

// The clipboard text in format, zero-terminated; empty when there is none.
// Another process holding the clipboard is waited out briefly.
std::string ReadClipboardText(HWND owner, UINT format);

class CClipboardViewer {
  public:
    struct Checks {
        bool text = false;           // plain text ("Capture", and no project dialog open)
        bool privateFormat = false;  // the browser helper's hand-over ("CaptureIE")
    };
    using Queue = std::function<void(const std::string& url)>;

    // Joins the chain. Notifications are looked at only after SetReady.
    void Join(HWND owner, UINT privateFormat);
    void SetReady() { ready_ = true; }
    void Leave();

    // WM_DRAWCLIPBOARD and WM_CHANGECBCHAIN.
    void OnDraw(Checks checks, const std::vector<std::string>& types, const Queue& queue);
    void OnChangeChain(HWND leaving, HWND following);

  private:
    HWND owner_ = nullptr;
    HWND next_ = nullptr;
    UINT privateFormat_ = 0;
    bool ready_ = false;
    bool joined_ = false;
    DWORD lastSequence_ = 0;  // the clipboard's change count when last looked at
    ClipboardRepeatRule repeat_;
};

}  // namespace ks
