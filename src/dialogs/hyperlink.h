// A static control that behaves as a link: hand cursor, hover and visited
// colours, a tooltip with the address, and a click that opens the address in
// the browser. Attach it to an existing static; it lives as long as the static.
#pragma once

#include <windows.h>

#include <string>

namespace ks::dlg {

class CHyperLink {
  public:
    CHyperLink() = default;
    ~CHyperLink();
    CHyperLink(const CHyperLink&) = delete;
    CHyperLink& operator=(const CHyperLink&) = delete;

    // Set before Attach, or later (the tooltip follows).
    void SetUrl(const std::string& url);
    void SetColours(COLORREF unvisited, COLORREF visited, COLORREF hover);
    // -1 underline while hovering, 1 always, 0 never.
    void SetUnderline(int mode);
    void SetFitToText(bool on) { fitToText_ = on; }
    bool Attach(HWND staticCtl);

    const std::string& Url() const { return url_; }
    bool Visited() const { return visited_; }

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void Paint();
    void FitToText();
    void ApplyFont(bool underlined);
    void Click();
    void UpdateTip();

    HWND hwnd_ = nullptr;
    WNDPROC oldProc_ = nullptr;
    std::string url_;
    COLORREF unvisited_ = RGB(0, 0, 238);
    COLORREF visitedColour_ = RGB(85, 26, 139);
    COLORREF hover_ = RGB(255, 0, 0);
    bool hovering_ = false;
    bool visited_ = false;
    int underline_ = -1;
    bool fitToText_ = true;
    static constexpr UINT_PTR kHoverTimer = 100;
    HFONT font_ = nullptr;
    HFONT underlinedFont_ = nullptr;
    HCURSOR hand_ = nullptr;
    HWND tip_ = nullptr;
};

// Opens url in the browser. Returns 0 on success, else the failing result
// code (the shell's code, or the registry fallback's WinExec code).
int OpenUrlInBrowser(const std::string& url);
// The user-facing text for a failing result code of OpenUrlInBrowser.
std::string OpenErrorText(int code);

}  // namespace ks::dlg
