// Shared set-up of the FTP tests: the settings the client reads, restored
// afterwards so tests do not leak into each other.
#pragma once

#include <gtest/gtest.h>

#include "base/runtime.h"
#include "support/runtime_guard.h"

namespace ks::test {

class FtpTestBase : public ::testing::Test {
  protected:
    void SetUp() override { GlobalRuntime().timeoutSeconds = 5; }
    void UseProxy(std::int32_t logonType, std::uint16_t port, bool passive) {
        ProxySettings p;
        p.ftpProxyServer = "127.0.0.1";
        p.ftpProxyPort = port;
        p.ftpProxyUser = "fw";
        p.ftpProxyPassword = "fwpw";
        p.ftpLogonType = logonType;
        p.ftpPassive = passive;
        GlobalRuntime().SetProxy(p);
    }
    void UsePassive(bool passive) {
        ProxySettings p;
        p.ftpPassive = passive;
        GlobalRuntime().SetProxy(p);
    }

  private:
    RuntimeGuard runtime_;
};

}  // namespace ks::test
