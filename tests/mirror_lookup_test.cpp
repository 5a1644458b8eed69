#include "search/mirror_lookup.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/project.h"
#include "base/runtime.h"
#include "base/worker_threads.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/runtime_guard.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"
#include "transfer/ping.h"

using namespace ks;
using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

TEST(PingOrder, ReachableByTimeThenTheSilentInTheirOrder) {
    struct Case {
        std::vector<std::int32_t> times;
        std::vector<std::string> order;
    } cases[] = {
        {{50, 0, 20}, {"m2", "m0", "m1"}},
        {{0, 0, 0}, {"m0", "m1", "m2"}},
        {{7, 7, 3}, {"m2", "m0", "m1"}},
        {{0, 5, 0}, {"m1", "m0", "m2"}},
        {{1, 2, 3}, {"m0", "m1", "m2"}},
        {{30, 10}, {"m1", "m0", "m2"}},  // the last one was never pinged
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OrderByPingTimes({"m0", "m1", "m2"}, c.times), c.order);
    }
}

TEST(Ping, EchoRequestAndReplyChecks) {
    const std::string req = BuildEchoRequest(0x1234, 0xA0B0C0D0u);
    ASSERT_EQ(req.size(), kEchoRequestSize);
    EXPECT_EQ(req[0], 8);
    EXPECT_EQ(req[1], 0);
    EXPECT_EQ(InternetChecksum(req), 0) << "a correct checksum sums to zero";
    std::uint16_t id;
    std::memcpy(&id, req.data() + 4, 2);
    EXPECT_EQ(id, 0x1234);
    EXPECT_EQ(req.substr(12), std::string(32, '\x45'));

    std::string reply = req;
    reply[0] = 0;
    struct Case {
        const char* name;
        std::string reply;
        std::uint16_t id;
        std::uint32_t now;
        std::int32_t rtt;
    } cases[] = {
        {"echo reply", reply, 0x1234, 0xA0B0C0D0u + 37, 37},
        {"same millisecond", reply, 0x1234, 0xA0B0C0D0u, 1},
        {"tick wrapped", BuildEchoRequest(1, 0xFFFFFFF0u).replace(0, 1, 1, '\0'), 1, 5, 21},
        {"another process's", reply, 0x4321, 0xA0B0C0D0u + 37, 0},
        {"our own request", req, 0x1234, 0xA0B0C0D0u + 37, 0},
        {"too short", reply.substr(0, 11), 0x1234, 0xA0B0C0D0u + 37, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EchoRoundTrip(c.reply, c.id, c.now), c.rtt);
    }
}

TEST(Ping, LoopbackAnswersAndTheUnreachableDoNot) {
    // Loopback only: a broadcast address is refused locally, and a URL
    // without a host never leaves the machine.
    const std::int32_t local = PingHost("  http://127.0.0.1/pub/x.zip ");
    const std::int32_t dotted = PingHost("ftp://127.0.0.1:2121/x.zip");
    if (local == 0 && dotted == 0) GTEST_SKIP() << "this system allows no ICMP echo";
    EXPECT_GE(local, 1);
    EXPECT_LT(local, 1000);
    EXPECT_EQ(PingHost("http://255.255.255.255/x.zip"), 0);
    EXPECT_EQ(PingHost("not a url"), 0);
}

TEST(MirrorLookup, SoughtNameAndCandidates) {
    EXPECT_EQ(SoughtName("http://h/dir/my%20file.zip"), "my file.zip");
    const std::string hits =
        "http://a/pub/My File.zip||My File||...desc http://d/my file.zip...||\n"
        "http://b/pub/my%20file.zip||encoded name||\n"
        "ftp://c/x/MY FILE.ZIP||||\n"
        "https://e/my file.zip||served over TLS||\n"
        "http://f/my file.zip.html||page||\n";
    EXPECT_EQ(MirrorCandidates(hits, "my file.zip", {"zip"}),
              (std::vector<std::string>{"http://a/pub/My File.zip", "ftp://c/x/MY FILE.ZIP",
                                        "https://e/my file.zip"}));
    EXPECT_EQ(MirrorCandidates("http://a/x.iso||\n", "x.iso", {"zip"}), std::vector<std::string>{});
}

namespace {

HttpRule EnginePage(std::string path, std::vector<std::string> urls) {
    HttpRule r;
    r.path = std::move(path);
    r.contentType = "text/html";
    r.body = "<html><ul>\n";
    for (const std::string& u : urls)
        r.body += "<li><a href=\"" + u + "\">" + u + "</a> a file</li>\n";
    r.body += "</ul></html>";
    return r;
}

std::vector<std::string> Numbered(const std::string& pattern, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.push_back("http://m" + std::to_string(i) + ".example/" + pattern);
    return out;
}

struct Lookup : ::testing::Test {
    ks::test::RuntimeGuard runtime;
    ks::test::TempDir dir;
    CProject project;

