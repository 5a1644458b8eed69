#include "app/win32/system_tray.h"

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "app/shell_text.h"
#include "dialogs/win_util.h"

namespace ks {

namespace {
const char kTrayClass[] = "KestruneTrayWindow";

bool ShellAtLeast4() {
    HMODULE shell = GetModuleHandleA("shell32.dll");
    if (!shell) return true;
    struct Dvi {
        DWORD cbSize, major, minor, build, platform;
    } dvi{sizeof(Dvi), 0, 0, 0, 0};
    using Fn = HRESULT(CALLBACK*)(Dvi*);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")));
    if (!fn || FAILED(fn(&dvi))) return true;  // too old to say: assume a modern shell
    return dvi.major >= 4;
}
}  // namespace

CSystemTray::~CSystemTray() {
    Remove();
    if (window_) DestroyWindow(window_);
}

bool CSystemTray::Create(HWND notify, UINT callbackMessage, UINT id, int iconId,
                         const std::string& tip) {
    if (!ShellAtLeast4()) return false;
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &win::CWindow::Proc;
        wc.hInstance = win::Instance();
        wc.lpszClassName = kTrayClass;
        return RegisterClassA(&wc) != 0;
    }();
    if (!registered) return false;
    window_ = CreateWindowA(kTrayClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, win::Instance(),
                            CreateParam());
    if (!window_) return false;
    notify_ = notify;
    callback_ = callbackMessage;
    id_ = id;
    currentIcon_ = iconId;
    tip_ = TrayTip(tip);
    added_ = Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    return added_;
}

bool CSystemTray::Notify(DWORD action, UINT flags) {
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = notify_;
    nid.uID = id_;
    nid.uFlags = flags;
    nid.uCallbackMessage = callback_;
    nid.hIcon = win::LoadIconSized(currentIcon_, 16);
    lstrcpynA(nid.szTip, tip_.c_str(), 64);
    return Shell_NotifyIconA(action, &nid) != FALSE;
}

bool CSystemTray::SetIcon(int iconId) {
    currentIcon_ = iconId;
    return added_ && Notify(NIM_MODIFY, NIF_ICON);
}

bool CSystemTray::SetTooltip(const std::string& text) {
    std::string tip = TrayTip(text);
    if (tip == tip_) return true;  // the heartbeat repeats itself every second
    tip_ = std::move(tip);
    return added_ && Notify(NIM_MODIFY, NIF_TIP);
}

bool CSystemTray::SetIconList(int first, int last) {
    if (last < first) return false;
    frames_.clear();
    for (int id = first; id <= last; ++id) frames_.push_back(id);
    frame_ = 0;
    return true;
}

bool CSystemTray::Animate(UINT periodMs, int durationSeconds) {
    StopAnimation();
    if (frames_.empty() || !window_) return false;
    savedIcon_ = currentIcon_;
    startTick_ = GetTickCount();
    durationSeconds_ = durationSeconds;
    timer_ = SetTimer(window_, kAnimationTimer, periodMs, nullptr);
    return timer_ != 0;
}

void CSystemTray::StopAnimation() {
    if (!timer_) return;
    KillTimer(window_, kAnimationTimer);
    timer_ = 0;
    SetIcon(savedIcon_);
}

void CSystemTray::OnTimer() {
    if (durationSeconds_ > 0 &&
        (GetTickCount() - startTick_) / 1000 > static_cast<DWORD>(durationSeconds_)) {
        StopAnimation();
        return;
    }
    int saved = savedIcon_;
    SetIcon(frames_[frame_]);
    savedIcon_ = saved;
    frame_ = (frame_ + 1) % frames_.size();
}

void CSystemTray::Remove() {
    StopAnimation();
    if (added_) Notify(NIM_DELETE, 0);
    added_ = false;
}

void CSystemTray::Readd() {
    if (notify_) added_ = Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

// A missed animation frame is simply drawn on the next tick.
LRESULT CSystemTray::OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kAnimationTimer) {
        OnTimer();
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace ks
