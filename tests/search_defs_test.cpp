#include <gtest/gtest.h>

#include "platform/files.h"
#include "search/engine_defs.h"
#include "search/query.h"
#include "support/temp_dir.h"

namespace {

using ks::EngineDefs;
using ks::SearchMethod;

// The worked example, plus engines that exercise the fallbacks.
const char* kDefs =
    "[Options]\r\nmaxthread=4\r\nmaxresults=25\r\n"
    "[Categories]\r\ntotal=3\r\ncat1=Web\r\ntypes1=htm "
    "html,asp;;php.\r\nlist1=htm,html,asp,php,\r\n"
    "cat2=\r\ncat3=Files\r\n"
    "[Web]\r\ntotal=5\r\neng1=Finder\r\neng2=NoOn\r\neng3=Odd\r\neng4=Off\r\neng5=\r\n"
    "[Finder]\r\non=yes\r\nname=Finder Search\r\nhome=http://f.example/\r\n"
    "url=http://f.example/find?q=<KEYWORD>&mode=<TYPE>&page=<PAGENUM>\r\npost=max=<COUNT>\r\n"
    "all=and\r\nexact=phrase\r\ns1=%3Cli%3E\r\ns2=%3C/li%3E\r\nt1=%3C/a%3E\r\nt2=%3Cbr%3E\r\n"
    "lnum=1\r\nbase=http://f.example\r\n"
    "[NoOn]\r\nurl=http://n.example/?q=<KEYWORD>\r\nt1=\r\ns1=%3cb%3E\r\ns2=%zz\r\nt2=%4z\r\n"
    "[Odd]\r\non=maybe\r\nurl=http://o.example/<KEYWORD>/"
    "<KEYWORD>?n=<COUNT>\r\nname=\r\nlnum=2x\r\n"
    "dig=YES\r\nany=\r\n"
    "[Off]\r\non=No\r\nurl=http://x.example/\r\n"
    "[Files]\r\ntotal=1\r\neng1=Finder\r\n"
    "[MP3]\r\ntotal=2\r\neng1=Finder\r\n";

class SearchDefs : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(ks::plat::WriteFileAtomic(path, kDefs)); }
    ks::test::TempDir dir;
    std::string path = dir.File("search.ini");
    EngineDefs defs{path};
};

TEST_F(SearchDefs, CategoryLookups) {
    EXPECT_EQ(defs.MaxThread(), 4);
    EXPECT_EQ(defs.MaxResults(), 25);
    EXPECT_EQ(defs.CategoryName(0), "Web");
    EXPECT_EQ(defs.EngineCount(0), 5);
    // Only "on=yes" counts toward the progress total.
    EXPECT_EQ(defs.EnabledEngineCount(0), 1);
    // A missing name hides the category's section.
    EXPECT_EQ(defs.CategoryName(1), "");
    EXPECT_EQ(defs.EngineCount(1), 0);
    EXPECT_EQ(defs.EngineSection(1, 1), "");
    EXPECT_EQ(defs.EngineCount(2), 1);
    EXPECT_EQ(ks::SplitTypeList(defs.CategoryTypes(0)),
              (std::vector<std::string>{"htm", "html", "asp", "php"}));
    ks::plat::WriteFileAtomic(path, "[Options]\r\n");
    EXPECT_EQ(defs.MaxThread(), 10);  // read afresh: the file just changed
    EXPECT_EQ(defs.MaxResults(), 10);
}

TEST_F(SearchDefs, EngineFallbacks) {
    struct Case {
        int m;
        bool enabled, counted;
        const char *name, *s1, *s2, *t1, *t2, *any;
        int lnum;
        bool digs;
    };
    const Case cases[] = {
        {1, true, true, "Finder Search", "<li>", "</li>", "</a>", "<br>", "all", 1, false},
        // No "on": never queried. Markers: escapes decoded, "%zz" kept, "%4z" one byte.
        {2, false, false, "NoOn", "<b>", "%zz", "NoOn", "\x04", "all", 0, false},
        // "on=maybe": queried, not counted; empty "any" is empty, not "all".
        {3, true, false, "Odd", "<br>", "<br>", "<br>", "<br>", "", 2, true},
        {4, false, false, "Off", "<br>", "<br>", "<br>", "<br>", "all", 0, false},
        {5, false, false, "", "", "", "", "", "", 0, false},
    };
    for (const Case& c : cases) {
        ks::EngineDef e = defs.Engine(0, c.m);
        EXPECT_EQ(e.enabled, c.enabled) << c.m;
        EXPECT_EQ(e.counted, c.counted) << c.m;
        EXPECT_EQ(e.name, c.name) << c.m;
        EXPECT_EQ(e.s1, c.s1) << c.m;
        EXPECT_EQ(e.s2, c.s2) << c.m;
        EXPECT_EQ(e.t1, c.t1) << c.m;
        EXPECT_EQ(e.t2, c.t2) << c.m;
        EXPECT_EQ(e.typeAny, c.any) << c.m;
        EXPECT_EQ(e.linkNumber, c.lnum) << c.m;
        EXPECT_EQ(e.digs, c.digs) << c.m;
    }
}

