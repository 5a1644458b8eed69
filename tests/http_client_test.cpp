#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/runtime.h"
#include "platform/files.h"
#include "base/project.h"
#include "support/runtime_guard.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"
#include "transfer/dispatch.h"
#include "transfer/http_connection.h"

using namespace ks;
using ks::test::HttpRule;
using ks::test::PatternBytes;
using ks::test::ScriptedHttpServer;

namespace {

const std::string kHeadLines =
    "Accept: */*\r\n"
    "User-Agent: Mozilla/4.0 (compatible; Kestrune 3.0)\r\n"
    "Connection: close\r\n"
    "Pragma: no-cache\r\n"
    "Cache-Control: no-cache\r\n";

struct Fixture : ::testing::Test {
    ks::test::RuntimeGuard runtime;
    ks::test::TempDir dir;
    CProject project;
    std::shared_ptr<const std::string> data = PatternBytes(300000);

    Fixture() { project.SetText(&ProjectSettings::folder, dir.path()); }

    int Fetch(const std::string& url) {
        project.result = 0;
        return HttpDownload(project, url);
    }
    std::string Read(const std::string& name) { return dir.Read(name); }
    void Write(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(plat::WriteFileAtomic(dir.File(name), bytes));
    }
};

using HttpClient = Fixture;

}  // namespace

TEST_F(HttpClient, FreshDownloadSendsExactlyTheRequestAndWritesTheFile) {
    ScriptedHttpServer server({HttpRule::File("/f/a.bin", data)});
    EXPECT_EQ(Fetch(server.Url("/f/a.bin")), 1);
    EXPECT_EQ(project.result, ResultOk);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "GET /f/a.bin HTTP/1.1\r\nHost: 127.0.0.1\r\n" + kHeadLines +
                                        "Range: bytes=0-\r\n\r\n");
    EXPECT_TRUE(Read("a.bin") == *data);
    EXPECT_EQ(project.GetText(&ProjectSettings::fileName), "a.bin");
    EXPECT_EQ(project.settings.totalSize.load(), std::int64_t(data->size()));
    EXPECT_EQ(project.bytesDone.load(), std::int64_t(data->size()));
    EXPECT_TRUE(project.resumable);
}

TEST_F(HttpClient, ResumeAndRangeIgnoredAndEarlyClose) {
    struct Case {
        const char* name;
        bool honourRange;
        std::int64_t closeAfter;
        int ok;
        std::int32_t result;
    } cases[] = {
        {"206 appends", true, -1, 1, ResultOk},
        {"200 restarts at 0", false, -1, 1, ResultOk},
        {"early close", true, 5000, 0, ResultIncomplete},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HttpRule rule = HttpRule::File("/r.bin", data, c.honourRange);
        rule.closeAfterBodyBytes = c.closeAfter;
        ScriptedHttpServer server({rule});
        // A partial file whose bytes differ from the server's: a restart must
        // overwrite them, an append must keep them.
        std::string partial = data->substr(0, 1000);
        if (!c.honourRange) partial.assign(1000, 'x');
        Write("r.bin", partial);
        project.resumable = false;
        EXPECT_EQ(Fetch(server.Url("/r.bin")), c.ok);
        EXPECT_EQ(project.result, c.result);
        EXPECT_NE(server.Requests().at(0).find("\r\nRange: bytes=1000-\r\n"), std::string::npos);
        std::string got = Read("r.bin");
        if (c.closeAfter < 0) {
            EXPECT_TRUE(got == *data);
        } else {
            EXPECT_EQ(got.size(), 1000u + c.closeAfter);
            EXPECT_TRUE(got == data->substr(0, got.size()));
        }
        EXPECT_EQ(project.resumable.load(), c.honourRange);
        plat::RemoveFile(dir.File("r.bin"));
    }
}

