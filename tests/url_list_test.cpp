#include "transfer/url_list.h"

#include <gtest/gtest.h>

#include "transfer/list_grab.h"

using namespace ks;

TEST(ExtractLinks, ResolvesEachKindOfLinkAgainstThePage) {
    const std::string base = "http://host/dir/page.html";
    struct Case {
        const char* name;
        std::string page;
        std::string expected;
    } cases[] = {
        {"single quotes, blanks around =", "<a href = 'files/x.zip'>x</a>",
         "http://host/dir/files/x.zip\n"},
        {"upper case, unquoted, rooted", "<A HREF=/pub/y.zip>y</A>", "http://host/pub/y.zip\n"},
        {"rooted then relative", "<a HREF=/pub/y.zip><a href=\"z.zip\">",
         "http://host/pub/y.zip\nhttp://host/dir/z.zip\n"},
        {"value ends at =", "<a href=get.php?id=7>", "http://host/dir/get.php?id\n"},
        {"no href", "<p>nothing</p>", ""},
        {"words that are no attribute", "hrefs are <b>nice</b> and \"href\" too <a href=a.zip>",
         "http://host/dir/a.zip\n"},
        {"href without closing >", "<a href=a.zip", ""},
        {"other schemes kept",
         "<a href=\"ftp://f.example/p/x.zip\"><a href='https://s.example/y.zip'>"
         "<a href=mailto:me@x.zip>",
         "ftp://f.example/p/x.zip\nhttps://s.example/y.zip\nmailto:me@x.zip\n"},
        {"absolute http in any case", "<a href=HTTP://Other/a.zip>", "HTTP://Other/a.zip\n"},
        {"protocol-relative", "<a href=//mirror.example/m.zip>", "http://mirror.example/m.zip\n"},
        {"in any tag", "<img src=x.png href=i.zip><link href=\"s.css\">",
         "http://host/dir/i.zip\nhttp://host/dir/s.css\n"},
        {"empty value skipped", "<a href=\"\">x</a><a href=b.zip>", "http://host/dir/b.zip\n"},
        {"tab before =", "<a href\t=\tc.zip>", "http://host/dir/c.zip\n"},
        // One link per line: a break inside the value ends it, so the text
        // after it cannot pose as a link of its own.
        {"line break ends the value", "<a href=a.zip\n//evil/b.zip>", "http://host/dir/a.zip\n"},
        {"line break before =", "<a href\r\n=d.zip>", "http://host/dir/d.zip\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExtractLinks(c.page, base, "href"), c.expected);
    }
}

TEST(ExtractLinks, StaysBoundedWhateverThePage) {
    // An overlong link is no URL; the others around it are kept.
    const std::string longLink = "<a href=" + std::string(kMaxListPiece, 'x') + ">";
    EXPECT_EQ(ExtractLinks("<a href=a.zip>" + longLink + "<a href=b.zip>", "http://h/", "href"),
              "http://h/a.zip\nhttp://h/b.zip\n");

    // Short links on a long address would grow the text far beyond the page.
    const std::string base = "http://h/" + std::string(2000, 'd') + "/";
    std::string page;
    while (page.size() < 4 * 1024 * 1024) page += "href=a>";
    const std::string links = ExtractLinks(page, base, "href");
    EXPECT_LE(links.size(), kMaxListFileBytes);
    EXPECT_GT(links.size(), kMaxListFileBytes - base.size() - 8);
    EXPECT_EQ(links.back(), '\n');
}

TEST(ExtractLinks, JoinsAgainstTheBaseFolderKeepingThePort) {
    struct Case {
        const char* base;
        const char* link;
        const char* expected;
    } cases[] = {
        {"http://host", "x.zip", "http://host/x.zip"},
        {"http://host/", "x.zip", "http://host/x.zip"},
        {"http://host/dir/", "x.zip", "http://host/dir/x.zip"},
        {"http://host/dir", "x.zip", "http://host/x.zip"},
        {"http://127.0.0.1:8080/a/b.html", "/x.zip", "http://127.0.0.1:8080/x.zip"},
        {"http://127.0.0.1:8080/a/b.html", "c/x.zip", "http://127.0.0.1:8080/a/c/x.zip"},
        {"http://host/list.php?dir=/a/b", "x.zip", "http://host/x.zip"},
        {"http://host:81?x", "/x.zip", "http://host:81/x.zip"},
        {"http://user:pw@host/d/p", "x.zip", "http://user:pw@host/d/x.zip"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.base) + " + " + c.link);
        EXPECT_EQ(JoinLink(c.base, c.link), c.expected);
    }
}

