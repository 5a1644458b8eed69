#include "app/win32/main_frame.h"

#include "app/win32/search_commands.h"

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
#include <windowsx.h>
// clang-format on

#include "app/registry_values.h"
#include "app/shell_text.h"
#include "app/version.h"
#include "app/win32/about_box.h"
#include "base/worker_threads.h"
#include "capture/capture_rules.h"
#include "dialogs/dialogs.h"
#include "dialogs/win_util.h"
#include "platform/files.h"
#include "projects/queue_options.h"
#include "search/mirror_lookup.h"
#undef PlaySound  // the queue host method of that name
#include "resource.h"

namespace ks {

namespace {
constexpr UINT_PTR kHeartbeatTimer = 10;
constexpr UINT_PTR kKeepAliveTimer = 11;
constexpr UINT_PTR kRateTimer = 99;
constexpr UINT_PTR kDialTimers[] = {555, 666, 777};
constexpr UINT kTrayId = 132;
}  // namespace

const CMainFrame::Command CMainFrame::kCommands[] = {
    {ID_TRAY_OPEN, &CMainFrame::CmdOpen},
    {ID_APP_EXIT, &CMainFrame::CmdExit},
    {ID_APP_ABOUT, &CMainFrame::CmdAbout},
    {ID_HELP_CONTENTS, &CMainFrame::CmdHelp},
    {ID_FILE_CLEARHISTORY, &CMainFrame::CmdClearHistory},
    {ID_OPTIONS, &CMainFrame::CmdCaptureOptions},
    {ID_TRAY_OPTIONS, &CMainFrame::CmdCaptureOptions},
    {ID_CAPTURE_FILETYPES, &CMainFrame::CmdFileTypes},
    {ID_OPTION_TRANSFER, &CMainFrame::CmdTransferOptions},
    {ID_OPTION_SEARCH, &CMainFrame::CmdSearchSettings},
    {ID_TRAY_SHOWDROP, &CMainFrame::CmdShowDrop},
    {ID_TRAY_HIDEDROP, &CMainFrame::CmdHideDrop},
    {ID_CONNECTION_DIAL, &CMainFrame::CmdDial},
    {ID_TOOLBAR_DIAL, &CMainFrame::CmdDial},
    {ID_TRAY_DIAL, &CMainFrame::CmdDial},
    {ID_CONNECTION_HANGUP, &CMainFrame::CmdHangUp},
    {ID_TOOLBAR_HANGUP, &CMainFrame::CmdHangUp},
    {ID_TRAY_HANGUP, &CMainFrame::CmdHangUp},
    {ID_OPTION_CONNECTION, &CMainFrame::CmdConnectionSettings},
    {ID_OPTION_KEEPALIVE, &CMainFrame::CmdKeepAliveSettings},
    {ID_OPTION_SCHEDULER, &CMainFrame::CmdSchedulerSettings},
};

const CMainFrame::Switch CMainFrame::kSwitches[] = {
    {ID_CAPTURE_CLIPBOARD, "Capture", &Settings::Download::capture},
    {ID_CAPTURE_IMMEDIATE, "Immediate", &Settings::Download::immediate},
    {ID_CAPTURE_IE, "CaptureIE", &Settings::Download::captureIE},
    {ID_CAPTURE_NETSCAPE, "CaptureNetscape", &Settings::Download::captureNetscape},
    {ID_OPTION_SHOWDROP, "ShowDrop", &Settings::Download::showDrop},
};

CMainFrame::CMainFrame(AppContext& app)
    : app_(app),
      settings_(Settings::Load(SettingsFilePath(app.programFolder), app.programFolder)),
      conn_(settings_, queue_, plat::SystemRas()) {
    // The browser helper reads these at every navigation; a value it cannot
    // be given means it cannot capture, so the program stops claiming it does.
    if (!WriteCaptureIE(settings_.download.captureIE)) settings_.download.captureIE = false;
    WriteFileTypes(settings_.captureFileTypes);
    settings_.installKey = app.installKey;
    settings_.Publish();
    InstallMirrorLookup();
    ApplyQueueOptions();
}

CMainFrame::~CMainFrame() {
    SaveHistories(app_.programFolder, app_.histories);
}

void CMainFrame::ApplyQueueOptions() {
    queue_.SetOptions(QueueOptionsFrom(settings_));
}

bool CMainFrame::Create(const std::string& commandLine, int showCommand) {
    commandLine_ = commandLine;
    HMENU menu = LoadMenuA(win::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    hwnd_ = CreateWindowExA(0, kMainClass, ProductTitle(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, 960, 540, nullptr, menu, win::Instance(),
                            CreateParam());
    if (!hwnd_) return false;
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    HandleCommandLine(commandLine_, true);
    return true;
}

LRESULT CMainFrame::OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) hwnd_ = w;
    return Handle(msg, wp, lp);
}

bool CMainFrame::OnCreate() {
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(win::LoadIconSized(IDR_MAINFRAME, 32)));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(win::LoadIconSized(IDR_MAINFRAME, 16)));
    CProjectView::Host host;
    host.queue = &queue_;
    host.programFolder = app_.programFolder;
    host.iniPath = settings_.iniPath;
    host.initialFolder = settings_.download.folder;
    host.histories = &app_.histories;
    host.handleCommandLine = [this](const std::string& t, bool add) {
        return HandleCommandLine(t, add);
    };
    host.newSearch = [this] {
        NewSearchCommand(hwnd_, queue_, app_.programFolder, app_.histories);
    };
    host.searchProperties = [this](std::size_t row) {
        SearchPropertiesCommand(hwnd_, queue_, row, app_.histories);
    };
    InstallSearch(queue_, app_.programFolder);
    if (!view_.Create(hwnd_, std::move(host))) return false;
    if (!CreateToolbar() || !CreateStatusBar()) return false;
    if (!tray_.Create(hwnd_, win::WM_KS_TRAY, kTrayId, IDI_TRAY_IDLE, "Kestrune")) return false;
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    RegisterCaptureFormat();

    // Workers reach this thread only through posted tasks; the first one
    // into an empty queue posts the one message that drains them all.
    HWND self = hwnd_;
    UiTasks().SetWaker([self] { PostMessageA(self, win::WM_KS_UITASK, 0, 0); });
    // Several row changes in one drain redraw the list once.
    queue_.Rows().SetOnChange([this] {
        if (rowsPosted_.exchange(true)) return;
        uitask::Post(alive_.Guard([this] {
            rowsPosted_ = false;
            view_.SyncRows();
        }));
    });
    SetTimer(hwnd_, kHeartbeatTimer, 1000, nullptr);
    SetTimer(hwnd_, kRateTimer, 5000, nullptr);
    // Without the DDE server the browser cannot hand URLs over either.
    if (!dde_.Start([this](const std::string& item) { HandleCommandLine(item, true); }))
        settings_.download.captureNetscape = false;
    StartCapture();
    RefreshMenuChecks();
    StartConnection();
    clipboard_.SetReady();
    return true;
}

