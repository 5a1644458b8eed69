#include <gtest/gtest.h>

#include "search/engine_defs.h"
#include "search/extract.h"

namespace {

using ks::EngineDef;
using ks::ExtractContext;
using ks::ExtractHits;

EngineDef Engine(int lnum = 0, std::string base = {}) {
    EngineDef e;
    e.section = "E";
    e.enabled = true;
    e.s1 = e.s2 = e.t1 = e.t2 = "<br>";
    e.linkNumber = lnum;
    e.base = std::move(base);
    return e;
}

std::string Extract(std::string_view page, const EngineDef& e,
                    std::string_view types = "htm,html,") {
    ExtractContext ctx;
    ctx.engine = &e;
    ctx.types = types;
    return ExtractHits(page, ctx);
}

TEST(SearchExtract, StripTags) {
    const std::pair<const char*, const char*> cases[] = {
        {"<b>Hi</b>", "Hi"},    {"\">Title", "Title"},  // the tail of a tag the link cut open
        {" x > y <i>z", "y z"}, {"a<b", "a"},           // an unclosed tag runs to the end
        {"a<<b>c>", "ac>"},     {"\t\r\n text \n", "text"},
        {"plain", "plain"},     {"", ""},
    };
    for (const auto& [in, want] : cases) EXPECT_EQ(ks::StripTags(in), want) << in;
}

TEST(SearchExtract, AcceptedLinksFollowTheCategoryTypes) {
    struct Case {
        const char* types;
        const char* url;
        bool want;
    };
    const Case cases[] = {
        {"mp3,wav,", "http://h.org/music/song.mp3", true},
        {"mp3,wav,", "http://h.org/music/", false},
        {"mp3,wav,", "http://h.org/music/song.html", false},
        {"mp3,wav,", "ftp://h.org/pub/SONG.WAV", true},
        {"htm,html,", "http://h.org/music/", true},
        {"htm,html,", "http://h.org/music/index", true},
        {"htm,html,", "http://h.org/music/song.html", true},
        {"htm,html,", "http://h.org/music/song.mp3", false},
        {"htm,html,", "https://h.org/a/b.htm", true},
        {"htm,html,", "javascript:alert(1)//x.htm", false},
        {"htm,html,", "data:text/html,<b>x.htm", false},
        {"htm,html,", "", false},
        {"", "http://h.org/a.htm", false},  // no types: nothing is accepted
    };
    for (const Case& c : cases)
        EXPECT_EQ(ks::IsAcceptedLink(c.types, c.url), c.want) << c.types << " " << c.url;
}

TEST(SearchExtract, UnwrapsClickCounters) {
    struct Case {
        const char* types;
        const char* in;
        const char* want;
    };
    const Case cases[] = {
        {"htm,html,", "http://click.org/c?u=http://real.org/page.html",
         "http://real.org/page.html"},
        {"htm,html,", "http://a.org/r?http://b.org/r?ftp://c.org/", "ftp://c.org/"},
        // The outer part is no address of this category: the whole stays.
        {"mp3,", "http://click.org/c?u=http://real.org/x.mp3",
         "http://click.org/c?u=http://real.org/x.mp3"},
        {"htm,", "http://plain.org/page.htm", "http://plain.org/page.htm"},
    };
    for (const Case& c : cases) EXPECT_EQ(ks::UnwrapRedirect(c.in, c.types), c.want) << c.in;
}

TEST(SearchExtract, TitleAndDescription) {
    struct Case {
        const char* record;
        std::size_t start;
        const char* want;
    };
    const Case cases[] = {
        {"X</a>..Hello world..<br>", 0, "X||...Hello world...||"},
        {"Red\nApple</a><br>", 0, "RedApple||||"},      // LF-only lines join
        {"Red\r\nApple</a><br>", 0, "Red\rApple||||"},  // the CR stays
        {"</a>desc<br>", 0, "||...desc...||"},          // no title: the address stands in
        {"Title only", 0, "||||"},                      // no t1: neither part
        {"T</A>one<BR>two<BR>", 0, "T||...one...||"},   // markers without regard to case
        {"T</a>a<br>b<i>c</i>", 0, "T||...a...||"},
        {"skip T</a>x<br>", 5, "T||...x...||"},
        {"T</a>x<br>", 99, "||||"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ks::ExtractTitleAndDescription(c.record, c.start, "</a>", "<br>"), c.want)
            << c.record;
}

TEST(SearchExtract, RecordsOfEqualMarkersAreEverySecondGap) {
    const EngineDef e = Engine();
    // a, b, c, d, e between <br> tags: the records are b and d.
    const std::string page =
        "http://h.org/a/<br>http://h.org/b/<br>http://h.org/c/<br>http://h.org/d/<br>http://h.org/"
        "e/";
    EXPECT_EQ(Extract(page, e), "http://h.org/b/||||||\nhttp://h.org/d/||||||\n");
}

TEST(SearchExtract, ScanModeCases) {
    struct Case {
        const char* page;
        const char* want;
    };
    const Case cases[] = {
        // s1 without a closing s2: nothing, although the page holds a hit.
        {"<br>http://h.org/x/ never closed", ""},
        {"<br><a HREF=http://h.org/a?x=1&y=2>T</a><br>", "http://h.org/a?x=1||T||||\n"},
        {"<br>http://h.org/a&b/<br>", "http://h.org/a&b/||||||\n"},
        // Escaped in the page, decoded before the scan.
        {"<br>http%3A//h.org/p.htm<br>", "http://h.org/p.htm||||||\n"},
        // The first candidate does not fit the types: the next one is taken.
        {"<br>\"http://h.org/i.gif\" \"http://h.org/p.html\"<br>", "http://h.org/p.html||\"||||\n"},
        // A repeat within one engine's page is listed once.
        {"<br>http://h.org/p/<br> <br>http://h.org/p/<br>", "http://h.org/p/||||||\n"},
        {"<br>ftp://h.org/pub/<br>", "ftp://h.org/pub/||||||\n"},
        {"<br>no address here<br>", ""},
    };
    const EngineDef e = Engine();
    for (const Case& c : cases) EXPECT_EQ(Extract(c.page, e), c.want) << c.page;
}

TEST(SearchExtract, NumberedLinkCases) {
    struct Case {
        int lnum;
        const char* base;
        const char* record;
        const char* want;
    };
    const Case cases[] = {
        {1, "http://b.org", "<li><a href = x.zip>X file</a> about x<br></li>",
         "http://b.org/x.zip||X file||...about x...||\n"},
        // "hrefs" is no link: the next "href" counts instead.
        {1, "http://b.org/", "<li>see hrefs <a href=\"/dl/x.zip\">X</a><br></li>",
         "http://b.org//dl/x.zip||X||||\n"},
        {1, "http://b.org///", "<li><a href='dl/x.zip'>X</a><br></li>",
         "http://b.org/dl/x.zip||X||||\n"},
        {2, "", "<li><a href=\"http://one.org/\">1</a><a HREF=\"http://two.org/\">2</a><br></li>",
         "http://two.org/||2||||\n"},
        {3, "", "<li><a href=\"http://one.org/\">1</a></li>", ""},
        {1, "http://b.org", "<li><a href=\"https://s.org/p\">S</a><br></li>",
         "https://s.org/p||S||||\n"},
        {1, "", "<li><a href=\"http://c.org/go?http://real.org/\">R</a><br></li>",
         "http://real.org/||R||||\n"},
    };
    for (const Case& c : cases) {
        EngineDef e = Engine(c.lnum, c.base);
        e.s1 = "<LI>";
        e.s2 = "</li>";
        e.t1 = "</a>";
        EXPECT_EQ(Extract(c.record, e), c.want) << c.record;
    }
}

TEST(SearchExtract, DigReplacesTheLinkWithTheFirstAcceptedOne) {
    EngineDef e = Engine(1, "http://b.org");
    e.digs = true;
    ExtractContext ctx;
    ctx.engine = &e;
    ctx.types = "zip,";
    std::string fetched;
    ctx.fetch = [&](const std::string& u) {
        fetched = u;
        return std::string("<a href='x.htm'>a</a> <a href=\"http://m.org/f.zip\">");
    };
    EXPECT_EQ(ExtractHits("<br><a href=page.htm>T<br>", ctx), "http://m.org/f.zip||T||||\n");
    EXPECT_EQ(fetched, "http://b.org/page.htm");
    ctx.fetch = [](const std::string&) { return std::string("nothing"); };
    EXPECT_EQ(ExtractHits("<br><a href=page.htm>T<br>", ctx), "http://b.org/page.htm||T||||\n");
}

TEST(SearchExtract, HostilePagesStayBounded) {
    const EngineDef e = Engine();
    // A marker that never closes, in a page far beyond the cap.
    std::string open(5u << 20, 'x');
    open.insert(0, "<br>");
    EXPECT_EQ(Extract(open, e), "");
    // Endless records: no more hits than the cap.
    std::string many;
    for (int i = 0; i < 5000; ++i) many += "<br>http://h.org/" + std::to_string(i) + "/<br>";
    std::string lines = Extract(many, e);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), static_cast<long>(ks::kMaxHits));
    // One record of endless unacceptable candidates.
    std::string junk = "<br>";
    for (int i = 0; i < 20000; ++i) junk += "http://h.org/x.gif ";
    junk += "http://h.org/late/<br>";
    EXPECT_EQ(Extract(junk, e), "");
    // Not even with a base in front of it.
    EngineDef based = Engine(1, "http://" + std::string(250, 'b'));
    EXPECT_EQ(Extract("<br><a href=" + std::string(ks::kMaxHitUrl - 10, 'x') + ">T<br>", based),
              "");
    // An address too long to be one is not a hit.
    EXPECT_EQ(Extract("<br>http://h.org/" + std::string(5000, 'a') + "/<br>", e), "");
}

TEST(SearchExtract, StopEndsTheScanWithWhatWasFound) {
    const EngineDef e = Engine();
    std::atomic<bool> stop{true};
    ExtractContext ctx;
    ctx.engine = &e;
    ctx.types = "htm,";
    ctx.stop = &stop;
    EXPECT_EQ(ExtractHits("<br>http://h.org/<br>", ctx), "");
}

}  // namespace