TEST_F(HttpClient, CompleteFileIsNotFetchedAgain) {
    ScriptedHttpServer server({HttpRule::File("/c.bin", data)});
    Write("c.bin", *data);
    EXPECT_EQ(Fetch(server.Url("/c.bin")), 1) << "416 for a range at the end";
    EXPECT_EQ(project.result, ResultOk);
    EXPECT_TRUE(Read("c.bin") == *data);

    server.SetRules({HttpRule::File("/c.bin", data, false)});
    EXPECT_EQ(Fetch(server.Url("/c.bin")), 1) << "200 with a length already held";
    EXPECT_TRUE(Read("c.bin") == *data);
}

TEST_F(HttpClient, Redirects) {
    HttpRule noLocation;
    noLocation.path = "/empty";
    noLocation.status = "HTTP/1.1 302 Found";
    ScriptedHttpServer server({HttpRule::Redirect("/abs", "http://127.0.0.1:1/x.zip"),
                               HttpRule::Redirect("/rel", "/b/y.zip", 301), noLocation});
    EXPECT_EQ(Fetch(server.Url("/abs")), 1);
    EXPECT_EQ(project.result, ResultFetchAgain);
    EXPECT_EQ(project.nextUrl, " http://127.0.0.1:1/x.zip");
    EXPECT_FALSE(plat::FileExists(dir.File("abs")));

    EXPECT_EQ(Fetch(server.Url("/rel")), 1);
    EXPECT_EQ(project.result, ResultFetchAgain);
    EXPECT_EQ(project.nextUrl, " /b/y.zip");

    EXPECT_EQ(Fetch(server.Url("/empty")), 1);
    EXPECT_EQ(project.result, ResultOk);
    EXPECT_EQ(project.nextUrl, "");

    // The same target again (ignoring case) is an ordinary answer: here a page.
    project.nextUrl = " /B/Y.ZIP";
    EXPECT_EQ(Fetch(server.Url("/rel")), 0);
    EXPECT_EQ(project.result, ResultIncomplete);
}

TEST_F(HttpClient, ChunkedBodyIsDecoded) {
    HttpRule rule;
    rule.path = "/ch.bin";
    rule.body = data->substr(0, 100000);
    rule.chunked = true;
    rule.blockSize = 777;
    ScriptedHttpServer server({rule});
    EXPECT_EQ(Fetch(server.Url("/ch.bin")), 1);
    EXPECT_EQ(project.result, ResultOk);
    EXPECT_TRUE(Read("ch.bin") == rule.body);

    rule.closeAfterBodyBytes = 5000;  // ends without the last chunk
    server.SetRules({rule});
    EXPECT_EQ(Fetch(server.Url("/ch.bin")), 0);
    EXPECT_EQ(project.result, ResultIncomplete);
}

TEST_F(HttpClient, HeaderInTinyPiecesAndBodyInTheHeaderBlock) {
    HttpRule rule = HttpRule::File("/p.bin", data);
    rule.headerPieceSize = 1;
    rule.blockSize = 3;
    rule.closeAfterBodyBytes = 20;
    ScriptedHttpServer server({rule});
    EXPECT_EQ(Fetch(server.Url("/p.bin")), 0);
    EXPECT_EQ(project.result, ResultIncomplete);
    EXPECT_EQ(project.bytesDone.load(), 20);
    EXPECT_EQ(Read("p.bin"), data->substr(0, 20));

    HttpRule fixed;  // header and whole body in one send
    fixed.path = "/one.bin";
    fixed.body = "0123456789";
    server.SetRules({fixed});
    EXPECT_EQ(Fetch(server.Url("/one.bin")), 1);
    EXPECT_EQ(Read("one.bin"), "0123456789");
    EXPECT_EQ(project.bytesDone.load(), 10);
}

