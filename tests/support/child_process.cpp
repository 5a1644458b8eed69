#include "support/child_process.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "platform/files.h"

namespace ks::test {

#ifdef _WIN32

namespace {

// Quotes one argument so that the C runtime's command-line split gives it back.
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

HANDLE H(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

}  // namespace

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args) {
    std::string cmd = Quote(program);
    for (const std::string& a : args) cmd += " " + Quote(a);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(program.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi)) {
        return false;
    }
    CloseHandle(pi.hThread);
    handle_ = reinterpret_cast<std::intptr_t>(pi.hProcess);
    return true;
}

void ChildProcess::Kill() {
    if (!handle_) return;
    TerminateProcess(H(handle_), 137);
    Wait();
}

int ChildProcess::Wait() {
    if (!handle_) return -1;
    WaitForSingleObject(H(handle_), INFINITE);
    DWORD code = 0;
    int rc = GetExitCodeProcess(H(handle_), &code) ? static_cast<int>(code) : -1;
    CloseHandle(H(handle_));
    handle_ = 0;
    return rc;
}

std::string HelperPath(const std::string& name) {
    char buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return plat::JoinPath(plat::DirName(std::string(buf, n)), name + ".exe");
}

#else

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    handle_ = pid;
    return true;
}

void ChildProcess::Kill() {
    if (!handle_) return;
    ::kill(static_cast<pid_t>(handle_), SIGKILL);
    Wait();
}

int ChildProcess::Wait() {
    if (!handle_) return -1;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(static_cast<pid_t>(handle_), &status, 0);
    } while (r < 0 && errno == EINTR);
    handle_ = 0;
    if (r < 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string HelperPath(const std::string& name) {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
    if (n <= 0) return name;
    return plat::JoinPath(plat::DirName(std::string(buf, static_cast<std::size_t>(n))), name);
}

#endif

ChildProcess::~ChildProcess() {
    Kill();
}

}  // namespace ks::test
