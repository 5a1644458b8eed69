#include "dialogs/hyperlink.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "dialogs/dialog_base.h"

namespace ks::dlg {
namespace {

const char* const kSelfProp = "KestruneHyperLink";

std::string WindowText(HWND h) {
    int n = GetWindowTextLengthA(h);
    if (n <= 0) return std::string();
    std::vector<char> buf(static_cast<std::size_t>(n) + 1);
    GetWindowTextA(h, buf.data(), n + 1);
    return buf.data();
}

std::string ClassesRootDefault(const std::string& key) {
    char buf[1024] = {};
    LONG len = sizeof buf;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), buf, &len) != ERROR_SUCCESS) return {};
    return buf;
}

}  // namespace

int OpenUrlInBrowser(const std::string& url) {
    auto shellResult = static_cast<int>(reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW)));
    if (shellResult > 32) return 0;
    std::string cls = ClassesRootDefault(".htm");
    std::string command =
        cls.empty() ? std::string() : ClassesRootDefault(cls + "\\shell\\open\\command");
    if (command.empty()) return shellResult;
    std::string::size_type at = command.find("\"%1\"");
    if (at == std::string::npos) at = command.find("%1");
    if (at != std::string::npos) command.erase(at);
    command += ' ';
    command += url;
    UINT r = WinExec(command.c_str(), SW_SHOW);
    return r > 31 ? 0 : static_cast<int>(r);
}

std::string OpenErrorText(int code) {
    switch (code) {
        case 0:
            return "The operating system is out\nof memory or resources.";
        case 2:
            return "The specified file was not found.";
        case 3:
            return "The specified path was not found.";
        case 5:
            return "The operating system denied\naccess to the specified file.";
        case 8:
            return "There was not enough memory to complete the operation.";
        case 11:
            return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case 26:
            return "A sharing violation occurred. ";
        case 27:
            return "The filename association is\nincomplete or invalid.";
        case 28:
            return "The DDE transaction could not\nbe completed because the request timed out.";
        case 29:
            return "The DDE transaction failed.";
        case 30:
            return "The DDE transaction could not\nbe completed because other DDE "
                   "transactions\nwere being processed.";
        case 31:
            return "There is no application associated\nwith the given filename extension.";
        case 32:
            return "The specified dynamic-link library was not found.";
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "Unknown Error (%d) occurred.", code);
    return buf;
}

CHyperLink::~CHyperLink() {
    if (hwnd_ && IsWindow(hwnd_)) {
        KillTimer(hwnd_, kHoverTimer);
        RemovePropA(hwnd_, kSelfProp);
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
        SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
    if (font_) DeleteObject(font_);
    if (underlinedFont_) DeleteObject(underlinedFont_);
}

void CHyperLink::SetUrl(const std::string& url) {
    url_ = url;
    if (hwnd_) UpdateTip();
}

void CHyperLink::SetColours(COLORREF unvisited, COLORREF visited, COLORREF hover) {
    unvisited_ = unvisited;
    visitedColour_ = visited;
    hover_ = hover;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void CHyperLink::SetUnderline(int mode) {
    underline_ = mode;
    if (hwnd_) ApplyFont(mode == 1);
}

bool CHyperLink::Attach(HWND ctl) {
    if (!ctl || hwnd_) return false;
    hwnd_ = ctl;
    SetWindowLongPtrA(ctl, GWL_STYLE, GetWindowLongPtrA(ctl, GWL_STYLE) | SS_NOTIFY);
    std::string text = WindowText(ctl);
    if (url_.empty()) url_ = text;
    if (text.empty()) SetWindowTextA(ctl, url_.c_str());

    auto current = reinterpret_cast<HFONT>(SendMessageA(ctl, WM_GETFONT, 0, 0));
    if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!current) current = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    LOGFONTA lf{};
    GetObjectA(current, sizeof lf, &lf);
    font_ = CreateFontIndirectA(&lf);
    lf.lfUnderline = TRUE;
    underlinedFont_ = CreateFontIndirectA(&lf);

    SetPropA(ctl, kSelfProp, this);
    oldProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(ctl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CHyperLink::Proc)));
    ApplyFont(underline_ == 1);
    FitToText();
    hand_ = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));

    tip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, ctl, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    if (tip_) {
        TOOLINFOA ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_SUBCLASS;
        ti.hwnd = ctl;
        ti.uId = 1;
        GetClientRect(ctl, &ti.rect);
        ti.lpszText = const_cast<char*>(url_.c_str());
        SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    return true;
}

