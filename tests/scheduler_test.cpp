// The scheduler on a fake clock: each case is a settings record and a run of
// heartbeats, each with the action it must answer.
#include "connection/scheduler.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ks;
using A = ScheduleAction;

namespace {

// 2026-12-07 is a Monday.
plat::LocalTime At(int day, int hour, int minute, int second = 0) {
    plat::LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.weekday = (1 + day - 7) % 7;
    return t;
}

struct Beat {
    plat::LocalTime when;
    int running, queued;
    A want;
};

ScheduleSettings Base() {
    ScheduleSettings s;
    s.enable = true;
    s.monday = true;
    s.startHour = 22;
    s.endHour = 23;
    s.endMin = 30;
    return s;
}

}  // namespace

TEST(Scheduler, RunsEachCaseBeatByBeat) {
    ScheduleSettings shutdown = Base();
    shutdown.shutdown = true;
    ScheduleSettings quitHang = Base();
    quitHang.quit = quitHang.expire = true;
    ScheduleSettings quit = Base();
    quit.quit = true;
    ScheduleSettings hang = Base();
    hang.expire = true;
    ScheduleSettings nomore = Base();
    nomore.nomore = true;
    ScheduleSettings nomoreQuit = Base();
    nomoreQuit.quit2 = nomoreQuit.nomore = true;
    ScheduleSettings off = shutdown;
    off.enable = false;
    ScheduleSettings dated = Base();
    dated.specify = true;
    dated.year = 2026;
    dated.month = 12;
    dated.day = 9;  // a Wednesday, not ticked
    dated.startHour = 8;
    ScheduleSettings datedTicked = dated;
    datedTicked.wednesday = true;
    datedTicked.day = 10;  // Thursday: the date alone

    struct Case {
        const char* what;
        ScheduleSettings s;
        std::vector<Beat> beats;
    } cases[] = {
        {"start once at the minute, then the end action",
         shutdown,
         {{At(7, 21, 59, 59), 0, 0, A::None},
          {At(7, 22, 0, 0), 0, 0, A::Start},
          {At(7, 22, 0, 1), 0, 3, A::None},
          {At(7, 22, 0, 59), 1, 2, A::None},
          {At(7, 23, 29, 59), 1, 0, A::None},
          {At(7, 23, 30, 0), 1, 0, A::Shutdown},
          {At(7, 23, 30, 1), 1, 0, A::None},
          {At(14, 22, 0, 0), 0, 0, A::None}}},  // fired stays fired
        {"not a ticked weekday", shutdown, {{At(8, 22, 0), 0, 0, A::None}}},
        {"switched off", off, {{At(7, 22, 0), 0, 0, A::None}, {At(7, 23, 30), 1, 0, A::None}}},
        {"quit after hanging up",
         quitHang,
         {{At(7, 22, 0), 0, 0, A::Start}, {At(7, 23, 30), 1, 0, A::HangUpThenQuit}}},
        {"quit", quit, {{At(7, 22, 0), 0, 0, A::Start}, {At(7, 23, 30), 0, 1, A::Quit}}},
        {"hang up", hang, {{At(7, 22, 0), 0, 0, A::Start}, {At(7, 23, 30), 1, 1, A::HangUp}}},
        {"no more files outside the end hour",
         nomore,
         {{At(7, 22, 0), 0, 0, A::Start},
          {At(7, 22, 1), 1, 2, A::None},
          {At(7, 22, 50), 0, 0, A::HangUp},
          {At(7, 22, 51), 0, 0, A::None}}},
        {"no more files waits out the end hour",
         nomore,
         {{At(7, 22, 0), 0, 0, A::Start},
          {At(7, 23, 5), 0, 0, A::None},
          {At(7, 23, 59), 0, 0, A::None},
          {At(8, 0, 0), 0, 0, A::HangUp}}},
        {"no more files: quit after hanging up",
         nomoreQuit,
         {{At(7, 22, 0), 0, 0, A::Start}, {At(7, 22, 1), 0, 0, A::HangUpThenQuit}}},
        {"no more files needs a scheduled start", nomore, {{At(8, 22, 1), 0, 0, A::None}}},
        {"the date on a day not ticked",
         dated,
         {{At(8, 8, 0), 0, 0, A::None}, {At(9, 8, 0), 0, 0, A::Start}}},
        {"a ticked weekday ignores the date",
         datedTicked,
         {{At(9, 8, 0), 0, 0, A::Start}, {At(10, 8, 0), 0, 0, A::None}}},
        // A day on which nothing was started and nothing ran ends quietly,
        // and the scheduler stays armed for the next day.
        {"idle day: no closing action",
         shutdown,
         {{At(8, 23, 30), 0, 0, A::None},
          {At(8, 23, 30, 30), 0, 0, A::None},
          {At(9, 10, 0), 2, 0, A::None},
          {At(9, 23, 30), 0, 0, A::Shutdown}}},
    };
    for (const Case& c : cases) {
        Scheduler sch;
        for (std::size_t i = 0; i < c.beats.size(); ++i) {
            const Beat& b = c.beats[i];
            EXPECT_EQ(static_cast<int>(sch.Tick(c.s, b.when, b.running, b.queued)),
                      static_cast<int>(b.want))
                << c.what << ", beat " << i;
        }
    }
}

TEST(Scheduler, AbortDisarmsAndTheHeartbeatGoesOn) {
    ScheduleSettings s = Base();
    s.shutdown = true;
    Scheduler sch;
    ASSERT_EQ(sch.Tick(s, At(7, 22, 0), 0, 0), A::Start);
    EXPECT_TRUE(sch.RunActive());
    ASSERT_EQ(sch.Tick(s, At(7, 23, 30), 1, 0), A::Shutdown);
    EXPECT_TRUE(sch.Fired()) << "queued jobs are held back during the countdown";
    sch.Abort();
    EXPECT_FALSE(sch.Fired());
    EXPECT_FALSE(sch.RunActive());
    EXPECT_FALSE(sch.StopRun()) << "nothing left to pause";
    s.enable = false;  // what the caller writes on an abort
    EXPECT_EQ(sch.Tick(s, At(14, 22, 0), 0, 0), A::None);
}

TEST(Scheduler, ContinueEndsTheRunOnce) {
    ScheduleSettings s = Base();
    s.expire = true;
    Scheduler sch;
    ASSERT_EQ(sch.Tick(s, At(7, 22, 0), 0, 0), A::Start);
    ASSERT_EQ(sch.Tick(s, At(7, 23, 30), 1, 0), A::HangUp);
    EXPECT_TRUE(sch.StopRun()) << "the jobs of the run are paused";
    EXPECT_FALSE(sch.StopRun());
    EXPECT_STREQ(ScheduleActionName(A::HangUp), "Hang Up Modem");
    EXPECT_STREQ(ScheduleActionName(A::HangUpThenQuit), "Quit Kestrune");
    EXPECT_STREQ(ScheduleActionName(A::Shutdown), "Computer Shutdown");
}
