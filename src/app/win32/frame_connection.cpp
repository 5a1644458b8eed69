#include "app/win32/frame_connection.h"

#include <algorithm>

#include "connection/password_scramble.h"
#include "dialogs/connection_dialogs.h"
#include "dialogs/win_util.h"
#include "platform/clock.h"
#include "platform/shutdown.h"
#include "transfer/download_worker.h"

namespace ks {

CFrameConnection::CFrameConnection(Settings& settings, ProjectQueue& queue, plat::RasApi& ras)
    : settings_(settings), queue_(queue), ras_(ras), dial_(ras, *this) {}

CFrameConnection::~CFrameConnection() {
    Stop();
}

void CFrameConnection::Start(Frame frame) {
    frame_ = std::move(frame);
    postTarget_ = frame_.hwnd;
    // The hidden fetch ends on its worker thread; the timer belongs to us.
    HWND hwnd = frame_.hwnd;
    WorkerHooks hooks = GetWorkerHooks();
    hooks.keepAliveDone = [hwnd](std::int64_t) {
        PostMessageA(hwnd, win::WM_KS_KEEPALIVE_DONE, 0, 0);
    };
    SetWorkerHooks(hooks);
    keepAlive_.Restart(KeepAliveNow(), *this);
    dial_.Start(settings_.dialUp);
}

void CFrameConnection::Stop() {
    if (!frame_.hwnd) return;
    WorkerHooks hooks = GetWorkerHooks();
    hooks.keepAliveDone = nullptr;
    SetWorkerHooks(hooks);
    for (UINT_PTR id : {UINT_PTR(kKeepAliveTimerId), UINT_PTR(kDialTimeoutTimer),
                        UINT_PTR(kRedialTimer), UINT_PTR(kMonitorTimer)})
        KillTimer(frame_.hwnd, id);
    postTarget_ = nullptr;
    frame_.hwnd = nullptr;
}

KeepAliveSettings CFrameConnection::KeepAliveNow() const {
    const auto& u = settings_.urlList;
    return {u.use != 0, u.IntervalSeconds(), u.urls};
}

void CFrameConnection::Heartbeat(int running, int queued) {
    dial_.ShowConnectedTime();
    const ScheduleAction a = scheduler_.Tick(
        settings_.scheduler, plat::ToLocalTime(plat::NowSeconds()), running, queued);
    if (a == ScheduleAction::Start) {
        dial_.ClearUserHungUp();
        ScheduledStart();
    } else if (a != ScheduleAction::None) {
        RunClosingAction(a);
    }
}

void CFrameConnection::ScheduledStart() {
    for (ProjectKind k : {ProjectKind::Download, ProjectKind::UrlListGrab, ProjectKind::FtpUpload})
        queue_.StartAllOfKind(k, true);
}

void CFrameConnection::RunClosingAction(ScheduleAction a) {
    if (!RunCountdownDialog(frame_.hwnd, ScheduleActionName(a))) {
        scheduler_.Abort();
        settings_.scheduler.enable = false;
        IniWrite(settings_.iniPath, "Scheduler", "enable", "no");
        return;
    }
    // Every action but a bare quit ends the scheduled run and hangs up; a quit
    // pauses everything on its way out anyway.
    if (a != ScheduleAction::Quit) {
        if (scheduler_.StopRun()) queue_.PauseAll();
        dial_.HangUpCommand();
    }
    if (a == ScheduleAction::Shutdown) {
        // The session's end closes the window; if the system refuses, the
        // program stays, its jobs paused and the line hung up.
        if (frame_.quit) frame_.quit(false);
        plat::ShutDownComputer();
    } else if (a == ScheduleAction::Quit || a == ScheduleAction::HangUpThenQuit) {
        if (frame_.quit) frame_.quit(true);
    }
}

bool CFrameConnection::OnTimer(UINT_PTR id) {
    if (id == kKeepAliveTimerId) {
        keepAlive_.OnTimer(KeepAliveNow(), *this);
        return true;
    }
    if (id == UINT_PTR(kDialTimeoutTimer) || id == UINT_PTR(kRedialTimer) ||
        id == UINT_PTR(kMonitorTimer)) {
        dial_.OnTimer(int(id));
        return true;
    }
    return false;
}

// ---- commands --------------------------------------------------------------------

void CFrameConnection::CmdDial() {
    if (!dial_.UseDialUp()) {
        CmdConnectionSettings();
        if (!dial_.UseDialUp()) return;
        if (win::Message(frame_.hwnd, "Dial now?", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    }
    dial_.DialCommand();
}

void CFrameConnection::CmdHangUp() {
    dial_.HangUpCommand();
}

void CFrameConnection::CmdConnectionSettings() {
    const bool ok = RunConnectionSettingsDialog(frame_.hwnd, settings_, ras_);
    if (ok) {
        dial_.Apply(settings_.dialUp);
    } else {
        // A profile edited through its Proxies... button counts even so.
        dial_.ReloadProfile();
    }
}

void CFrameConnection::CmdKeepAliveSettings() {
    if (RunKeepAliveDialog(frame_.hwnd, settings_)) keepAlive_.Restart(KeepAliveNow(), *this);
}

void CFrameConnection::CmdSchedulerSettings() {
    bool enabledNow = false;
    if (RunSchedulerDialog(frame_.hwnd, settings_, enabledNow) && enabledNow) scheduler_.ClearRun();
}

// ---- hosts -----------------------------------------------------------------------

void CFrameConnection::SetDialTimer(int id, bool run) {
    if (!frame_.hwnd) return;
    if (run)
        SetTimer(frame_.hwnd, UINT_PTR(id), id == kMonitorTimer ? 3000 : 1000, nullptr);
    else
        KillTimer(frame_.hwnd, UINT_PTR(id));
}

void CFrameConnection::ShowDialText(const std::string& text) {
    if (frame_.status)
        SendMessageA(frame_.status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text.c_str()));
}

void CFrameConnection::SetTrayAnimation(bool on) {
    if (frame_.tray) frame_.tray(on, ConnectedOrPending());
}

DialCredentials CFrameConnection::LoadProfile(const std::string& connection) {
    IniFile ini;
    ini.Load(settings_.iniPath);
    settings_.currentConnection = connection;
    settings_.LoadConnectionProfile(ini.Document());
    settings_.Publish();
    const ConnectionProfile& p = settings_.connection;
    return {p.dialupUser, ScramblePassword(p.dialupPassword, settings_.installKey, false)};
}

std::vector<DialNumber> CFrameConnection::PhoneNumbers(const std::string& entry) {
    IniFile ini;
    ini.Load(settings_.iniPath);
    std::vector<DialNumber> out;
    for (const PhoneNumber& n : ConnectionProfile::Load(ini.Document(), entry).numbers)
        out.push_back({n.number, n.enabled});
    return out;
}

std::int64_t CFrameConnection::Now() {
    return plat::NowSeconds();
}

void CFrameConnection::PostDialState(std::uint32_t state, std::uint32_t error) {
    // Any thread; a window already gone simply drops it.
    if (HWND target = postTarget_.load())
        PostMessageA(target, win::WM_KS_DIAL_STATE, WPARAM(state), LPARAM(error));
}

void CFrameConnection::ArmKeepAliveTimer(std::int64_t ms) {
    // Beyond USER_TIMER_MAXIMUM a timer fires at once; such a pause is "never" anyway.
    if (frame_.hwnd)
        SetTimer(frame_.hwnd, kKeepAliveTimerId, UINT(std::min<std::int64_t>(ms, 0x7FFFFFFF)),
                 nullptr);
}

void CFrameConnection::StopKeepAliveTimer() {
    if (frame_.hwnd) KillTimer(frame_.hwnd, kKeepAliveTimerId);
}

}  // namespace ks
