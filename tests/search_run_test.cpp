// Searches run the way a user runs them (kestrune-cli search, or a search row
// of the job list) against scripted engines on loopback.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"

namespace {

using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

struct EngineSpec {
    std::string name;
    std::string on = "yes";
    std::string path;  // the query address's path and query
    std::string post;
};

// A definition file with one category "Web" of the given engines, all cutting
// their pages at <li> records whose first link is the hit.
std::string Definitions(std::uint16_t port, const std::vector<EngineSpec>& engines, int maxThread,
                        const std::string& extraOptions = {}) {
    std::string s = "[Options]\r\nmaxthread=" + std::to_string(maxThread) +
                    "\r\nmaxresults=10\r\nskipupdate=yes\r\n" + extraOptions +
                    "[Categories]\r\ntotal=2\r\ncat1=Web\r\ntypes1=htm,html,\r\ncat2=Empty\r\n"
                    "[Empty]\r\ntotal=0\r\n[Web]\r\ntotal=" +
                    std::to_string(engines.size()) + "\r\n";
    for (std::size_t i = 0; i < engines.size(); ++i)
        s += "eng" + std::to_string(i + 1) + "=" + engines[i].name + "\r\n";
    for (const EngineSpec& e : engines) {
        s += "[" + e.name + "]\r\non=" + e.on + "\r\nhome=http://home." + e.name +
             ".example/\r\nurl=http://127.0.0.1:" + std::to_string(port) + e.path + "\r\n";
        if (!e.post.empty()) s += "post=" + e.post + "\r\n";
        s += "s1=%3Cli%3E\r\ns2=%3C/li%3E\r\nt1=%3C/a%3E\r\nt2=%3Cbr%3E\r\nlnum=1\r\n";
    }
    return s;
}

std::string Record(const std::string& url, const std::string& title, const std::string& desc = {}) {
    return "<li><a href=\"" + url + "\">" + title + "</a>" + desc + "<br></li>\n";
}

HttpRule Page(const std::string& path, const std::string& body, int delayMs = 0) {
    HttpRule r;
    r.path = path;
    r.contentType = "text/html";
    r.body = "<html><ul>\n" + body + "</ul></html>";
    r.delayBeforeReplyMs = delayMs;
    return r;
}

struct CliRun {
    int exit = -1;
    std::string out;
};

CliRun RunCli(const std::vector<std::string>& args) {
    testing::internal::CaptureStdout();
    CliRun r;
    r.exit = ks::cli::RunSearchCommand(ks::cli::ParseCliArgs(args));
    r.out = testing::internal::GetCapturedStdout();
    return r;
}

std::string LastLine(const std::string& out) {
    std::string s = out;
    while (!s.empty() && s.back() == '\n') s.pop_back();
    return s.substr(s.rfind('\n') == std::string::npos ? 0 : s.rfind('\n') + 1);
}

std::string ReadFile(const std::string& path) {
    std::string s;
    ks::plat::ReadWholeFile(path, s);
    return s;
}

std::size_t Count(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
    return n;
}

class SearchRun : public ::testing::Test {
  protected:
    void Write(const std::string& defs) {
        ASSERT_TRUE(ks::plat::WriteFileAtomic(home.File("search.ini"), defs));
    }
    CliRun Search(std::vector<std::string> extra) {
        std::vector<std::string> args = {"--home", home.path(), "search"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args);
    }
    ks::test::TempDir home;
};

TEST_F(SearchRun, TwelveEnginesNeverMoreThanMaxThreadAtOnce) {
    std::vector<HttpRule> rules;
    std::vector<EngineSpec> engines;
    for (int i = 1; i <= 12; ++i) {
        const std::string n = std::to_string(i);
        engines.push_back({"e" + n, "yes", "/e" + n + "?q=<KEYWORD>"});
        rules.push_back(Page("/e" + n + "?q=red+apple",
                             Record("http://site.example/" + n + "/a.html", "A" + n) +
                                 Record("http://site.example/" + n + "/b.html", "B" + n),
                             150));
    }
    ScriptedHttpServer server(rules);
    Write(Definitions(server.Port(), engines, 4));
    CliRun r = Search({"  red   apple "});
    ASSERT_EQ(r.exit, 0);
    EXPECT_LE(server.MaxConcurrent(), 4u);
    EXPECT_GE(server.MaxConcurrent(), 2u);
    // A probe and a query per engine.
    EXPECT_EQ(server.RequestCount(), 24u);
    const std::string page = ReadFile(LastLine(r.out));
    EXPECT_NE(page.find("Found 24 sites."), std::string::npos);
    EXPECT_EQ(Count(page, "<font face=\"Verdana,Arial,Helvetica\" size=1>"), 24u);
}

TEST_F(SearchRun, ExactRequestsPageAndFrameset) {
    HttpRule first = Page("/one?q=red+apple&n=10",
                          Record("http://a.example/x.html", "Apple <b>red</b>", " fresh..") +
                              Record("http://shared.example/", "Shared"));
    first.headers = {"Set-Cookie: sid=42; path=/"};
    HttpRule second = Page("/two", Record("http://shared.example/", "Again") +
                                       Record("http://b.example/y.htm", "Why"));
    ScriptedHttpServer server({first, second});
    Write(Definitions(server.Port(),
                      {{"One", "yes", "/one?q=<KEYWORD>&n=<COUNT>"},
                       {"Two", "yes", "/two", "q=<KEYWORD>&m=<TYPE>"},
                       {"Off", "no", "/off"}},
                      1));
    CliRun r = Search({"--method", "exact", "red", "apple"});
    ASSERT_EQ(r.exit, 0);

    const std::vector<std::string> req = server.Requests();
    ASSERT_EQ(req.size(), 4u);
    const std::string common =
        "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
        "application/msword, application/vnd.ms-powerpoint, application/x-comet, */*\r\n"
        "Accept-Language: en-us\r\nUser-Agent: Mozilla/4.0 (compatible; Kestrune 3.0)\r\n"
        "Host: 127.0.0.1\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n";
    EXPECT_EQ(req[0], "HEAD /one?q=red+apple&n=10 HTTP/1.0\r\n" + common + "\r\n");
    EXPECT_EQ(req[1],
              "GET /one?q=red+apple&n=10 HTTP/1.0\r\nCookie: sid=42; \r\n" + common + "\r\n");
    EXPECT_EQ(req[2], "HEAD /two HTTP/1.0\r\n" + common + "\r\n");
    EXPECT_EQ(req[3], "POST /two HTTP/1.0\r\n" + common +
                          "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: "
                          "17\r\n\r\nq=red+apple&m=all");

    const std::string pagePath = LastLine(r.out);
    ASSERT_TRUE(ks::plat::FileExists(pagePath));
    const std::string name = ks::plat::BaseName(pagePath);
    const std::string number = name.substr(0, name.find('.'));
    const std::string line = "<font face=\"Verdana,Arial,Helvetica\" size=1>";
    const std::string want =
        "<HTML><BODY BGCOLOR=#CCCC99 ><br><i><font face=\"Verdana,Arial,Helvetica\" size=2>Found 3 "
        "sites. &nbsp;&nbsp;&nbsp;keyword(s): <b>red "
        "apple</b>&nbsp;&nbsp;&nbsp;category:Web</font></i><br><br>" +
        line +
        "1.&nbsp; <a href=\"http://a.example/x.html\" target=_blank><b>Apple red</b></a> "
        "<a href=\"http://home.One.example/\" "
        "target=_blank>[One]</a><small><br>...fresh...</small></font><br><br>" +
        line +
        "2.&nbsp; <a href=\"http://shared.example/\" target=_blank><b>Shared</b></a> "
        "<a href=\"http://home.One.example/\" "
        "target=_blank>[One]</a><small></small></font><br><br>" +
        line +
        "3.&nbsp; <a href=\"http://b.example/y.htm\" target=_blank><b>Why</b></a> "
        "<a href=\"http://home.Two.example/\" target=_blank>[Two]</a><small></small></font><br><br>"
        "</BODY></HTML>";
    EXPECT_EQ(ReadFile(pagePath), want);
    EXPECT_EQ(
        ReadFile(ks::plat::JoinPath(ks::plat::DirName(pagePath), number + "i.html")),
        "<HTML><HEAD></HEAD> \t\t<FRAMESET ROWS=\"100,100%\" FRAMEBORDER=\"no\" FRAMESPACING=0> "
        "\t\t<FRAME SRC=\"http://127.0.0.1/kestrune/results.html\"  NAME=\"main\"  "
        "scrolling=\"no\"> "
        "\t\t<FRAME SRC=\"" +
            name + "\" NAME=\"results\" > \t\t</FRAMESET> \t\t</HTML> \t\t");
    // The keywords went into the search history.
    EXPECT_EQ(ReadFile(home.File("searchhistory.txt")), "red apple\r\n");
}

TEST_F(SearchRun, HostileEnginePageCannotScriptTheResults) {
    const std::string evil =
        Record("javascript:alert(1)", "js") + Record("data:text/html,<script>x</script>", "data") +
        Record("http://ok.example/p.html\" onmouseover=\"alert(1)", "<script>alert(2)</script>x") +
        Record("http://ok.example/q.html", "<img src=x onerror=alert(3)>T",
               "<script>alert(4)</script>d") +
        "<li>" + std::string(1 << 20, 'a');  // a record that never closes
    ScriptedHttpServer server({Page("/evil", evil)});
    Write(Definitions(server.Port(), {{"Evil", "yes", "/evil"}}, 2));
    CliRun r = Search({"x"});
    ASSERT_EQ(r.exit, 0);
    const std::string page = ReadFile(LastLine(r.out));
    EXPECT_EQ(page.find("<script"), std::string::npos) << page;
    EXPECT_EQ(page.find("javascript:"), std::string::npos) << page;
    EXPECT_EQ(page.find("data:"), std::string::npos) << page;
    EXPECT_EQ(page.find("onerror=alert"), std::string::npos) << page;
    EXPECT_NE(page.find("http://ok.example/q.html"), std::string::npos) << page;
}

TEST_F(SearchRun, OutcomesOfTheCommand) {
    ScriptedHttpServer server({});
    Write(Definitions(server.Port(), {{"One", "yes", "/one"}}, 1));
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* inPage;
    };
    const Case cases[] = {
        {{"--category", "2", "x"},
         0,
         "Found no results. &nbsp;&nbsp;&nbsp;keyword(s): <b>x</b>&nbsp;&nbsp;&nbsp; "
         "category:Empty"},
        {{"x"}, 0, "Found no results."},  // the engine answers 404: no hits, still done
        {{"--category", "3", "x"}, 1, nullptr},
        {{"--method", "some", "x"}, 64, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--home", home.path(), "search"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ks::cli::CliArgs parsed = ks::cli::ParseCliArgs(args);
        if (!parsed.error.empty()) {
            EXPECT_EQ(c.exit, 64) << parsed.error;
            continue;
        }
        CliRun r = RunCli(args);
        EXPECT_EQ(r.exit, c.exit) << c.args[0];
        if (c.inPage)
            EXPECT_NE(ReadFile(LastLine(r.out)).find(c.inPage), std::string::npos) << c.args[0];
    }
    ks::plat::RemoveFile(home.File("search.ini"));
    ks::plat::WriteFileAtomic(home.File("search.ini"), "");  // present, but without categories
    EXPECT_EQ(Search({"x"}).exit, 1);
}

TEST_F(SearchRun, OfflineCopiesSevenAtOnceWithRedirectsAndErrors) {
    std::string records;
    std::vector<HttpRule> rules;
    for (int i = 0; i < 20; ++i) {
        const std::string path = "/site/" + std::to_string(i) + ".html";
        records += Record("http://127.0.0.1:PORT" + path, "P" + std::to_string(i));
        HttpRule r;
        r.path = path;
        r.contentType = "text/html";
        r.body = "copy " + std::to_string(i);
        r.delayBeforeReplyMs = 100;
        if (i == 3) r = HttpRule::Redirect(path, "/moved.html");
        if (i == 4) r.status = "HTTP/1.1 404 Not Found";
        rules.push_back(r);
    }
    HttpRule moved;
    moved.path = "/moved.html";
    moved.body = "moved here";
    rules.push_back(moved);
    ScriptedHttpServer server({});
    std::string body = records;
    for (std::size_t p = body.find("PORT"); p != std::string::npos; p = body.find("PORT"))
        body.replace(p, 4, std::to_string(server.Port()));
    rules.push_back(Page("/eng", body));
    server.SetRules(rules);
    Write(Definitions(server.Port(), {{"One", "yes", "/eng"}}, 1));
    CliRun r = Search({"--copies", "x"});
    ASSERT_EQ(r.exit, 0);
    EXPECT_LE(server.MaxConcurrent(), 7u);
    EXPECT_GE(server.MaxConcurrent(), 3u);
    const std::string pagePath = LastLine(r.out);
    const std::string page = ReadFile(pagePath);
    const std::string name = ks::plat::BaseName(pagePath);
    const std::string copies =
        ks::plat::JoinPath(ks::plat::DirName(pagePath), name.substr(0, name.find('.')) + "i");
    EXPECT_EQ(Count(page, "(View offline)"), 20u);
    const std::string stem = name.substr(0, name.find('.')) + "i/";
    EXPECT_NE(page.find("<a href=\"" + stem + "0.html\" target=_blank>(View offline)</a>"),
              std::string::npos);
    EXPECT_NE(page.find("<a href=\"" + stem + "19.html\" target=_blank>(View offline)</a>"),
              std::string::npos);
    for (int i = 0; i < 20; ++i) {
        const std::string file = ks::plat::JoinPath(copies, std::to_string(i) + ".html");
        if (i == 4) {
            EXPECT_FALSE(ks::plat::FileExists(file));
        } else {
            EXPECT_EQ(ReadFile(file), i == 3 ? "moved here" : "copy " + std::to_string(i));
        }
    }
}

}  // namespace
