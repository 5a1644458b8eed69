// Stored files and names that come from outside, bent the way a damaged disk,
// a hand edit or a hostile server bends them: each must read as something
// safe and stay that way through a save and a reload.
#include <gtest/gtest.h>

#include <limits>

#include "app/ini_store.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "search/extract.h"
#include "support/temp_dir.h"
#include "transfer/ftp_listing.h"
#include "transfer/http_headers.h"
#include "transfer/url.h"

using namespace ks;
namespace plat = ks::plat;

namespace {

constexpr std::int64_t kI64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int32_t kI32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kI32Min = std::numeric_limits<std::int32_t>::min();

// A project file whose every numeric line holds `number`.
std::string ProjectFileWith(const std::string& number) {
    std::string text;
    for (int line = 0; line < 22; ++line) text += number + "\n";
    return text;
}

}  // namespace

TEST(DamagedInput, ProjectFileNumbersTakeOneSignOnly) {
    struct Case {
        const char* text;
        std::int64_t offset;  // a 64-bit field (total size)
        std::int32_t small;   // a 32-bit field (segments)
    } cases[] = {
        {"--5", 0, 0},
        {"-+5", 0, 0},
        {"+-5", 0, 0},
        {"--9223372036854775808", 0, 0},
        {"- 5", 0, 0},
        {"-", 0, 0},
        {" \t-12", -12, -12},
        {"+7", 7, 7},
        {"12abc", 12, 12},
        {"4294979641", 4294979641, kI32Max},
        {"-9223372036854775808", -plat::kMaxPlausibleOffset, kI32Min},
        {"99999999999999999999999", plat::kMaxPlausibleOffset, kI32Max},
        {"1152921504606846977", plat::kMaxPlausibleOffset, kI32Max},
    };
    for (const Case& c : cases) {
        ProjectSettings s = ParseProjectFile(ProjectFileWith(c.text));
        EXPECT_EQ(s.totalSize.load(), c.offset) << c.text;
        EXPECT_EQ(s.savedProgress.load(), c.offset) << c.text;
        EXPECT_EQ(s.segments.load(), c.small) << c.text;
    }
}