TEST(UrlListCollector, KeepsWantedUrlsOnceWhereverTheBlocksAreCut) {
    const std::string text =
        "http://h/a.zip\r\n"
        "http://h/notes.txt\n"
        "\"ftp://f/b.ZIP\"\n"
        "b.zip\n"
        "  http://h/c.zip?x=1  \r\n"
        "http://h/a.zip\n"
        "\n\n"
        "http://h/tail.zip";
    const std::vector<std::string> expected = {"http://h/a.zip", "ftp://f/b.ZIP",
                                               "http://h/c.zip?x=1", "http://h/tail.zip"};
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        SCOPED_TRACE(cut);
        UrlListCollector c({"zip"});
        c.Feed(std::string_view(text).substr(0, cut));
        c.Feed(std::string_view(text).substr(cut));
        c.Finish();
        EXPECT_EQ(c.Urls(), expected);
        EXPECT_FALSE(c.Full());
    }
}

TEST(UrlListCollector, BoundsEntriesAndPieces) {
    UrlListCollector few({"zip"}, 2);
    few.Feed("http://h/1.zip\nhttp://h/2.zip\n");
    EXPECT_FALSE(few.Full());  // full only once a wanted URL finds no room
    few.Feed("http://h/1.zip\nhttp://h/3.zip\nhttp://h/4.zip\n");
    few.Finish();
    EXPECT_TRUE(few.Full());
    EXPECT_EQ(few.Urls(), (std::vector<std::string>{"http://h/1.zip", "http://h/2.zip"}));

    // A piece longer than any URL is dropped whole, even fed byte by byte, and
    // the next line is read as usual.
    const std::string huge =
        "http://h/" + std::string(kMaxListPiece, 'a') + ".zip\nhttp://h/ok.zip";
    UrlListCollector c({"zip"});
    for (char ch : huge) c.Feed(std::string_view(&ch, 1));
    c.Finish();
    EXPECT_EQ(c.Urls(), std::vector<std::string>{"http://h/ok.zip"});
}

TEST(DistinctLocalNames, TheSecondOfTwoLikeNamesGetsANumber) {
    struct Case {
        const char* name;
        std::vector<std::string> urls;
        std::vector<std::string> names;
    } cases[] = {
        {"distinct", {"http://a/x.zip", "ftp://b/y.zip"}, {"x.zip", "y.zip"}},
        {"same name, two hosts",
         {"http://a/x.zip", "ftp://b/x.zip", "http://c/d/x.zip"},
         {"x.zip", "x(2).zip", "x(3).zip"}},
        {"case differs", {"http://a/X.zip", "http://b/x.ZIP"}, {"X.zip", "x(2).ZIP"}},
        {"a later entry's own name is not taken",
         {"http://a/x.zip", "http://b/x.zip", "http://c/x(2).zip"},
         {"x.zip", "x(3).zip", "x(2).zip"}},
        {"no extension", {"http://a/get", "http://b/get"}, {"get", "get(2)"}},
        {"fragment ignored", {"http://a/x.zip#one", "http://a/x.zip#two"}, {"x.zip", "x(2).zip"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DistinctLocalNames(c.urls), c.names);
    }
}
