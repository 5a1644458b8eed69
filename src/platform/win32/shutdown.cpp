// Win32 side of the shutdown seam: the shutdown privilege, then ExitWindowsEx.
#include "platform/shutdown.h"

#include <windows.h>

namespace ks::plat {
namespace {

// Systems with security need the privilege enabled in the process token;
// where it cannot be had, ExitWindowsEx is still asked and may refuse.
void EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    TOKEN_PRIVILEGES tp{};
    if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid)) {
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
    }
    CloseHandle(token);
}

}  // namespace

bool SystemShutdown() {
    EnableShutdownPrivilege();
    return ExitWindowsEx(EWX_SHUTDOWN, 0) != FALSE;
}

}  // namespace ks::plat
