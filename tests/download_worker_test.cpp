#include "transfer/download_worker.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>

#include "base/project.h"
#include "base/runtime.h"
#include "projects/row_text.h"

using namespace ks;

namespace {

struct Recorder : RowSink {
    std::mutex mu;
    std::vector<StatusEvent> events;
    std::vector<int> countdowns;
    std::function<void(CProject&, StatusEvent)> onEvent;
    void OnRowEvent(CProject& p, StatusEvent e) override {
        {
            std::lock_guard<std::mutex> g(mu);
            events.push_back(e);
            if (e == StatusEvent::Retrying) countdowns.push_back(p.retryCountdown);
        }
        if (onEvent) onEvent(p, e);
    }
    int Count(StatusEvent e) {
        std::lock_guard<std::mutex> g(mu);
        return int(std::count(events.begin(), events.end(), e));
    }
};

class DownloadWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GlobalRuntime().retryWaitSeconds = 0;
        GlobalRuntime().errorPauseMs = 0;
        SetRowSink(&rec);
        project.settings.url = "http://h/f";
        project.settings.folder = ".";
    }
    void TearDown() override {
        SetRowSink(nullptr);
        SetWorkerHooks({});
        GlobalRuntime().retryWaitSeconds = 10;
        GlobalRuntime().errorPauseMs = 2000;
    }
    // Every fetch answers with fn's result code (ok when 0).
    void Answer(std::function<std::int32_t(const std::string& url)> fn) {
        WorkerHooks h;
        h.dispatch = [this, fn](CProject& p, const std::string& url) {
            {
                std::lock_guard<std::mutex> g(mu);
                fetched.push_back(url);
            }
            p.requestedUrl = url;
            std::int32_t r = fn(url);
            p.result = r;
            return r == 0 ? 1 : 0;
        };
        SetWorkerHooks(h);
    }
    void Run() {
        project.active = true;
        project.workerRunning = true;
        DownloadWorker(&project);
    }
    StatusEvent Last() { return rec.events.empty() ? StatusEvent::Redraw : rec.events.back(); }

    Recorder rec;
    CProject project;
    std::mutex mu;
    std::vector<std::string> fetched;
};

}  // namespace

TEST_F(DownloadWorkerTest, SeriesAlreadyDoneFetchesNothing) {
    project.settings.sequential = 1;
    project.settings.seqFrom = 5;
    project.settings.seqTo = 4;
    Answer([](const std::string&) { return std::int32_t(0); });
    Run();
    EXPECT_TRUE(fetched.empty());
    EXPECT_EQ(Last(), StatusEvent::Completed);
}

TEST_F(DownloadWorkerTest, GopherIsInvalidWithoutRetry) {
    project.settings.url = "gopher://host/a.zip";
    Run();
    EXPECT_EQ(Last(), StatusEvent::InvalidUrl);
    EXPECT_EQ(project.result, ResultInvalidUrl);
    EXPECT_EQ(rec.Count(StatusEvent::Error), 0);
    EXPECT_EQ(rec.Count(StatusEvent::Retrying), 0);
}

TEST_F(DownloadWorkerTest, PauseDuringCountdownStopsWithResultZero) {
    GlobalRuntime().retryWaitSeconds = 30;
    rec.onEvent = [](CProject& p, StatusEvent e) {
        if (e == StatusEvent::Retrying) p.stopRequested = true;
    };
    Answer([](const std::string&) { return std::int32_t(ResultNetwork); });
    Run();
    EXPECT_EQ(fetched.size(), 1u);
    EXPECT_EQ(rec.countdowns, std::vector<int>{30});
    EXPECT_EQ(Last(), StatusEvent::Stopped);
    EXPECT_EQ(project.result, 0);
    EXPECT_EQ(project.retryCountdown, 0);
}

TEST_F(DownloadWorkerTest, FailuresThatEndTheProject) {
    struct Case {
        const char* name;
        std::int32_t answer;
        std::int32_t attemptLimit;
        std::size_t attempts;
    } cases[] = {
        {"4xx is not retried", ResultHttpClientError, 0, 1},
        {"local file error is not retried", ResultFileError, 0, 1},
        {"FTP refusal for good is not retried", ResultRefused, 0, 1},
        {"5xx is retried five times", ResultHttpServerError, 0, 6},
        {"attempt limit", ResultNetwork, 3, 3},
        {"attempt limit counts server errors", ResultHttpServerError, 2, 2},
    };
    for (const Case& c : cases) {
        fetched.clear();
        rec.events.clear();
        project.attemptLimit = c.attemptLimit;
        Answer([&](const std::string&) { return c.answer; });
        Run();
        EXPECT_EQ(fetched.size(), c.attempts) << c.name;
        EXPECT_EQ(Last(), StatusEvent::Error) << c.name;
        EXPECT_FALSE(project.stopRequested) << c.name;
    }
}

