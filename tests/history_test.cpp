#include "app/history.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

TEST(History, NewEntriesGoFirstUnlessAlreadyThere) {
    std::string h;
    ks::AddToHistory(h, "http://a/x.zip");
    ks::AddToHistory(h, "http://b/y.zip");
    ks::AddToHistory(h, "x.zip");  // a substring of an entry: not added
    ks::AddToHistory(h, "X.ZIP");  // the search is case-sensitive
    EXPECT_EQ(h, "X.ZIP\r\nhttp://b/y.zip\r\nhttp://a/x.zip\r\n");
    EXPECT_EQ(ks::HistoryEntries(h),
              (std::vector<std::string>{"X.ZIP", "http://b/y.zip", "http://a/x.zip"}));
    ks::AddToHistory(h, "evil\r\nsecond");
    EXPECT_EQ(ks::HistoryEntries(h).front(), "evilsecond");
}

TEST(History, OverTheLimitIsCutOnceAtTheLastLineFeed) {
    // 4999 characters: 49 entries of 100 bytes ("\r\n" included) and one of 99.
    std::string old;
    for (int i = 0; i < 49; ++i) old += std::string(98, char('a' + i % 26)) + "\r\n";
    old += std::string(97, 'z') + "\r\n";
    ASSERT_EQ(old.size(), 4999u);
    std::string h = old;
    ks::AddToHistory(h, "0123456789");
    // Only the final "\r\n" goes, and the newest entry comes first.
    EXPECT_EQ(h, "0123456789\r\n" + old.substr(0, old.size() - 2));
    // The next addition drops the (now unterminated) oldest entry whole.
    ks::AddToHistory(h, "next");
    EXPECT_EQ(ks::HistoryEntries(h).back(), std::string(98, 'w'));
    EXPECT_EQ(ks::HistoryEntries(h).size(), 51u);
}

TEST(History, FilesLoadSaveAndClear) {
    ks::test::TempDir dir;
    ks::Histories h = ks::LoadHistories(dir.path());  // missing files: empty
    EXPECT_TRUE(h.urls.empty() && h.uploads.empty() && h.searches.empty());
    h.urls = "http://a/\r\n";
    h.uploads = "ftp://up/\r\n";
    h.searches = "kestrel\r\n";
    ASSERT_TRUE(ks::SaveHistories(dir.path(), h));
    ks::Histories back = ks::LoadHistories(dir.path());
    EXPECT_EQ(back.urls, h.urls);
    EXPECT_EQ(back.uploads, h.uploads);
    EXPECT_EQ(back.searches, h.searches);
    EXPECT_TRUE(ks::plat::FileExists(dir.File("searchhistory.txt")));
    ks::ClearHistories(dir.path(), back);
    EXPECT_TRUE(back.urls.empty());
    EXPECT_TRUE(ks::plat::ListFiles(dir.path(), ".txt").empty());
}

}  // namespace
