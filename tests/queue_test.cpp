#include "projects/queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <set>
#include <thread>

#include "base/worker_threads.h"

using namespace ks;

namespace {

// The test's own thread plays the UI thread: while it waits, it runs what
// the workers posted, as the window's message loop would.
const std::thread::id kUiThread = std::this_thread::get_id();

bool WaitUntil(const std::function<bool()>& pred, int ms = 5000) {
    const bool ui = std::this_thread::get_id() == kUiThread;
    for (int i = 0; i < ms; i += 2) {
        if (ui) uitask::Drain();
        if (pred()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (ui) uitask::Drain();
    return pred();
}

struct FakeHost : QueueHost {
    std::string folder = ".";
    bool confirm = true;
    std::vector<std::string> history, sounds;
    std::string CurrentFolder() override { return folder; }
    void SetCurrentFolder(const std::string& f) override { folder = f; }
    bool ConfirmDownload(std::string& f, const std::string&) override {
        f = "chosen";
        return confirm;
    }
    void PlaySound(const std::string& w) override { sounds.push_back(w); }
    void AddToUrlHistory(const std::string& u) override { history.push_back(u); }
};

// Workers that run until the test releases them or a stop arrives.
struct FakeWorkers {
    std::mutex mu;
    std::set<CProject*> released;
    std::vector<std::string> started;  // urls, in start order

    WorkerBody Body() {
        return [this](CProject* p) {
            p->workerRunning = true;
            {
                std::lock_guard<std::mutex> g(mu);
                started.push_back(p->GetText(&ProjectSettings::url));
            }
            WaitUntil(
                [&] {
                    std::lock_guard<std::mutex> g(mu);
                    return released.count(p) > 0 || p->stopRequested.load();
                },
                60000);
            NotifyRow(*p, p->stopRequested ? StatusEvent::Stopped : StatusEvent::Completed);
            EndWorker(p);
        };
    }
    void Release(CProject* p) {
        std::lock_guard<std::mutex> g(mu);
        released.insert(p);
    }
    std::size_t Started() {
        std::lock_guard<std::mutex> g(mu);
        return started.size();
    }
};

struct CountedProject : CProject {
    explicit CountedProject(std::atomic<int>& d) : destroyed(d) {}
    ~CountedProject() override { ++destroyed; }
    std::atomic<int>& destroyed;
};

class QueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QueueOptions o;
        o.limit = true;
        o.maxFiles = 3;
        o.dontAskMe = true;
        o.immediate = false;
        q.SetOptions(o);
        q.SetWorker(ProjectKind::Download, fake.Body());
        q.SetWorker(ProjectKind::Search, fake.Body());
    }
    void TearDown() override {
        q.PauseAll();
        q.StopHidden();
        ASSERT_TRUE(WaitForWorkerThreads(10000));
    }
    CProject* Add(const std::string& url, ProjectKind kind = ProjectKind::Download) {
        ProjectSettings s;
        s.url = url;
        s.folder = ".";
        s.kind = std::int32_t(kind);
        auto p = std::make_shared<CProject>(s);
        q.AppendProject(p);
        return p.get();
    }
    std::string Status(std::size_t row) {
        uitask::Drain();
        return q.Rows().TextsAt(row)->columns[ColStatus];
    }
    int Image(std::size_t row) {
        uitask::Drain();
        return q.Rows().TextsAt(row)->image;
    }

    FakeHost host;
    FakeWorkers fake;
    ProjectQueue q{host};
};

}  // namespace

TEST_F(QueueTest, FiveDownloadsWithThreeSlots) {
    for (int i = 0; i < 5; ++i) Add("http://h/" + std::to_string(i));
    for (std::size_t i = 0; i < 5; ++i) q.Start(i);
    EXPECT_EQ(q.CountActive(), 3);
    EXPECT_EQ(q.CountQueued(), 2);
    EXPECT_EQ(Status(3), "Queued");
    EXPECT_EQ(Image(4), 7);
    ASSERT_TRUE(WaitUntil([&] { return fake.Started() == 3; }));

    q.StartNextQueued();  // limit still reached
    EXPECT_EQ(q.CountActive(), 3);

    fake.Release(q.ProjectAt(1));
    ASSERT_TRUE(WaitUntil([&] { return q.CountActive() == 2; }));
    EXPECT_EQ(Status(1), "Completed.");
    q.StartNextQueued();
    q.StartNextQueued();  // one per heartbeat: the second finds the limit reached
    EXPECT_TRUE(q.ProjectAt(3)->active);
    EXPECT_TRUE(q.ProjectAt(4)->queued);
    ASSERT_TRUE(WaitUntil([&] { return fake.Started() == 4; }));
    EXPECT_EQ(fake.started[3], "http://h/3") << "queued projects start in row order";
}

