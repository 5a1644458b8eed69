#include "dialogs/dialog_base.h"

#include <commctrl.h>

#include <charconv>
#include <cstdio>
#include <vector>

namespace ks::dlg {

HINSTANCE ModuleInstance() {
    return GetModuleHandleA(nullptr);
}

INT_PTR CDialog::DoModal(HWND parent) {
    static const bool commonControls = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc,
                                 ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)commonControls;
    return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId_), parent, &CDialog::Proc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    CDialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lp);
        self->hwnd_ = h;
        SetWindowLongPtrA(h, DWLP_USER, lp);
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(h, DWLP_USER));
    }
    if (!self) return FALSE;
    try {
        return self->Handle(msg, wp, lp);
    } catch (...) {
        EndDialog(h, IDCANCEL);
        return TRUE;
    }
}

INT_PTR CDialog::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            return OnInit();
        case WM_COMMAND: {
            int id = LOWORD(wp), code = HIWORD(wp);
            if (OnCommand(id, code, reinterpret_cast<HWND>(lp))) return TRUE;
            if (id == IDOK && code == BN_CLICKED) {
                if (OnOk()) EndDialog(hwnd_, IDOK);
                return TRUE;
            }
            if (id == IDCANCEL) {
                EndDialog(hwnd_, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        }
        case WM_NOTIFY:
            SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, OnNotify(reinterpret_cast<NMHDR*>(lp)));
            return TRUE;
        case WM_TIMER:
            OnTimer(wp);
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
    }
    if (msg >= WM_APP && msg <= 0xBFFF) return OnMessage(msg) ? TRUE : FALSE;
    return FALSE;
}

std::string CDialog::Text(int id) const {
    HWND c = Item(id);
    int n = GetWindowTextLengthA(c);
    if (n <= 0) return std::string();
    std::vector<char> buf(static_cast<std::size_t>(n) + 1);
    int got = GetWindowTextA(c, buf.data(), n + 1);
    return std::string(buf.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

void CDialog::SetText(int id, const std::string& s) const {
    SetDlgItemTextA(hwnd_, id, s.c_str());
}

std::optional<long long> CDialog::Int(int id) const {
    std::string s = Text(id);
    std::size_t b = s.find_first_not_of(" \t");
    std::size_t e = s.find_last_not_of(" \t");
    if (b == std::string::npos) return std::nullopt;
    const char* first = s.data() + b;
    const char* last = s.data() + e + 1;
    if (*first == '+') ++first;
    long long v = 0;
    auto r = std::from_chars(first, last, v);
    if (r.ec != std::errc() || r.ptr != last) return std::nullopt;
    return v;
}

void CDialog::SetInt(int id, long long v) const {
    SetText(id, std::to_string(v));
}

int CDialog::Message(const char* text, UINT flags) const {
    return MessageBoxA(hwnd_, text, kAppTitle, flags);
}

bool CDialog::IntInRange(int id, long long lo, long long hi, int& out) const {
    std::optional<long long> v = Int(id);
    if (v && *v >= lo && *v <= hi) {
        out = static_cast<int>(*v);
        return true;
    }
    char msg[96];
    if (!v)
        std::snprintf(msg, sizeof msg, "Please enter an integer.");
    else
        std::snprintf(msg, sizeof msg, "Please enter an integer between %lld and %lld.", lo, hi);
    Message(msg, MB_OK | MB_ICONEXCLAMATION);
    SetFocus(Item(id));
    SendMessageA(Item(id), EM_SETSEL, 0, -1);
    return false;
}

void CDialog::SetupSpin(int spinId, int lo, int hi, int pos) const {
    SendMessageA(Item(spinId), UDM_SETRANGE32, lo, hi);
    SendMessageA(Item(spinId), UDM_SETPOS32, 0, pos);
}

}  // namespace ks::dlg
