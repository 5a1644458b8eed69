// Captured text: which URLs become downloads by each way in, the browser's
// DDE items, the pending list across a restart, the drop window's shape and
// position, and the browser helper's own URL test.
#include <gtest/gtest.h>

#include "browserhelper/helper_url.h"
#include "capture/browser_switches.h"
#include "capture/capture_rules.h"
#include "capture/dde_items.h"
#include "capture/drop_shape.h"
#include "capture/pending_urls.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "support/temp_dir.h"

namespace ks {
namespace {

const std::vector<std::string> kTypes = {"zip", "htm", "gz", "tar"};

TEST(Capture, CapturableUrl) {
    struct Case {
        std::string text;
        const char* want;  // nullptr: refused
    } cases[] = {
        {"http://127.0.0.1/x.zip", "http://127.0.0.1/x.zip"},
        {"  \thttp://host/dir/x.ZIP \r\n", "http://host/dir/x.ZIP"},
        {"ftp://user:pw@host/pub/x.zip", "ftp://user:pw@host/pub/x.zip"},
        {"http://host/page.html", "http://host/page.html"},  // ".html" contains ".htm"
        {"http://host/get?name=a.zip", "http://host/get?name=a.zip"},
        {"http://host/a.tar.gz", "http://host/a.tar.gz"},
        {"http://host/x.zi", nullptr},
        {"https://host/x.zip", "https://host/x.zip"},
        {"gopher://host/x.zip", nullptr},
        {"mailto:someone@host.zip", nullptr},
        {"HTTPS://host/x.zip", "HTTPS://host/x.zip"},
        {"just some words.zip", nullptr},
        {"", nullptr},
        {"   ", nullptr},
        {"http:///x.zip", nullptr},
        {"http://host/x\x01.zip", nullptr},
        {"http://host/a.zip\nhttp://host/b.zip", nullptr},
        {"http://host/" + std::string(kMaxCapturedUrl, 'a') + ".zip", nullptr},
    };
    for (const Case& c : cases) {
        std::optional<std::string> got = CapturableUrl(c.text, kTypes);
        if (c.want)
            EXPECT_EQ(got, std::optional<std::string>(c.want)) << c.text;
        else
            EXPECT_FALSE(got) << c.text;
    }
    EXPECT_FALSE(CapturableUrl("http://host/x.zip", {})) << "an empty list captures nothing";
    EXPECT_FALSE(CapturableUrl("http://host/x.zip", {""})) << "an empty entry matches nothing";
}

TEST(Capture, ExtensionAndMatchingEntry) {
    struct Case {
        const char* path;
        const char* ext;
        std::optional<std::size_t> entry;
    } cases[] = {
        {"/a/b.ZIP", ".zip", 0},        {"/noext", "/noext", std::nullopt},
        {"/x.tar.gz", ".gz", 2},        {"/dl?f=a.zip", ".zip", 0},
        {"/a.zip/b", ".zip/b", 0},      {"/index.html", ".html", 1},
        {"/x.zi", ".zi", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CaptureExtension(c.path), c.ext) << c.path;
        EXPECT_EQ(MatchingFileType(CaptureExtension(c.path), kTypes), c.entry) << c.path;
    }
}

TEST(Capture, RepeatRuleTakesFirstAndThirdCopy) {
    // Each step: the copied text and whether it is queued.
    struct Step {
        const char* text;
        bool queued;
    };
    const std::vector<std::vector<Step>> runs = {
        {{"http://127.0.0.1/x.zip", true},
         {"http://127.0.0.1/x.zip", false},
         {"http://127.0.0.1/x.zip", true},
         {"http://127.0.0.1/x.zip", false}},
        {{"http://h/x.zip", true},
         {"some other text", false},
         {"http://h/x.zip", false},  // other text does not reset the rule
         {"http://h/x.zip", true}},
        {{"http://h/a.zip", true}, {"http://h/b.zip", true}, {"http://h/a.zip", true}},
        // Matches two entries ("tar" and "gz"): the second copy stays a repeat.
        {{"http://h/a.tar.gz", true}, {"http://h/a.tar.gz", false}, {"http://h/a.tar.gz", true}},
        {{" http://h/a.zip", true}, {"http://h/a.zip\t", false}},
    };
    for (std::size_t r = 0; r < runs.size(); ++r) {
        ClipboardRepeatRule rule;
        for (std::size_t i = 0; i < runs[r].size(); ++i)
            EXPECT_EQ(rule.Offer(runs[r][i].text, kTypes).has_value(), runs[r][i].queued)
                << "run " << r << " step " << i;
    }
}

TEST(Capture, OpenUrlItems) {
    struct Case {
        const char* item;
        const char* url;
        const char* saveAs;
        std::int32_t windowId;
    } cases[] = {
        {"\"http://h/a.zip\",,0xFFFFFFFF,0x0", "http://h/a.zip", "", 0},
        {"\"http://h/a.zip\",\"C:\\a.zip\",7,0", "http://h/a.zip", "C:\\a.zip", 7},
        {"\"http://h/a.zip\",\"\",-3,0", "http://h/a.zip", "", -3},
        {" \"http://h/a.zip\",\"n\",12,0", "http://h/a.zip", "n", 12},  // blank before the quote
        {"\"ftp://h/a b,c.zip\",\"x y\",42,1,2", "ftp://h/a b,c.zip", "x y", 42},
        {"\"http://h/a.zip\",\"n\",99999999999,0", "http://h/a.zip", "n", 0},
        {"\"http://h/a.zip", "", "", 0},  // unterminated
        {"", "", "", 0},
        {"no quotes at all", "", "", 0},
    };
    for (const Case& c : cases) {
        OpenUrlRequest r = ParseOpenUrlItem(c.item);
        EXPECT_EQ(r.url, c.url) << c.item;
        EXPECT_EQ(r.saveAs, c.saveAs) << c.item;
        EXPECT_EQ(r.windowId, c.windowId) << c.item;
    }
    OpenUrlRequest r{"u", "", 7};
    EXPECT_EQ(OpenUrlAnswer(r, true), 7);
    EXPECT_EQ(OpenUrlAnswer(r, false), -1);
}

TEST(Capture, ProtocolItemsAndBrowserService) {
    EXPECT_EQ(ProtocolItem("KESTRUNEDDE", "http"), "\"KESTRUNEDDE\",\"http\"");
    EXPECT_EQ(ProtocolItem("KESTRUNEDDE", "ftp"), "\"KESTRUNEDDE\",\"ftp\"");
    struct Case {
        const char* name;
        bool browser;
    } cases[] = {{"NETSCAPE", true},       {"NETSCAPE(0x   194)", true}, {"netscape", true},
                 {"NETSCAPE2", false},     {"KESTRUNEDDE", false},       {"", false},
                 {"NETSCAPEX(0x1)", false}};
    for (const Case& c : cases) EXPECT_EQ(IsNetscapeService(c.name), c.browser) << c.name;
}

TEST(Capture, PendingUrlsSurviveARestart) {
    test::TempDir dir;
    const std::string file = dir.File(kPendingFileName);
    std::vector<std::string> urls = {"http://h/a.zip", "ftp://h/b.zip", "http://h/c.zip"};
    ASSERT_TRUE(SavePendingUrls(dir.path(), urls));
    EXPECT_EQ(dir.Read(kPendingFileName), "http://h/a.zip\nftp://h/b.zip\nhttp://h/c.zip\n");
    EXPECT_EQ(TakeSavedPendingUrls(dir.path()), urls);
    EXPECT_FALSE(plat::FileExists(file)) << "offered once only";
    EXPECT_TRUE(TakeSavedPendingUrls(dir.path()).empty());

    // A damaged or foreign file: only acceptable URLs come back, CRLF too.
    ASSERT_TRUE(plat::WriteFileAtomic(
        file, "http://h/a.zip\r\n\r\nnot a url\ngopher://h/x.zip\nhttp://h/\x02.zip\nftp://h/b"));
    EXPECT_EQ(TakeSavedPendingUrls(dir.path()),
              (std::vector<std::string>{"http://h/a.zip", "ftp://h/b"}));

    ASSERT_TRUE(SavePendingUrls(dir.path(), {"http://h/a.zip"}));
    ASSERT_TRUE(SavePendingUrls(dir.path(), {}));
    EXPECT_FALSE(plat::FileExists(file)) << "nothing pending leaves no file";
}

std::vector<std::uint32_t> Picture(std::initializer_list<const char*> rows) {
    std::vector<std::uint32_t> px;
    for (const char* r : rows)
        for (const char* c = r; *c; ++c) px.push_back(*c == '#' ? 0xff0000u : *c == '+' ? 7u : 1u);
    return px;
}

TEST(Capture, DropShapeRuns) {
    struct Case {
        std::vector<std::uint32_t> pixels;
        int w, h;
        std::vector<ShapeRect> want;
    } cases[] = {
        {Picture({"....", "....", "...."}), 4, 3, {}},
        {Picture({"....", ".#..", "...."}), 4, 3, {{1, 1, 2, 2}}},
        {Picture({".##.", "#..#", ".###"}),
         4,
         3,
         {{1, 0, 3, 1}, {0, 1, 1, 2}, {3, 1, 4, 2}, {1, 2, 4, 3}}},
        {Picture({".#+.", "...."}), 4, 2, {{1, 0, 3, 1}}},  // any non-key colour joins a run
        // The key is pixel (0, 0) whatever its colour.
        {Picture({"##", "#."}), 2, 2, {{1, 1, 2, 2}}},
        {Picture({".."}), 4, 3, {}},  // too few pixels
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ShapeRuns(cases[i].pixels, cases[i].w, cases[i].h), cases[i].want) << i;
}

TEST(Capture, DropPositions) {
    struct Case {
        DropPosition in, startup, moved;
    } cases[] = {
        {{0, 0}, {974, 50}, {0, 0}},
        {{40, 60}, {40, 60}, {40, 60}},
        {{2000, 60}, {974, 60}, {992, 60}},
        {{40, 900}, {40, 50}, {40, 736}},
        {{1010, 740}, {1010, 740}, {992, 736}},
        {{-20, -5}, {0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StartupDropPosition(c.in, 1024, 768), c.startup) << c.in.x << "," << c.in.y;
        EXPECT_EQ(ClampDropPosition(c.in, 1024, 768), c.moved) << c.in.x << "," << c.in.y;
    }
}

TEST(Capture, HelperUrlTest) {
    const char* types = ".avi.arj.zip.gz";
    struct Case {
        std::string url;
        bool taken;
    } cases[] = {
        {"http://127.0.0.1/x.zip", true},
        {"http://h.com/dir/X.ZIP", true},
        {"ftp://h.com/pub/a.tar.gz", true},
        {"http://h.com/x.zi", true},  // a substring of ".zip"
        {"http://h.com/x.zip2", false},
        {"http://h.com/get?f=x.zip", false},
        {"http://h.com/x.zip?x=1", false},
        {"https://h.com/x.zip", false},
        {"HTTP://h.com/x.zip", false},
        {"http://h.com/page.html", false},
        {"http://h.com/", false},
        {"http://h.com/dir.", false},
        {"http://localhost/x.zip", false},  // the first dot is the file's: no path after it
        {"http://h.com/a\x01.zip", false},
        {"http://h.com/" + std::string(3000, 'a') + ".zip", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(helper::HelperTakesUrl(c.url, types), c.taken) << c.url;
    EXPECT_FALSE(helper::HelperTakesUrl("http://h.com/x.zip", ""));
}

#ifndef _WIN32  // the file-backed store; on Windows it would touch the real registry
TEST(Capture, BrowserHelperSwitch) {
    test::TempDir dir;
    plat::SetRegistryStore(dir.File("registry.txt"));
    using plat::RegRoot;
    SetBrowserHelperListed(true);
    EXPECT_FALSE(BrowserHelperListed()) << "no browser, nothing to switch";
    EXPECT_FALSE(ClaimAutomationProtocols());

    ASSERT_TRUE(plat::RegCreateKey(RegRoot::LocalMachine, kHelperObjectsKey));
    SetBrowserHelperListed(true);
    EXPECT_TRUE(BrowserHelperListed());
    SetBrowserHelperListed(true);
    EXPECT_TRUE(BrowserHelperListed());
    SetBrowserHelperListed(false);
    EXPECT_FALSE(BrowserHelperListed());
    EXPECT_TRUE(plat::RegKeyExists(RegRoot::LocalMachine, kHelperObjectsKey));

    ASSERT_TRUE(plat::RegCreateKey(RegRoot::CurrentUser, kAutomationProtocolsKey));
    plat::RegWriteString(RegRoot::CurrentUser, kAutomationProtocolsKey, "http", "other");
    EXPECT_TRUE(ClaimAutomationProtocols());
    EXPECT_EQ(plat::RegReadString(RegRoot::CurrentUser, kAutomationProtocolsKey, "http"), "");
    EXPECT_EQ(plat::RegReadString(RegRoot::CurrentUser, kAutomationProtocolsKey, "ftp"), "");
    plat::SetRegistryStore("");
}
#endif

}  // namespace
}  // namespace ks
