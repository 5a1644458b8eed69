#include "dialogs/window_base.h"

#include "dialogs/win_util.h"

namespace ks::win {

LRESULT CALLBACK CWindow::Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<CWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (!self) return DefWindowProcA(w, msg, wp, lp);
    return Guarded([&] { return self->OnMessage(w, msg, wp, lp); }, msg == WM_CREATE ? -1 : 0);
}

INT_PTR CALLBACK CWindow::DialogProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrA(w, DWLP_USER, lp);
    auto* self = reinterpret_cast<CWindow*>(GetWindowLongPtrA(w, DWLP_USER));
    if (!self) return FALSE;  // the messages before WM_INITDIALOG
    return Guarded([&] { return self->OnMessage(w, msg, wp, lp); }, FALSE);
}

}  // namespace ks::win
