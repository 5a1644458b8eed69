// The path from worker threads to the UI thread: posted tasks run on the
// draining thread in order, one wake-up per batch, and a task whose target is
// gone (or posted after shutdown) never runs.
#include "base/ui_tasks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "base/worker_threads.h"
#include "projects/queue.h"

using namespace ks;

TEST(UiTaskQueue, RunsEveryPostOnTheDrainingThreadInOrderWithOneWakeUpPerBatch) {
    UiTaskQueue q;
    std::atomic<int> wakes{0};
    q.SetWaker([&] { ++wakes; });
    constexpr int kThreads = 4, kPosts = 500;
    std::vector<std::vector<int>> seen(kThreads);
    const auto ui = std::this_thread::get_id();
    std::atomic<bool> offThread{false};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i)
                q.Post([&, t, i] {
                    if (std::this_thread::get_id() != ui) offThread = true;
                    seen[t].push_back(i);
                });
        });
    for (auto& p : posters) p.join();
    EXPECT_EQ(wakes.load(), 1);  // the UI thread had not looked yet
    EXPECT_EQ(q.Drain(), std::size_t(kThreads * kPosts));
    EXPECT_FALSE(offThread.load());
    for (const auto& s : seen) {
        ASSERT_EQ(s.size(), std::size_t(kPosts));
        for (int i = 0; i < kPosts; ++i) EXPECT_EQ(s[i], i);
    }
    q.Post([] {});
    EXPECT_EQ(wakes.load(), 2);  // the next post after a drain wakes again
}

TEST(UiTaskQueue, ATaskThatDrainsKeepsTheOrderAndLaterPostsWaitForTheNextDrain) {
    UiTaskQueue q;
    std::vector<int> order;
    q.Post([&] {
        order.push_back(1);
        q.Post([&] { order.push_back(4); });
        q.Drain();  // a dialog's message loop inside a task
    });
    q.Post([&] { order.push_back(2); });
    q.Post([&] { order.push_back(3); });
    q.Drain();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

TEST(UiTaskQueue, GoneTargetsAndShutdownDropTasksUnrun) {
    UiTaskQueue q;
    int ran = 0;
    auto target = std::make_unique<UiLifetime>();
    q.Post(target->Guard([&] { ++ran; }));
    target.reset();
    q.Drain();
    EXPECT_EQ(ran, 0);

    // A shut queue drops what waits and what comes, and lets go of captures.
    auto held = std::make_shared<int>(0);
    q.Post([&ran, held] { ++ran; });
    q.Shutdown();
    q.Post([&ran, held] { ++ran; });
    EXPECT_EQ(held.use_count(), 1);
    EXPECT_EQ(q.Drain(), 0u);
    EXPECT_EQ(ran, 0);
}

TEST(UiTaskQueue, AWaitingLoopWakesForAPostOrAWakeLongBeforeItsTimeout) {
    UiTaskQueue q;
    for (bool post : {true, false}) {
        SCOPED_TRACE(post ? "post" : "wake");
        std::thread other([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (post)
                q.Post([] {});
            else
                q.Wake();
        });
        const auto start = std::chrono::steady_clock::now();
        q.WaitAndDrain(30000);
        other.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
}

namespace {

struct Host : QueueHost {
    std::string CurrentFolder() override { return "."; }
};

}  // namespace

// A worker's row events outlive neither their row nor the queue: the row is
// formatted on the UI thread when it drains, and a row deleted or a queue
// destroyed before then simply drops them (ASan sees any use after free).
TEST(UiTaskQueue, RowEventsAreFormattedOnTheUiThreadAndDroppedWithTheirRowOrQueue) {
    uitask::Drain();
    Host host;
    auto q = std::make_unique<ProjectQueue>(host);
    ProjectSettings s;
    s.url = "http://h/a.zip";
    s.folder = ".";
    q->AppendProject(std::make_shared<CProject>(s));
    q->AppendProject(std::make_shared<CProject>(s));
    CProject* kept = q->ProjectAt(0);
    CProject* deleted = q->ProjectAt(1);

    std::thread worker([&] {
        NotifyRow(*kept, StatusEvent::Completed);
        NotifyRow(*deleted, StatusEvent::Completed);
    });
    worker.join();
    EXPECT_NE(q->Rows().TextsAt(0)->columns[ColStatus], "Completed.");  // not yet drawn
    q->Delete(1);
    uitask::Drain();
    EXPECT_EQ(q->Rows().TextsAt(0)->columns[ColStatus], "Completed.");

    std::thread late([&] { NotifyRow(*q->ProjectAt(0), StatusEvent::Stopped); });
    late.join();
    q.reset();
    EXPECT_EQ(uitask::Drain(), 1u);  // ran, and found no queue to draw on
}
