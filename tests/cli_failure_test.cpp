// `kestrune-cli get` and `upload` when things go wrong, as a user meets it:
// the command ends (a refusal is not retried for ever), exits 1, says why in
// one line on stderr, and `list --long` still tells it afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/socket.h"
#include "support/cli_run.h"
#include "support/scripted_ftp_server.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"

#ifndef _WIN32  // each case starts several processes: too slow under Wine

using ks::test::FtpBehaviour;
using ks::test::HttpRule;
using ks::test::PatternBytes;
using ks::test::ScriptedFtpServer;
using ks::test::ScriptedHttpServer;

namespace {

class CliFailure : public ::testing::Test {
  protected:
    int Cli(std::vector<std::string> args) {
        return ks::test::RunCliIn(home_.path(), std::move(args));
    }
    int CliKeepingErrors(const std::vector<std::string>& args, std::string& errors) {
        return ks::test::RunCliKeepingErrors(home_.path(), args, errors);
    }
    void SetUp() override {
        ASSERT_EQ(Cli({"config", "Limits", "timeout", "1"}), 0);
        ASSERT_EQ(Cli({"config", "Limits", "wait", "0"}), 0);
        ASSERT_EQ(Cli({"config", "LAN Settings", "FTPProxypassive", "yes"}), 0);
    }
    // A port nothing listens on.
    static std::uint16_t ClosedPort() {
        ks::plat::Socket s;
        EXPECT_TRUE(s.Listen("127.0.0.1", 0));
        return s.LocalPort();  // closed when s goes
    }
    static std::string FtpUrl(const ScriptedFtpServer& s, const std::string& path) {
        return "ftp://127.0.0.1:" + std::to_string(s.Port()) + path;
    }
    bool Has(const std::string& name) const { return ks::plat::FileExists(down_.File(name)); }

    ks::test::TempDir home_, down_;
    std::shared_ptr<const std::string> data_ = PatternBytes(50000, 4);
};

}  // namespace

TEST_F(CliFailure, EachCauseEndsTheCommandWithItsLine) {
    ScriptedHttpServer http({HttpRule::File("/f.bin", data_),
                             {"/gone.bin", HttpRule::Body::Fixed, "HTTP/1.1 404 Not Found"},
                             [] {
                                 HttpRule r;
                                 r.path = "/stall.bin";
                                 r.neverAnswer = true;
                                 return r;
                             }()});
    FtpBehaviour refusing;
    refusing.replies["RETR /pub/locked.bin"] = "550 Permission denied.";
    ScriptedFtpServer ftp(refusing);
    ftp.PutFile("/pub/f.bin", *data_);
    ftp.PutFile("/pub/locked.bin", *data_);
    // A folder where the file should go: the local file cannot be opened.
    ASSERT_TRUE(ks::plat::MakeDir(down_.File("taken.bin")));
    ScriptedHttpServer takenHttp({HttpRule::File("/taken.bin", data_)});
    ftp.PutFile("/pub/taken.bin", *data_);
    const std::string closed = std::to_string(ClosedPort());

    struct Case {
        const char* what;
        std::string url;
        std::vector<std::string> extra;  // options before the URL
        std::string line;                // part of the line on stderr
    } cases[] = {
        {"host not found",
         "http://no-such-host.invalid/f.bin",
         {"--retries", "1"},
         "host not found: no-such-host.invalid"},
        {"connection refused",
         "http://127.0.0.1:" + closed + "/f.bin",
         {"--retries", "1"},
         "connection refused by 127.0.0.1:" + closed},
        {"time-out", http.Url("/stall.bin"), {"--retries", "1"}, "time-out waiting for 127.0.0.1"},
        {"HTTP status and reason", http.Url("/gone.bin"), {}, "server answered 404 Not Found"},
        {"FTP refusal, not retried",
         FtpUrl(ftp, "/pub/locked.bin"),
         {},
         "server answered 550 Permission denied."},
        {"FTP missing file, not retried", FtpUrl(ftp, "/pub/none.bin"), {}, "server answered 550"},
        {"HTTP local file", takenHttp.Url("/taken.bin"), {}, "taken.bin: Is a directory"},
        {"FTP local file", FtpUrl(ftp, "/pub/taken.bin"), {}, "taken.bin: Is a directory"},
        {"FTP folder URL", FtpUrl(ftp, "/pub/"), {}, "no file name in ftp://"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"get", "--quiet", "--dir", down_.path()};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        args.push_back(c.url);
        std::string errors;
        EXPECT_EQ(CliKeepingErrors(args, errors), 1);
        EXPECT_NE(errors.find(c.line), std::string::npos) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << "one line: " << errors;
    }
    // Every project keeps how it ended and why.
    std::string listing, errors;
    ASSERT_EQ(ks::test::RunCliKeepingErrors(home_.path(), {"list", "--long"}, errors, &listing), 0);
    EXPECT_NE(listing.find("\tError\tserver answered 404 Not Found"), std::string::npos);
    EXPECT_NE(listing.find("\tError\tserver answered 550 Permission denied."), std::string::npos);
    // The good file of the same server still comes.
    EXPECT_EQ(Cli({"get", "--quiet", "--dir", down_.path(), FtpUrl(ftp, "/pub/f.bin")}), 0);
    EXPECT_EQ(down_.Read("f.bin"), *data_);
}

