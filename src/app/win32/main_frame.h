// The program's only top-level window: toolbar, job list, status bar and tray
// icon, the pending-URL list and every program timer. Closing it hides it;
// only "E&xit" ends the program.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <string>

#include "app/win32/dde_link.h"
#include "app/win32/system_tray.h"
#include "projects/win32/job_queue.h"
#include "projects/win32/project_view.h"

namespace ks {

inline constexpr char kMainClass[] = "KestruneClass";

class CMainFrame {
public:
    explicit CMainFrame(std::unique_ptr<JobQueue> queue);
    ~CMainFrame();  // writes the histories
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    static WNDPROC WindowProc() { return &CMainFrame::WndProc; }
    // Creates, shows and updates the window. False when a required part failed.
    bool Create(const std::string& commandLine, int showCommand);
    HWND Hwnd() const { return hwnd_; }

    // Trims, accepts http and ftp only; with add, queues it for the heartbeat.
    int HandleCommandLine(const std::string& text, bool add);
    void QueuePendingUrl(const std::string& url) { pending_.push_back(url); }

    void StartTrayAnimation();
    void StopTrayAnimation();
    void ShowConnectionStatus(int part, const std::string& text);

    JobQueue& Queue() { return *queue_; }
    bool& CaptureSuspended() { return captureSuspended_; }

private:
    static LRESULT CALLBACK WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    bool OnCreate();
    bool CreateToolbar();
    bool CreateStatusBar();
    void Layout();
    void OnHeartbeat();
    void OnTrayNotify(LPARAM lp);
    void OnClose();
    void OnDestroy();
    bool OnCommand(UINT id);

    // Commands, dispatched through a table in the .cpp.
    void CmdOpen();
    void CmdExit();
    void CmdAbout();
    void CmdHelp();
    void CmdClearHistory();

    struct Command {
        UINT id;
        void (CMainFrame::*fn)();
    };
    static const Command kCommands[];

    std::unique_ptr<JobQueue> queue_;
    CProjectView view_;
    CSystemTray tray_;
    CDdeServer dde_;
    HWND hwnd_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND status_ = nullptr;
    HIMAGELIST toolImages_ = nullptr;
    HIMAGELIST hotImages_ = nullptr;
    std::string commandLine_;
    std::deque<std::string> pending_;
    bool quitRequested_ = false;
    bool captureSuspended_ = false;
    bool connected_ = false;
    bool useDialUp_ = false;
    int statusIcon_ = 0;
    int dropX_ = 0, dropY_ = 0;
    UINT taskbarCreated_ = 0;
    // Set by worker threads, read by the UI: coalesces posted notifications.
    std::atomic<bool> rowsPosted_{false};
    std::atomic<bool> wantAnimation_{false};
};

}  // namespace ks
