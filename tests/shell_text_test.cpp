#include "app/shell_text.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

TEST(CommandLineUrl, AcceptsOnlyHttpAndFtpWithAHost) {
    struct Case {
        const char* in;
        const char* out;  // nullptr: refused
    } cases[] = {
        {"http://host/a.zip", "http://host/a.zip"},
        {"  \t http://host/a b.zip \r\n", "http://host/a b.zip"},
        {"FTP://user:pw@host/dir/f.tar", "FTP://user:pw@host/dir/f.tar"},
        {"ftp://host", "ftp://host"},
        {"https://host/a.zip", "https://host/a.zip"},
        {"HTTPS://user@host", "HTTPS://user@host"},
        {"https:///a.zip", nullptr},
        {"https://", nullptr},
        {"C:\\files\\a.zip", nullptr},
        {"www.example.com", nullptr},
        {"http://", nullptr},
        {"http:///path", nullptr},
        {"", nullptr},
        {"   ", nullptr},
        {"\"http://host/a.zip\"", nullptr},
    };
    for (const Case& c : cases) {
        auto got = CommandLineUrl(c.in);
        if (c.out) {
            ASSERT_TRUE(got.has_value()) << c.in;
            EXPECT_EQ(*got, c.out);
        } else {
            EXPECT_FALSE(got.has_value()) << c.in;
        }
    }
}

TEST(HeartbeatText, ItemOrItemsByRowCount) {
    EXPECT_EQ(HeartbeatText(0.0, 0, 0), "Kestrune (0.00kb/s), 0 of 0 item");
    EXPECT_EQ(HeartbeatText(1.234, 1, 1), "Kestrune (1.23kb/s), 1 of 1 item");
    EXPECT_EQ(HeartbeatText(12.5, 1, 2), "Kestrune (12.50kb/s), 1 of 2 items");
}

TEST(ConnectedText, HoursWrapAtADay) {
    EXPECT_EQ(ConnectedText("LAN Settings", 0), "(LAN Settings) Connected.[000:00:00]");
    EXPECT_EQ(ConnectedText("Dial", 25 * 3600 + 61), "(Dial) Connected.[001:01:01]");
}

TEST(TrayTip, CutAt63) {
    EXPECT_EQ(TrayTip(std::string(70, 'x')).size(), 63u);
    EXPECT_EQ(TrayTip("Kestrune"), "Kestrune");
}

}  // namespace
}  // namespace ks