TEST_F(DownloadWorkerTest, SeriesPassesOverNumbersTheServerWillNotGive) {
    struct Case {
        const char* name;
        std::int32_t answer;  // of number 2, every time
        std::int32_t attemptLimit;
        std::size_t attempts;  // of all numbers
        std::vector<std::int64_t> skipped;
        StatusEvent last;
    } cases[] = {
        {"4xx", ResultHttpClientError, 0, 3, {2}, StatusEvent::Completed},
        {"FTP refusal", ResultRefused, 0, 3, {2}, StatusEvent::Completed},
        {"5xx until the cap", ResultHttpServerError, 0, 8, {2}, StatusEvent::Completed},
        {"attempt limit", ResultNetwork, 2, 4, {2}, StatusEvent::Completed},
        // The next number could not be written either.
        {"local file", ResultFileError, 0, 2, {}, StatusEvent::Error},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fetched.clear();
        rec.events.clear();
        project.settings.url = "http://h/f";
        project.settings.sequential = 1;
        project.settings.seqDigits = 1;
        project.settings.seqFrom = 1;
        project.settings.seqTo = 3;
        project.attemptLimit = c.attemptLimit;
        Answer([&](const std::string& url) {
            if (url != "http://h/f2") return std::int32_t(0);
            project.SetFailureText("server answered 404 Not Found");
            return c.answer;
        });
        Run();
        EXPECT_EQ(fetched.size(), c.attempts);
        EXPECT_EQ(project.SkippedNumbers(), c.skipped);
        EXPECT_EQ(Last(), c.last);
        if (!c.skipped.empty()) {
            EXPECT_EQ(fetched.back(), "http://h/f3");
            EXPECT_EQ(project.settings.seqFrom, 4);
            EXPECT_EQ(project.FailureText(), "server answered 404 Not Found");
        }
    }
}

TEST_F(DownloadWorkerTest, ServerErrorsCountOnlyInARow) {
    int n = 0;
    // 5xx, 5xx, 5xx, network failure, then 5xx four more times and success.
    Answer([&](const std::string&) {
        ++n;
        if (n == 4) return std::int32_t(ResultNetwork);
        return n <= 8 ? std::int32_t(-6) : std::int32_t(0);
    });
    Run();
    EXPECT_EQ(fetched.size(), 9u);
    EXPECT_EQ(Last(), StatusEvent::Completed);
}

TEST_F(DownloadWorkerTest, RedirectLoopIsCappedButMergeRestartsAreNot) {
    Answer([&](const std::string& url) {
        project.nextUrl = url == "http://h/a" ? "http://h/b" : "http://h/a";
        return std::int32_t(ResultFetchAgain);
    });
    project.settings.url = "http://h/a";
    Run();
    EXPECT_EQ(fetched.size(), std::size_t(1 + kMaxRedirects));
    EXPECT_EQ(Last(), StatusEvent::Error);
    EXPECT_EQ(rec.Count(StatusEvent::Retrying) + rec.Count(StatusEvent::Error), 1)
        << "no retry after the cap";

    fetched.clear();
    int restarts = 30;
    Answer([&](const std::string& url) {
        project.nextUrl = url;
        return restarts-- > 0 ? std::int32_t(ResultFetchAgain) : 0;
    });
    Run();
    EXPECT_EQ(fetched.size(), 31u);
    EXPECT_EQ(Last(), StatusEvent::Completed);
}

TEST_F(DownloadWorkerTest, CompletedFileRunsTheAfterDownloadAction) {
    std::vector<std::string> ran;
    Answer([](const std::string&) { return std::int32_t(0); });
    WorkerHooks h = GetWorkerHooks();
    h.afterDownload = [&](const std::string& path) { ran.push_back(path); };
    SetWorkerHooks(h);
    project.localPath = "/tmp/f";
    Run();
    EXPECT_EQ(ran, std::vector<std::string>{"/tmp/f"});

    ran.clear();
    // A segment worker hands itself back through its save; its thread owns it.
    auto worker = std::make_shared<CProject>(project.Snapshot());
    worker->segmentWorker = true;
    worker->workerRunning = true;
    worker->localPath = "/tmp/f";
    DownloadWorker(worker.get());
    EXPECT_TRUE(ran.empty()) << "segment workers leave that to their parent";
}

TEST_F(DownloadWorkerTest, StopBeforeTheThreadRunsEndsCleanly) {
    project.stopRequested = true;
    Answer([](const std::string&) { return std::int32_t(0); });
    Run();
    EXPECT_TRUE(fetched.empty());
    EXPECT_FALSE(project.active);
    EXPECT_FALSE(project.workerRunning);
}
