#include "platform/executable.h"

#include <unistd.h>

#include <climits>

#include "platform/files.h"

namespace ks::plat {

std::string ExecutableFolder() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::string();
    return DirName(std::string(buf, std::size_t(n)));
}

}  // namespace ks::plat