TEST_F(QueueTest, PausingAQueuedProjectShowsStopped) {
    for (int i = 0; i < 4; ++i) Add("http://h/" + std::to_string(i));
    q.StartAllOfKind(ProjectKind::Download, true);
    ASSERT_TRUE(q.ProjectAt(3)->queued);
    EXPECT_EQ(q.Pause(3), 0);
    EXPECT_FALSE(q.ProjectAt(3)->queued);
    EXPECT_EQ(Image(3), 4);
    EXPECT_NE(Status(3), "Queued");
    EXPECT_EQ(q.Pause(0), 1) << "a running worker was asked to stop";
    ASSERT_TRUE(WaitUntil([&] { return !q.ProjectAt(0)->active; }));
}

TEST_F(QueueTest, SecondStartOfAQueuedProjectExceedsTheLimit) {
    for (int i = 0; i < 4; ++i) Add("http://h/" + std::to_string(i));
    for (std::size_t i = 0; i < 4; ++i) q.Start(i);
    ASSERT_TRUE(q.ProjectAt(3)->queued);
    EXPECT_EQ(q.Start(3), 1);
    EXPECT_EQ(q.CountActive(), 4);
    EXPECT_EQ(q.CountQueued(), 0);
}

TEST_F(QueueTest, SearchesIgnoreTheLimitAndZeroSlotsQueueEverythingElse) {
    QueueOptions o = q.Options();
    o.maxFiles = 0;
    q.SetOptions(o);
    Add("http://h/a");
    Add("keywords", ProjectKind::Search);
    EXPECT_EQ(q.Start(0), 0);
    EXPECT_EQ(q.Start(1), 1);
    EXPECT_TRUE(q.ProjectAt(0)->queued);
    EXPECT_TRUE(q.ProjectAt(1)->active);
    q.StartNextQueued();
    EXPECT_FALSE(q.ProjectAt(0)->active);
    // StartAllOfKind applies the limit to every kind.
    q.Pause(1);
    ASSERT_TRUE(WaitUntil([&] { return !q.ProjectAt(1)->active; }));
    q.StartAllOfKind(ProjectKind::Search, true);
    EXPECT_TRUE(q.ProjectAt(1)->queued);
}

TEST_F(QueueTest, DisabledAndActiveProjectsAreNotStartedAgain) {
    CProject* p = Add("http://h/a");
    p->settings.disabled = 1;
    EXPECT_EQ(q.Start(0), 1);
    EXPECT_FALSE(p->active);
    q.RefreshRow(*p, StatusEvent::Redraw);
    EXPECT_EQ(Status(0), "Disabled");
    EXPECT_EQ(q.Start(7), 0) << "no project on that row";
}

TEST_F(QueueTest, DeletingARunningProjectLeavesItToItsWorker) {
    std::atomic<int> destroyed{0};
    auto owner = std::make_shared<CountedProject>(destroyed);
    owner->settings.url = "http://h/a";
    owner->settings.folder = ".";
    q.AppendProject(std::move(owner));
    q.Start(0);
    ASSERT_TRUE(WaitUntil([&] { return fake.Started() == 1; }));
    EXPECT_EQ(q.Delete(0), 1);
    EXPECT_EQ(q.CountRows(), 0) << "the row goes at once";
    ASSERT_TRUE(WaitForWorkerThreads(5000));
    EXPECT_EQ(destroyed, 1) << "the worker destroyed the project when it ended";

    q.AppendProject(std::make_shared<CountedProject>(destroyed));
    q.Delete(0);
    EXPECT_EQ(destroyed, 2);
}