TEST_F(HttpClient, CookiesAreSentOnceAndOnlyToTheirHost) {
    HttpRule setter;
    setter.path = "/set";
    setter.headers = {"Set-Cookie: a=1; path=/", "Set-Cookie: b=2"};
    setter.body = "x";
    HttpRule plain;
    plain.body = "y";
    ScriptedHttpServer server({setter, plain});
    Fetch(server.Url("/set"));
    EXPECT_TRUE(project.cookiePending);
    Fetch(server.Url("/next"));
    Fetch(server.Url("/again"));
    auto req = server.Requests();
    ASSERT_EQ(req.size(), 3u);
    EXPECT_EQ(req[0].find("Cookie:"), std::string::npos);
    EXPECT_NE(req[1].find("\r\nCookie:  a=1;  b=2; \r\n\r\n"), std::string::npos);
    EXPECT_EQ(req[2].find("Cookie:"), std::string::npos);

    Fetch(server.Url("/set"));
    Fetch("http://localhost:" + std::to_string(server.Port()) + "/other-host");
    req = server.Requests();
    ASSERT_EQ(req.size(), 5u);
    EXPECT_EQ(req[4].find("Cookie:"), std::string::npos);
    EXPECT_FALSE(project.cookiePending);
}

TEST_F(HttpClient, AnswersThatAreNotTheFile) {
    struct Case {
        const char* path;
        const char* status;
        const char* type;
        int ok;
        std::int32_t result;
        bool written;
    } cases[] = {
        {"/a.zip", "HTTP/1.1 200 OK", "text/html", 0, ResultIncomplete, false},
        {"/a.htm", "HTTP/1.1 200 OK", "text/html", 1, ResultOk, true},
        {"/notes.txt", "HTTP/1.1 200 OK", "text/html", 1, ResultOk, true},
        {"/b.zip", "HTTP/1.1 404 Not Found", "text/html", 0, ResultHttpClientError, false},
        {"/c.zip", "HTTP/1.1 410 Gone", "", 0, ResultHttpClientError, false},
        {"/d.zip", "HTTP/1.1 503 Busy", "", 0, ResultHttpServerError, false},
        {"/e.zip", "HTTP/1.1 500 Oops", "", 0, ResultHttpServerError, false},
    };
    for (const auto& c : cases) {
        HttpRule rule;
        rule.path = c.path;
        rule.status = c.status;
        rule.contentType = c.type;
        rule.body = "<html>page</html>";
        ScriptedHttpServer server({rule});
        EXPECT_EQ(Fetch(server.Url(c.path)), c.ok) << c.path;
        EXPECT_EQ(project.result, c.result) << c.path;
        EXPECT_EQ(plat::FileExists(dir.File(std::string(c.path + 1))), c.written) << c.path;
    }
}

TEST_F(HttpClient, ConnectionLostBeforeTheHeaderEndsIsAFailure) {
    for (std::int64_t cut : {0, 10, 40}) {
        HttpRule rule = HttpRule::File("/h.bin", data);
        rule.closeAfterHeaderBytes = cut;
        ScriptedHttpServer server({rule});
        EXPECT_EQ(Fetch(server.Url("/h.bin")), 0) << cut;
        EXPECT_EQ(project.result, ResultNetwork) << cut;
        EXPECT_FALSE(plat::FileExists(dir.File("h.bin")));
    }
    std::uint16_t closedPort;
    {
        ScriptedHttpServer gone({});
        closedPort = gone.Port();
    }
    EXPECT_EQ(Fetch("http://127.0.0.1:" + std::to_string(closedPort) + "/x.bin"), 0);
    EXPECT_EQ(project.result, ResultNetwork);
}

TEST_F(HttpClient, StopFromAnotherThreadEndsPromptly) {
    HttpRule silent;
    silent.neverAnswer = true;
    ScriptedHttpServer server({silent});
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        project.stopRequested = true;
        project.CancelBlocking();
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(server.Url("/s.bin")), 0);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(project.result, ResultNetwork);

    // A stop that came before the request: nothing is sent.
    EXPECT_EQ(Fetch(server.Url("/s.bin")), 1);
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(HttpClient, SilentServerTimesOut) {
    HttpRule silent;
    silent.neverAnswer = true;
    ScriptedHttpServer server({silent});
    GlobalRuntime().timeoutSeconds = 1;
    EXPECT_EQ(Fetch(server.Url("/t.bin")), 0);
    EXPECT_EQ(project.result, ResultNetwork);
}

