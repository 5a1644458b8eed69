// Servers that never finish what they send: the clients must give up within
// their limits (memory) or their time-out (silence), and report a failure.
#include <gtest/gtest.h>

#include <string>

#include "base/runtime.h"
#include "platform/clock.h"
#include "base/project.h"
#include "support/raw_server.h"
#include "support/runtime_guard.h"
#include "support/temp_dir.h"
#include "transfer/dispatch.h"
#include "transfer/ftp_control.h"

using namespace ks;
using ks::test::RawServer;

namespace {

// Sends `unit` again and again until the client hangs up.
void Endless(plat::Socket& s, const std::string& head, const std::string& unit) {
    if (!s.SendAll(head)) return;
    std::string block;
    while (block.size() < 16384) block += unit;
    while (s.SendAll(block)) {
    }
}

}  // namespace

TEST(HostileFtpServer, EndlessRepliesAreRefused) {
    struct Case {
        const char* name;
        std::string head, unit;
    } cases[] = {
        {"endless multi-line reply", "220-welcome\r\n", "220-still talking\r\n"},
        {"endless line", "220 ", "a"},
        {"endless blank lines", "220-welcome\r\n", "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawServer server([&](plat::Socket& s) { Endless(s, c.head, c.unit); });
        CControlSocket control(5000);
        ASSERT_TRUE(control.Connect("127.0.0.1", server.Port()));
        FtpReply reply;
        EXPECT_FALSE(control.ReadReply(reply));
    }
}

struct HostileHttpServer : ::testing::Test {
    ks::test::RuntimeGuard runtime;
    ks::test::TempDir dir;
    CProject project;

    HostileHttpServer() { project.SetText(&ProjectSettings::folder, dir.path()); }
};

TEST_F(HostileHttpServer, EndlessHeaderFails) {
    struct Case {
        const char* name;
        std::string unit;
    } cases[] = {
        {"one endless header line", "a"},
        {"endless header lines", "X-Filler: abc\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawServer server([&](plat::Socket& s) {
            if (RawServer::ReadRequest(s)) Endless(s, "HTTP/1.1 200 OK\r\nX-Long: ", c.unit);
        });
        project.result = 0;
        EXPECT_EQ(HttpDownload(project, server.Url("http", "/f.bin")), 0);
        EXPECT_NE(project.result.load(), ResultOk);
        EXPECT_EQ(project.bytesDone.load(), 0);
    }
}

// The time-out bounds each silence, not the whole answer: a body that trickles
// in with pauses shorter than the time-out arrives whole, pauses longer end it.
TEST_F(HostileHttpServer, TrickleKeepsTheConnectionOnlyWithinTheTimeOut) {
    struct Case {
        const char* name;
        int pauseMs;
        int timeoutSeconds;
        int ok;
        std::int32_t result;
    } cases[] = {
        {"pauses inside the time-out", 150, 1, 1, ResultOk},
        {"pauses beyond the time-out", 1600, 1, 0, ResultNetwork},
    };
    const std::string body = "abcd";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GlobalRuntime().timeoutSeconds = c.timeoutSeconds;
        RawServer server([&](plat::Socket& s) {
            if (!RawServer::ReadRequest(s)) return;
            if (!s.SendAll("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n")) return;
            for (char ch : body) {
                plat::SleepMs(c.pauseMs);
                if (!s.SendAll(&ch, 1)) return;
            }
        });
        project.result = 0;
        project.bytesDone = 0;
        EXPECT_EQ(HttpDownload(project, server.Url("http", "/t" + std::to_string(c.pauseMs))),
                  c.ok);
        EXPECT_EQ(project.result.load(), c.result);
    }
}
