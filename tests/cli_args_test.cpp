#include "cli/cli_args.h"

#include <gtest/gtest.h>

#include "cli/cli_commands.h"
#include "cli/cli_progress.h"

using namespace ks::cli;

namespace {
CliArgs Parse(std::vector<std::string> a) {
    return ParseCliArgs(a);
}
}  // namespace

TEST(CliArgs, GetWithEveryOption) {
    CliArgs a = Parse({"--home", "/h", "get", "--dir", "d", "--segments", "4", "--retries", "3",
                       "-q", "http://x/img", "--series", "1", "12", "3", ".jpg"});
    EXPECT_EQ(a.error, "");
    EXPECT_EQ(a.command, Command::Get);
    EXPECT_EQ(a.home, "/h");
    EXPECT_EQ(a.dir, "d");
    EXPECT_EQ(a.segments, 4);
    EXPECT_EQ(a.retries, 3);
    EXPECT_TRUE(a.quiet);
    EXPECT_EQ(a.urls, std::vector<std::string>{"http://x/img"});
    ASSERT_TRUE(a.series);
    EXPECT_EQ(a.series->from, 1);
    EXPECT_EQ(a.series->to, 12);
    EXPECT_EQ(a.series->digits, 3);
    EXPECT_EQ(a.series->right, ".jpg") << "after the URL, the word after DIGITS is RIGHT";
}

TEST(CliArgs, SeriesRightIsTakenOnlyWhenTheUrlFollows) {
    struct Case {
        std::vector<std::string> args;
        std::string right, url;
    } cases[] = {
        {{"get", "--series", "1", "3", "2", ".jpg", "http://x/a"}, ".jpg", "http://x/a"},
        {{"get", "--series", "1", "3", "2", "http://x/a"}, "", "http://x/a"},
        {{"get", "--series", "1", "3", "2", "http://x/a", "--dir", "d"}, "", "http://x/a"},
        {{"get", "--series", "1", "3", "2", ".jpg", "--quiet", "http://x/a"}, ".jpg", "http://x/a"},
    };
    for (const Case& c : cases) {
        CliArgs a = ParseCliArgs(c.args);
        EXPECT_EQ(a.error, "") << c.args.back();
        ASSERT_TRUE(a.series);
        EXPECT_EQ(a.series->right, c.right);
        ASSERT_EQ(a.urls.size(), 1u);
        EXPECT_EQ(a.urls[0], c.url);
    }
}

TEST(CliArgs, OtherCommands) {
    CliArgs a = Parse({"add", "http://a", "ftp://b"});
    EXPECT_EQ(a.command, Command::Add);
    EXPECT_EQ(a.urls.size(), 2u);

    a = Parse({"config", "Limits", "maxfiles"});
    EXPECT_EQ(a.section, "Limits");
    EXPECT_EQ(a.key, "maxfiles");
    EXPECT_FALSE(a.value);
    a = Parse({"config", "Limits", "maxfiles", "5"});
    EXPECT_EQ(a.value, "5");

    a = Parse(
        {"upload", "--user", "u", "--password", "p", "--overwrite", "ftp://h/d/", "f1", "f2"});
    EXPECT_EQ(a.error, "");
    EXPECT_EQ(a.user, "u");
    EXPECT_EQ(a.password, "p");
    EXPECT_TRUE(a.overwrite);
    EXPECT_EQ(a.urls, std::vector<std::string>{"ftp://h/d/"});
    EXPECT_EQ(a.files, (std::vector<std::string>{"f1", "f2"}));

    a = Parse({"get", "--", "-odd-url"});
    EXPECT_EQ(a.urls, std::vector<std::string>{"-odd-url"});
    EXPECT_TRUE(Parse({"list"}).error.empty());
    EXPECT_FALSE(Parse({"list"}).longList);
    EXPECT_TRUE(Parse({"list", "--long"}).longList);
    EXPECT_TRUE(Parse({"list", "-l"}).longList);
    EXPECT_FALSE(Parse({"get", "--long", "http://h/a"}).error.empty());
    EXPECT_TRUE(Parse({"run", "--home", "/x"}).error.empty());
}

