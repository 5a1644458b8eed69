// Time. Wall-clock seconds name project files and feed the rate tick;
// monotonic milliseconds bound waits.
#pragma once

#include <cstdint>

namespace ks::plat {

std::int64_t NowSeconds();   // seconds since 1970
std::int64_t MonotonicMs();  // never goes back
void SleepMs(std::int64_t ms);

// A moment as the local calendar shows it.
struct LocalTime {
    int year = 1970, month = 1, day = 1;  // month 1..12
    int hour = 0, minute = 0, second = 0;
    int weekday = 4;  // 0 Sunday .. 6 Saturday
};
LocalTime ToLocalTime(std::int64_t secondsSince1970);

}  // namespace ks::plat
