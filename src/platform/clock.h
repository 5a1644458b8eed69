// Time. Wall-clock seconds name project files and feed the rate tick;
// monotonic milliseconds bound waits.
#pragma once

#include <cstdint>

namespace ks::plat {

std::int64_t NowSeconds();      // seconds since 1970
std::int64_t MonotonicMs();     // never goes back
void SleepMs(std::int64_t ms);

}  // namespace ks::plat