TEST_F(QueueTest, PendingUrlsAreAddedOnePerHeartbeatInOrder) {
    q.QueuePendingUrl("  http://h/first  ");
    q.QueuePendingUrl("http://h/second");
    q.AddOnePendingUrl();
    ASSERT_EQ(q.CountRows(), 1);
    EXPECT_EQ(q.ProjectAt(0)->settings.url, "http://h/first");
    EXPECT_EQ(q.Rows().TextsAt(0)->columns[ColBaseUrl], "http://h/first");
    q.AddOnePendingUrl();
    q.AddOnePendingUrl();
    ASSERT_EQ(q.CountRows(), 2);
    EXPECT_EQ(host.history, (std::vector<std::string>{"http://h/first", "http://h/second"}));
    EXPECT_FALSE(q.ProjectAt(0)->active) << "\"Immediate\" off";
}

TEST_F(QueueTest, AddUrlAsksUnlessQuietAndTakesTheChosenFolder) {
    QueueOptions o = q.Options();
    o.dontAskMe = false;
    o.useWav = true;
    o.wavFile = "ding.wav";
    o.acceleration = 4;
    q.SetOptions(o);
    host.confirm = false;
    EXPECT_FALSE(q.AddUrl("http://h/a", true, false));
    EXPECT_EQ(q.CountRows(), 0);
    host.confirm = true;
    auto row = q.AddUrl("http://h/a", false, false);
    ASSERT_TRUE(row);
    EXPECT_EQ(q.ProjectAt(*row)->settings.folder, "chosen");
    EXPECT_EQ(q.ProjectAt(*row)->settings.segments, 4);
    EXPECT_EQ(host.sounds.size(), 2u);
    host.folder = "quiet";
    row = q.AddUrl("http://h/b", false, true);
    EXPECT_EQ(q.ProjectAt(*row)->settings.folder, "quiet");
    EXPECT_EQ(host.sounds.size(), 2u);
}

TEST_F(QueueTest, RateTickAveragesOverTheInterval) {
    CProject* p = Add("http://h/a");
    p->workerRunning = true;
    p->bytesSinceTick = 10000;
    p->lastTick = 1000;
    q.RateTick(1005);
    EXPECT_DOUBLE_EQ(p->rate, 2.0);
    EXPECT_EQ(p->bytesSinceTick, 0);
    q.RateTick(1005);
    EXPECT_DOUBLE_EQ(p->rate, 0.001) << "never 0 while a worker runs";
    EXPECT_DOUBLE_EQ(q.TotalRate(), 0.001);
    p->workerRunning = false;
    EXPECT_DOUBLE_EQ(q.TotalRate(), 0.0);
}

TEST_F(QueueTest, MoveUpAndDownStopAtTheEnds) {
    CProject* a = Add("a");
    CProject* b = Add("b");
    EXPECT_FALSE(q.MoveUp(0));
    EXPECT_FALSE(q.MoveDown(1));
    EXPECT_TRUE(q.MoveDown(0));
    EXPECT_EQ(q.ProjectAt(0), b);
    EXPECT_EQ(q.Rows().TextsAt(1)->columns[ColBaseUrl], "a");
    EXPECT_TRUE(q.MoveUp(1));
    EXPECT_EQ(q.ProjectAt(0), a);
}

TEST_F(QueueTest, ShutdownRenumbersAndReleasesEveryProject) {
    Add("a");
    CProject* b = Add("b");
    Add("c");
    q.MoveUp(1);
    q.Start(0);
    ASSERT_TRUE(WaitUntil([&] { return fake.Started() == 1; }));
    EXPECT_EQ(q.ProjectAt(0), b);
    q.ShutdownAll();
    EXPECT_EQ(q.CountRows(), 0);
    ASSERT_TRUE(WaitForWorkerThreads(5000));
}

TEST_F(QueueTest, HiddenFetcherRunsOnceAtATimeAndIsNeverDrawn) {
    EXPECT_EQ(q.FetchHidden("http://h/alive"), 1);
    EXPECT_EQ(q.FetchHidden("http://h/alive"), 0);
    EXPECT_EQ(q.CountRows(), 0);
    q.StopHidden();
    ASSERT_TRUE(WaitUntil([&] { return !q.HiddenProject()->active; }));
}
