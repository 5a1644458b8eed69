// `kestrune-cli grab` as a user runs it: a page or a list file on the one
// side, a scripted server on the other, and exactly the wanted files, whole,
// in the download folder afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/child_process.h"
#include "support/cli_run.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"

#ifndef _WIN32  // each case starts several processes: too slow under Wine

using ks::test::HttpRule;
using ks::test::PatternBytes;
using ks::test::ScriptedHttpServer;

namespace {

class CliGrab : public ::testing::Test {
  protected:
    int Cli(std::vector<std::string> args) {
        return ks::test::RunCliIn(home_.path(), std::move(args));
    }
    int CliKeepingErrors(const std::vector<std::string>& args, std::string& errors) {
        return ks::test::RunCliKeepingErrors(home_.path(), args, errors);
    }
    int Grab(const std::string& source, const std::string& types = "zip") {
        return Cli({"grab", "--quiet", "--types", types, "--dir", down_.path(), source});
    }
    void SetUp() override {
        ASSERT_EQ(Cli({"config", "Limits", "timeout", "5"}), 0);
        ASSERT_EQ(Cli({"config", "Limits", "wait", "0"}), 0);
    }
    static bool Requested(const ScriptedHttpServer& s, const std::string& target) {
        const auto r = s.Requests();
        return std::any_of(r.begin(), r.end(), [&](const std::string& q) {
            return q.rfind("GET " + target + " ", 0) == 0;
        });
    }

    ks::test::TempDir home_, down_;
    std::shared_ptr<const std::string> a_ = PatternBytes(70000, 1), b_ = PatternBytes(5000, 2),
                                       c_ = PatternBytes(123457, 3);
};

HttpRule Page(std::string path, std::string body) {
    HttpRule r;
    r.path = std::move(path);
    r.contentType = "text/html";
    r.body = std::move(body);
    return r;
}

}  // namespace

TEST_F(CliGrab, APageYieldsExactlyItsWantedFilesUnderDistinctNames) {
    ScriptedHttpServer server({});
    const std::string page =
        "<html><body><a href = 'files/a.zip'>a</a> <A HREF=/pub/b.zip>b</A>\n"
        "<a href=\"notes.txt\">not wanted</a> hrefs are words\n"
        "<a href=files/a.zip>again</a> <a href=\"" +
        server.Url("/other/a.zip") + "\">same name elsewhere</a></body></html>";
    server.SetRules({Page("/dir/index.html", page), HttpRule::File("/dir/files/a.zip", a_),
                     HttpRule::File("/pub/b.zip", b_), HttpRule::File("/other/a.zip", c_),
                     Page("/dir/notes.txt", "no")});
    EXPECT_EQ(Grab(server.Url("/dir/index.html")), 0);
    EXPECT_TRUE(down_.Read("a.zip") == *a_);
    EXPECT_TRUE(down_.Read("b.zip") == *b_);
    EXPECT_TRUE(down_.Read("a(2).zip") == *c_);
    EXPECT_FALSE(ks::plat::FileExists(down_.File("notes.txt")));
    EXPECT_FALSE(Requested(server, "/dir/notes.txt"));
    EXPECT_EQ(server.RequestCount(), 4u);  // the page and three files, each once
    // The page request is the plain one; the files are ranged downloads.
    EXPECT_EQ(server.Requests()[0].substr(0, 33), "GET /dir/index.html HTTP/1.0\r\nHos");
}

TEST_F(CliGrab, AListFileAndItsFailures) {
    ScriptedHttpServer server({HttpRule::File("/a.zip", a_), HttpRule::File("/b.zip", b_)});
    struct Case {
        const char* name;
        std::string list;
        int exitStatus;
        bool a, b;
    } cases[] = {
        {"lines, quotes and other types",
         server.Url("/a.zip") + "\r\n" + server.Url("/readme.txt") + "\n\"" + server.Url("/b.zip") +
             "\"\nb.zip\n",
         0, true, true},
        {"one file refused", server.Url("/a.zip") + "\n" + server.Url("/gone.zip") + "\n", 1, true,
         false},
        {"nothing wanted", server.Url("/readme.txt") + "\n", 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ks::test::TempDir list;
        ASSERT_TRUE(ks::plat::WriteFileAtomic(list.File("list.txt"), c.list));
        ks::plat::RemoveFile(down_.File("a.zip"));
        ks::plat::RemoveFile(down_.File("b.zip"));
        EXPECT_EQ(Grab(list.File("list.txt")), c.exitStatus);
        EXPECT_EQ(ks::plat::FileExists(down_.File("a.zip")), c.a);
        if (c.a) EXPECT_TRUE(down_.Read("a.zip") == *a_);
        EXPECT_EQ(ks::plat::FileExists(down_.File("b.zip")), c.b);
        if (c.b) EXPECT_TRUE(down_.Read("b.zip") == *b_);
    }
}

TEST_F(CliGrab, AListTooLongToReadIsCutAndSaysSo) {
    ScriptedHttpServer server({HttpRule::File("/a.zip", a_), HttpRule::File("/b.zip", b_)});
    const std::string links = server.Url("/a.zip") + "\n" + server.Url("/b.zip") + "\n";
    // Past the bounds: a page over 4 MiB, a list file over 32 MiB. What lies
    // beyond them is never read, so its link is never fetched.
    const std::string pagePadding(5 * 1024 * 1024, ' ');
    server.SetRules(
        {HttpRule::File("/a.zip", a_), HttpRule::File("/b.zip", b_),
         Page("/big.html", "<a href=a.zip> <a href=b.zip>" + pagePadding + "<a href=c.zip>")});
    ks::test::TempDir list;
    ASSERT_TRUE(ks::plat::WriteFileAtomic(
        list.File("list.txt"),
        links + std::string(33 * 1024 * 1024, 'x') + "\n" + server.Url("/c.zip") + "\n"));
    for (const std::string& source : {server.Url("/big.html"), list.File("list.txt")}) {
        SCOPED_TRACE(source);
        ks::plat::RemoveFile(down_.File("a.zip"));
        ks::plat::RemoveFile(down_.File("b.zip"));
        std::string errors;
        EXPECT_EQ(CliKeepingErrors(
                      {"grab", "--quiet", "--types", "zip", "--dir", down_.path(), source}, errors),
                  1);
        EXPECT_NE(errors.find("The list was cut after 2 files"), std::string::npos) << errors;
        EXPECT_TRUE(down_.Read("a.zip") == *a_);
        EXPECT_TRUE(down_.Read("b.zip") == *b_);
        EXPECT_FALSE(Requested(server, "/c.zip"));
    }
}

TEST_F(CliGrab, AMissingListFileIsReportedAndFails) {
    std::string errors;
    EXPECT_EQ(
        CliKeepingErrors({"grab", "--dir", down_.path(), home_.File("no-such-list.txt")}, errors),
        1);
    EXPECT_NE(errors.find("Error reading list file!"), std::string::npos) << errors;
}

#endif