    void SetUp() override {
        GlobalRuntime().SetCaptureFileTypes({"zip", "exe"});
        project.settings.segments = 4;
        project.settings.autoMirror = 1;
        project.settings.pingFastest = 1;
        project.workerRunning = true;
        project.SetCurrentUrl("http://127.0.0.1:1/dl/Tool-1.0.zip");
    }
    void TearDown() override {
        GlobalRuntime().SetCaptureFileTypes({});
        project.workerRunning = false;  // what the worker's end does
    }
    // A definition file whose file-search category holds these engines.
    std::string Ini(const std::vector<std::string>& engines) {
        std::string t =
            "[Categories]\r\ntotal=3\r\ncat1=Web\r\ntypes1=htm\r\ncat2=MP3\r\ntypes2=mp3\r\n"
            "cat3=Files\r\ntypes3=zip,exe\r\n[Files]\r\ntotal=" +
            std::to_string(engines.size()) + "\r\n";
        for (std::size_t i = 0; i < engines.size(); ++i)
            t += "eng" + std::to_string(i + 1) + "=E" + std::to_string(i + 1) + "\r\n";
        for (std::size_t i = 0; i < engines.size(); ++i)
            t += "[E" + std::to_string(i + 1) + "]\r\n" + engines[i] +
                 "exact=EXACT\r\ns1=%3Cli%3E\r\ns2=%3C/li%3E\r\nt1=%3C/a%3E\r\nt2=%3C/li%3E\r\n"
                 "lnum=0\r\n";
        const std::string path = dir.File("search.ini");
        EXPECT_TRUE(plat::WriteFileAtomic(path, t));
        return path;
    }
};

}  // namespace

TEST_F(Lookup, AsksEveryFileEngineOnceAndKeepsOnlyThisFileByPingOrder) {
    ScriptedHttpServer get({EnginePage(
        "", {"http://m1.example/pub/tool-1.0.zip", "http://m2.example/Tool-1.0.zip",
             "http://m3.example/Tool-1.0.zip.html", "http://m4.example/Tool-2.0.zip"})});
    ScriptedHttpServer post(
        {EnginePage("", {"http://m2.example/Tool-1.0.zip", "HTTP://M1.EXAMPLE/PUB/TOOL-1.0.ZIP",
                         "ftp://m5.example/Tool-1.0.zip"})});
    ScriptedHttpServer off({EnginePage("", {"http://m6.example/Tool-1.0.zip"})});
    const std::string ini =
        Ini({"on=yes\r\nurl=" + get.Url("/find?q=<KEYWORD>&n=<COUNT>&t=<TYPE>") + "\r\n",
             "on=yes\r\nurl=" + post.Url("/post") + "\r\npost=q=<KEYWORD>&n=<COUNT>\r\n",
             "on=no\r\nurl=" + off.Url("/x?q=<KEYWORD>") + "\r\n"});
    std::vector<std::string> pinged;
    MirrorLookup(project, ini, [&](const std::string& url) -> std::int32_t {
        pinged.push_back(url);
        return url.find("m1.") != std::string::npos   ? 50
               : url.find("m5.") != std::string::npos ? 20
                                                      : 0;
    });
    EXPECT_FALSE(project.pingThread.load());
    EXPECT_EQ(project.Mirrors(), (std::vector<std::string>{"ftp://m5.example/Tool-1.0.zip",
                                                           "http://m1.example/pub/tool-1.0.zip",
                                                           "http://m2.example/Tool-1.0.zip"}));
    EXPECT_EQ(pinged.size(), 3u);
    ASSERT_EQ(get.Requests().size(), 1u);
    EXPECT_EQ(get.Requests()[0], "GET /find?q=Tool-1.0.zip&n=20&t=EXACT HTTP/1.0\r\n\r\n");
    ASSERT_EQ(post.Requests().size(), 1u);
    EXPECT_EQ(post.Requests()[0].substr(0, 43),
              "POST /post HTTP/1.0\r\nContent-Length: 19\r\n\r\n");
    EXPECT_NE(post.Requests()[0].find("\r\n\r\nq=Tool-1.0.zip&n=20"), std::string::npos);
    EXPECT_EQ(off.RequestCount(), 0u);
}

TEST_F(Lookup, StopsAskingOnceThereAreMoreThanSegmentsPlusTen) {
    struct Case {
        int segments;
        int hits;
        std::size_t secondEngineAsked;
    } cases[] = {{1, 11, 1}, {1, 12, 0}, {4, 14, 1}, {4, 15, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.segments) + " segments, " + std::to_string(c.hits) + " hits");
        project.SetMirrors({});
        project.settings.segments = c.segments;
        project.settings.pingFastest = 0;
        ScriptedHttpServer first({EnginePage("", Numbered("Tool-1.0.zip", c.hits))});
        ScriptedHttpServer second({EnginePage("", {"http://z.example/Tool-1.0.zip"})});
        const std::string ini = Ini({"on=yes\r\nurl=" + first.Url("/q?<KEYWORD>") + "\r\n",
                                     "on=yes\r\nurl=" + second.Url("/q?<KEYWORD>") + "\r\n"});
        MirrorLookup(project, ini, [](const std::string&) { return 0; });
        EXPECT_EQ(second.RequestCount(), c.secondEngineAsked);
        EXPECT_EQ(project.Mirrors().size(), std::size_t(c.hits) + c.secondEngineAsked);
    }
}

TEST_F(Lookup, TheWorkersEndCancelsALookupWaitingForAnEngine) {
    HttpRule silent = EnginePage("", {});
    silent.neverAnswer = true;
    ScriptedHttpServer engine({silent});
    const std::string programFolder = GlobalRuntime().ProgramFolder();
    GlobalRuntime().SetProgramFolder(dir.path());
    Ini({"on=yes\r\nurl=" + engine.Url("/q?<KEYWORD>") + "\r\n"});
    StartMirrorLookup(project);
    ASSERT_TRUE(project.pingThread.load());
    StartMirrorLookup(project);  // one at a time
    for (int i = 0; i < 2000 && engine.RequestCount() == 0; ++i) plat::SleepMs(5);
    EXPECT_EQ(engine.RequestCount(), 1u);
    EndMirrorLookup(project);
    EXPECT_FALSE(project.pingThread.load());
    EXPECT_TRUE(WaitForWorkerThreads(5000));  // the lookup thread ends and is joined
    GlobalRuntime().SetProgramFolder(programFolder);
}
