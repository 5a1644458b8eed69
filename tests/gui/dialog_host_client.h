// One run of kestrune_dialog_host: start it on a dialog and a program folder,
// then read the report it writes when the dialog ends.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "gui_test.h"

namespace guitest {

class DialogHostRun {
  public:
    ~DialogHostRun() {
        if (pi_.hProcess) {
            if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(pi_.hProcess, 9);
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
    }
    bool Start(const std::string& dialog, const std::string& home,
               const std::vector<std::string>& fields = {}) {
        out_ = home + "\\report.txt";
        std::string cmd = "\"" + BuildFolder() + "\\kestrune_dialog_host.exe\" " + dialog + " \"" +
                          home + "\" \"" + out_ + "\"";
        for (const std::string& f : fields) cmd += " \"" + f + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        return CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi_) != FALSE;
    }
    DWORD Pid() const { return pi_.dwProcessId; }
    // Waits for the host to end and parses its report.
    std::map<std::string, std::string> Report() {
        std::map<std::string, std::string> r;
        if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) return r;
        std::string text;
        ReadTextFile(out_, text);
        std::string::size_type pos = 0;
        while (pos < text.size()) {
            std::string::size_type end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(pos, end - pos);
            std::string::size_type eq = line.find('=');
            if (eq != std::string::npos) r[line.substr(0, eq)] = line.substr(eq + 1);
            pos = end + 1;
        }
        return r;
    }

  private:
    PROCESS_INFORMATION pi_{};
    std::string out_;
};

}  // namespace guitest
