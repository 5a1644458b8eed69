// The program's only top-level window: toolbar, job list, status bar and tray
// icon, the pending-URL list and every program timer. Closing it hides it;
// only "E&xit" ends the program.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "app/settings.h"
#include "app/win32/app_context.h"
#include "app/win32/dde_link.h"
#include "app/win32/frame_connection.h"
#include "app/win32/system_tray.h"
#include "capture/win32/clipboard_viewer.h"
#include "capture/win32/drop_window.h"
#include "dialogs/window_base.h"
#include "projects/queue.h"
#include "projects/win32/project_view.h"

namespace ks {

inline constexpr char kMainClass[] = "KestruneClass";

class CMainFrame : public QueueHost, public win::CWindow {
  public:
    // Reads the settings and hands the registry values to the browser helper.
    explicit CMainFrame(AppContext& app);
    ~CMainFrame() override;  // writes the histories
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    static WNDPROC WindowProc() { return &win::CWindow::Proc; }
    // Creates, shows and updates the window. False when a required part failed.
    bool Create(const std::string& commandLine, int showCommand);
    HWND Hwnd() const { return hwnd_; }

    // Trims, accepts http and ftp only; with add, queues it for the heartbeat.
    int HandleCommandLine(const std::string& text, bool add);
    void QueuePendingUrl(const std::string& url) { queue_.QueuePendingUrl(url); }

    void StartTrayAnimation();
    void StopTrayAnimation();
    void ShowConnectionStatus(int part, const std::string& text);

    ProjectQueue& Queue() { return queue_; }
    const Settings& CurrentSettings() const { return settings_; }

    // QueueHost.
    std::string CurrentFolder() override { return view_.Folder(); }
    void SetCurrentFolder(const std::string& folder) override { view_.SetFolder(folder); }
    bool ConfirmDownload(std::string& folder, const std::string& url) override;
    void PlaySound(const std::string& wavFile) override;
    void AddToUrlHistory(const std::string& url) override;
    void OnActivity(bool active) override;

  private:
    LRESULT OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    bool OnCreate();
    bool CreateToolbar();
    bool CreateStatusBar();
    void Layout();
    LRESULT OnToolTip(LPARAM lp);
    void OnHeartbeat();
    void OnTrayNotify(LPARAM lp);
    void OnClose();
    void OnEndSession();
    void OnDestroy();
    bool OnCommand(UINT id);

    // Commands, dispatched through a table in the .cpp.
    void CmdOpen();
    void CmdExit();
    void CmdAbout();
    void CmdHelp();
    void CmdClearHistory();
    void CmdTransferOptions();
    void CmdSearchSettings();
    void CmdShowDrop();
    void CmdHideDrop();
    // The connection commands (main_frame_connection.cpp).
    void CmdDial();
    void CmdHangUp();
    void CmdConnectionSettings();
    void CmdKeepAliveSettings();
    void CmdSchedulerSettings();
    void StartConnection();

    // The Option menu's switches: each is a "Download" flag with a menu check.
    struct Switch {
        UINT id;
        const char* key;
        bool Settings::Download::*flag;
    };
    static const Switch kSwitches[];
    static const Switch* FindSwitch(UINT id);
    bool ToggleSwitch(UINT id);
    void SetSwitch(const Switch& s, bool on);
    void RefreshMenuChecks();
    void ApplyQueueOptions();
    void RegisterCaptureFormat();

    // URL capture (main_frame_capture.cpp): the clipboard viewer, the
    // browsers' hand-overs, the drop window and the capture dialogs.
    void StartCapture();
    void StopCapture();
    bool OnCaptureMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCaptureSwitch(bool Settings::Download::*flag);
    void SwitchNetscape(bool on);
    void RegisterBrowserProtocols();
    void AttachBrowserTopics();
    bool NetscapeOpenUrl(const std::string& url);
    void PlaceDropWindow();
    void OpenSettingsFrom(HWND parent, int command);
    void CmdCaptureOptions();
    void CmdFileTypes();

    struct Command {
        UINT id;
        void (CMainFrame::*fn)();
    };
    static const Command kCommands[];

    AppContext& app_;
    Settings settings_;
    ProjectQueue queue_{*this};
    CFrameConnection conn_;
    CProjectView view_;
    CSystemTray tray_;
    CDdeServer dde_;
    CClipboardViewer clipboard_;
    CDropWindow drop_;
    bool confirming_ = false;  // a confirmation is open: the heartbeat adds no other URL
    std::string confirmingUrl_;
    HWND hwnd_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND status_ = nullptr;
    HIMAGELIST toolImages_ = nullptr;
    HIMAGELIST hotImages_ = nullptr;
    std::string commandLine_;
    bool quitRequested_ = false;
    bool endingSession_ = false;
    bool connected_ = false;
    bool useDialUp_ = false;
    int statusIcon_ = 0;
    UINT captureFormat_ = 0;  // "KESTRUNE", for the browser helper's hand-over
    UINT taskbarCreated_ = 0;
    // A redraw of the list is posted and not yet run: coalesces row changes.
    std::atomic<bool> rowsPosted_{false};
    bool animating_ = false;  // the tray shows transfer activity
    // Last member: ends first, so no posted task reaches a frame being torn down.
    UiLifetime alive_;
};

}  // namespace ks
