// The logon conversations of all nine logon types, as a proxy sees them.
#include <gtest/gtest.h>

#include "base/project.h"
#include "support/ftp_test_env.h"
#include "support/scripted_ftp_server.h"
#include "transfer/ftp_client.h"

using namespace ks;
using ks::test::FtpBehaviour;
using ks::test::ScriptedFtpServer;

namespace {

class FtpLogon : public ks::test::FtpTestBase {
  protected:
    FtpLogonParams Params(std::int32_t type, std::uint16_t serverPort, std::uint16_t remotePort) {
        FtpLogonParams p;
        p.host = type == 0 ? "127.0.0.1" : "files.example";
        p.port = type == 0 ? serverPort : remotePort;
        p.user = "joe";
        p.password = "secret";
        p.proxyHost = "127.0.0.1";
        p.proxyPort = serverPort;
        p.proxyUser = "fw";
        p.proxyPassword = "fwpw";
        p.logonType = type;
        return p;
    }
};

}  // namespace

TEST_F(FtpLogon, EachTypeSendsItsSequence) {
    const std::vector<std::vector<std::string>> expected = {
        {"USER joe", "PASS secret"},
        {"USER fw", "PASS fwpw", "SITE files.example", "USER joe", "PASS secret"},
        {"USER fw", "PASS fwpw", "USER joe@files.example", "PASS secret"},
        {"OPEN files.example", "USER joe", "PASS secret"},
        {"USER fw", "PASS fwpw", "USER joe", "PASS secret"},
        {"USER joe@files.example", "PASS secret"},
        {"USER fw@files.example", "PASS fwpw", "USER joe", "PASS secret"},
        {"USER joe@files.example fw", "PASS secret"},
        {"USER joe@fw@files.example", "PASS secret@fwpw"},
    };
    for (std::int32_t type = 0; type < 9; ++type) {
        ScriptedFtpServer server;
        CProject project;
        CFtpClient client(project);
        EXPECT_EQ(client.Logon(Params(type, server.Port(), 21)), 1) << type;
        EXPECT_EQ(server.Commands(), expected[type]) << "type " << type;
    }
}

TEST_F(FtpLogon, RepliesSteerTheWalk) {
    struct Case {
        std::int32_t type;
        std::map<std::string, std::string> replies;
        int ok;
        std::vector<std::string> sent;
    } cases[] = {
        // A proxy that answers SITE with 200 did not switch over: logon fails.
        {1, {{"SITE files.example", "200 OK"}}, 0, {"USER fw", "PASS fwpw", "SITE files.example"}},
        // Proxy user accepted without a password: straight to SITE.
        {1,
         {{"USER fw", "230 ok"}},
         1,
         {"USER fw", "SITE files.example", "USER joe", "PASS secret"}},
        // The combined USER must ask for the password.
        {7, {{"USER joe@files.example fw", "230 in"}}, 0, {"USER joe@files.example fw"}},
        // ACCT when the password is not enough; a 3xx to ACCT fails.
        {0, {{"PASS secret", "332 Need account"}}, 1, {"USER joe", "PASS secret", "ACCT "}},
        {0,
         {{"PASS secret", "332 Need account"}, {"ACCT ", "332 more?"}},
         0,
         {"USER joe", "PASS secret", "ACCT "}},
        {0, {{"PASS secret", "530 Login incorrect."}}, 0, {"USER joe", "PASS secret"}},
        {3,
         {{"OPEN files.example", "220 connected"}},
         1,
         {"OPEN files.example", "USER joe", "PASS secret"}},
    };
    for (const Case& c : cases) {
        FtpBehaviour b;
        b.replies = c.replies;
        ScriptedFtpServer server(b);
        CProject project;
        CFtpClient client(project);
        EXPECT_EQ(client.Logon(Params(c.type, server.Port(), 21)), c.ok) << c.sent.back();
        EXPECT_EQ(server.Commands(), c.sent);
        if (!c.ok) {
            EXPECT_EQ(project.result.load(), ResultNetwork);
        }
    }
}

TEST_F(FtpLogon, HostCarriesItsPortUnless21) {
    for (std::int32_t type : {1, 3, 8}) {
        ScriptedFtpServer server;
        CProject project;
        CFtpClient client(project);
        ASSERT_EQ(client.Logon(Params(type, server.Port(), 2121)), 1);
        std::vector<std::string> sent = server.Commands();
        bool named = false;
        for (const std::string& s : sent)
            named |= s.find("files.example:2121") != std::string::npos;
        EXPECT_TRUE(named) << type;
    }
}

TEST_F(FtpLogon, GreetingAndFailures) {
    FtpBehaviour b;
    b.greeting = {"220-Welcome to the test server", "220-Be nice", "220 Ready"};
    {
        ScriptedFtpServer server(b);
        CProject project;
        CFtpClient client(project);
        EXPECT_EQ(client.Logon(Params(0, server.Port(), 21)), 1)
            << "multi-line greeting is one reply";
    }
    b.greeting = {"421 Too many users"};
    {
        ScriptedFtpServer server(b);
        CProject project;
        CFtpClient client(project);
        EXPECT_EQ(client.Logon(Params(0, server.Port(), 21)), 0);
        EXPECT_TRUE(server.Commands().empty());
    }
    {
        // Line breaks in a name are never put on the wire.
        ScriptedFtpServer server;
        CProject project;
        CFtpClient client(project);
        FtpLogonParams p = Params(0, server.Port(), 21);
        p.user = "joe\r\nDELE /x";
        EXPECT_EQ(client.Logon(p), 0);
        EXPECT_TRUE(server.Commands().empty());
    }
    CProject project;
    CFtpClient client(project);
    FtpLogonParams p = Params(9, 1, 21);
    EXPECT_EQ(client.Logon(p), 0) << "no tenth logon type";
    EXPECT_EQ(client.lastMessage, "Logon failed");
}
