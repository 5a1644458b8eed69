#include "transfer/fetch_page.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/project.h"
#include "base/runtime.h"
#include "platform/socket.h"
#include "support/runtime_guard.h"
#include "support/scripted_http_server.h"

using namespace ks;
using ks::test::HttpRule;
using ks::test::PatternBytes;
using ks::test::ScriptedHttpServer;

namespace {

HttpRule Page(std::string path, std::string body, std::string status = "HTTP/1.1 200 OK") {
    HttpRule r;
    r.path = std::move(path);
    r.status = std::move(status);
    r.contentType = "text/html";
    r.body = std::move(body);
    return r;
}

struct FetchPageTest : ::testing::Test {
    ks::test::RuntimeGuard runtime;
    CProject project;
};

}  // namespace

TEST_F(FetchPageTest, SendsExactlyThePlainRequestAndReturnsTheBodyWhateverTheStatus) {
    struct Case {
        const char* status;
        const char* body;
    } cases[] = {
        {"HTTP/1.1 200 OK", "<a href=x.zip>x</a>"},
        {"HTTP/1.0 404 Not Found", "<h1>gone</h1>"},
        {"HTTP/1.1 500 Oops", "server says no"},
        {"HTTP/1.1 200 OK", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        ScriptedHttpServer server({Page("/dir/p.html?q=1", c.body, c.status)});
        PageFetch f = FetchPageDetailed(project, server.Url("/dir/p.html?q=1"));
        EXPECT_EQ(f.result, ResultOk);
        EXPECT_EQ(f.body, c.body);
        EXPECT_FALSE(f.truncated);
        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(server.Requests()[0],
                  "GET /dir/p.html?q=1 HTTP/1.0\r\nHost: 127.0.0.1\r\nAccept: */*\r\n"
                  "User-Agent: Mozilla/4.0 (compatible; Kestrune 3.0)\r\n"
                  "Connection: close\r\n\r\n");
    }
}

TEST_F(FetchPageTest, FollowsAtMostSixRedirectsAbsoluteOrRelative) {
    struct Case {
        int hops;
        bool relative;
        const char* expected;
        int requests;
    } cases[] = {
        {1, false, "end", 2},
        {3, true, "end", 4},
        {6, false, "end", 7},
        {6, true, "end", 7},
        {7, false, "<html>moved</html>", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.hops) + (c.relative ? " relative" : " absolute"));
        ScriptedHttpServer server({});
        std::vector<HttpRule> rules;
        for (int i = 0; i < c.hops; ++i) {
            const std::string next = "/r" + std::to_string(i + 1);
            rules.push_back(HttpRule::Redirect(
                "/r" + std::to_string(i), c.relative ? next : server.Url(next), i % 2 ? 301 : 302));
        }
        rules.push_back(Page("/r" + std::to_string(c.hops), "end"));
        server.SetRules(rules);
        PageFetch f = FetchPageDetailed(project, server.Url("/r0"));
        EXPECT_EQ(f.body, c.expected);
        EXPECT_EQ(server.RequestCount(), std::size_t(c.requests));
        EXPECT_EQ(f.redirects, c.requests - 1);
    }
}

TEST_F(FetchPageTest, GoesThroughTheHttpProxyWithTheWholeAddress) {
    ScriptedHttpServer proxy({Page("http://far.example:8080/list.html", "via proxy")});
    ProxySettings ps;
    ps.useHttpProxy = true;
    ps.httpProxyServer = "127.0.0.1";
    ps.httpProxyPort = proxy.Port();
    GlobalRuntime().SetProxy(ps);
    EXPECT_EQ(FetchPage(project, "http://far.example:8080/list.html"), "via proxy");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0].substr(0, 73),
              "GET http://far.example:8080/list.html HTTP/1.0\r\nHost: far.example\r\nAccept");
}

TEST_F(FetchPageTest, CutsALongBodyAtTheLimitAndSaysSo) {
    auto big = PatternBytes(300000);
    std::string text(*big);
    for (char& ch : text)
        if (ch == '\0') ch = 'z';
    struct Case {
        std::size_t limit;
        bool chunked;
        bool truncated;
        std::size_t size;
    } cases[] = {
        {1000, false, true, 1000},
        {1000, true, true, 1000},
        {300000, false, false, 300000},
        {300000, true, false, 300000},
        {kMaxFetchedPageBytes, false, false, 300000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.limit) + (c.chunked ? " chunked" : ""));
        HttpRule r = Page("/big", text);
        r.chunked = c.chunked;
        r.contentLength = !c.chunked;
        r.blockSize = 4096;
        ScriptedHttpServer server({r});
        PageFetch f = FetchPageDetailed(project, server.Url("/big"), c.limit);
        EXPECT_EQ(f.result, ResultOk);
        EXPECT_EQ(f.truncated, c.truncated);
        ASSERT_EQ(f.body.size(), c.size);
        EXPECT_TRUE(f.body == text.substr(0, c.size));
    }
}

TEST_F(FetchPageTest, FailuresLeaveAnEmptyBodyAndAReason) {
    GlobalRuntime().timeoutSeconds = 5;
    plat::Socket closed;
    ASSERT_TRUE(closed.Listen("127.0.0.1", 0));
    const std::uint16_t deadPort = closed.LocalPort();
    closed.Close();
    struct Case {
        std::string url;
        std::int32_t result;
    } cases[] = {
        {"ftp://127.0.0.1/list.txt", ResultInvalidUrl},
        {"not an address", ResultInvalidUrl},
        {"http://127.0.0.1:" + std::to_string(deadPort) + "/x", ResultNetwork},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        PageFetch f = FetchPageDetailed(project, c.url);
        EXPECT_EQ(f.result, c.result);
        EXPECT_EQ(f.body, "");
        EXPECT_EQ(project.result.load(), 0);
    }
}

// A list grab's worker and several engine threads may fetch for one project at
// once; one stop must end every one of them, not only the last registered.
TEST_F(FetchPageTest, AStopCancelsEveryConcurrentFetchOfTheProject) {
    HttpRule silent = Page("", "");
    silent.neverAnswer = true;
    ScriptedHttpServer server({silent});
    constexpr int kThreads = 3;
    std::vector<PageFetch> results(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] { results[i] = FetchPageDetailed(project, server.Url("/s")); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (server.RequestCount() < kThreads && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(server.RequestCount(), std::size_t(kThreads));
    project.stopRequested = true;
    project.CancelBlocking();
    for (auto& t : threads) t.join();
    for (const auto& f : results) EXPECT_EQ(f.body, "");
    // A fetch that starts after the stop does not wait for an answer either.
    EXPECT_EQ(FetchPage(project, server.Url("/late")), "");
}
