// The download worker over the real HTTP client, against a scripted server.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "base/runtime.h"
#include "platform/files.h"
#include "platform/socket.h"
#include "base/project.h"
#include "base/status_event.h"
#include "support/runtime_guard.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"
#include "transfer/download_worker.h"

using namespace ks;
using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

namespace {

struct Events : RowSink {
    std::atomic<int> errors{0};
    std::atomic<StatusEvent> last{StatusEvent::Redraw};
    std::function<void(int errors)> onError;
    void OnRowEvent(CProject&, StatusEvent e) override {
        last = e;
        if (e != StatusEvent::Error) return;
        const int n = ++errors;
        if (onError) onError(n);
    }
};

HttpRule Status(std::string path, std::string status) {
    HttpRule r;
    r.path = std::move(path);
    r.status = std::move(status);
    r.body = "<html>no</html>";
    r.contentType = "text/html";
    return r;
}

class WorkerHttpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GlobalRuntime().retryWaitSeconds = 0;
        GlobalRuntime().errorPauseMs = 0;
        GlobalRuntime().timeoutSeconds = 5;
        SetRowSink(&events);
        project.settings.folder = dir.path();
    }
    void TearDown() override { SetRowSink(nullptr); }
    void Run(const std::string& url) {
        project.settings.url = url;
        project.active = true;
        project.workerRunning = true;
        DownloadWorker(&project);
    }
    std::string Read(const std::string& name) { return dir.Read(name); }

    ks::test::RuntimeGuard runtime;
    ks::test::TempDir dir;
    Events events;
    CProject project;
};

}  // namespace

TEST_F(WorkerHttpTest, SeriesWhereTheSecondFileFailsTwice) {
    std::vector<HttpRule> good = {
        HttpRule::File("/f1.txt", std::make_shared<std::string>("one")),
        HttpRule::File("/f2.txt", std::make_shared<std::string>("two")),
        HttpRule::File("/f3.txt", std::make_shared<std::string>("three"))};
    std::vector<HttpRule> failing = good;
    failing[1] = Status("/f2.txt", "HTTP/1.1 503 Busy");
    ScriptedHttpServer server(failing);
    events.onError = [&](int n) {
        if (n == 2) server.SetRules(good);
    };
    project.settings.sequential = 1;
    project.settings.seqDigits = 1;
    project.settings.seqFrom = 1;
    project.settings.seqTo = 3;
    project.settings.seqSuffix = ".txt";
    Run(server.Url("/f"));
    std::vector<std::string> paths;
    for (const std::string& r : server.Requests()) paths.push_back(r.substr(0, r.find(" HTTP")));
    EXPECT_EQ(paths, (std::vector<std::string>{"GET /f1.txt", "GET /f2.txt", "GET /f2.txt",
                                               "GET /f2.txt", "GET /f3.txt"}));
    EXPECT_EQ(project.settings.seqFrom, 4);
    EXPECT_EQ(events.last, StatusEvent::Completed);
    EXPECT_EQ(Read("f2.txt"), "two");
}

TEST_F(WorkerHttpTest, AnswersThatEndTheProject) {
    struct Case {
        const char* name;
        std::vector<HttpRule> rules;
        std::size_t requests;
    } cases[] = {
        {"404 is not retried", {Status("/a", "HTTP/1.1 404 Not Found")}, 1},
        {"503 is retried five times", {Status("/a", "HTTP/1.1 503 Busy")}, 6},
        {"a redirect loop is cut",
         {HttpRule::Redirect("/a", "/b"), HttpRule::Redirect("/b", "/a")},
         std::size_t(1 + kMaxRedirects)},
    };
    for (const Case& c : cases) {
        ScriptedHttpServer server(c.rules);
        events.errors = 0;
        Run(server.Url("/a"));
        EXPECT_EQ(server.RequestCount(), c.requests) << c.name;
        EXPECT_EQ(events.last, StatusEvent::Error) << c.name;
    }
}

TEST_F(WorkerHttpTest, HeaderCutShortIsAFailedAttempt) {
    // A server that sends half a header and hangs up, every time.
    plat::Socket listener;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
    std::atomic<int> served{0};
    std::thread server([&] {
        for (int i = 0; i < 2; ++i) {
            std::unique_ptr<plat::Socket> s = listener.Accept();
            if (!s) return;
            char buf[4096];
            s->Recv(buf, sizeof buf);
            s->SendAll(std::string("HTTP/1.1 200 OK\r\nContent-Len"));
            s->Close();
            ++served;
        }
    });
    project.attemptLimit = 2;
    Run("http://127.0.0.1:" + std::to_string(listener.LocalPort()) + "/a");
    listener.Cancel();
    server.join();
    EXPECT_EQ(served, 2) << "the cut header was retried";
    EXPECT_EQ(events.errors, 2) << "one retry pause, then the final error";
    EXPECT_EQ(events.last, StatusEvent::Error);
}
