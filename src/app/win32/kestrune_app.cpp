#include "app/win32/kestrune_app.h"

// windows.h must come before the headers that use its types.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include <memory>

#include "app/win32/dde_link.h"
#include "app/win32/main_frame.h"
#include "base/ui_tasks.h"
#include "base/worker_threads.h"
#include "dialogs/win_util.h"
#include "resource.h"

namespace ks {

namespace {
// A worker stuck in a call that cannot be cancelled must not keep the
// process alive for ever.
constexpr std::int64_t kWorkerExitWaitMs = 10000;
}  // namespace

bool CKestruneApp::ActivateRunningInstance(const std::string& commandLine) {
    HWND running = FindWindowA(kMainClass, nullptr);
    if (!running) return false;
    ShowWindow(running, SW_SHOWNORMAL);
    HWND popup = GetLastActivePopup(running);
    SetForegroundWindow(popup ? popup : running);
    if (!commandLine.empty()) HandOffToRunningInstance(commandLine);
    return true;
}

bool CKestruneApp::RegisterMainClass() {
    WNDCLASSA wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = CMainFrame::WindowProc();
    wc.hInstance = win::Instance();
    wc.hIcon = LoadIconA(win::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kMainClass;
    registered_ = RegisterClassA(&wc) != 0;
    return registered_;
}

int CKestruneApp::Run(const std::string& commandLine, int showCommand) {
    if (ActivateRunningInstance(commandLine)) return 0;
    if (!RegisterMainClass()) return 2;

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        win::Message(nullptr, "Windows sockets initialization failed.");
        return 3;
    }
    socketsUp_ = true;
    if (FAILED(OleInitialize(nullptr))) {
        win::Message(nullptr, "OLE_INIT_FAILED");
        return 4;
    }
    oleUp_ = true;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                             ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    int code = 0;
    StartupResult started = LoadAppContext(context_);
    if (!started.ok) {
        win::Message(nullptr, started.message);
        code = started.exitCode;
    } else {
        auto frame = std::make_unique<CMainFrame>(context_);
        if (!frame->Create(commandLine, showCommand)) {
            code = 5;
        } else {
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            // Every worker was asked to stop on the way out and every call one
            // blocks in can be cancelled; let them save and report to the queue
            // while it still exists, and join them. One still running after the
            // wait must never see the frame or the queue destroyed under it: the
            // process ends around it instead.
            if (!WaitForWorkerThreads(kWorkerExitWaitMs)) {
                static_cast<void>(frame.release());
                ExitProcess(0);
            }
            // What the workers posted on their way out has no window left to
            // show it; later posts are dropped too.
            UiTasks().Shutdown();
        }
    }
    if (oleUp_) OleUninitialize();
    if (socketsUp_) WSACleanup();
    if (registered_) UnregisterClassA(kMainClass, win::Instance());
    return code;
}

}  // namespace ks
