// Win32 side of the process seam.
#include "platform/process.h"

#include <windows.h>
// needs the types windows.h declares
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

bool OpenInBrowser(const std::string& path) {
    char cls[256] = {};
    LONG n = sizeof cls;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", cls, &n) != ERROR_SUCCESS || !cls[0])
        return false;
    char cmd[1024] = {};
    n = sizeof cmd;
    const std::string key = std::string(cls) + "\\shell\\open\\command";
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), cmd, &n) != ERROR_SUCCESS || !cmd[0])
        return false;
    // The program is the command's first word; its placeholders and switches go.
    const std::string command = cmd;
    std::string program;
    if (command[0] == '"') {
        const std::size_t end = command.find('"', 1);
        program = command.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    } else {
        program = command.substr(0, command.find_first_of(" \""));
    }
    HINSTANCE h = ShellExecuteA(GetDesktopWindow(), "open", program.c_str(), path.c_str(), nullptr,
                                SW_SHOWDEFAULT);
    return reinterpret_cast<INT_PTR>(h) > 32;
}

}  // namespace ks::plat
