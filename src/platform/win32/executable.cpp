#include "platform/executable.h"

#include <windows.h>

#include "platform/files.h"

namespace ks::plat {

std::string ExecutableFolder() {
    char buf[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return std::string();
    return DirName(std::string(buf, n));
}

}  // namespace ks::plat
