// Pieces several project dialogs share: the URL box with its history list and
// the folder line with its "..." button.
#pragma once

#include <windows.h>

#include <string>

namespace ks::dlg {

// An editable drop-down of URLs. Opening the list refills it from the history
// without touching what was typed; closing it without a choice puts the last
// typed or chosen URL back.
class CUrlBox {
  public:
    void Attach(HWND dialog, int comboId, const std::string* history, const std::string& url);
    // True when the notification was the box's.
    bool OnCommand(int id, int code);
    // The dialog forwards kRestoreMessage here (posted after the list closes).
    void Restore();
    std::string Text() const;

    static constexpr UINT kRestoreMessage = WM_APP + 17;

  private:
    HWND dialog_ = nullptr;
    HWND combo_ = nullptr;
    int id_ = 0;
    const std::string* history_ = nullptr;
    std::string url_;
    bool dropped_ = false;
};

class CFolderLine {
  public:
    void Attach(HWND dialog, int buttonId, int labelId, const std::string& folder);
    // True when the click was the folder button's.
    bool OnCommand(int id, int code);
    const std::string& Folder() const { return folder_; }
    ~CFolderLine();

  private:
    void Show();
    HWND dialog_ = nullptr;
    int buttonId_ = 0, labelId_ = 0;
    std::string folder_;
    HBITMAP bitmap_ = nullptr;
};

// AddToHistory for a history that may be absent; empty entries are not kept.
void AddHistoryEntry(std::string* history, const std::string& entry);

// A file-open dialog. filter uses '|' between parts (converted to NULs);
// returns false when cancelled.
bool AskOpenFile(HWND owner, const char* filter, const std::string& startPath, std::string& out,
                 DWORD extraFlags = 0);

}  // namespace ks::dlg
