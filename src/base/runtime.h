// The settings that worker threads read while they run. The UI thread (or the
// headless front end) publishes them here whenever the settings change; workers
// copy what they need at the start of each step.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/atom.h"
#include "base/proxy_settings.h"
#include "platform/tls.h"

namespace ks {

struct ExternalProgram {
    bool use = false;
    std::string program;
    std::string params;
};

class Runtime {
  public:
    Atom<std::int32_t> retryWaitSeconds{10};  // "Limits" "wait"
    Atom<std::int32_t> timeoutSeconds{180};   // "Limits" "timeout"
    Atom<std::int32_t> keepAliveSeconds{60};
    // The "Error" pause before a retry countdown (tests shorten it).
    Atom<std::int32_t> errorPauseMs{2000};

    std::string ProgramFolder() const { return Locked(programFolder_); }
    void SetProgramFolder(std::string s) { Store(programFolder_, std::move(s)); }
    ProxySettings Proxy() const { return Locked(proxy_); }
    void SetProxy(ProxySettings p) { Store(proxy_, std::move(p)); }
    ExternalProgram External() const { return Locked(external_); }
    void SetExternal(ExternalProgram e) { Store(external_, std::move(e)); }
    plat::TlsTrust Tls() const { return Locked(tls_); }
    void SetTls(plat::TlsTrust t) { Store(tls_, std::move(t)); }
    std::vector<std::string> CaptureFileTypes() const { return Locked(fileTypes_); }
    void SetCaptureFileTypes(std::vector<std::string> t) { Store(fileTypes_, std::move(t)); }

    std::int64_t TimeoutMs() const { return std::int64_t(timeoutSeconds.load()) * 1000; }

  private:
    template <class T>
    T Locked(const T& v) const {
        std::lock_guard<std::mutex> g(mu_);
        return v;
    }
    template <class T>
    void Store(T& dst, T v) {
        std::lock_guard<std::mutex> g(mu_);
        dst = std::move(v);
    }
    mutable std::mutex mu_;
    std::string programFolder_;
    ProxySettings proxy_;
    ExternalProgram external_;
    std::vector<std::string> fileTypes_;
    plat::TlsTrust tls_;
};

// The one instance of the process.
inline Runtime& GlobalRuntime() {
    static Runtime r;
    return r;
}

}  // namespace ks
