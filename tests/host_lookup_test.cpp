// A name server that never answers must not hold up a stop or the exit: the
// connecting thread walks away from the lookup when the socket is cancelled
// or its time-out passes.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/socket.h"

namespace ks {
namespace {

// Holds every lookup until released, like a name server that does not answer.
class StalledNameServer {
  public:
    StalledNameServer() {
        {
            std::lock_guard<std::mutex> g(mu_);
            released_ = false;
        }
        plat::SetLookupHookForTests([this](const std::string&) {
            std::unique_lock<std::mutex> lk(mu_);
            cv_.wait(lk, [] { return released_; });
        });
    }
    ~StalledNameServer() {
        plat::SetLookupHookForTests(nullptr);
        std::lock_guard<std::mutex> g(mu_);
        released_ = true;
        cv_.notify_all();
    }

  private:
    // Lookups still held outlive the test object: they wait on statics.
    static inline std::mutex mu_;
    static inline std::condition_variable cv_;
    static inline bool released_ = false;
};

TEST(HostLookup, AbandonedOnCancelAndTimeOut) {
    plat::SocketLayerInit();
    struct Case {
        const char* what;
        std::int64_t timeoutMs;
        std::int64_t cancelAfterMs;  // < 0: never
        plat::SocketError want;
    } cases[] = {
        {"cancel", 60000, 100, plat::SocketError::Cancelled},
        {"cancel before", 60000, 0, plat::SocketError::Cancelled},
        {"time-out", 300, -1, plat::SocketError::Timeout},
    };
    StalledNameServer stalled;
    for (const Case& c : cases) {
        plat::Socket s;
        s.SetTimeoutMs(c.timeoutMs);
        std::thread canceller;
        if (c.cancelAfterMs == 0) s.Cancel();
        if (c.cancelAfterMs > 0) {
            canceller = std::thread([&s, &c] {
                std::this_thread::sleep_for(std::chrono::milliseconds(c.cancelAfterMs));
                s.Cancel();
            });
        }
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(s.Connect("stalled.invalid", 80)) << c.what;
        const auto took = std::chrono::steady_clock::now() - start;
        if (canceller.joinable()) canceller.join();
        EXPECT_EQ(s.LastError(), c.want) << c.what;
        EXPECT_LT(took, std::chrono::seconds(10)) << c.what;
    }
}

// Dotted addresses never wait on a lookup, stalled or not.
TEST(HostLookup, DottedAddressesSkipTheNameServer) {
    plat::SocketLayerInit();
    StalledNameServer stalled;
    plat::Socket server;
    ASSERT_TRUE(server.Listen("127.0.0.1", 0));
    plat::Socket client;
    client.SetTimeoutMs(5000);
    EXPECT_TRUE(client.Connect("127.0.0.1", server.LocalPort()));
}

}  // namespace
}  // namespace ks
