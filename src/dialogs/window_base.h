// The one window-procedure trampoline of the program's own windows. Register
// the class with CWindow::Proc and pass the object (as CWindow*) as the
// lpParam of CreateWindowEx: from WM_NCCREATE on, every message goes to its
// OnMessage, and nothing thrown there gets past the window procedure, which
// the system's code above cannot unwind (WM_CREATE then fails with -1, any
// other message answers 0).
//
// A modeless window made from a dialog template (the drop window) passes
// CWindow::DialogProc and CreateParam() to CreateDialogParam instead: from
// WM_INITDIALOG on, OnMessage answers as a dialog procedure does (nonzero:
// handled), and a handler that throws answers FALSE.
#pragma once

#include <windows.h>

namespace ks::win {

class CWindow {
  public:
    virtual ~CWindow() = default;
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK DialogProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);

    // The lpParam that ties a new window to this object.
    void* CreateParam() { return this; }

  protected:
    // `w` is the window, known here before CreateWindowEx has returned it.
    virtual LRESULT OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) = 0;
};

}  // namespace ks::win
