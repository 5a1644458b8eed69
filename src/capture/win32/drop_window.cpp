#include "capture/win32/drop_window.h"

#include <vector>

#include "capture/drop_shape.h"
#include "capture_ids.h"
#include "projects/win32/url_drop_target.h"
#include "resource.h"

namespace ks {

namespace {
constexpr int kBackgroundId = 100;

HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

// The picture's pixels as 0x00RRGGBB, top row first.
std::vector<std::uint32_t> PicturePixels(HBITMAP bitmap, int size) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(nullptr);
    int rows = GetDIBits(dc, bitmap, 0, size, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != size) return {};
    for (std::uint32_t& p : pixels) p &= 0x00FFFFFFu;
    return pixels;
}
}  // namespace

bool CDropWindow::Create(Host host) {
    host_ = std::move(host);
    hwnd_ = CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_DROP_WINDOW), host_.main,
                               &win::CWindow::DialogProc, reinterpret_cast<LPARAM>(CreateParam()));
    if (!hwnd_) return false;
    target_ = UrlDropTarget::Register(hwnd_, host_.handleCommandLine);
    return true;
}

void CDropWindow::Destroy() {
    if (!hwnd_) return;
    UrlDropTarget::Revoke(hwnd_, target_);
    target_ = nullptr;
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    if (picture_) DeleteObject(picture_);
    picture_ = nullptr;
}

void CDropWindow::PlaceAt(int x, int y) {
    if (!hwnd_) return;
    SetWindowPos(hwnd_, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CDropWindow::Hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

LRESULT CDropWindow::OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) hwnd_ = w;  // before CreateDialogParam has returned it
    return Handle(msg, wp, lp);
}

INT_PTR CDropWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            OnInit();
            return FALSE;
        case WM_DRAWITEM:
            PaintPicture(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_LBUTTONDOWN:
            // Dragged like a caption: the system moves it and reports the end.
            ReleaseCapture();
            SendMessageA(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            return TRUE;
        case WM_LBUTTONDBLCLK:
            if (host_.main && host_.openCommand)
                SendMessageA(host_.main, WM_COMMAND, host_.openCommand, 0);
            return TRUE;
        case WM_RBUTTONDOWN:
            ShowMenu();
            return TRUE;
        case WM_NCHITTEST: {
            // The picture is the whole window: every point of the shape is
            // client area, so the mouse messages below arrive.
            SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, HTCLIENT);
            return TRUE;
        }
        case WM_MOVE:
            OnMoved();
            return TRUE;
        case WM_CLOSE:
            Hide();  // it is hidden or shown, never closed on its own
            return TRUE;
    }
    return FALSE;
}

void CDropWindow::OnInit() {
    picture_ = static_cast<HBITMAP>(LoadImageA(Module(), MAKEINTRESOURCEA(IDB_DROP_PICTURE),
                                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!picture_) return;  // no picture: the plain dialog, unshaped
    background_ = CreateWindowExA(
        WS_EX_TRANSPARENT, "STATIC", "Background", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0,
        kDropSize, kDropSize, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBackgroundId)),
        Module(), nullptr);
    SetWindowPos(hwnd_, nullptr, 0, 0, kDropSize, kDropSize,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyShape();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void CDropWindow::ApplyShape() {
    std::vector<std::uint32_t> pixels = PicturePixels(picture_, kDropSize);
    std::vector<ShapeRect> runs = ShapeRuns(pixels, kDropSize, kDropSize);
    if (runs.empty()) return;
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    for (const ShapeRect& r : runs) {
        HRGN part = CreateRectRgn(r.left, r.top, r.right, r.bottom);
        CombineRgn(shape, shape, part, RGN_OR);
        DeleteObject(part);
    }
    if (!SetWindowRgn(hwnd_, shape, TRUE)) DeleteObject(shape);  // the window owns it once set
}

void CDropWindow::PaintPicture(const DRAWITEMSTRUCT& di) {
    if (!picture_) return;
    HDC mem = CreateCompatibleDC(di.hDC);
    HGDIOBJ old = SelectObject(mem, picture_);
    BitBlt(di.hDC, 0, 0, kDropSize, kDropSize, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void CDropWindow::OnMoved() {
    if (firstMove_) {
        firstMove_ = false;
        return;
    }
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    DropPosition p = ClampDropPosition({rc.left, rc.top}, GetSystemMetrics(SM_CXSCREEN),
                                       GetSystemMetrics(SM_CYSCREEN));
    if (p.x != rc.left || p.y != rc.top)
        SetWindowPos(hwnd_, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (host_.onMoved) host_.onMoved(p.x, p.y);
}

void CDropWindow::ShowMenu() {
    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_TRAYMENU));
    if (!menu) return;
    POINT pt;
    GetCursorPos(&pt);
    SetForegroundWindow(hwnd_);
    // The commands are the main window's: it owns the menu while it is open.
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0,
                   host_.main ? host_.main : hwnd_, nullptr);
    PostMessageA(hwnd_, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

}  // namespace ks