TEST(CliArgs, TrustOptionsBelongToTheCommandsThatTransfer) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::string caFile;
        bool insecure;
    } cases[] = {
        {{"get", "--ca-file", "ca.pem", "https://h/a"}, true, "ca.pem", false},
        {{"get", "https://h/a", "--insecure"}, true, "", true},
        {{"get", "--insecure", "--ca-file", "x", "https://h/a"}, true, "x", true},
        {{"run", "--ca-file", "/etc/ca.pem"}, true, "/etc/ca.pem", false},
        {{"run", "--insecure"}, true, "", true},
        {{"add", "--ca-file", "ca.pem", "https://h/a", "https://h/b"}, true, "ca.pem", false},
        {{"add", "https://h/a", "--insecure"}, true, "", true},
        {{"add", "--ca-file"}, false, "", false},
        {{"get", "https://h/a", "--ca-file"}, false, "", false},
        {{"list", "--insecure"}, false, "", false},
        {{"upload", "--ca-file", "c", "ftp://h/", "f"}, false, "", false},
        {{"config", "--insecure", "TLS", "verify"}, false, "", false},
    };
    for (const Case& c : cases) {
        CliArgs a = ParseCliArgs(c.args);
        const std::string what = ::testing::PrintToString(c.args);
        EXPECT_EQ(a.error.empty(), c.ok) << what << ": " << a.error;
        if (!c.ok) continue;
        EXPECT_EQ(a.caFile, c.caFile) << what;
        EXPECT_EQ(a.insecure, c.insecure) << what;
    }
    // The URL after a valued option is still the URL.
    EXPECT_EQ(Parse({"get", "--ca-file", "ca.pem", "https://h/a"}).urls,
              std::vector<std::string>{"https://h/a"});
    EXPECT_NE(UsageText(Command::Get).find("--ca-file"), std::string::npos);
}

TEST(CliArgs, HelpAndVersion) {
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-V"}).version);
    CliArgs a = Parse({"get", "--help"});
    EXPECT_TRUE(a.help);
    EXPECT_EQ(a.command, Command::Get);
    EXPECT_EQ(a.error, "") << "help needs no URL";
    EXPECT_NE(UsageText(Command::Upload).find("FTPURL"), std::string::npos);
}

TEST(CliArgs, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"fetch", "http://x"},
        {"--bogus", "list"},
        {"get"},
        {"get", "http://a", "http://b"},
        {"get", "--segments", "-1", "http://a"},
        {"get", "--retries", "x", "http://a"},
        {"get", "--series", "1", "2", "http://a"},
        {"get", "--series", "1", "2", "0", "http://a"},
        {"get", "--dir"},
        {"get", "--user", "u", "http://a"},
        {"list", "extra"},
        {"config", "Limits"},
        {"upload", "ftp://h/"},
        {"add"},
        {"--home"},
    };
    for (const auto& args : bad) {
        CliArgs a = ParseCliArgs(args);
        EXPECT_FALSE(a.error.empty()) << ::testing::PrintToString(args);
    }
}

TEST(CliArgs, ExitStatusFollowsTheFinalStatusText) {
    EXPECT_EQ(ExitForStatus("Completed."), kExitOk);
    EXPECT_EQ(ExitForStatus("Invalid URL"), kExitInvalidUrl);
    EXPECT_EQ(ExitForStatus("Error"), kExitError);
    EXPECT_EQ(ExitForStatus("10.0%/100.0%"), kExitError);
}

TEST(CliProgress, BarFollowsTheSizeColumnAndFitsTheWidth) {
    ks::RowTexts row;
    row.columns[ks::ColSize] = "500/1000 (R)";
    row.columns[ks::ColStatus] = "Transferring...";
    row.columns[ks::ColRate] = "2.00kb/s";
    row.columns[ks::ColTimeLeft] = "0:0:0 ";
    EXPECT_EQ(ProgressLine(row, 200),
              "[==========>         ] 500/1000 (R)  Transferring...  2.00kb/s  0:0:0");
    EXPECT_EQ(ProgressLine(row, 30).size(), 29u);
    row.columns[ks::ColSize] = "123/0";
    EXPECT_EQ(ProgressLine(row, 200).substr(0, 22), "[                    ]");
    row.columns[ks::ColSize] = "2000/1000";
    EXPECT_EQ(ProgressLine(row, 200).substr(0, 22), "[====================]");
}
