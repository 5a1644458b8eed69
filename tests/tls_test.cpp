// The TLS stream against peers that misbehave in the handshake, on loopback:
// which failures count as network trouble (retried) and which are final, and
// that time-out and cancel reach a handshake as they reach a plain receive.
#include "platform/tls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/raw_server.h"

using namespace ks;
using ks::test::RawServer;

namespace {

std::string ReadSome(plat::Socket& s, std::size_t atLeast) {
    std::string got;
    char buf[4096];
    while (got.size() < atLeast) {
        std::int64_t n = s.Recv(buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, std::size_t(n));
    }
    return got;
}

void Stall(plat::Socket& s) {
    ReadSome(s, 1);
    char c;
    s.Recv(&c, 1);  // until the test ends it
}

struct HandshakeCase {
    const char* name;
    void (*talk)(plat::Socket&);
    plat::TlsFailure want;
    const char* text;  // part of FailureText()
};

const HandshakeCase kHandshakeCases[] = {
    {"hang-up before any answer", [](plat::Socket& s) { ReadSome(s, 5); },
     plat::TlsFailure::Network, "closed"},
    {"an HTTP answer instead of a handshake",
     [](plat::Socket& s) {
         ReadSome(s, 5);
         s.SendAll("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
     },
     plat::TlsFailure::Protocol, "TLS handshake failed"},
    {"binary garbage",
     [](plat::Socket& s) {
         ReadSome(s, 5);
         std::string junk(300, '\0');
         for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = char(i * 7 + 1);
         s.SendAll(junk);
     },
     plat::TlsFailure::Protocol, "TLS handshake failed"},
    {"a record header promising more than the peer sends",
     [](plat::Socket& s) {
         ReadSome(s, 5);
         s.SendAll(std::string("\x16\x03\x03\x40\x00\x02\x00", 7));  // then silence and close
     },
     plat::TlsFailure::Network, "closed"},
};

}  // namespace

TEST(Tls, HandshakeFailuresAreSortedIntoRetriedAndFinal) {
    ASSERT_TRUE(plat::SocketLayerInit());
    for (const HandshakeCase& c : kHandshakeCases) {
        RawServer server(c.talk);
        plat::Socket sock;
        sock.SetTimeoutMs(5000);
        ASSERT_TRUE(sock.Connect("127.0.0.1", server.Port())) << c.name;
        plat::TlsStream tls(sock);
        EXPECT_FALSE(tls.Handshake("127.0.0.1", plat::TlsTrust{})) << c.name;
        EXPECT_EQ(tls.Failure(), c.want) << c.name << ": " << tls.FailureText();
        EXPECT_NE(tls.FailureText().find(c.text), std::string::npos)
            << c.name << ": " << tls.FailureText();
    }
}

TEST(Tls, TimeOutEndsAStalledHandshake) {
    ASSERT_TRUE(plat::SocketLayerInit());
    RawServer server(Stall);
    plat::Socket sock;
    ASSERT_TRUE(sock.Connect("127.0.0.1", server.Port()));
    sock.SetTimeoutMs(300);
    plat::TlsStream tls(sock);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(tls.Handshake("localhost", plat::TlsTrust{}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(tls.Failure(), plat::TlsFailure::Network);
    EXPECT_EQ(sock.LastError(), plat::SocketError::Timeout);
    EXPECT_NE(tls.FailureText().find("time-out"), std::string::npos) << tls.FailureText();
}

TEST(Tls, CancelFromAnotherThreadEndsAStalledHandshake) {
    ASSERT_TRUE(plat::SocketLayerInit());
    RawServer server(Stall);
    plat::Socket sock;
    sock.SetTimeoutMs(60000);
    ASSERT_TRUE(sock.Connect("127.0.0.1", server.Port()));
    plat::TlsStream tls(sock);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        sock.Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(tls.Handshake("localhost", plat::TlsTrust{}));
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(tls.Failure(), plat::TlsFailure::Network);
    EXPECT_EQ(sock.LastError(), plat::SocketError::Cancelled);
}

TEST(Tls, AnUnreadableCaFileFailsBeforeAnyByteIsSent) {
    ASSERT_TRUE(plat::SocketLayerInit());
    std::atomic<bool> heard{false};
    {
        RawServer server([&](plat::Socket& s) {
            char c;
            heard = s.Recv(&c, 1) == 1;
        });
        plat::Socket sock;
        sock.SetTimeoutMs(5000);
        ASSERT_TRUE(sock.Connect("127.0.0.1", server.Port()));
        plat::TlsStream tls(sock);
        plat::TlsTrust trust;
        trust.caFile = "/nonexistent/kestrune-ca.pem";
        EXPECT_FALSE(tls.Handshake("127.0.0.1", trust));
        EXPECT_EQ(tls.Failure(), plat::TlsFailure::Local);
        EXPECT_NE(tls.FailureText().find("CA file"), std::string::npos) << tls.FailureText();
        sock.Close();
    }
    EXPECT_FALSE(heard) << "nothing may reach the server before the trust is set up";
}

TEST(Tls, NothingMovesWithoutAHandshake) {
    plat::Socket sock;
    plat::TlsStream tls(sock);
    char buf[4];
    EXPECT_EQ(tls.Recv(buf, sizeof buf), -1);
    EXPECT_FALSE(tls.SendAll("x", 1));
}

TEST(Tls, AddressLiterals) {
    const std::pair<const char*, bool> cases[] = {
        {"127.0.0.1", true}, {"::1", true},         {"[::1]", true},
        {"[fe80::1]", true}, {"localhost", false},  {"example.org", false},
        {"1.2.3", false},    {"127.0.0.1.", false}, {"", false},
        {"[]", false},       {"256.1.1.1", false},  {"1.2.3.4.example", false},
    };
    for (const auto& [host, want] : cases) EXPECT_EQ(plat::IsAddressLiteral(host), want) << host;
}
