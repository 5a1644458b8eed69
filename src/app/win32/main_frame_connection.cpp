// The main window's connection commands: dial, hang up and the connection,
// keep-alive and scheduler settings, all handed to CFrameConnection.
#include "app/win32/main_frame.h"
#include "resource.h"

namespace ks {

void CMainFrame::StartConnection() {
    CFrameConnection::Frame f;
    f.hwnd = hwnd_;
    f.status = status_;
    f.tray = [this](bool animate, bool connected) {
        connected_ = connected;
        if (animate) {
            StartTrayAnimation();
        } else {
            StopTrayAnimation();
        }
    };
    f.quit = [this](bool post) {
        quitRequested_ = true;
        if (post) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    };
    conn_.Start(std::move(f));
}

void CMainFrame::CmdDial() {
    conn_.CmdDial();
}

void CMainFrame::CmdHangUp() {
    conn_.CmdHangUp();
}

void CMainFrame::CmdConnectionSettings() {
    conn_.CmdConnectionSettings();
}

void CMainFrame::CmdKeepAliveSettings() {
    conn_.CmdKeepAliveSettings();
}

void CMainFrame::CmdSchedulerSettings() {
    conn_.CmdSchedulerSettings();
}

}  // namespace ks
