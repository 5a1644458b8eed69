#include "dialogs/common_controls.h"

#include <commdlg.h>

#include <vector>

#include "app/history.h"
#include "dialog_ids.h"
#include "dialogs/folder_chooser.h"

namespace ks::dlg {
namespace {

std::string ControlText(HWND h) {
    int n = GetWindowTextLengthA(h);
    if (n <= 0) return std::string();
    std::vector<char> buf(static_cast<std::size_t>(n) + 1);
    GetWindowTextA(h, buf.data(), n + 1);
    return buf.data();
}

}  // namespace

void CUrlBox::Attach(HWND dialog, int comboId, const std::string* history, const std::string& url) {
    dialog_ = dialog;
    id_ = comboId;
    combo_ = GetDlgItem(dialog, comboId);
    history_ = history;
    url_ = url;
    SendMessageA(combo_, CB_LIMITTEXT, 0, 0);
    SetWindowTextA(combo_, url_.c_str());
}

bool CUrlBox::OnCommand(int id, int code) {
    if (id != id_) return false;
    switch (code) {
        case CBN_DROPDOWN: {
            dropped_ = true;
            std::string typed = ControlText(combo_);
            SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
            if (history_)
                for (const std::string& line : HistoryEntries(*history_))
                    SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            SetWindowTextA(combo_, typed.c_str());
            break;
        }
        case CBN_EDITCHANGE:
            url_ = ControlText(combo_);
            break;
        case CBN_SELENDOK: {
            LRESULT sel = SendMessageA(combo_, CB_GETCURSEL, 0, 0);
            LRESULT len = sel >= 0 ? SendMessageA(combo_, CB_GETLBTEXTLEN, sel, 0) : CB_ERR;
            if (len >= 0) {
                std::vector<char> buf(static_cast<std::size_t>(len) + 1);
                SendMessageA(combo_, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(buf.data()));
                url_ = buf.data();
            }
            break;
        }
        case CBN_SELENDCANCEL:
        case CBN_CLOSEUP:
            // Also sent when the box merely loses the focus; only a list that
            // was open has anything to undo. The box updates its edit text
            // after these notifications, so the stored URL goes back later.
            if (dropped_) PostMessageA(dialog_, kRestoreMessage, 0, 0);
            dropped_ = false;
            break;
    }
    return true;
}

void CUrlBox::Restore() {
    if (ControlText(combo_) != url_) SetWindowTextA(combo_, url_.c_str());
}

std::string CUrlBox::Text() const {
    return ControlText(combo_);
}

void CFolderLine::Attach(HWND dialog, int buttonId, int labelId, const std::string& folder) {
    dialog_ = dialog;
    buttonId_ = buttonId;
    labelId_ = labelId;
    folder_ = folder;
    bitmap_ = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr),
                                              MAKEINTRESOURCEA(IDB_FOLDER_BUTTON), IMAGE_BITMAP, 0,
                                              0, LR_LOADMAP3DCOLORS));
    if (bitmap_)
        SendDlgItemMessageA(dialog, buttonId, BM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(bitmap_));
    Show();
}

CFolderLine::~CFolderLine() {
    if (bitmap_) DeleteObject(bitmap_);
}

void CFolderLine::Show() {
    std::string label = "Download Folder:  " + folder_;
    SetDlgItemTextA(dialog_, labelId_, label.c_str());
}

bool CFolderLine::OnCommand(int id, int code) {
    if (id != buttonId_) return false;
    if (code == BN_CLICKED) {
        CFolderChooser chooser("Kestrune", "Download Folder", folder_, dialog_);
        if (chooser.chooseFolder() == 1) {
            folder_ = chooser.Path();
            Show();
        }
    }
    return true;
}

void AddHistoryEntry(std::string* history, const std::string& entry) {
    if (history && !entry.empty()) AddToHistory(*history, entry);
}

bool AskOpenFile(HWND owner, const char* filter, const std::string& startPath, std::string& out,
                 DWORD extraFlags) {
    std::string f = filter;
    for (char& c : f)
        if (c == '|') c = '\0';
    f.push_back('\0');
    std::string dir;
    std::string::size_type slash = startPath.rfind('\\');
    if (slash != std::string::npos) dir = startPath.substr(0, slash);
    std::vector<char> name(extraFlags & OFN_ALLOWMULTISELECT ? 2048 : MAX_PATH, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = f.c_str();
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | extraFlags;
    if (!GetOpenFileNameA(&ofn)) return false;
    if (extraFlags & OFN_ALLOWMULTISELECT)
        out.assign(name.data(), name.size());  // folder, NUL, names, NUL NUL
    else
        out = name.data();
    return true;
}

}  // namespace ks::dlg
