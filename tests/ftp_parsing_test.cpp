// Parsers of the FTP client: replies, PASV, PORT and listings.
#include <gtest/gtest.h>

#include "transfer/ftp_listing.h"
#include "transfer/ftp_pasv.h"
#include "transfer/ftp_reply.h"

using namespace ks;

namespace {

// Feeds text in two parts split at `cut` and collects every reply.
std::vector<FtpReply> ParseSplit(const std::string& text, std::size_t cut, bool& error) {
    FtpReplyParser parser;
    std::vector<FtpReply> out;
    error = false;
    for (std::string_view part :
         {std::string_view(text).substr(0, cut), std::string_view(text).substr(cut)}) {
        while (!part.empty()) {
            part.remove_prefix(parser.Feed(part));
            if (parser.GetState() == FtpReplyParser::State::Done) out.push_back(parser.Reply());
            if (parser.GetState() == FtpReplyParser::State::Error) {
                error = true;
                return out;
            }
        }
    }
    return out;
}

}  // namespace

TEST(FtpReply, SameRepliesWhereverTheBytesAreSplit) {
    const std::string text =
        "220-Welcome\r\n220-second line\r\n 220 indented, not the end\r\n220 ready\r\n"
        "331 Password?\r\n"
        "211-Features:\n 123 not an end\n211-still open\n211 End\n"
        "500-x\r\n5000 four digits do not end it\r\n500 done\r\n";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        bool error;
        std::vector<FtpReply> r = ParseSplit(text, cut, error);
        ASSERT_FALSE(error) << cut;
        ASSERT_EQ(r.size(), 4u) << cut;
        EXPECT_EQ(r[0].text, "220 ready");
        EXPECT_EQ(r[0].replyClass, 2);
        EXPECT_EQ(r[0].lines, 4u);
        EXPECT_EQ(r[1].text, "331 Password?");
        EXPECT_EQ(r[1].replyClass, 3);
        EXPECT_EQ(r[2].text, "211 End");
        EXPECT_EQ(r[2].code, 211);
        EXPECT_EQ(r[3].text, "500 done");
    }
}

TEST(FtpReply, LimitsAndOddLines) {
    bool error;
    ParseSplit(std::string(FtpReplyParser::kMaxLine + 1, 'x') + "\r\n", 5, error);
    EXPECT_TRUE(error) << "an endless line";
    std::string block = "220-a\r\n";
    for (std::size_t i = 0; i < FtpReplyParser::kMaxLines; ++i) block += "220-more\r\n";
    ParseSplit(block, 3, error);
    EXPECT_TRUE(error) << "an endless block";

    auto one = ParseSplit("hello\r\n", 0, error);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].replyClass, 0) << "not a digit: no class";
    one = ParseSplit("226\r\n", 0, error);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].replyClass, 2) << "a bare code is a whole reply";
}

TEST(FtpPasv, RepliesAndRanges) {
    struct Case {
        const char* text;
        bool ok;
        const char* address;
        int port;
    } cases[] = {
        {"227 Entering Passive Mode (10,0,0,1,4,1)", true, "10.0.0.1", 1025},
        {"227 Entering Passive Mode (192,168,1,5,19,137).", true, "192.168.1.5", 5001},
        {"227 ok ( 127, 0, 0, 1, 255, 255 )", true, "127.0.0.1", 65535},
        {"227 Entering Passive Mode 10,0,0,1,4,1", false, "", 0},
        {"227 (10,0,0,1,4,1", false, "", 0},
        {"227 (10,0,0,256,4,1)", false, "", 0},
        {"227 (10,0,0,1,4,-1)", false, "", 0},
        {"227 (10,0,0,1,0,0)", false, "", 0},
        {"227 (10,0,0,1,4)", false, "", 0},
        {"227 (10,0,0,1,4,1,7)", false, "", 0},
        {"227 (10,0,0,1,4,x)", false, "", 0},
        {"227 (10,0,0,1,4,)", false, "", 0},
    };
    for (const Case& c : cases) {
        PasvTarget t;
        EXPECT_EQ(ParsePasvReply(c.text, t), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(t.address, c.address) << c.text;
            EXPECT_EQ(t.port, c.port) << c.text;
        }
    }
    EXPECT_EQ(PortCommand("192.168.0.2", 5001), "PORT 192,168,0,2,19,137");
    EXPECT_EQ(PortCommand("127.0.0.1", 255), "PORT 127,0,0,1,0,255");
}

TEST(FtpListing, SizesFromUnixAndDosLines) {
    struct Case {
        const char* listing;
        const char* path;
        std::int64_t size;
    } cases[] = {
        {"-rw-r--r--   1 user  group  123456 Jan 01 12:00 file.zip", "/pub/file.zip", 123456},
        {"-rw-r--r--   1 user  123456 Jan 01 12:00 file.zip\r\n", "/file.zip", 123456},
        {"01-01-01  12:00PM  123456 file.zip", "/file.zip", 123456},
        {"-rw-r--r--   1 user  group  123456 Jan 01 12:00 other.zip", "/file.zip", 0},
        // Numeric owner and group larger than the size.
        {"-rw-r--r--    1 1000     1000          999 Mar 05  2001 small.txt", "/small.txt", 999},
        // Beyond 4 GiB.
        {"-rw-r--r--   1 ftp ftp 5000000000 Jan 01 12:00 big.iso", "/big.iso", 5000000000LL},
        {"12-31-2001  01:00AM     5000000000 big.iso", "/big.iso", 5000000000LL},
        // Case and escapes of the sought name.
        {"-rw-r--r-- 1 ftp ftp 42 Jan 01 12:00 My File.TXT", "/My%20File.txt", 42},
        // The line naming the file, not the first line.
        {"total 2\r\n-rw-r--r-- 1 ftp ftp 7 Jan 01 12:00 a.bin\r\n"
         "-rw-r--r-- 1 ftp ftp 99 Jan 01 12:00 b.bin\r\n",
         "/b.bin", 99},
        {"", "/a.bin", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListingRemoteSize(c.listing, c.path), c.size) << c.listing;
}
