// Keep-alive: the list order, the interval rule, and a fetch that outlasts
// the interval.
#include "connection/keep_alive.h"

#include <gtest/gtest.h>

using namespace ks;

namespace {

class Host : public KeepAliveHost {
  public:
    void ArmKeepAliveTimer(std::int64_t ms) override { armedMs = ms; }
    void StopKeepAliveTimer() override { armedMs = 0; }
    int FetchHidden(const std::string& url) override {
        if (busy) return 0;
        fetched.push_back(url);
        busy = true;
        return 1;
    }
    std::int64_t armedMs = 0;  // 0: stopped
    bool busy = false;
    std::vector<std::string> fetched;
};

}  // namespace

TEST(KeepAlive, IntervalRule) {
    const std::pair<std::int32_t, std::int64_t> cases[] = {
        {0, 60000}, {1, 1000}, {90, 90000}, {-30, 60000}};
    for (auto [seconds, ms] : cases) {
        KeepAliveSettings s;
        s.on = true;
        s.intervalSeconds = seconds;
        EXPECT_EQ(KeepAliveIntervalMs(s), ms) << seconds;
        Host h;
        KeepAlive k;
        k.Restart(s, h);
        EXPECT_EQ(h.armedMs, ms) << seconds;
        s.on = false;
        k.Restart(s, h);
        EXPECT_EQ(h.armedMs, 0) << "off only stops the timer";
    }
}

TEST(KeepAlive, FetchesInListOrderCyclicallyOneAtATime) {
    KeepAliveSettings s{true, 5, {"http://a/", "http://b/", "http://c/"}};
    Host h;
    KeepAlive k;
    k.Restart(s, h);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(h.armedMs, 5000);
        k.OnTimer(s, h);
        EXPECT_EQ(h.armedMs, 0) << "stopped while the fetch runs";
        h.busy = false;
        k.FetchEnded(s, h);
    }
    EXPECT_EQ(h.fetched,
              (std::vector<std::string>{"http://a/", "http://b/", "http://c/", "http://a/"}));
    // A fetch that outlasts the interval: the next waits, the index stays.
    k.OnTimer(s, h);
    k.OnTimer(s, h);
    EXPECT_EQ(h.fetched.size(), 5u);
    EXPECT_EQ(k.NextIndex(), 2u);
    h.busy = false;
    k.FetchEnded(s, h);
    k.OnTimer(s, h);
    EXPECT_EQ(h.fetched.back(), "http://c/");
}

TEST(KeepAlive, EmptyListOrOffFetchesNothing) {
    Host h;
    KeepAlive k;
    KeepAliveSettings empty{true, 5, {}};
    k.Restart(empty, h);
    k.OnTimer(empty, h);
    EXPECT_TRUE(h.fetched.empty());
    EXPECT_EQ(h.armedMs, 0) << "stays stopped until the dialog is confirmed again";
    KeepAliveSettings off{false, 5, {"http://a/"}};
    k.OnTimer(off, h);
    EXPECT_TRUE(h.fetched.empty());
}
