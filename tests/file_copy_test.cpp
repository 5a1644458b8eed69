// Copying byte ranges between open files, in the kernel and through a buffer,
// and reserving space that leaves a file's length alone.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

using namespace ks;

namespace {

std::string Pattern(std::int64_t from, std::int64_t len) {
    std::string s(static_cast<std::size_t>(len), '\0');
    for (std::int64_t i = 0; i < len; ++i) s[std::size_t(i)] = char((from + i) * 13 % 253);
    return s;
}

std::string ReadAll(const std::string& path) {
    std::string s;
    EXPECT_TRUE(plat::ReadWholeFile(path, s));
    return s;
}

using CopyFn = std::int64_t (*)(plat::File&, std::int64_t, plat::File&, std::int64_t, std::int64_t);

struct Copy : ::testing::TestWithParam<CopyFn> {
    ks::test::TempDir dir;
};

TEST_P(Copy, RangesLandWhereAskedAndNowhereElse) {
    constexpr std::int64_t kSrc = (9 << 20) + 3;  // past any one buffer or call
    ASSERT_TRUE(plat::WriteFileAtomic(dir.File("src"), Pattern(0, kSrc)));
    struct Case {
        const char* name;
        std::int64_t dstSize, srcOffset, dstOffset, len, want;
    } cases[] = {
        {"whole file to an empty one", 0, 0, 0, kSrc, kSrc},
        {"appended at the end", 1000, 5, 1000, 4096, 4096},
        {"over the middle, the rest kept", 20000, 7, 100, 333, 333},
        {"large range from an odd offset", 17, 4097, 17, kSrc - 4097, kSrc - 4097},
        {"range past the source's end stops there", 10, kSrc - 50, 10, 1000, 50},
        {"from the source's end", 10, kSrc, 10, 100, 0},
        {"nothing", 10, 0, 10, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = Pattern(1 << 30, c.dstSize);
        ASSERT_TRUE(plat::WriteFileAtomic(dir.File("dst"), before));
        plat::File src, dst;
        ASSERT_TRUE(src.Open(dir.File("src"), plat::File::Mode::Read));
        ASSERT_TRUE(dst.Open(dir.File("dst"), plat::File::Mode::ReadWrite));
        EXPECT_EQ(GetParam()(src, c.srcOffset, dst, c.dstOffset, c.len), c.want);
        dst.Close();
        std::string want = before;
        const std::string part = Pattern(c.srcOffset, c.want);
        if (want.size() < std::size_t(c.dstOffset) + part.size())
            want.resize(std::size_t(c.dstOffset) + part.size());
        want.replace(std::size_t(c.dstOffset), part.size(), part);
        EXPECT_TRUE(ReadAll(dir.File("dst")) == want);
    }
}

TEST_P(Copy, RefusesNegativeOffsetsAndLengths) {
    ASSERT_TRUE(plat::WriteFileAtomic(dir.File("src"), "abc"));
    plat::File src, dst;
    ASSERT_TRUE(src.Open(dir.File("src"), plat::File::Mode::Read));
    ASSERT_TRUE(dst.Open(dir.File("dst"), plat::File::Mode::Truncate));
    EXPECT_EQ(GetParam()(src, -1, dst, 0, 3), -1);
    EXPECT_EQ(GetParam()(src, 0, dst, -1, 3), -1);
    EXPECT_EQ(GetParam()(src, 0, dst, 0, -1), -1);
    EXPECT_EQ(dst.Size(), 0);
}

INSTANTIATE_TEST_SUITE_P(KernelAndBuffered, Copy,
                         ::testing::Values(&plat::CopyFileRange, &plat::CopyFileRangeBuffered));

TEST(ReserveSpace, KeepsLengthAndContent) {
    ks::test::TempDir dir;
    ASSERT_TRUE(plat::WriteFileAtomic(dir.File("f"), "head"));
    plat::File f;
    ASSERT_TRUE(f.Open(dir.File("f"), plat::File::Mode::ReadWrite));
    // Where the system cannot reserve, nothing else may change either.
    (void)plat::ReserveSpace(f, 8 << 20);
    EXPECT_EQ(f.Size(), 4) << "the length says how much of the file is real";
    ASSERT_TRUE(f.SeekEnd() && f.Write("tail"));
    f.Close();
    EXPECT_EQ(ReadAll(dir.File("f")), "headtail");
    EXPECT_GT(plat::FreeDiskSpace(dir.path()).value_or(-1), 0);
}

}  // namespace