TEST_F(SearchDefs, LongValuesAreCut) {
    ks::plat::WriteFileAtomic(path, "[Options]\r\nupdate=" + std::string(300, 'u') + "\r\n");
    EXPECT_EQ(defs.Read("Options", "update").size(), 255u);
}

TEST_F(SearchDefs, ComposeQuery) {
    struct Case {
        int m;
        SearchMethod method;
        const char* keywords;
        int count;
        const char* want;
    };
    const Case cases[] = {
        {1, SearchMethod::ExactPhrase, "red apple pie", 25,
         "http://f.example/find?q=red+apple+pie&mode=phrase&page=1::max=25"},
        {1, SearchMethod::AnyWord, "  red   apple ", 25,
         "http://f.example/find?q=red+apple&mode=all&page=1::max=25"},
        {1, SearchMethod::AllWords, "a\r\nHost: evil\tb", 20,
         "http://f.example/find?q=a+Host:+evil+b&mode=and&page=1::max=20"},
        {2, SearchMethod::AllWords, "x", 10, ""},  // no "on"
        {3, SearchMethod::AnyWord, "x y", 7, "http://o.example/x+y/x+y?n=7"},
        {4, SearchMethod::AllWords, "x", 10, ""},  // switched off
        {5, SearchMethod::AllWords, "x", 10, ""},  // no section
        {9, SearchMethod::AllWords, "x", 10, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ks::ComposeQuery(defs, 0, c.m, c.method, 1, c.count, c.keywords), c.want) << c.m;
    EXPECT_EQ(ks::ComposeQuery(defs, 1, 1, SearchMethod::AllWords, 1, 10, "x"), "");
}

TEST(SearchRequests, ExactBytes) {
    ks::SearchRequest r;
    ks::ProxySettings none;
    ASSERT_TRUE(ks::PlanSearchRequest("http://f.example:8080/find?q=a+b&x=<y>::max=25", none, r));
    EXPECT_EQ(r.connectHost, "f.example");
    EXPECT_EQ(r.connectPort, 8080);
    EXPECT_TRUE(r.post);
    const std::string common =
        "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
        "application/msword, application/vnd.ms-powerpoint, application/x-comet, */*\r\n"
        "Accept-Language: en-us\r\nUser-Agent: Mozilla/4.0 (compatible; Kestrune 3.0)\r\n"
        "Host: f.example\r\n";
    const std::string nocache = "Pragma: no-cache\r\nCache-Control: no-cache\r\n";
    EXPECT_EQ(ks::BuildProbeRequest(r),
              "HEAD /find?q=a+b&x=<y> HTTP/1.0\r\n" + common + nocache + "\r\n");
    EXPECT_EQ(
        ks::BuildQueryRequest(r, true, "a=1; "),
        "POST /find?q=a+b&x=<y> HTTP/1.0\r\nCookie: a=1; \r\n" + common + nocache +
            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 6\r\n\r\nmax=25");

    ks::ProxySettings proxy;
    proxy.useHttpProxy = true;
    proxy.httpProxyServer = "proxy.lan";
    proxy.httpProxyPort = 3128;
    ASSERT_TRUE(ks::PlanSearchRequest("http://f.example/s?q=x", proxy, r));
    EXPECT_EQ(r.connectHost, "proxy.lan");
    EXPECT_EQ(r.connectPort, 3128);
    EXPECT_EQ(ks::BuildQueryRequest(r, false, "ignored"),
              "GET http://f.example/s?q=x HTTP/1.0\r\n" + common +
                  "Proxy-Connection: Keep-Alive\r\n" + nocache + "\r\n");
    EXPECT_FALSE(ks::PlanSearchRequest("ftp://f.example/x", none, r));
    ASSERT_TRUE(ks::PlanSearchRequest("http://f.example", none, r));
    EXPECT_EQ(r.target, "/");
}

}  // namespace