TEST_F(CliFailure, LocalFileLongerThanTheRemoteOneIsNoSuccess) {
    ScriptedFtpServer ftp;
    ftp.PutFile("/pub/f.bin", *data_);
    const std::string longer = *data_ + "more";
    ASSERT_TRUE(ks::plat::WriteFileAtomic(down_.File("f.bin"), longer));
    std::string errors;
    EXPECT_EQ(CliKeepingErrors({"get", "--quiet", "--dir", down_.path(), FtpUrl(ftp, "/pub/f.bin")},
                               errors),
              1);
    EXPECT_NE(errors.find("is longer than the remote one"), std::string::npos) << errors;
    EXPECT_EQ(down_.Read("f.bin"), longer) << "the local file is left alone";
}

TEST_F(CliFailure, SeriesPassesOverMissingNumbersAndNamesThem) {
    struct Case {
        const char* what;
        bool ftp;
    } cases[] = {{"http", false}, {"ftp", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ks::test::TempDir down;
        // 2 is missing; 4 fails with a server error every time.
        ScriptedHttpServer http({HttpRule::File("/f1.bin", data_),
                                 HttpRule::File("/f3.bin", data_),
                                 HttpRule::File("/f5.bin", data_),
                                 {"/f4.bin", HttpRule::Body::Fixed, "HTTP/1.1 503 Busy"}});
        FtpBehaviour b;
        b.replies["RETR /pub/f4.bin"] = "551 Read error.";
        ScriptedFtpServer ftp(b);
        for (const char* n : {"/pub/f1.bin", "/pub/f3.bin", "/pub/f4.bin", "/pub/f5.bin"})
            ftp.PutFile(n, *data_);
        const std::string base = c.ftp ? FtpUrl(ftp, "/pub/f") : http.Url("/f");
        std::string errors;
        const int status = CliKeepingErrors({"get", "--dir", down.path(), "--retries", "2",
                                             "--series", "1", "5", "1", ".bin", base},
                                            errors);
        EXPECT_EQ(status, 1);
        EXPECT_NE(errors.find("Completed."), std::string::npos) << "the row's own text: " << errors;
        EXPECT_NE(errors.find("kestrune-cli: skipped 2 4"), std::string::npos) << errors;
        for (const char* n : {"f1.bin", "f3.bin", "f5.bin"}) EXPECT_EQ(down.Read(n), *data_) << n;
        EXPECT_FALSE(ks::plat::FileExists(down.File("f2.bin")));
    }
}

TEST_F(CliFailure, UploadRefusedForOneFileSendsTheOthersAndSaysWhy) {
    FtpBehaviour b;
    b.replies["STOR /in/a.bin"] = "553 Permission denied.";
    ScriptedFtpServer ftp(b);
    ASSERT_TRUE(ks::plat::WriteFileAtomic(down_.File("a.bin"), *data_));
    ASSERT_TRUE(ks::plat::WriteFileAtomic(down_.File("b.bin"), *data_));
    std::string errors;
    EXPECT_EQ(CliKeepingErrors({"upload", "--quiet", FtpUrl(ftp, "/in/"), down_.File("a.bin"),
                                down_.File("b.bin")},
                               errors),
              1);
    EXPECT_NE(errors.find("a.bin: server answered 553 Permission denied."), std::string::npos)
        << errors;
    EXPECT_FALSE(ftp.HasFile("/in/a.bin"));
    EXPECT_EQ(ftp.GetFile("/in/b.bin"), *data_);
}

#endif
