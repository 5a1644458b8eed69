#include "transfer/http_headers.h"

#include <gtest/gtest.h>

using namespace ks;

namespace {

HttpHeaders Parse(const std::string& block) {
    HttpHeaders h;
    h.headerBlock = block;
    ParseHeaders(h);
    return h;
}

}  // namespace

TEST(HttpHeaders, ValuesAreTakenAsReceived) {
    HttpHeaders h = Parse(
        "HTTP/1.1 206 Partial Content\r\n"
        "Content-Location: /elsewhere\r\n"
        "LOCATION: http://Host/A.zip\r\n"
        "Set-Cookie: a=1; path=/\r\n"
        "set-cookie: b=2\r\n"
        "Content-Length: 1 234\r\n"
        "\r\n");
    EXPECT_EQ(h.statusLine, "HTTP/1.1 206 Partial Content\r\n");
    EXPECT_EQ(h.statusCode, 206);
    EXPECT_EQ(h.location, " http://Host/A.zip") << "only a line starting with the name counts";
    EXPECT_EQ(h.cookieText, " a=1;  b=2; ");
    EXPECT_TRUE(h.cookieFlag);
    EXPECT_EQ(h.contentLength, 1234);
    EXPECT_EQ(HeaderValue(h, "x-missing:", "\r\n"), "");
}

TEST(HttpHeaders, LengthAndRange) {
    struct Case {
        const char* lines;
        std::int64_t length, start, total;
    } cases[] = {
        {"Content-Length: 500\r\n", 500, -1, -1},
        {"Content-Length: -5\r\n", 0, -1, -1},
        {"Content-Length: 12abc\r\n", 12, -1, -1},
        {"Content-Length: 99999999999999999999999\r\n", 0, -1, -1},
        {"Content-Range: bytes 1000-1499/1500\r\n", 500, 1000, 1500},
        {"Content-Range: bytes */1500\r\n", 0, -1, 1500},
        {"Content-Range: bytes 5-2/10\r\n", 0, -1, -1},
        {"Content-Range: bytes 0-9/*\r\n", 10, 0, -1},
        {"Content-Length: 7\r\nContent-Range: bytes 0-9/10\r\n", 7, 0, 10},
        {"Transfer-Encoding: chunked\r\nContent-Length: 7\r\n", 0, -1, -1},
        {"", 0, -1, -1},
    };
    for (const auto& c : cases) {
        HttpHeaders h = Parse(std::string("HTTP/1.1 200 OK\r\n") + c.lines + "\r\n");
        EXPECT_EQ(h.contentLength, c.length) << c.lines;
        EXPECT_EQ(h.rangeStart, c.start) << c.lines;
        EXPECT_EQ(h.rangeTotal, c.total) << c.lines;
    }
}

TEST(HttpHeaders, StatusCodes) {
    EXPECT_EQ(Parse("HTTP/1.0 416 Range\r\n\r\n").statusCode, 416);
    EXPECT_EQ(Parse("HTTP/1.1 302\r\n\r\n").statusCode, 302);
    EXPECT_EQ(Parse("ICY 200 OK\r\n\r\n").statusCode, 0);
    EXPECT_EQ(Parse("HTTP/1.1 2x0 OK\r\n\r\n").statusCode, 0);
    EXPECT_TRUE(Parse("HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n").chunked);
}

TEST(HttpHeaders, CollectorFindsTheEndAtEverySplit) {
    const std::string header = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\nSet-Cookie: k=v\r\n\r\n";
    const std::string message = header + "BODY";
    for (std::size_t cut = 0; cut <= message.size(); ++cut) {
        std::string copy = message;
        HeaderCollector c;
        std::size_t used = 0;
        std::string body;
        auto st = c.Feed(copy.data(), cut, used);
        if (st == HeaderCollector::State::Done) {
            body.append(copy, used, cut - used);
            body.append(copy, cut);
        } else {
            ASSERT_EQ(used, cut);
            st = c.Feed(copy.data() + cut, copy.size() - cut, used);
            body.append(copy, cut + used);
        }
        ASSERT_EQ(st, HeaderCollector::State::Done) << cut;
        EXPECT_EQ(c.Block(), header) << cut;
        EXPECT_EQ(body, "BODY") << cut;
    }
    // One byte at a time.
    HeaderCollector c;
    std::size_t used = 0;
    for (char ch : header) c.Feed(&ch, 1, used);
    EXPECT_EQ(c.state(), HeaderCollector::State::Done);
}

TEST(HttpHeaders, CollectorRefusesEndlessHeaders) {
    std::size_t used = 0;
    HeaderCollector longLine;
    std::string line = "HTTP/1.1 200 OK\r\nX: " + std::string(kMaxHeaderLine, 'a');
    EXPECT_EQ(longLine.Feed(line.data(), line.size(), used), HeaderCollector::State::TooLarge);

    HeaderCollector manyLines;
    std::string lines = "HTTP/1.1 200 OK\r\n";
    while (lines.size() <= kMaxHeaderBlock) lines += "X-Filler: " + std::string(100, 'b') + "\r\n";
    EXPECT_EQ(manyLines.Feed(lines.data(), lines.size(), used), HeaderCollector::State::TooLarge);
    EXPECT_LE(manyLines.Block().size(), kMaxHeaderBlock + 1);
}