int CMainFrame::HandleCommandLine(const std::string& text, bool add) {
    std::optional<std::string> url = CommandLineUrl(text);
    // The same test as every captured URL: one the transfer code cannot
    // split is no URL, from whichever side it came.
    if (!url || !AcceptableUrl(*url)) return 0;
    if (add) QueuePendingUrl(*url);
    return 1;
}

// ---- QueueHost -------------------------------------------------------------------

void CMainFrame::PlaySound(const std::string& wavFile) {
    ::PlaySoundA(wavFile.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
}

void CMainFrame::AddToUrlHistory(const std::string& url) {
    AddToHistory(app_.histories.urls, url);
}

void CMainFrame::OnActivity(bool active) {
    if (animating_ == active) return;
    animating_ = active;
    if (active)
        StartTrayAnimation();
    else
        StopTrayAnimation();
}

// ---- tray ------------------------------------------------------------------------

void CMainFrame::StartTrayAnimation() {
    if (tray_.Animating()) return;
    if (connected_)
        tray_.SetIconList(IDI_TRAY_ANIM_CONN_FIRST, IDI_TRAY_ANIM_CONN_LAST);
    else
        tray_.SetIconList(IDI_TRAY_ANIM_FIRST, IDI_TRAY_ANIM_LAST);
    tray_.Animate(500, 0);
}

void CMainFrame::StopTrayAnimation() {
    tray_.StopAnimation();
    tray_.SetIcon(connected_ ? IDI_TRAY_CONNECTED : IDI_TRAY_IDLE);
}

void CMainFrame::OnTrayNotify(LPARAM lp) {
    if (lp == WM_RBUTTONUP) {
        HMENU menu = LoadMenuA(win::Instance(), MAKEINTRESOURCEA(IDR_TRAYMENU));
        if (!menu) return;
        HMENU popup = GetSubMenu(menu, 0);
        SetMenuDefaultItem(popup, 0, TRUE);
        POINT pt;
        GetCursorPos(&pt);
        SetForegroundWindow(hwnd_);
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
        PostMessageA(hwnd_, WM_NULL, 0, 0);
        DestroyMenu(menu);
    } else if (lp == WM_LBUTTONDBLCLK) {
        HMENU menu = LoadMenuA(win::Instance(), MAKEINTRESOURCEA(IDR_TRAYMENU));
        if (!menu) return;
        UINT id = GetMenuItemID(GetSubMenu(menu, 0), 0);
        DestroyMenu(menu);
        SetForegroundWindow(hwnd_);
        SendMessageA(hwnd_, WM_COMMAND, id, 0);
    }
}

// ---- heartbeat -------------------------------------------------------------------

void CMainFrame::OnHeartbeat() {
    // The confirmation runs its own message loop; a tick inside it must not
    // open a second one over it.
    if (!confirming_) queue_.AddOnePendingUrl();
    if (quitRequested_) return;  // the window went while a confirmation was open
    double rate = queue_.TotalRate();
    int n = queue_.CountRows(), a = queue_.CountActive();
    std::string text = HeartbeatText(rate, a, n);
    int icon = a > 0 ? IDI_STATUS_ACTIVE : IDI_STATUS_IDLE;
    if (icon != statusIcon_) {
        statusIcon_ = icon;
        SendMessageA(status_, SB_SETICON, 0,
                     reinterpret_cast<LPARAM>(win::LoadIconSized(icon, 16)));
    }
    tray_.SetTooltip(text);
    ShowConnectionStatus(0, text);
    const int queued = queue_.CountQueued();
    conn_.Heartbeat(a, queued);
    // While the scheduler has fired, nothing new starts and nothing dials.
    if (conn_.HoldsWork()) return;
    queue_.StartNextQueued();
    conn_.AutoDial(a + queued > 0);
}

void CMainFrame::ShowConnectionStatus(int part, const std::string& text) {
    std::string shown = (part == 1 && !useDialUp_) ? "(Not using dial-up)" : text;
    if (win::WindowText(status_) == shown && part == 0) return;
    SendMessageA(status_, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(shown.c_str()));
}

// ---- closing ---------------------------------------------------------------------

void CMainFrame::OnClose() {
    if (!quitRequested_) {
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    StopCapture();
    dde_.Stop();
    conn_.Stop();
    queue_.PauseAll();
    queue_.StopHidden();
    queue_.ShutdownAll();
    WriteCaptureIE(false);  // the browser helper stops handing URLs over
    KillTimer(hwnd_, kHeartbeatTimer);
    KillTimer(hwnd_, kKeepAliveTimer);
    KillTimer(hwnd_, kRateTimer);
    for (UINT_PTR t : kDialTimers) KillTimer(hwnd_, t);
    tray_.Remove();
    DestroyWindow(hwnd_);
}

// Logoff or shutdown. The process may end as soon as WM_ENDSESSION returns,
// so the whole of File -> Exit runs before it does: every project stopped and
// saved, the window's positions and "Folder" written as it goes, the workers
// joined, the histories written.
void CMainFrame::OnEndSession() {
    if (!hwnd_ || endingSession_) return;
    endingSession_ = true;
    quitRequested_ = true;
    OnClose();
    // The session will not wait long; a worker still running after this goes
    // with the process, having been told to stop and saved above.
    constexpr std::int64_t kWorkerWaitMs = 5000;
    WaitForWorkerThreads(kWorkerWaitMs);
    SaveHistories(app_.programFolder, app_.histories);
}

void CMainFrame::OnDestroy() {
    queue_.Rows().SetOnChange(nullptr);
    // Tasks posted from now on wait for the exit path, which drops them.
    UiTasks().SetWaker(nullptr);
    WinHelpA(hwnd_, nullptr, HELP_QUIT, 0);
    IniFile ini;
    ini.Load(settings_.iniPath);
    ini.Set("Download", "dropx", std::to_string(settings_.download.dropX));
    ini.Set("Download", "dropy", std::to_string(settings_.download.dropY));
    ini.Save();
    clipboard_.Leave();
    drop_.Destroy();
    view_.Destroy();
    PostQuitMessage(0);
}

// ---- commands --------------------------------------------------------------------

bool CMainFrame::OnCommand(UINT id) {
    if (view_.OnCommand(id)) return true;
    if (ToggleSwitch(id)) return true;
    for (const Command& c : kCommands) {
        if (c.id == id) {
            (this->*c.fn)();
            return true;
        }
    }
    return false;
}

void CMainFrame::CmdOpen() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
}

void CMainFrame::CmdExit() {
    quitRequested_ = true;
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void CMainFrame::CmdAbout() {
    RunAboutBox(hwnd_);
}

void CMainFrame::CmdHelp() {
    std::string help = plat::JoinPath(plat::JoinPath(app_.programFolder, "help"), "kestrune.hlp");
    WinHelpA(hwnd_, help.c_str(), HELP_FINDER, 0);
}

void CMainFrame::CmdClearHistory() {
    if (win::Message(hwnd_, "Clear History?", MB_YESNO | MB_ICONQUESTION) == IDYES)
        ClearHistories(app_.programFolder, app_.histories);
}

void CMainFrame::CmdSearchSettings() {
    SearchSettingsCommand(hwnd_);
}

void CMainFrame::CmdTransferOptions() {
    if (!RunTransferOptionsDialog(hwnd_, settings_)) return;
    settings_.Publish();
    ApplyQueueOptions();
}

// ---- the Option menu's switches --------------------------------------------------

const CMainFrame::Switch* CMainFrame::FindSwitch(UINT id) {
    for (const Switch& s : kSwitches)
        if (s.id == id) return &s;
    return nullptr;
}

bool CMainFrame::ToggleSwitch(UINT id) {
    const Switch* s = FindSwitch(id);
    if (!s) return false;
    SetSwitch(*s, !(settings_.download.*s->flag));
    return true;
}

void CMainFrame::SetSwitch(const Switch& s, bool on) {
    bool& flag = settings_.download.*s.flag;
    flag = on;
    if (s.flag == &Settings::Download::captureIE && !WriteCaptureIE(on)) flag = false;
    OnCaptureSwitch(s.flag);
    IniWrite(settings_.iniPath, "Download", s.key, FormatIniFlag(flag));
    if (s.flag == &Settings::Download::immediate) ApplyQueueOptions();
    RefreshMenuChecks();
}

void CMainFrame::CmdShowDrop() {
    SetSwitch(*FindSwitch(ID_OPTION_SHOWDROP), true);
}

void CMainFrame::CmdHideDrop() {
    SetSwitch(*FindSwitch(ID_OPTION_SHOWDROP), false);
}

void CMainFrame::RefreshMenuChecks() {
    HMENU menu = GetMenu(hwnd_);
    if (!menu) return;
    for (const Switch& s : kSwitches)
        CheckMenuItem(menu, s.id,
                      MF_BYCOMMAND | (settings_.download.*s.flag ? MF_CHECKED : MF_UNCHECKED));
}

void CMainFrame::RegisterCaptureFormat() {
    // Without the format, or without telling the browser helper its number, a
    // URL handed over by the browser could not be read back: capture through
    // the browser stays off until the next start.
    captureFormat_ = RegisterClipboardFormatA("KESTRUNE");
    if (captureFormat_ != 0 && WriteClipForm(captureFormat_)) return;
    settings_.download.captureIE = false;
    WriteCaptureIE(false);
}

// ---- messages --------------------------------------------------------------------

LRESULT CMainFrame::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (OnCaptureMessage(msg, wp, lp)) return 0;
    switch (msg) {
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_SIZE:
            if (wp == SIZE_MINIMIZED) {
                ShowWindow(hwnd_, SW_HIDE);
                return 0;
            }
            Layout();
            return 0;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_MINIMIZE) {
                ShowWindow(hwnd_, SW_HIDE);
                return 0;
            }
            break;
        case WM_SETFOCUS:
            SetFocus(view_.List());
            return 0;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wp))) return 0;
            break;
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lp)->code == TTN_GETDISPINFOA) return OnToolTip(lp);
            break;
        case WM_TIMER:
            if (wp == kHeartbeatTimer) OnHeartbeat();
            if (wp == kRateTimer) queue_.RateTick();
            conn_.OnTimer(wp);
            return 0;
        case win::WM_KS_DIAL_STATE:
            conn_.OnDialState(wp, lp);
            return 0;
        case win::WM_KS_KEEPALIVE_DONE:
            conn_.OnKeepAliveDone();
            return 0;
        case win::WM_KS_TRAY:
            if (wp == kTrayId) OnTrayNotify(lp);
            return 0;
        case win::WM_KS_UITASK:
            uitask::Drain();
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wp) OnEndSession();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            if (taskbarCreated_ && msg == taskbarCreated_) {
                tray_.Readd();
                return 0;
            }
            break;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace ks