TEST_F(HttpClient, SegmentWorkerTakesOnlyTheRangeItAskedFor) {
    CProject parent;
    parent.settings.totalSize = std::int64_t(data->size());
    CSegment node(100000, "100000_w.bin", SegmentState::Active);
    project.segmentWorker = true;
    project.parentProject = &parent;
    project.servedSegment = &node;
    struct Case {
        HttpRule rule;
        bool written;
    } cases[] = {
        {HttpRule::File("/w.bin", data, false), false},
        {HttpRule::File("/w.bin", PatternBytes(data->size() + 1)), false},
        {HttpRule::File("/w.bin", data), true},
    };
    for (const auto& c : cases) {
        ScriptedHttpServer server({c.rule});
        EXPECT_EQ(Fetch(server.Url("/w.bin")), 1);
        EXPECT_NE(server.Requests().at(0).find("Range: bytes=100000-"), std::string::npos);
        EXPECT_EQ(plat::FileExists(dir.File("100000_w.bin")), c.written);
    }
    EXPECT_TRUE(Read("100000_w.bin") == data->substr(100000));
    EXPECT_EQ(node.bytesDone.load(), std::int64_t(data->size() - 100000));
    EXPECT_FALSE(plat::FileExists(dir.File("w.bin")));
}

TEST(HttpRequest, LinesInOrder) {
    HttpRequestInput in;
    in.url = "http://u@Host:81/Get/a.zip";
    in.parts.host = "Host";
    in.parts.port = 81;
    in.parts.path = "/Get/a.zip";
    in.parts.userName = "u";
    in.offset = 4294967296;
    EXPECT_EQ(BuildRequest(in),
              "GET /Get/a.zip HTTP/1.1\r\nConnection: Keep-Alive\r\nUser-Agent: Gnutella\r\n"
              "Range: bytes=4294967296-\r\nAuthorization: Basic dTo=\r\n\r\n");

    in.parts.path = "/a.zip";
    in.parts.userName = "";
    in.proxy.useHttpProxy = true;
    in.proxy.httpProxyServer = "proxy";
    in.proxy.httpProxyPort = 3128;
    in.sendCookie = true;
    in.cookieText = " k=v; ";
    in.offset = 0;
    EXPECT_EQ(BuildRequest(in),
              "GET http://u@Host:81/Get/a.zip HTTP/1.1\r\nHost: Host\r\n"
              "Accept: */*\r\nUser-Agent: Mozilla/4.0 (compatible; Kestrune 3.0)\r\n"
              "Connection: close\r\nProxy-Connection: Keep-Alive\r\n"
              "Pragma: no-cache\r\nCache-Control: no-cache\r\n"
              "Range: bytes=0-\r\nCookie:  k=v; \r\n\r\n");
}

TEST(HttpRequest, Base64) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("f"), "Zg==");
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(Base64Encode("user:pass"), "dXNlcjpwYXNz");
    EXPECT_EQ(Base64Encode(std::string("\xff\xfe\x80:", 4)), "//6AOg==");
}

TEST(HttpPage, BodyInMemoryWithTheHeaderApart) {
    HttpRule rule;
    rule.contentType = "text/html";
    rule.headers = {"Location: /elsewhere"};
    rule.body = std::string("<html>a\0hidden", 14);
    ScriptedHttpServer server({rule});
    CHttpConnection conn;
    conn.host = "127.0.0.1";
    conn.port = server.Port();
    EXPECT_EQ(conn.SendAndReceive("GET / HTTP/1.0\r\n\r\n"), 1);
    EXPECT_EQ(conn.statusCode, 200);
    EXPECT_EQ(conn.location, " /elsewhere");
    EXPECT_EQ(conn.pageText, "<html>a") << "a block is text up to its first NUL";
}
