// The drop window: a small always-on-top window shaped like its picture.
// Links dragged onto it become downloads; the left button moves it, the
// right button opens the program's pop-up menu (its commands go to the main
// window) and a double click brings the main window back.
#pragma once

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
// clang-format on

#include <functional>
#include <string>

#include "dialogs/window_base.h"

namespace ks {

class UrlDropTarget;

class CDropWindow : public win::CWindow {
  public:
    struct Host {
        HWND main = nullptr;  // owner; receives the pop-up menu's commands
        // handle(text, add): 1 if text is a URL to take; with add, queue it.
        std::function<int(const std::string& text, bool add)> handleCommandLine;
        // The window came to rest at a new (clamped) screen position.
        std::function<void(int x, int y)> onMoved;
        // The double click's command (the main window's "&Open").
        UINT openCommand = 0;
    };

    CDropWindow() = default;
    ~CDropWindow() override { Destroy(); }
    CDropWindow(const CDropWindow&) = delete;
    CDropWindow& operator=(const CDropWindow&) = delete;

    bool Create(Host host);
    void Destroy();
    HWND Hwnd() const { return hwnd_; }

    // Shows it top-most at (x, y) without changing its size.
    void PlaceAt(int x, int y);
    void Hide();

  protected:
    LRESULT OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);
    void OnInit();
    void ApplyShape();
    void OnMoved();
    void ShowMenu();
    void PaintPicture(const DRAWITEMSTRUCT& di);

    Host host_;
    HWND hwnd_ = nullptr;
    HWND background_ = nullptr;
    HBITMAP picture_ = nullptr;
    UrlDropTarget* target_ = nullptr;
    bool firstMove_ = true;  // the move its creation causes is not the user's
};

}  // namespace ks
