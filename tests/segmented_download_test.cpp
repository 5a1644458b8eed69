// Segmented downloads end to end over loopback: the download worker, its
// segment workers and the scripted HTTP server, with throttled connections so
// that segments really split off and get merged.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "base/runtime.h"
#include "base/worker_threads.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "support/runtime_guard.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"
#include "transfer/download_worker.h"
#include "transfer/segments.h"

using namespace ks;
using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

namespace {

struct SegmentedDownload : ::testing::Test {
    ks::test::TempDir dir;
    std::shared_ptr<const std::string> data = ks::test::PatternBytes(6 * 1000 * 1000 + 17);

    ks::test::RuntimeGuard guard;

    void SetUp() override {
        GlobalRuntime().errorPauseMs = 0, GlobalRuntime().retryWaitSeconds = 0;
    }
    void TearDown() override { EXPECT_TRUE(WaitForWorkerThreads(10000)); }
    // About 6 MB/s per connection: a second for the whole body over one.
    HttpRule Throttled(bool honourRange = true) {
        HttpRule r = HttpRule::File("/f.bin", data, honourRange);
        r.blockSize = 16 * 1024;
        r.delayBetweenBlocksMs = 2;
        return r;
    }
    ProjectSettings Settings(const ScriptedHttpServer& server, int segments) {
        ProjectSettings s;
        s.url = server.Url("/f.bin");
        s.folder = dir.path();
        s.segments = segments;
        s.projectFile = dir.File("1.kpr");
        s.segmentFile = dir.File("1.cac");
        return s;
    }
    void Run(CProject& p) {
        p.workerRunning = true;
        DownloadWorker(&p);
    }
    // The download, and anything else but the project files left in its folder.
    void ExpectOnlyTheFile() {
        std::string got;
        plat::ReadWholeFile(dir.File("f.bin"), got);
        EXPECT_TRUE(got == *data) << "size " << got.size();
        for (const std::string& n : plat::ListFiles(dir.path(), ""))
            EXPECT_TRUE(n == "f.bin" || n == "1.kpr" || n == "1.cac" || n == "1.out") << n;
    }
};

}  // namespace

TEST_F(SegmentedDownload, ByteExactWithAnyNumberOfSegments) {
    for (int segments : {1, 4, 8, 16}) {
        SCOPED_TRACE(segments);
        plat::RemoveFile(dir.File("f.bin"));
        ScriptedHttpServer server({Throttled()});
        CProject p(Settings(server, segments));
        Run(p);
        EXPECT_EQ(p.result.load(), ResultOk);
        EXPECT_EQ(p.settings.seqFrom.load(), 2) << "completed";
        ExpectOnlyTheFile();
        std::string cac = "?";
        plat::ReadWholeFile(dir.File("1.cac"), cac);
        EXPECT_EQ(cac, "");
        // Every segment asked for its own range, beside the main connection.
        std::set<std::string> ranges;
        for (const std::string& r : server.Requests()) ranges.insert(r.substr(r.find("Range:")));
        EXPECT_GE(ranges.size(), std::size_t(segments) + 1);
    }
}

TEST_F(SegmentedDownload, ServerIgnoringRangesNeverCorruptsTheFile) {
    ScriptedHttpServer server({Throttled(false)});
    ASSERT_TRUE(plat::WriteFileAtomic(dir.File("f.bin"), std::string(100, 'x')));
    CProject p(Settings(server, 8));
    Run(p);
    EXPECT_EQ(p.result.load(), ResultOk);
    ExpectOnlyTheFile();
    // The segments refused the whole file they got; none were split off again
    // and again meanwhile.
    EXPECT_LE(server.RequestCount(), 10u);
}

// Paused at different moments and started again from the project files, as
// after a restart of the program: the result is still byte-exact.
TEST_F(SegmentedDownload, PauseAndRestartFromTheProjectFiles) {
    ScriptedHttpServer server({Throttled()});
    auto p = CreateProject(Settings(server, 6), false, dir.path());
    int withSegments = 0;  // pauses that left segment files to resume
    for (int pauseMs : {60, 150, 90, 200}) {
        SCOPED_TRACE(pauseMs);
        p->workerRunning = true;
        std::thread worker([&] { DownloadWorker(p.get()); });
        plat::SleepMs(pauseMs);
        RequestStop(*p, false);
        StopSegments(*p);
        worker.join();
        ASSERT_TRUE(WaitForWorkerThreads(10000));
        std::string kpr, cac;
        ASSERT_TRUE(plat::ReadWholeFile(dir.File("1.kpr"), kpr));
        plat::ReadWholeFile(dir.File("1.cac"), cac);
        withSegments += cac.empty() ? 0 : 1;
        ProjectSettings s = ParseProjectFile(kpr);
        s.projectFile = dir.File("1.kpr");
        p = CreateProject(s, false, dir.path());
    }
    EXPECT_GT(withSegments, 0);
    Run(*p);
    EXPECT_EQ(p->result.load(), ResultOk);
    ExpectOnlyTheFile();
}

// The project goes while its segments transfer: deleted (its worker, the last
// owner, destroys it) or stopped and then let go of. No segment worker may
// touch it afterwards (ASan watches).
TEST_F(SegmentedDownload, DestroyingAProjectWithRunningSegments) {
    ScriptedHttpServer server({Throttled()});
    for (bool deleted : {true, false}) {
        SCOPED_TRACE(deleted);
        auto p = std::make_shared<CProject>(Settings(server, 8));
        p->workerRunning = true;
        ASSERT_TRUE(LaunchWorkerThread([p] { DownloadWorker(p.get()); }));
        auto count = [raw = p.get()] {
            std::lock_guard<std::mutex> g(raw->segmentList.Mutex());
            return raw->segmentList.Size();
        };
        for (int i = 0; i < 5000 && count() < 4; ++i) plat::SleepMs(1);
        EXPECT_GE(count(), 4u);
        RequestStop(*p, deleted);
        if (!deleted) {
            while (p->workerRunning) plat::SleepMs(1);
        }
        p.reset();
        ASSERT_TRUE(WaitForWorkerThreads(10000));
    }
}
