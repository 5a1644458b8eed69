#include "platform/system_error.h"

#include <windows.h>

namespace ks::plat {

std::string LastSystemError() {
    const DWORD e = GetLastError();
    if (e == 0) return "unknown error";
    char buf[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, e,
                             0, buf, sizeof buf, nullptr);
    // The system's texts end with a full stop and a line break.
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == '.')) --n;
    return n > 0 ? std::string(buf, n) : "error " + std::to_string(e);
}

}  // namespace ks::plat
