// When the status display says the scheduler next starts and stops.
#include <gtest/gtest.h>

#include "connection/scheduler.h"

using namespace ks;

namespace {

// 2026-12-07 is a Monday.
plat::LocalTime At(int month, int day, int hour, int minute) {
    plat::LocalTime t;
    t.year = 2026;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    return t;
}

std::string Show(const std::optional<plat::LocalTime>& t) {
    if (!t) return "none";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d wd%d", t->year, t->month, t->day,
                  t->hour, t->minute, t->weekday);
    return buf;
}

}  // namespace

TEST(SchedulerNext, StartsAndStopsAcrossDaysMonthsAndTheDate) {
    ScheduleSettings monday;
    monday.enable = monday.monday = true;
    monday.startHour = 22;
    monday.endHour = 23;
    monday.endMin = 30;
    monday.shutdown = true;
    ScheduleSettings off = monday;
    off.enable = false;
    ScheduleSettings dated;
    dated.enable = dated.specify = true;
    dated.year = 2027;
    dated.month = 1;
    dated.day = 2;
    dated.startHour = 8;
    ScheduleSettings datedPast = dated;
    datedPast.year = 2025;
    ScheduleSettings noAction = monday;
    noAction.shutdown = false;

    struct Case {
        const char* what;
        ScheduleSettings s;
        plat::LocalTime now;
        const char* start;
        const char* stop;
    } cases[] = {
        {"later today", monday, At(12, 7, 21, 59), "2026-12-07 22:00 wd1", "2026-12-07 23:30 wd1"},
        {"this very minute", monday, At(12, 7, 22, 0), "2026-12-07 22:00 wd1",
         "2026-12-07 23:30 wd1"},
        {"next week", monday, At(12, 7, 23, 45), "2026-12-14 22:00 wd1", "2026-12-08 23:30 wd2"},
        {"over the year's end", monday, At(12, 29, 10, 0), "2027-01-04 22:00 wd1",
         "2026-12-29 23:30 wd2"},
        {"switched off", off, At(12, 7, 10, 0), "none", "none"},
        {"the date", dated, At(12, 7, 10, 0), "2027-01-02 08:00 wd6", "none"},
        {"a date gone by", datedPast, At(12, 7, 10, 0), "none", "none"},
        {"no closing action, no stop", noAction, At(12, 7, 10, 0), "2026-12-07 22:00 wd1", "none"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(NextScheduledStart(c.s, c.now)), c.start) << c.what;
        EXPECT_EQ(Show(NextScheduledEnd(c.s, c.now)), c.stop) << c.what;
    }
}
