// POSIX side of the process seam. Command lines are composed the Windows way,
// so they are split by the same rules before the program is spawned.
#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace ks::plat {
namespace {

bool Spawn(const std::vector<std::string>& args) {
    if (args.empty() || args[0].empty()) return false;
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // The child inherits no handles beyond the standard three.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    // Nobody waits for the program, so a detached thread reaps it and no
    // zombie is left behind; it does not touch SIGCHLD, which others may own.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace

bool StartProcess(const std::string& commandLine) {
    try {
        return Spawn(SplitCommandLine(commandLine));
    } catch (...) {
        return false;  // no thread or no memory: the program simply does not start
    }
}

bool ShellOpen(const std::string& target) {
    try {
        return Spawn({"xdg-open", target});
    } catch (...) {
        return false;
    }
}

bool OpenInBrowser(const std::string& path) {
    return ShellOpen(path);
}

}  // namespace ks::plat
