// Segmented downloads end to end over loopback: the download worker, its
// segment workers and the scripted HTTP server, with throttled connections so
// that segments really split off and get merged.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "app/runtime.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "projects/project.h"
#include "projects/project_store.h"
#include "projects/worker_threads.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"
#include "transfer/download_worker.h"
#include "transfer/segments.h"

using namespace ks;
using ks::test::HttpRule;
using ks::test::PatternBytes;
using ks::test::ScriptedHttpServer;

namespace {

// About 6 MB/s per connection: the 6 MB body takes a second over one.
HttpRule Throttled(std::shared_ptr<const std::string> bytes, bool honourRange = true) {
    HttpRule r = HttpRule::File("/f.bin", std::move(bytes), honourRange);
    r.blockSize = 16 * 1024;
    r.delayBetweenBlocksMs = 2;
    return r;
}

struct SegmentedDownload : ::testing::Test {
    ks::test::TempDir dir;
    std::shared_ptr<const std::string> data = PatternBytes(6 * 1000 * 1000 + 17);

    void SetUp() override {
        GlobalRuntime().retryWaitSeconds = 0;
        GlobalRuntime().errorPauseMs = 0;
    }
    void TearDown() override {
        EXPECT_TRUE(WaitForWorkerThreads(10000));
        GlobalRuntime().retryWaitSeconds = 10;
        GlobalRuntime().errorPauseMs = 2000;
    }
    ProjectSettings Settings(const std::string& url, int segments) {
        ProjectSettings s;
        s.url = url;
        s.folder = dir.path();
        s.segments = segments;
        s.projectFile = dir.File("1.kpr");
        s.segmentFile = dir.File("1.cac");
        return s;
    }
    void Run(CProject& p) {
        p.active = true;
        p.workerRunning = true;
        DownloadWorker(&p);
    }
    std::string Local() {
        std::string s;
        plat::ReadWholeFile(dir.File("f.bin"), s);
        return s;
    }
    // Files left beside the download other than the download and project files.
    std::vector<std::string> Leftovers() {
        std::vector<std::string> out;
        for (const std::string& n : plat::ListFiles(dir.path(), ""))
            if (n != "f.bin" && n != "1.kpr" && n != "1.cac") out.push_back(n);
        return out;
    }
    static std::set<std::string> RangeStarts(const ScriptedHttpServer& server) {
        std::set<std::string> starts;
        for (const std::string& r : server.Requests()) {
            std::size_t at = r.find("Range: bytes=");
            if (at != std::string::npos)
                starts.insert(r.substr(at + 13, r.find('-', at) - at - 13));
        }
        return starts;
    }
};

}  // namespace

TEST_F(SegmentedDownload, ByteExactWithAnyNumberOfSegments) {
    for (int segments : {1, 4, 8, 16}) {
        SCOPED_TRACE(segments);
        plat::RemoveFile(dir.File("f.bin"));
        ScriptedHttpServer server({Throttled(data)});
        CProject p(Settings(server.Url("/f.bin"), segments));
        Run(p);
        EXPECT_EQ(p.result.load(), ResultOk);
        EXPECT_TRUE(Local() == *data) << "size " << Local().size();
        EXPECT_EQ(p.settings.seqFrom.load(), 2) << "completed";
        // At least one request per segment that split off, beside the main one.
        EXPECT_GE(RangeStarts(server).size(), std::size_t(segments) + 1);
        EXPECT_EQ(Leftovers(), std::vector<std::string>{});
        std::string cac = "?";
        plat::ReadWholeFile(dir.File("1.cac"), cac);
        EXPECT_EQ(cac, "");
        EXPECT_FALSE(AnySegmentActive(p));
    }
}

TEST_F(SegmentedDownload, ServerIgnoringRangesNeverCorruptsTheFile) {
    ScriptedHttpServer server({Throttled(data, false)});
    // A stale local start must not survive either: the answer starts at 0.
    ASSERT_TRUE(plat::WriteFileAtomic(dir.File("f.bin"), std::string(100, 'x')));
    CProject p(Settings(server.Url("/f.bin"), 8));
    Run(p);
    EXPECT_EQ(p.result.load(), ResultOk);
    EXPECT_TRUE(Local() == *data);
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    // Every segment got the whole file back and refused it; no new ones were
    // split off in a loop meanwhile.
    EXPECT_LE(server.RequestCount(), 10u);
}

// Paused at different moments and started again from the project files, as
// after a restart of the program: the result is still byte-exact.
TEST_F(SegmentedDownload, PauseAndRestartFromTheProjectFiles) {
    ScriptedHttpServer server({Throttled(data)});
    auto p = CreateProject(Settings(server.Url("/f.bin"), 6), false, dir.path());
    int withSegments = 0;  // pauses that left segment files to resume
    for (int pauseMs : {60, 150, 90, 200}) {
        SCOPED_TRACE(pauseMs);
        p->stopRequested = false;
        p->workerRunning = true;
        std::thread worker([&] { DownloadWorker(p.get()); });
        plat::SleepMs(pauseMs);
        p->stopRequested = true;
        p->CancelBlocking();
        StopSegments(*p);
        worker.join();
        ASSERT_TRUE(WaitForWorkerThreads(10000));
        EXPECT_FALSE(AnySegmentActive(*p));
        std::string kpr;
        ASSERT_TRUE(plat::ReadWholeFile(dir.File("1.kpr"), kpr));
        std::string cac;
        plat::ReadWholeFile(dir.File("1.cac"), cac);
        withSegments += cac.empty() ? 0 : 1;
        ProjectSettings s = ParseProjectFile(kpr);
        s.projectFile = dir.File("1.kpr");
        p = CreateProject(s, false, dir.path());
    }
    EXPECT_GT(withSegments, 0);
    Run(*p);
    EXPECT_EQ(p->result.load(), ResultOk);
    EXPECT_TRUE(Local() == *data);
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// The project goes while its segments are transferring: the last thread out
// destroys it, and no segment worker touches it afterwards (ASan watches).
TEST_F(SegmentedDownload, DeletingAProjectWithRunningSegments) {
    ScriptedHttpServer server({Throttled(data)});
    for (bool viaWorker : {true, false}) {
        SCOPED_TRACE(viaWorker);
        auto* p = new CProject(Settings(server.Url("/f.bin"), 8));
        p->workerRunning = true;
        ASSERT_TRUE(LaunchWorkerThread([p] { DownloadWorker(p); }));
        const std::int64_t until = plat::MonotonicMs() + 5000;
        auto count = [p] {
            std::lock_guard<std::mutex> g(p->segmentList.Mutex());
            return p->segmentList.Size();
        };
        while (plat::MonotonicMs() < until && count() < 4) plat::SleepMs(1);
        EXPECT_GE(count(), 4u);
        if (viaWorker) {
            DestroyOrHandOver(p, true);
        } else {
            // Stopped first, destroyed by the "UI" once its worker has ended.
            RequestStop(*p, false);
            while (p->workerRunning) plat::SleepMs(1);
            delete p;
        }
        ASSERT_TRUE(WaitForWorkerThreads(10000));
    }
}
