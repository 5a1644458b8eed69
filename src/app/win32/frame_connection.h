// The main window's connection side: the dial-up manager, the keep-alive and
// the scheduler, their timers (11, 555, 666, 777) and the status bar's
// connection pane. Everything runs on the UI thread; RAS states and the end of
// a keep-alive fetch arrive as posted messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "app/settings.h"
#include "connection/dialup.h"
#include "connection/keep_alive.h"
#include "connection/scheduler.h"
#include "projects/queue.h"

namespace ks {

inline constexpr UINT kKeepAliveTimerId = 11;

class CFrameConnection : private DialUpHost, private KeepAliveHost {
  public:
    struct Frame {
        HWND hwnd = nullptr;
        HWND status = nullptr;
        // The tray follows the line: animate or not, with the connected set.
        std::function<void(bool animate, bool connected)> tray;
        // Sets the exit flag; with post, closes the window (the real exit).
        std::function<void(bool post)> quit;
    };
    CFrameConnection(Settings& settings, ProjectQueue& queue, plat::RasApi& ras);
    ~CFrameConnection() override;

    // Window creation: keep-alive, the current profile, a look at the line.
    void Start(Frame frame);
    // Window closing: timers off, the keep-alive hook gone.
    void Stop();

    // Heartbeat, after the title: connected time and the scheduler. The caller
    // then starts queued jobs unless HoldsWork(), then calls AutoDial.
    void Heartbeat(int running, int queued);
    bool HoldsWork() const { return scheduler_.Fired(); }
    void AutoDial(bool haveWork) { dial_.AutoDial(haveWork); }

    // WM_TIMER for 11, 555, 666, 777; false for other ids.
    bool OnTimer(UINT_PTR id);
    // Posted RAS state and keep-alive end.
    void OnDialState(WPARAM state, LPARAM error) {
        dial_.OnDialState(std::uint32_t(state), std::uint32_t(error));
    }
    void OnKeepAliveDone() { keepAlive_.FetchEnded(KeepAliveNow(), *this); }

    // Menu, toolbar and tray commands.
    void CmdDial();
    void CmdHangUp();
    void CmdConnectionSettings();
    void CmdKeepAliveSettings();
    void CmdSchedulerSettings();

    bool Connected() const { return dial_.Connected(); }
    bool ConnectedOrPending() const { return dial_.Connected() || dial_.DialPending(); }

  private:
    // DialUpHost.
    void SetDialTimer(int id, bool run) override;
    void ShowDialText(const std::string& text) override;
    void SetTrayAnimation(bool on) override;
    DialCredentials LoadProfile(const std::string& connection) override;
    std::vector<DialNumber> PhoneNumbers(const std::string& entry) override;
    void PauseAll() override { queue_.PauseAll(); }
    std::int64_t Now() override;
    void PostDialState(std::uint32_t state, std::uint32_t error) override;
    // KeepAliveHost.
    void ArmKeepAliveTimer(std::int64_t ms) override;
    void StopKeepAliveTimer() override;
    int FetchHidden(const std::string& url) override { return queue_.FetchHidden(url); }

    KeepAliveSettings KeepAliveNow() const;
    void RunClosingAction(ScheduleAction a);
    void ScheduledStart();

    Settings& settings_;
    ProjectQueue& queue_;
    plat::RasApi& ras_;
    std::atomic<HWND> postTarget_{nullptr};  // read by RAS threads
    DialUp dial_;
    KeepAlive keepAlive_;
    Scheduler scheduler_;
    Frame frame_;
};

}  // namespace ks
