#include "dialogs/folder_chooser.h"

#include <shlobj.h>

#include <utility>

#include "dialogs/dialogs.h"

namespace ks::dlg {
namespace {

const char* const kSelfProp = "KestruneFolderChooser";

}  // namespace

CFolderChooser::CFolderChooser(std::string title, std::string prompt, std::string startFolder,
                               HWND owner)
    : title_(std::move(title)),
      prompt_(std::move(prompt)),
      start_(std::move(startFolder)),
      owner_(owner) {}

int CFolderChooser::chooseFolder() {
    IMalloc* alloc = nullptr;
    if (FAILED(SHGetMalloc(&alloc)) || !alloc) return -1;
    bool ownerWasEnabled = owner_ && IsWindowEnabled(owner_);
    confirmed_ = false;

    char display[MAX_PATH] = {};
    BROWSEINFOA bi{};
    bi.hwndOwner = owner_;
    bi.pszDisplayName = display;
    bi.lpszTitle = prompt_.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    bi.lpfn = &CFolderChooser::BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(this);
    LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
    if (pidl) alloc->Free(pidl);
    alloc->Release();

    browse_ = nullptr;
    edit_ = nullptr;
    if (ownerWasEnabled && !IsWindowEnabled(owner_)) EnableWindow(owner_, TRUE);
    return confirmed_ ? 1 : -1;
}

int CALLBACK CFolderChooser::BrowseCallback(HWND h, UINT msg, LPARAM lp, LPARAM data) {
    auto* self = reinterpret_cast<CFolderChooser*>(data);
    if (msg == BFFM_INITIALIZED)
        self->OnInitialized(h);
    else if (msg == BFFM_SELCHANGED)
        self->OnSelChanged(lp);
    return 0;
}

void CFolderChooser::OnInitialized(HWND h) {
    browse_ = h;
    if (!title_.empty()) SetWindowTextA(h, title_.c_str());
    SetPropA(h, kSelfProp, this);
    oldProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CFolderChooser::SubclassProc)));
    ShowWindow(GetDlgItem(h, kBrowseStatusId), SW_HIDE);

    RECT tree{};
    HWND treeWnd = GetDlgItem(h, kBrowseTreeId);
    GetWindowRect(treeWnd, &tree);
    MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&tree), 2);
    edit_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, tree.left,
                            tree.top - 27, tree.right - tree.left, 23, h,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBrowsePathEditId)),
                            GetModuleHandleA(nullptr), nullptr);
    SendMessageA(edit_, WM_SETFONT, SendMessageA(h, WM_GETFONT, 0, 0), TRUE);
    SendMessageA(edit_, EM_LIMITTEXT, MAX_PATH - 1, 0);

    std::string start = start_;
    if (start.empty()) {
        char cur[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, cur);
        start = cur;
    }
    // The selection change fills the field too, but not every shell reports
    // a selection made before the tree is shown.
    SetWindowTextA(edit_, start.c_str());
    SendMessageA(h, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start.c_str()));
}

void CFolderChooser::OnSelChanged(LPARAM pidl) {
    char buf[MAX_PATH] = {};
    std::string path;
    if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(pidl), buf) && buf[1] == ':')
        path = buf;
    SendMessageA(browse_, BFFM_ENABLEOK, 0, path.empty() ? 0 : 1);
    SendMessageA(browse_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path.c_str()));
    if (edit_) SetWindowTextA(edit_, path.c_str());
}

bool CFolderChooser::OnOk() {
    char buf[MAX_PATH] = {};
    GetWindowTextA(edit_, buf, MAX_PATH);
    path_ = buf;
    if (ensureFolder(browse_, path_) != 0) {
        SetFocus(edit_);
        return false;
    }
    confirmed_ = true;
    return true;
}

LRESULT CALLBACK CFolderChooser::SubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<CFolderChooser*>(GetPropA(h, kSelfProp));
    if (!self) return DefWindowProcA(h, msg, wp, lp);
    WNDPROC old = self->oldProc_;
    if (msg == WM_COMMAND && self->edit_) {
        if (LOWORD(wp) == kBrowsePathEditId && HIWORD(wp) == EN_CHANGE &&
            reinterpret_cast<HWND>(lp) == self->edit_) {
            SendMessageA(h, BFFM_ENABLEOK, 0, GetWindowTextLengthA(self->edit_) > 0 ? 1 : 0);
            return 0;
        }
        if (LOWORD(wp) == IDOK && !self->OnOk()) return 0;
    } else if (msg == WM_NCDESTROY) {
        RemovePropA(h, kSelfProp);
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    }
    return CallWindowProcA(old, h, msg, wp, lp);
}

}  // namespace ks::dlg

namespace ks {

bool RunSetCurrentFolderDialog(HWND parent, std::string& folder) {
    dlg::CFolderChooser chooser("Kestrune", "Download Folder", folder, parent);
    if (chooser.chooseFolder() != 1) return false;
    folder = chooser.Path();
    return true;
}

}  // namespace ks
