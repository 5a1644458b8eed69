#include "connection/scheduler.h"

namespace ks {
namespace {

std::int64_t MinuteKey(const plat::LocalTime& t) {
    return ((std::int64_t(t.year) * 13 + t.month) * 32 + t.day) * 1440 + t.hour * 60 + t.minute;
}

bool AtMinute(const plat::LocalTime& now, std::int32_t hour, std::int32_t minute) {
    return now.hour == hour && now.minute == minute;
}

}  // namespace

bool ScheduleSettings::Weekday(int weekday) const {
    const bool days[] = {sunday, monday, tuesday, wednesday, thursday, friday, saturday};
    return weekday >= 0 && weekday < 7 && days[weekday];
}

const char* ScheduleActionName(ScheduleAction a) {
    switch (a) {
        case ScheduleAction::HangUp:
            return "Hang Up Modem";
        case ScheduleAction::Quit:
        case ScheduleAction::HangUpThenQuit:
            return "Quit Kestrune";
        case ScheduleAction::Shutdown:
            return "Computer Shutdown";
        default:
            return "";
    }
}

ScheduleAction Scheduler::Tick(const ScheduleSettings& s, const plat::LocalTime& now, int running,
                               int queued) {
    if (!s.enable || fired_) return ScheduleAction::None;
    if (running > 0) workSeen_ = true;
    bool startNow = false;
    if (s.Weekday(now.weekday)) {
        startNow = AtMinute(now, s.startHour, s.startMin);
    } else if (s.specify) {
        startNow = now.year == s.year && now.month == s.month && now.day == s.day &&
                   AtMinute(now, s.startHour, s.startMin);
    }
    if (startNow && !runActive_) {
        runActive_ = true;
        workSeen_ = true;
        fired_ = false;
        return ScheduleAction::Start;
    }
    return EndStep(s, now, running, queued);
}

ScheduleAction Scheduler::EndStep(const ScheduleSettings& s, const plat::LocalTime& now,
                                  int running, int queued) {
    if (now.hour == s.endHour) {
        const std::int64_t minute = MinuteKey(now);
        if (now.minute != s.endMin || lastEndMinute_ == minute) return ScheduleAction::None;
        lastEndMinute_ = minute;
        const bool idle = !runActive_ && !workSeen_;
        workSeen_ = false;
        if (idle) return ScheduleAction::None;
        fired_ = true;
        if (s.shutdown) return ScheduleAction::Shutdown;
        if (s.quit) return s.expire ? ScheduleAction::HangUpThenQuit : ScheduleAction::Quit;
        if (s.expire) return ScheduleAction::HangUp;
        return ScheduleAction::None;
    }
    if (running != 0 || queued != 0 || !runActive_) return ScheduleAction::None;
    fired_ = true;
    if (s.shutdown2) return ScheduleAction::Shutdown;
    if (s.quit2) return s.nomore ? ScheduleAction::HangUpThenQuit : ScheduleAction::Quit;
    if (s.nomore) return ScheduleAction::HangUp;
    return ScheduleAction::None;
}

bool Scheduler::StopRun() {
    if (!runActive_) return false;
    runActive_ = false;
    return true;
}

void Scheduler::Abort() {
    fired_ = false;
    runActive_ = false;
}

}  // namespace ks
