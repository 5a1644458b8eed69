// When the scheduler will next start and stop, for the status display.
#include "connection/scheduler.h"

namespace ks {
namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

plat::LocalTime CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    plat::LocalTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (t.month <= 2));
    const std::int64_t wd = (z - 719468 + 4) % 7;
    t.weekday = static_cast<int>(wd < 0 ? wd + 7 : wd);
    return t;
}

std::int64_t MinuteOf(std::int64_t days, int hour, int minute) {
    return days * 1440 + hour * 60 + minute;
}

plat::LocalTime At(std::int64_t days, int hour, int minute) {
    plat::LocalTime t = CivilFromDays(days);
    t.hour = hour;
    t.minute = minute;
    t.second = 0;
    return t;
}

bool ValidTime(int hour, int minute) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60;
}

}  // namespace

std::optional<plat::LocalTime> NextScheduledStart(const ScheduleSettings& s,
                                                  const plat::LocalTime& now) {
    if (!s.enable || !ValidTime(s.startHour, s.startMin)) return std::nullopt;
    const std::int64_t today = DaysFromCivil(now.year, unsigned(now.month), unsigned(now.day));
    const std::int64_t nowMinute = MinuteOf(today, now.hour, now.minute);
    std::optional<std::int64_t> best;
    for (std::int64_t d = today; d <= today + 7; ++d) {
        if (!s.Weekday(CivilFromDays(d).weekday)) continue;
        if (MinuteOf(d, s.startHour, s.startMin) >= nowMinute) {
            best = d;
            break;
        }
    }
    if (s.specify && s.month >= 1 && s.month <= 12 && s.day >= 1 && s.day <= 31) {
        const std::int64_t d = DaysFromCivil(s.year, unsigned(s.month), unsigned(s.day));
        // A ticked weekday overrides the date on that day.
        if (!s.Weekday(CivilFromDays(d).weekday) &&
            MinuteOf(d, s.startHour, s.startMin) >= nowMinute && (!best || d < *best))
            best = d;
    }
    if (!best) return std::nullopt;
    return At(*best, s.startHour, s.startMin);
}

std::optional<plat::LocalTime> NextScheduledEnd(const ScheduleSettings& s,
                                                const plat::LocalTime& now) {
    if (!s.enable || !(s.expire || s.quit || s.shutdown) || !ValidTime(s.endHour, s.endMin))
        return std::nullopt;
    std::int64_t d = DaysFromCivil(now.year, unsigned(now.month), unsigned(now.day));
    if (MinuteOf(d, s.endHour, s.endMin) < MinuteOf(d, now.hour, now.minute)) ++d;
    return At(d, s.endHour, s.endMin);
}

}  // namespace ks