void CHyperLink::UpdateTip() {
    if (!tip_) return;
    TOOLINFOA ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = hwnd_;
    ti.uId = 1;
    ti.lpszText = const_cast<char*>(url_.c_str());
    SendMessageA(tip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CHyperLink::ApplyFont(bool underlined) {
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(underlined ? underlinedFont_ : font_),
                 TRUE);
}

void CHyperLink::FitToText() {
    if (!fitToText_) return;
    std::string text = WindowText(hwnd_);
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_);
    SIZE ext{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &ext);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);

    RECT r{};
    GetWindowRect(hwnd_, &r);
    HWND parent = GetParent(hwnd_);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE);
    int width = ext.cx, height = r.bottom - r.top;
    int x = r.left, y = r.top;
    if ((style & SS_TYPEMASK) == SS_CENTER)
        x = (r.left + r.right - width) / 2;
    else if ((style & SS_TYPEMASK) == SS_RIGHT)
        x = r.right - width;
    if (style & SS_CENTERIMAGE) {
        y = (r.top + r.bottom - ext.cy) / 2;
        height = ext.cy;
    }
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHyperLink::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    auto font = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, hovering_ ? hover_ : (visited_ ? visitedColour_ : unvisited_));
    std::string text = WindowText(hwnd_);
    LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE);
    UINT fmt = DT_SINGLELINE | DT_NOPREFIX;
    if ((style & SS_TYPEMASK) == SS_CENTER) fmt |= DT_CENTER;
    if ((style & SS_TYPEMASK) == SS_RIGHT) fmt |= DT_RIGHT;
    if (style & SS_CENTERIMAGE) fmt |= DT_VCENTER;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, fmt);
    SelectObject(dc, old);
    EndPaint(hwnd_, &ps);
}

void CHyperLink::Click() {
    hovering_ = false;
    int r = OpenUrlInBrowser(url_);
    if (r == 0) {
        visited_ = true;
        InvalidateRect(hwnd_, nullptr, TRUE);
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    std::string text = "Unable to open hyperlink:\n\n" + OpenErrorText(r);
    MessageBoxA(GetParent(hwnd_), text.c_str(), kAppTitle, MB_OK | MB_ICONEXCLAMATION);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK CHyperLink::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<CHyperLink*>(GetPropA(h, kSelfProp));
    if (!self) return DefWindowProcA(h, msg, wp, lp);
    try {
        return self->Handle(msg, wp, lp);
    } catch (...) {
        return 0;  // nothing may unwind into the system's dispatch code
    }
}

LRESULT CHyperLink::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE:
            if (!hovering_) {
                hovering_ = true;
                if (underline_ == -1) ApplyFont(true);
                InvalidateRect(hwnd_, nullptr, TRUE);
                SetTimer(hwnd_, kHoverTimer, 100, nullptr);
            }
            break;
        case WM_TIMER:
            if (wp == kHoverTimer) {
                DWORD pos = GetMessagePos();
                POINT pt{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
                ScreenToClient(hwnd_, &pt);
                RECT rc;
                GetClientRect(hwnd_, &rc);
                if (!PtInRect(&rc, pt)) {
                    hovering_ = false;
                    KillTimer(hwnd_, kHoverTimer);
                    if (underline_ != 1) ApplyFont(false);
                    InvalidateRect(hwnd_, nullptr, TRUE);
                }
                return 0;
            }
            break;
        case WM_SETCURSOR:
            if (hand_) {
                SetCursor(hand_);
                return TRUE;
            }
            break;
        case WM_LBUTTONUP:
            Click();
            return 0;
        case WM_NCDESTROY: {
            WNDPROC old = oldProc_;
            KillTimer(hwnd_, kHoverTimer);
            RemovePropA(hwnd_, kSelfProp);
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
            HWND h = hwnd_;
            hwnd_ = nullptr;
            tip_ = nullptr;  // owned by the static; destroyed with it
            return CallWindowProcA(old, h, msg, wp, lp);
        }
    }
    return CallWindowProcA(oldProc_, hwnd_, msg, wp, lp);
}

}  // namespace ks::dlg
