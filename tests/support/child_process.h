// Starting a helper program from a test and killing it hard, as a crash or a
// power cut would end it: no handlers run, no buffers are flushed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ks::test {

class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();  // kills a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::string& program, const std::vector<std::string>& args);
    // SIGKILL / TerminateProcess, then waits until it is gone.
    void Kill();
    // Waits for the child to end; its exit code, or -1.
    int Wait();
    bool Started() const { return handle_ != 0; }

  private:
    std::intptr_t handle_ = 0;  // pid, or process HANDLE
};

// Full path of a helper program built next to the running test binary.
std::string HelperPath(const std::string& name);

}  // namespace ks::test
