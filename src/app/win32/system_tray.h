// The notification-area icon: tip, icon, and a frame animation driven by a
// timer on the tray's own hidden window, so animation ticks never compete with
// the main window's timers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/window_base.h"

namespace ks {

class CSystemTray : public win::CWindow {
  public:
    CSystemTray() = default;
    ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Adds the icon. Callback messages go to notify. False when the shell is
    // older than version 4 or refuses the icon.
    bool Create(HWND notify, UINT callbackMessage, UINT id, int iconId, const std::string& tip);
    bool SetIcon(int iconId);
    bool SetTooltip(const std::string& text);  // cut to 63 characters
    bool SetIconList(int first, int last);
    // periodMs between frames; durationSeconds <= 0 animates until stopped.
    bool Animate(UINT periodMs, int durationSeconds);
    void StopAnimation();
    bool Animating() const { return timer_ != 0; }
    void Remove();

    // The shell lost its icons (explorer restarted): add ours again.
    void Readd();
    int CurrentIcon() const { return currentIcon_; }
    UINT Id() const { return id_; }

  private:
    LRESULT OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;
    void OnTimer();
    bool Notify(DWORD action, UINT flags);

    static constexpr UINT_PTR kAnimationTimer = 4567;
    HWND window_ = nullptr;  // hidden, owns the animation timer
    HWND notify_ = nullptr;
    UINT id_ = 0;
    UINT callback_ = 0;
    bool added_ = false;
    int currentIcon_ = 0;
    std::string tip_;
    std::vector<int> frames_;
    std::size_t frame_ = 0;
    int savedIcon_ = 0;
    UINT_PTR timer_ = 0;
    DWORD startTick_ = 0;
    int durationSeconds_ = 0;
};

}  // namespace ks
