// The scheduler: starts every project at a chosen minute on ticked weekdays or
// on one date, and at the end minute (or once no files are left after a
// scheduled start) picks a closing action. It decides only; the caller shows
// the countdown and carries the action out. Driven once a second from the
// heartbeat with the local time, so tests run it on a fake clock.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/clock.h"

namespace ks {

// Section "Scheduler" of the settings file.
struct ScheduleSettings {
    bool sunday = false, monday = false, tuesday = false, wednesday = false, thursday = false,
         friday = false, saturday = false;
    bool enable = false, specify = false, expire = false, nomore = false;
    bool quit = false, quit2 = false, shutdown = false, shutdown2 = false;
    std::int32_t startHour = 0, startMin = 0, startSec = 0;
    std::int32_t endHour = 0, endMin = 0, endSec = 0;
    std::int32_t year = 2000, month = 1, day = 1;

    bool Weekday(int weekday) const;  // 0 Sunday .. 6 Saturday
};

enum class ScheduleAction {
    None,
    Start,           // queue every project (scheduledStart); nothing to confirm
    HangUp,          // "Hang Up Modem"
    Quit,            // "Quit Kestrune"
    HangUpThenQuit,  // "Quit Kestrune", hanging up first
    Shutdown,        // "Computer Shutdown"
};

// The name the countdown shows; empty for None and Start.
const char* ScheduleActionName(ScheduleAction a);

class Scheduler {
  public:
    // The caller has queued every project (or `scheduledStart` found a run
    // already active) when Tick answers Start.
    ScheduleAction Tick(const ScheduleSettings& s, const plat::LocalTime& now, int running,
                        int queued);

    // While fired, the heartbeat starts no queued jobs and does not dial.
    bool Fired() const { return fired_; }
    bool RunActive() const { return runActive_; }
    // A closing action went ahead: the scheduled run is over (scheduledStop).
    // True when a run was active, i.e. the jobs are to be paused.
    bool StopRun();
    // The countdown was aborted: the caller switches "enable" off.
    void Abort();
    // The settings dialog switched the scheduler on from the menu.
    void ClearRun() { runActive_ = false; }

  private:
    ScheduleAction EndStep(const ScheduleSettings& s, const plat::LocalTime& now, int running,
                           int queued);

    bool fired_ = false;
    bool runActive_ = false;
    // Work seen since the last end minute: an idle day ends without a closing
    // action (shutting a computer down that did nothing would be wrong).
    bool workSeen_ = false;
    std::int64_t lastEndMinute_ = -1;  // the end minute already handled
};

// For the status display: the next minute at which Tick would answer Start
// (today's included while it lasts, within a week, or the specified date),
// and the next end minute when a closing action is chosen. nullopt: none.
std::optional<plat::LocalTime> NextScheduledStart(const ScheduleSettings& s,
                                                  const plat::LocalTime& now);
std::optional<plat::LocalTime> NextScheduledEnd(const ScheduleSettings& s,
                                                const plat::LocalTime& now);

}  // namespace ks
