// The exit path with a worker that is stuck: in a host lookup whose name
// server never answers, or on a server that accepted the request and went
// silent. Closing the engine must stop and join it within the exit wait, and
// nothing it used may be freed while it can still reach it (ASan watches).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/worker_threads.h"
#include "cli/cli_engine.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"

namespace ks {
namespace {

// A name server that holds every lookup until the test ends.
struct SilentNameServer {
    std::mutex mu;
    std::condition_variable cv;
    bool entered = false;
    bool released = false;

    void Install() {
        plat::SetLookupHookForTests([this](const std::string&) {
            std::unique_lock<std::mutex> lk(mu);
            entered = true;
            cv.notify_all();
            cv.wait(lk, [this] { return released; });
        });
    }
    bool WaitEntered() {
        std::unique_lock<std::mutex> lk(mu);
        return cv.wait_for(lk, std::chrono::seconds(10), [this] { return entered; });
    }
    void Release() {
        plat::SetLookupHookForTests(nullptr);
        std::lock_guard<std::mutex> g(mu);
        released = true;
        cv.notify_all();
    }
};

TEST(ExitWait, StuckWorkersAreStoppedAndJoined) {
    test::ScriptedHttpServer server({[] {
        test::HttpRule r;
        r.neverAnswer = true;
        return r;
    }()});
    // The silent name server must outlive every lookup thread it holds.
    static SilentNameServer names;
    names.Install();
    struct Case {
        const char* what;
        std::string url;
        std::function<bool()> stuck;  // true once the worker sits in its blocking call
    } cases[] = {
        {"host lookup", "http://silent.invalid/f.bin", [] { return names.WaitEntered(); }},
        {"stalled server", server.Url("/f.bin"),
         [&server] {
             for (int i = 0; i < 1000 && server.RequestCount() == 0; ++i) plat::SleepMs(10);
             return server.RequestCount() > 0;
         }},
    };
    for (const Case& c : cases) {
        test::TempDir home;
        auto engine = std::make_unique<cli::Engine>();
        std::string error;
        ASSERT_TRUE(engine->Open(home.path(), error)) << error;
        engine->host.folder = home.path();
        auto row = engine->queue->AddUrl(c.url, true, true);
        ASSERT_TRUE(row) << c.what;
        ASSERT_TRUE(c.stuck()) << c.what;
        const std::int64_t start = plat::MonotonicMs();
        engine->Close();
        EXPECT_EQ(LiveWorkerThreads(), 0) << c.what;
        engine.reset();
        // Well inside the program's exit wait, and far below the socket time-out.
        EXPECT_LT(plat::MonotonicMs() - start, 5000) << c.what;
    }
    names.Release();
}

}  // namespace
}  // namespace ks
