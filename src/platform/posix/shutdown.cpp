// A download manager does not power off a Unix machine: the request is refused
// (the scheduler's other closing actions still run).
#include "platform/shutdown.h"

namespace ks::plat {

bool SystemShutdown() {
    return false;
}

}  // namespace ks::plat