TEST(DamagedInput, SegmentListStartsBeyondAnyFileAreRefused) {
    struct Case {
        const char* name;
        bool kept;
    } cases[] = {
        {"500000_f.zip", true},
        {"1152921504606846976_f.zip", true},  // the largest plausible start
        {"1152921504606846977_f.zip", false},
        {"9223372036854775807_f.zip", false},
        {"99999999999999999999_f.zip", false},  // saturates when read
        {"--9223372036854775808_f.zip", true},  // no number: start 0
        {"-5_f.zip", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ks::test::TempDir dir;
        ProjectSettings s;
        s.url = "http://h/f.zip";
        s.fileName = "f.zip";
        s.folder = dir.path();
        s.segments = 4;
        s.totalSize = plat::kMaxPlausibleOffset;
        auto p = CreateProject(s, true, dir.path());
        ASSERT_TRUE(plat::WriteFileAtomic(dir.File(c.name), std::string(10, 'x')));
        ASSERT_TRUE(plat::WriteFileAtomic(p->GetText(&ProjectSettings::segmentFile),
                                          std::string(c.name) + "\n"));
        auto loaded = LoadProjects(dir.path());
        ASSERT_EQ(loaded.size(), 1u);
        CProject& r = *loaded[0];
        std::lock_guard<std::mutex> g(r.segmentList.Mutex());
        EXPECT_EQ(r.segmentList.Size(), c.kept ? 1u : 0u);
        // Whatever was kept, the arithmetic on it stays in range (UBSan
        // watches these).
        bool noMore = false;
        for (std::int64_t total :
             {std::int64_t(0), plat::kMaxPlausibleOffset, -plat::kMaxPlausibleOffset}) {
            r.segmentList.FindResumable("f.zip", total);
            r.segmentList.ChooseSplitPoint(-plat::kMaxPlausibleOffset, total, noMore);
            r.segmentList.ChooseSplitPoint(plat::kMaxPlausibleOffset, total, noMore);
        }
    }
}

TEST(DamagedInput, ServerLengthsBeyondAnyFileAreUnreadable) {
    // A resume adds the announced length to what is on disk: an absurd length
    // must read as none rather than overflow that sum.
    struct Case {
        const char* header;
        std::int64_t length, rangeStart, rangeTotal;
    } cases[] = {
        {"Content-Length: 1152921504606846976\r\n", plat::kMaxPlausibleOffset, -1, -1},
        {"Content-Length: 1152921504606846977\r\n", 0, -1, -1},
        {"Content-Length: 9223372036854775799\r\n", 0, -1, -1},
        {"Content-Range: bytes 0-1152921504606846975/1152921504606846976\r\n",
         plat::kMaxPlausibleOffset, 0, plat::kMaxPlausibleOffset},
        {"Content-Range: bytes 0-9223372036854775798/9223372036854775799\r\n", 0, -1, -1},
        {"Content-Range: bytes 9223372036854775798-9223372036854775798/*\r\n", 0, -1, -1},
        {"Content-Range: bytes */9223372036854775799\r\n", 0, -1, -1},
    };
    for (const Case& c : cases) {
        HttpHeaders h;
        h.headerBlock = std::string("HTTP/1.1 206 Partial\r\n") + c.header + "\r\n";
        ParseHeaders(h);
        EXPECT_EQ(h.contentLength, c.length) << c.header;
        EXPECT_EQ(h.rangeStart, c.rangeStart) << c.header;
        EXPECT_EQ(h.rangeTotal, c.rangeTotal) << c.header;
    }
}

TEST(DamagedInput, SegmentListNamesThatASaveWouldChangeAreRefused) {
    // The list is written back with line breaks removed; a name holding one
    // would then name another file, and its segment's bytes would be lost.
    const char* const names[] = {"7_f\r.zip", "8_f.zip\r9_f.zip"};
    for (const char* name : names) {
        ks::test::TempDir dir;
        // Windows refuses such names outright: nothing to read there.
        if (!plat::WriteFileAtomic(dir.File(name), "xyz")) continue;
        ProjectSettings s;
        s.url = "http://h/f.zip";
        s.fileName = "f.zip";
        s.folder = dir.path();
        s.segments = 4;
        auto p = CreateProject(s, true, dir.path());
        const std::string cac = p->GetText(&ProjectSettings::segmentFile);
        ASSERT_TRUE(plat::WriteFileAtomic(cac, std::string(name) + "\n"));
        auto loaded = LoadProjects(dir.path());
        ASSERT_EQ(loaded.size(), 1u);
        std::lock_guard<std::mutex> g(loaded[0]->segmentList.Mutex());
        EXPECT_TRUE(loaded[0]->segmentList.Empty()) << name;
    }
}

TEST(DamagedInput, ListingSizesBeyondAnyFileAreNoSize) {
    struct Case {
        const char* listing;
        std::int64_t size;
    } cases[] = {
        {"-rw-r--r-- 1 ftp ftp 1152921504606846976 Jan 01 12:00 big.iso",
         plat::kMaxPlausibleOffset},
        {"-rw-r--r-- 1 ftp ftp 1152921504606846977 Jan 01 12:00 big.iso", 0},
        {"-rw-r--r-- 1 ftp ftp 9223372036854775807 Jan 01 12:00 big.iso", 0},
        {"12-31-2001  01:00AM  9223372036854775807 big.iso", 0},
        {"odd 1 9223372036854775807 2 big.iso", 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListingRemoteSize(c.listing, "/pub/big.iso"), c.size) << c.listing;
    }
}

TEST(DamagedInput, LocalNamesAreCutBeforeTheDeviceCheckAndNeverEmpty) {
    const std::string blanks253(253, ' ');
    struct Case {
        std::string in;
        std::string want;
    } cases[] = {
        {"CON" + blanks253 + "x", "_CON"},
        {"prn" + std::string(252, ' ') + "ab", "_prn"},
        {std::string(255, '.') + std::string(45, 'a'), "_"},
        {std::string(300, ' ') + "b", "_"},
        {"aux.txt" + std::string(300, 'x'), "_aux.txt" + std::string(247, 'x')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SafeFileName(c.in), c.want) << c.in.size() << " bytes";
    }
    // The same names arriving by URL: never an empty name, never a device.
    const std::string dots = std::string(255, '.') + std::string(45, 'a');
    EXPECT_EQ(FtpLocalFileName("ftp://host/dir/" + dots), "_");
    EXPECT_EQ(HttpLocalFileName("http://host/dir/" + dots), "_");
    std::string con = "ftp://host/CON";
    for (int i = 0; i < 253; ++i) con += "%20";
    EXPECT_EQ(FtpLocalFileName(con + "x"), "_CON");
}

TEST(DamagedInput, IniKeysThatWouldReadBackAsSomethingElseAreRefused) {
    struct Case {
        const char* key;
        bool stored;
    } cases[] = {
        {"a=b", false}, {"=x", false},  {" =x", false}, {";k", false},   {" ;k", false},
        {"[k]", false}, {"[k", false},  {"", false},    {" \t ", false}, {"k;", true},
        {"k]", true},   {"a[b]", true}, {"a b", true},  {"#k", true},
    };
    for (const Case& c : cases) {
        IniDocument d;
        ASSERT_TRUE(d.Parse("[S]\r\nkeep=1\r\n"));
        EXPECT_EQ(d.Set("S", c.key, "v]"), c.stored) << c.key;
        IniDocument again;
        ASSERT_TRUE(again.Parse(d.Serialize()));
        EXPECT_EQ(again.SectionNames(), std::vector<std::string>{"S"}) << c.key;
        EXPECT_EQ(again.Get("S", "keep"), "1") << c.key;
        EXPECT_EQ(again.Find("S", c.key).has_value(), c.stored) << c.key;
        if (c.stored) {
            EXPECT_EQ(again.Get("S", c.key), "v]") << c.key;
        }
    }
}

TEST(DamagedInput, IniByteOrderMarkBehindBlanksReadsAsAtTheStart) {
    const char* const files[] = {
        "\xEF\xBB\xBF[S]\r\nk=v\r\n",           "  \xEF\xBB\xBF[S]\r\nk=v\r\n",
        "\r\n\t\n\xEF\xBB\xBF[S]\nk=v",         " \xEF\xBB\xBF  [S]\nk=v",
        "\xEF\xBB\xBF\r\n\xEF\xBB\xBF[S]\nk=v",
    };
    for (const char* text : files) {
        IniDocument first;
        ASSERT_TRUE(first.Parse(text));
        EXPECT_EQ(first.Get("S", "k"), "v") << text;
        IniDocument second;
        ASSERT_TRUE(second.Parse(first.Serialize()));
        EXPECT_EQ(second.Get("S", "k"), "v") << text;
        EXPECT_EQ(second.Serialize(), first.Serialize()) << text;
    }
}

TEST(DamagedInput, ANumberedLinkEndsAtALineBreak) {
    // Hits are lines of the results file: an address holding a line break
    // would split its hit and plant the rest as another.
    EngineDef e;
    e.section = "E";
    e.enabled = true;
    e.s1 = "<li>";
    e.s2 = "</li>";
    e.t1 = "</a>";
    e.t2 = "<br>";
    e.linkNumber = 1;
    struct Case {
        const char* record;
        const char* want;
    } cases[] = {
        {"<li><a href=http://h.org/a.zip\nhttp://evil.org/b.zip>A</a><br></li>",
         "http://h.org/a.zip||A||||\n"},
        {"<li><a href=\"http://h.org/c.zip\r\n\">C</a><br></li>", "http://h.org/c.zip||C||||\n"},
    };
    for (const Case& c : cases) {
        ExtractContext ctx;
        ctx.engine = &e;
        ctx.types = "zip";
        EXPECT_EQ(ExtractHits(c.record, ctx), c.want) << c.record;
    }
}
