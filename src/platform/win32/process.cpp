// Win32 side of the process seam.
#include "platform/process.h"

#include <windows.h>
// needs the types windows.h declares
#include <shellapi.h>

#include <shellapi.h>

#include <vector>

namespace ks::plat {

bool StartProcess(const std::string& commandLine) {
    // CreateProcessA may write into the command line, so it gets its own copy.
    std::vector<char> buf(commandLine.begin(), commandLine.end());
    buf.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    si.wShowWindow = SW_SHOWMINNOACTIVE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool ShellOpen(const std::string& target) {
    HINSTANCE h = ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(h) > 32;
}

}  // namespace ks::plat
