#include "platform/shutdown.h"

#include <cstdio>
#include <cstdlib>

namespace ks::plat {

bool ShutDownComputer() {
    const char* log = std::getenv("KESTRUNE_SHUTDOWN_LOG");
    if (!log || !*log) return SystemShutdown();
    std::FILE* f = std::fopen(log, "ab");
    if (!f) return false;
    const bool ok = std::fputs("shutdown\n", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

}  // namespace ks::plat
