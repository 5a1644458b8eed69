#include "platform/files.h"

#include <gtest/gtest.h>

#include "platform/host.h"
#include "support/temp_dir.h"

using namespace ks::plat;

TEST(Files, WriteAtomicReplacesWholeFile) {
    ks::test::TempDir dir;
    std::string p = JoinPath(dir.path(), "a.txt");
    ASSERT_TRUE(WriteFileAtomic(p, "first"));
    ASSERT_TRUE(WriteFileAtomic(p, "second, longer"));
    std::string got;
    ASSERT_TRUE(ReadWholeFile(p, got));
    EXPECT_EQ(got, "second, longer");
    EXPECT_EQ(ListFiles(dir.path(), "").size(), 1u) << "no temporary left behind";
}

TEST(Files, OffsetsBeyond4GiBAreKept) {
    ks::test::TempDir dir;
    std::string p = JoinPath(dir.path(), "sparse.bin");
    File f;
    ASSERT_TRUE(f.Open(p, File::Mode::Truncate));
    const std::int64_t big = (std::int64_t(1) << 32) + 17;
    ASSERT_TRUE(f.Seek(big));
    ASSERT_TRUE(f.Write("x", 1));
    EXPECT_EQ(f.Size(), big + 1);
    f.Close();
    EXPECT_EQ(FileSize(p).value_or(-1), big + 1);
}

// Both front ends make --dir, --home and XDG_DATA_HOME absolute with this one
// check; a drive-relative or bare name must never count as rooted.
TEST(Files, AbsolutePathsPerHost) {
    struct Case {
        const char* path;
        bool posix;
        bool windows;
    } cases[] = {
        {"/srv/files", true, true},       {"files", false, false},   {"", false, false},
        {"./files", false, false},        {"C:\\Temp", false, true}, {"C:", false, true},
        {"\\\\host\\share", false, true}, {"c/d", false, false},
    };
    for (const Case& c : cases) {
        const bool want = kWindowsHost ? c.windows : c.posix;
        EXPECT_EQ(IsAbsolutePath(c.path), want) << c.path;
    }
}
