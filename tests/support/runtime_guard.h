// Keeps what a test changes in the settings workers read (time-outs, pauses,
// proxies) from leaking into the next test: the values are saved when the
// guard is made and put back when it goes.
#pragma once

#include "base/runtime.h"

namespace ks::test {

class RuntimeGuard {
  public:
    RuntimeGuard()
        : proxy_(GlobalRuntime().Proxy()),
          timeout_(GlobalRuntime().timeoutSeconds.load()),
          retryWait_(GlobalRuntime().retryWaitSeconds.load()),
          errorPause_(GlobalRuntime().errorPauseMs.load()) {}
    ~RuntimeGuard() {
        GlobalRuntime().SetProxy(proxy_);
        GlobalRuntime().timeoutSeconds = timeout_;
        GlobalRuntime().retryWaitSeconds = retryWait_;
        GlobalRuntime().errorPauseMs = errorPause_;
    }
    RuntimeGuard(const RuntimeGuard&) = delete;
    RuntimeGuard& operator=(const RuntimeGuard&) = delete;

  private:
    ProxySettings proxy_;
    std::int32_t timeout_, retryWait_, errorPause_;
};

}  // namespace ks::test
