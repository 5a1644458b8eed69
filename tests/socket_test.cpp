#include "platform/socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace ks::plat;
using Clock = std::chrono::steady_clock;

namespace {

struct Pair {
    Socket listener;
    Socket client;
    std::unique_ptr<Socket> server;

    void Open() {
        ASSERT_TRUE(SocketLayerInit());
        ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
        ASSERT_NE(listener.LocalPort(), 0);
        ASSERT_TRUE(client.Connect("127.0.0.1", listener.LocalPort()));
        server = listener.Accept();
        ASSERT_TRUE(server);
    }
};

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Runs `blocking` and cancels `target` from another thread after a short delay.
template <class F>
double CancelWhileBlocked(Socket& target, F blocking) {
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        target.Cancel();
    });
    auto start = Clock::now();
    blocking();
    double took = Seconds(start);
    t.join();
    return took;
}

}  // namespace

TEST(Socket, BytesArriveIntactAndPeerCloseReadsZero) {
    Pair p;
    p.Open();
    EXPECT_EQ(p.client.PeerPort(), p.listener.LocalPort());
    EXPECT_EQ(p.server->PeerAddress(), "127.0.0.1");

    // Large enough that the sender must wait for the receiver.
    std::vector<char> out(4 << 20);
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(i * 131 + (i >> 9));
    std::thread sender([&] {
        EXPECT_TRUE(p.server->SendAll(out.data(), out.size()));
        p.server->Close();
    });
    std::vector<char> in;
    std::vector<char> buf(65536);
    for (;;) {
        std::int64_t n = p.client.Recv(buf.data(), buf.size());
        ASSERT_GE(n, 0) << static_cast<int>(p.client.LastError());
        if (n == 0) break;
        in.insert(in.end(), buf.data(), buf.data() + n);
    }
    sender.join();
    EXPECT_TRUE(in == out);
    EXPECT_EQ(p.client.Recv(buf.data(), buf.size()), 0);
}

TEST(Socket, HalfCloseEndsTheReadingSide) {
    Pair p;
    p.Open();
    ASSERT_TRUE(p.server->SendAll("abc"));
    p.server->ShutdownSend();
    char buf[8];
    std::string got;
    for (std::int64_t n; (n = p.client.Recv(buf, sizeof buf)) > 0;) got.append(buf, n);
    EXPECT_EQ(got, "abc");
    // The other direction still works after a half-close.
    ASSERT_TRUE(p.client.SendAll("x"));
    EXPECT_EQ(p.server->Recv(buf, 1), 1);
}

TEST(Socket, TimeOutEndsASilentReceive) {
    Pair p;
    p.Open();
    p.client.SetTimeoutMs(300);
    char buf[16];
    auto start = Clock::now();
    EXPECT_EQ(p.client.Recv(buf, sizeof buf), -1);
    double took = Seconds(start);
    EXPECT_EQ(p.client.LastError(), SocketError::Timeout);
    EXPECT_GE(took, 0.25);
    EXPECT_LT(took, 2.0);
    // A time-out leaves the connection usable.
    ASSERT_TRUE(p.server->SendAll("z"));
    EXPECT_EQ(p.client.Recv(buf, sizeof buf), 1);
}

TEST(Socket, CancelWakesABlockedReceiveAndEveryLaterStep) {
    Pair p;
    p.Open();
    char buf[16];
    std::int64_t n = 0;
    double took = CancelWhileBlocked(p.client, [&] { n = p.client.Recv(buf, sizeof buf); });
    EXPECT_EQ(n, -1);
    EXPECT_EQ(p.client.LastError(), SocketError::Cancelled);
    EXPECT_LT(took, 2.0);
    EXPECT_TRUE(p.client.IsCancelled());
    ASSERT_TRUE(p.server->SendAll("late"));
    EXPECT_EQ(p.client.Recv(buf, sizeof buf), -1);
    EXPECT_FALSE(p.client.SendAll("x"));
    EXPECT_EQ(p.client.LastError(), SocketError::Cancelled);
}

TEST(Socket, CancelWakesABlockedAccept) {
    ASSERT_TRUE(SocketLayerInit());
    Socket listener;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
    std::unique_ptr<Socket> got;
    double took = CancelWhileBlocked(listener, [&] { got = listener.Accept(); });
    EXPECT_FALSE(got);
    EXPECT_EQ(listener.LastError(), SocketError::Cancelled);
    EXPECT_LT(took, 2.0);
}

TEST(Socket, CancelWakesABlockedConnect) {
    ASSERT_TRUE(SocketLayerInit());
    // A listener that never accepts, with its queue filled: a further connect
    // gets no answer and waits.
    Socket listener;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 1));
    std::vector<std::unique_ptr<Socket>> fillers;
    bool full = false;
    for (int i = 0; i < 16 && !full; ++i) {
        fillers.push_back(std::make_unique<Socket>());
        fillers.back()->SetTimeoutMs(300);
        full = !fillers.back()->Connect("127.0.0.1", listener.LocalPort());
    }
    if (!full) GTEST_SKIP() << "the accept queue never filled";
    Socket c;
    c.SetTimeoutMs(30000);
    bool ok = true;
    double took = CancelWhileBlocked(c, [&] { ok = c.Connect("127.0.0.1", listener.LocalPort()); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(c.LastError(), SocketError::Cancelled);
    EXPECT_LT(took, 2.0);
}

TEST(Socket, ConnectToAClosedPortIsRefused) {
    ASSERT_TRUE(SocketLayerInit());
    std::uint16_t port;
    {
        Socket l;
        ASSERT_TRUE(l.Listen("127.0.0.1", 0));
        port = l.LocalPort();
    }
    Socket c;
    c.SetTimeoutMs(5000);
    EXPECT_FALSE(c.Connect("127.0.0.1", port));
    EXPECT_EQ(c.LastError(), SocketError::Refused);
}
