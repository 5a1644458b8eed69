#include "transfer/chunked.h"

#include <gtest/gtest.h>

#include <string>

using ks::ChunkedDecoder;

namespace {

const std::string kEncoded =
    "4\r\nWiki\r\n"
    "6;name=value\r\npedia \r\n"
    "D \r\nin\r\n\r\nchunks.\r\n"
    "0\r\n"
    "Trailer: x\r\n"
    "\r\n"
    "garbage after the end";
const std::string kDecoded = "Wikipedia in\r\n\r\nchunks.";

std::string Feed(ChunkedDecoder& d, std::string piece) {
    return piece.substr(0, d.Decode(piece.data(), piece.size()));
}

}  // namespace

TEST(Chunked, DecodesWhereverTheInputIsSplit) {
    for (std::size_t a = 0; a <= kEncoded.size(); ++a) {
        ChunkedDecoder d;
        std::string out = Feed(d, kEncoded.substr(0, a));
        out += Feed(d, kEncoded.substr(a));
        ASSERT_TRUE(d.Done()) << a;
        EXPECT_EQ(out, kDecoded) << a;
    }
    ChunkedDecoder d;
    std::string out;
    for (char c : kEncoded) out += Feed(d, std::string(1, c));
    EXPECT_TRUE(d.Done());
    EXPECT_EQ(out, kDecoded);
}

TEST(Chunked, UnfinishedBodyIsNotDone) {
    ChunkedDecoder d;
    EXPECT_EQ(Feed(d, "5\r\nabc"), "abc");
    EXPECT_FALSE(d.Done());
    EXPECT_FALSE(d.Failed());
}

TEST(Chunked, MalformedInputFails) {
    const std::string cases[] = {
        "zz\r\n",
        "\r\n",
        ";ext\r\n",
        "3\r\nabcX\r\n",
        "3\rX\nabc\r\n",
        "1234567890abcdef\r\n",
        "1;" + std::string(ChunkedDecoder::kMaxSizeLine, 'e') + "\r\n",
        "0\r\n" + std::string(ChunkedDecoder::kMaxTrailer + 1, 't'),
    };
    for (const std::string& c : cases) {
        ChunkedDecoder d;
        Feed(d, c);
        EXPECT_TRUE(d.Failed()) << c.substr(0, 40);
        EXPECT_FALSE(d.Done());
    }
}
