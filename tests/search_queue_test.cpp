// A search row of the job list: started and paused through the queue, its
// status lines as the Search dialog reads them, and the engine update.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "base/runtime.h"
#include "base/worker_threads.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "projects/queue.h"
#include "search/engine_defs.h"
#include "search/engine_update.h"
#include "search/new_search.h"
#include "search/search_worker.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"

namespace {

using namespace ks;
using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

// Runs on the test's thread, which plays the UI thread: it runs what the
// workers posted while it waits.
bool WaitUntil(const std::function<bool()>& pred, int ms = 10000) {
    for (int i = 0; i < ms; i += 5) {
        uitask::Drain();
        if (pred()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    uitask::Drain();
    return pred();
}

struct Host : QueueHost {
    std::string CurrentFolder() override { return "."; }
};

HttpRule Page(const std::string& path, const std::string& records, int delayMs = 0) {
    HttpRule r;
    r.path = path;
    r.contentType = "text/html";
    r.body = "<ul>" + records + "</ul>";
    r.delayBeforeReplyMs = delayMs;
    return r;
}

std::string Engine(const std::string& name, const std::string& on, std::uint16_t port,
                   const std::string& extra = {}) {
    return "[" + name + "]\r\non=" + on + "\r\nurl=http://127.0.0.1:" + std::to_string(port) + "/" +
           name + "\r\ns1=%3Cli%3E\r\ns2=%3C/li%3E\r\nt1=%3C/a%3E\r\nlnum=1\r\n" + extra;
}

class SearchRow : public ::testing::Test {
  protected:
    void SetUp() override {
        GlobalRuntime().SetProgramFolder(home.path());
        GlobalEngineUpdateFlags().asked = false;
        queue.SetWorker(ProjectKind::Search, [](CProject* p) { SearchWorker(p); });
        SearchHooks hooks;
        hooks.openResults = [this](const std::string& path) { opened = path; };
        hooks.askEngineUpdate = [this] {
            ++asked;
            return answer;
        };
        SetSearchHooks(hooks);
    }
    void TearDown() override {
        queue.PauseAll();
        WaitForWorkerThreads(10000);
        SetSearchHooks({});
    }
    CProject* StartSearch(const std::string& keywords) {
        NewSearch n;
        n.keywords = keywords;
        row = AddSearchProject(queue, n, home.path()).value();
        queue.Start(row);
        return queue.ProjectAt(row);
    }
    std::string Texts(int column) {
        uitask::Drain();
        auto t = queue.Rows().TextsAt(row);
        return t ? t->columns[column] : std::string();
    }

    ks::test::TempDir home;
    Host host;
    ProjectQueue queue{host};
    std::size_t row = 0;
    std::string opened;
    int asked = 0;
    bool answer = false;
};

TEST_F(SearchRow, StatusLinesAndAStopMidSearch) {
    ScriptedHttpServer server({Page("/fast", "<li><a href=\"http://f.example/\">F</a></li>"),
                               Page("/slow", "<li><a href=\"http://s.example/\">S</a></li>", 60000),
                               Page("/off", "<li><a href=\"http://o.example/\">O</a></li>")});
    const std::uint16_t port = server.Port();
    plat::WriteFileAtomic(
        home.File("search.ini"),
        "[Options]\r\nskipupdate=yes\r\n[Categories]\r\ntotal=1\r\ncat1=Web\r\n"
        "types1=htm,\r\n[Web]\r\ntotal=3\r\neng1=fast\r\neng2=slow\r\neng3=off\r\n" +
            Engine("fast", "yes", port) + Engine("slow", "yes", port) + Engine("off", "no", port));
    CProject* p = StartSearch("x");
    // The Search dialog's view: finished engines above, running ones below.
    ASSERT_TRUE(WaitUntil([&] {
        const std::string s = p->SearchStatus();
        const std::size_t running = s.find("slow:  ...searching...\r\n");
        return running != std::string::npos && s.find("fast:  ---(1)\r\n") < running &&
               s.find("off:  ---(0)\r\n") < running;
    })) << p->SearchStatus();
    EXPECT_EQ(Texts(ColStatus), "Searching...(50.0%)");
    EXPECT_EQ(Texts(ColSize), "1/2 engines");
    queue.Pause(row);
    ASSERT_TRUE(WaitUntil([&] { return !p->workerRunning.load(); }));
    std::string page;
    plat::ReadWholeFile(plat::JoinPath(p->GetText(&ProjectSettings::folder),
                                       p->GetText(&ProjectSettings::segmentFile)),
                        page);
    EXPECT_NE(page.find("Found 1 sites."), std::string::npos) << page;
    EXPECT_NE(page.find("http://f.example/"), std::string::npos);
    EXPECT_EQ(opened, "");  // a stopped search is not opened
    EXPECT_EQ(Texts(ColSize), "Found 1 site.");
}

TEST_F(SearchRow, StopDuringTheCopiesCancelsThemAndStillWritesThePage) {
    ScriptedHttpServer server({});
    const std::string port = std::to_string(server.Port());
    std::string records;
    std::vector<HttpRule> rules;
    for (int i = 0; i < 12; ++i) {
        const std::string path = "/site/" + std::to_string(i) + ".html";
        records += "<li><a href=\"http://127.0.0.1:" + port + path + "\">S</a></li>";
        HttpRule r;
        r.path = path;
        r.neverAnswer = true;  // every copy hangs until cancelled
        rules.push_back(r);
    }
    rules.push_back(Page("/eng", records));
    server.SetRules(rules);
    plat::WriteFileAtomic(home.File("search.ini"),
                          "[Options]\r\nskipupdate=yes\r\n[Categories]\r\ntotal=1\r\ncat1=Web\r\n"
                          "types1=htm,\r\n[Web]\r\ntotal=1\r\neng1=eng\r\n" +
                              Engine("eng", "yes", server.Port()));
    NewSearch n;
    n.keywords = "x";
    n.copies = true;
    row = AddSearchProject(queue, n, home.path()).value();
    CProject* p = queue.ProjectAt(row);
    queue.Start(row);
    ASSERT_TRUE(WaitUntil([&] { return Texts(ColStatus).rfind("Downloading...(", 0) == 0; }));
    ASSERT_TRUE(WaitUntil([&] { return server.RequestCount() >= 2 + 7; }));
    plat::SleepMs(200);
    EXPECT_EQ(server.RequestCount(), 2u + 7u);  // seven copies at once, no more
    queue.Pause(row);
    ASSERT_TRUE(WaitUntil([&] { return !p->workerRunning.load(); }));
    EXPECT_EQ(server.RequestCount(), 2u + 7u);  // the rest were never fetched
    std::string page;
    plat::ReadWholeFile(plat::JoinPath(p->GetText(&ProjectSettings::folder),
                                       p->GetText(&ProjectSettings::segmentFile)),
                        page);
    EXPECT_NE(page.find("Found 12 sites."), std::string::npos);
    EXPECT_EQ(opened, "");
}

TEST_F(SearchRow, FinishedSearchOpensItsFrameset) {
    ScriptedHttpServer server({Page("/a",
                                    "<li><a href=\"http://a.example/\">A</a></li>"
                                    "<li><a href=\"http://b.example/\">B</a></li>")});
    plat::WriteFileAtomic(home.File("search.ini"),
                          "[Options]\r\nskipupdate=yes\r\n[Categories]\r\ntotal=1\r\ncat1=Web\r\n"
                          "types1=htm,\r\n[Web]\r\ntotal=1\r\neng1=a\r\n" +
                              Engine("a", "yes", server.Port()));
    CProject* p = StartSearch("x");
    ASSERT_TRUE(WaitUntil([&] { return !p->workerRunning.load(); }));
    EXPECT_EQ(opened, plat::JoinPath(p->GetText(&ProjectSettings::folder),
                                     p->GetText(&ProjectSettings::fileName)));
    EXPECT_EQ(Texts(ColSize), "Found 2 sites.");
    EXPECT_EQ(Texts(ColStatus), "Completed.");
}

TEST_F(SearchRow, UpdateWhenLastLiesAheadKeepsEnginesTheUserSwitchedOff) {
    ScriptedHttpServer server({});
    const std::uint16_t port = server.Port();
    const std::string update =
        "[Options]\r\nupdate=http://127.0.0.1:" + std::to_string(port) +
        "/update.html\r\n"
        "[Categories]\r\ntotal=1\r\ncat1=Web\r\n[Web]\r\ntotal=2\r\neng1=mine\r\neng2=other\r\n"
        "[mine]\r\non=yes\r\nurl=http://127.0.0.1:" +
        std::to_string(port) +
        "/mine\r\ns1=%3Cli%3E\r\n"
        "s2=%3C/li%3E\r\nlnum=1\r\n"
        "[other]\r\nurl=http://127.0.0.1:" +
        std::to_string(port) + "/other\r\n";
    HttpRule u;
    u.path = "/update.html";
    u.body = update;
    server.SetRules({u, Page("/mine", "<li><a href=\"http://m.example/\">M</a></li>"),
                     Page("/other", "<li><a href=\"http://o.example/\">O</a></li>")});
    const std::int64_t tomorrow = plat::NowSeconds() + 86400;
    plat::WriteFileAtomic(
        home.File("search.ini"),
        "[Options]\r\nlast=" + std::to_string(tomorrow) +
            "\r\nupdate=http://127.0.0.1:" + std::to_string(port) +
            "/update.html\r\n[Categories]\r\ntotal=1\r\ncat1=Web\r\ntypes1=htm,\r\n"
            "[Web]\r\ntotal=2\r\neng1=mine\r\neng2=other\r\n" +
            Engine("mine", "no", port, "t1=%3C/a%3E\r\n") + Engine("other", "yes", port));
    answer = true;
    CProject* p = StartSearch("x");
    ASSERT_TRUE(WaitUntil([&] { return !p->workerRunning.load(); }));
    EXPECT_EQ(asked, 1);
    const EngineDefs defs(home.File("search.ini"));
    EXPECT_EQ(defs.Read("mine", "on"), "no");   // the user's choice stands
    EXPECT_EQ(defs.Read("other", "on"), "no");  // listed without "on": off
    EXPECT_EQ(defs.Read("mine", "t1", "absent"),
              "");  // written empty, so the section name marks titles
    EXPECT_EQ(defs.Engine(0, 1).t1, "mine");
    EXPECT_EQ(defs.CategoryTypes(0), "htm,html");
    EXPECT_GE(IniNumber64(defs.Read("Options", "last")), tomorrow - 86400);
    EXPECT_LT(IniNumber64(defs.Read("Options", "last")), tomorrow);
    EXPECT_EQ(plat::FileExists(home.File("update.ini")), true);
    // Both engines are off now: no query went out.
    for (const std::string& r : server.Requests())
        EXPECT_EQ(r.find("GET /mine"), std::string::npos);

    // Settled for this run: the next search does not ask again.
    plat::WriteFileAtomic(home.File("search.ini"), "[Options]\r\nlast=0\r\n");
    CProject* q = StartSearch("y");
    ASSERT_TRUE(WaitUntil([&] { return !q->workerRunning.load(); }));
    EXPECT_EQ(asked, 1);
}

TEST(SearchUpdate, DueAndMergeRules) {
    ks::test::TempDir dir;
    const EngineDefs defs(dir.File("search.ini"));
    const std::int64_t now = 1000000;
    struct Case {
        const char* options;
        bool due;
    };
    const Case cases[] = {
        {"last=0", true},
        {"last=400000", true},  // exactly the period ago
        {"last=400001", false},
        {"last=1086400", true},  // ahead of the clock
        {"last=0\r\nskipupdate=YES", false},
        {"", true},
    };
    for (const Case& c : cases) {
        plat::WriteFileAtomic(defs.Path(), std::string("[Options]\r\n") + c.options + "\r\n");
        EXPECT_EQ(EngineUpdateDue(defs, now), c.due) << c.options;
    }
    // An update that lists fewer categories leaves the rest in place, hidden.
    plat::WriteFileAtomic(defs.Path(), "[Categories]\r\ntotal=3\r\ncat3=Old\r\n");
    plat::WriteFileAtomic(dir.File("update.ini"),
                          "[Categories]\r\ntotal=2\r\ncat1=A\r\ncat2=B\r\n");
    ASSERT_TRUE(MergeEngineUpdate(dir.File("update.ini"), defs.Path(), now));
    EXPECT_EQ(defs.CategoryTotal(), 2);
    EXPECT_EQ(defs.CategoryName(2), "Old");
    EXPECT_EQ(defs.Read("Options", "last"), "1000000");
    // An empty update (a failed download) changes only the update address.
    ASSERT_TRUE(plat::WriteFileAtomic(dir.File("update.ini"), ""));
    ASSERT_TRUE(MergeEngineUpdate(dir.File("update.ini"), defs.Path(), now + 5));
    EXPECT_EQ(defs.Read("Options", "last"), "1000000");
    EXPECT_EQ(defs.Read("Options", "update"), kVendorUpdatePage);
}

}  // namespace
