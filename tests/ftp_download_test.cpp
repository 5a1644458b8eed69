// FtpDownload against the scripted server: the bytes, the conversation, and
// the ways a transfer can go wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "base/project.h"
#include "platform/files.h"
#include "support/ftp_test_env.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"
#include "transfer/dispatch.h"

using namespace ks;
using ks::test::FtpBehaviour;
using ks::test::ScriptedFtpServer;

namespace {

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return s;
}

bool Has(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

class FtpDownloadTest : public ks::test::FtpTestBase {
  protected:
    std::string Url(const ScriptedFtpServer& s) {
        return "ftp://127.0.0.1:" + std::to_string(s.Port()) + "/pub/file.bin";
    }
    std::string Local() { return dir_.File("file.bin"); }
    std::string LocalContent() { return dir_.Read("file.bin"); }
    void Prepare(CProject& p) { p.SetText(&ProjectSettings::folder, dir_.path()); }

    ks::test::TempDir dir_;
    const std::string content_ = Pattern(50000);
};

}  // namespace

TEST_F(FtpDownloadTest, FreshAndResumedBothModes) {
    for (bool passive : {true, false}) {
        for (std::size_t have : {std::size_t(0), std::size_t(12345)}) {
            UsePassive(passive);
            ScriptedFtpServer server;
            server.PutFile("/pub/file.bin", content_);
            plat::RemoveFile(Local());
            if (have) plat::WriteFileAtomic(Local(), content_.substr(0, have));
            CProject p;
            Prepare(p);
            ASSERT_EQ(FtpDownload(p, Url(server)), 1) << passive << " " << have;
            EXPECT_EQ(p.result.load(), ResultOk);
            EXPECT_TRUE(LocalContent() == content_) << passive << " " << have;
            EXPECT_EQ(p.bytesDone.load(), (std::int64_t)content_.size());
            EXPECT_EQ(p.settings.totalSize.load(), (std::int64_t)content_.size());
            std::vector<std::string> c = server.CommandsUpTo("QUIT");
            ASSERT_GE(c.size(), 5u);
            const std::vector<std::string> tail = {"TYPE I",
                                                   "REST 100",
                                                   "REST 0",
                                                   passive ? "PASV" : c[c.size() - 4],
                                                   "REST " + std::to_string(have),
                                                   "RETR /pub/file.bin",
                                                   "QUIT"};
            ASSERT_GE(c.size(), tail.size());
            EXPECT_EQ(std::vector<std::string>(c.end() - tail.size(), c.end()), tail);
            EXPECT_TRUE(Has(c, "LIST /pub/file.bin"));
            if (!passive) {
                EXPECT_EQ(c[c.size() - 4].rfind("PORT 127,0,0,1,", 0), 0u);
            }
        }
    }
}

TEST_F(FtpDownloadTest, RestRefusedStartsOverFromZero) {
    FtpBehaviour b;
    b.restRefused = true;
    ScriptedFtpServer server(b);
    server.PutFile("/pub/file.bin", content_);
    plat::WriteFileAtomic(Local(), std::string(20000, 'x'));
    UsePassive(true);
    CProject p;
    Prepare(p);
    ASSERT_EQ(FtpDownload(p, Url(server)), 1);
    EXPECT_TRUE(LocalContent() == content_);
    std::vector<std::string> c = server.Commands();
    EXPECT_TRUE(Has(c, "REST 100"));
    EXPECT_FALSE(Has(c, "REST 0"));
    EXPECT_FALSE(Has(c, "REST 20000"));
}

TEST_F(FtpDownloadTest, FailedAttemptsAreNeverSuccess) {
    struct Case {
        const char* what;
        FtpBehaviour b;
        bool putFile;
        std::int32_t result;
    };
    std::vector<Case> cases;
    FtpBehaviour b;
    b.dataCloseAfter = 10000;
    cases.push_back({"426 after an early close", b, true, ResultIncomplete});
    b.earlyCloseReply = "226 Transfer complete.";
    cases.push_back({"short file confirmed with 226", b, true, ResultIncomplete});
    b = FtpBehaviour{};
    b.refuseList = true;
    cases.push_back({"listing refused", b, true, ResultRefused});
    b = FtpBehaviour{};
    cases.push_back({"file missing: empty listing then 550 to RETR", b, false, ResultRefused});
    b.stallAfter = "RETR";
    cases.push_back({"server goes silent", b, true, ResultNetwork});
    b = FtpBehaviour{};
    b.pasvReply = "227 Entering Passive Mode (127,0,0,1,0,0)";
    cases.push_back({"PASV names port 0", b, true, ResultNetwork});
    GlobalRuntime().timeoutSeconds = 1;
    for (const Case& c : cases) {
        UsePassive(true);
        ScriptedFtpServer server(c.b);
        if (c.putFile) server.PutFile("/pub/file.bin", content_);
        plat::RemoveFile(Local());
        CProject p;
        Prepare(p);
        EXPECT_EQ(FtpDownload(p, Url(server)), 0) << c.what;
        EXPECT_EQ(p.result.load(), c.result) << c.what;
    }
}

TEST_F(FtpDownloadTest, PasvNamingAnotherHostConnectsToThePeer) {
    FtpBehaviour b;
    b.pasvAddress = "10,0,0,1";
    ScriptedFtpServer server(b);
    server.PutFile("/pub/file.bin", content_);
    UsePassive(true);
    CProject p;
    Prepare(p);
    ASSERT_EQ(FtpDownload(p, Url(server)), 1);
    EXPECT_TRUE(LocalContent() == content_);
}

TEST_F(FtpDownloadTest, CompleteFileAndHiddenProjectSendNoRetr) {
    ScriptedFtpServer server;
    server.PutFile("/pub/file.bin", content_);
    plat::WriteFileAtomic(Local(), content_);
    UsePassive(true);
    CProject p;
    Prepare(p);
    EXPECT_EQ(FtpDownload(p, Url(server)), 1);
    EXPECT_FALSE(Has(server.Commands(), "RETR /pub/file.bin"));

    ScriptedFtpServer keepAlive;
    CProject hidden;
    hidden.hidden = true;
    Prepare(hidden);
    EXPECT_EQ(FtpDownload(hidden, Url(keepAlive)), 1);
    std::vector<std::string> expect = {"USER anonymous", "PASS kestrune@example.com", "QUIT"};
    EXPECT_EQ(keepAlive.CommandsUpTo("QUIT"), expect);
}

TEST_F(FtpDownloadTest, StopFromAnotherThreadEndsPromptly) {
    for (bool passive : {true, false}) {
        FtpBehaviour b;
        b.dataDelayMs = 50;  // 4096 bytes per 50 ms: far longer than the test
        ScriptedFtpServer server(b);
        server.PutFile("/pub/file.bin", Pattern(4 << 20));
        plat::RemoveFile(Local());
        UsePassive(passive);
        CProject p;
        p.cancelViaConnection = false;
        Prepare(p);
        std::atomic<bool> done{false};
        int rc = -1;
        std::thread worker([&] {
            rc = FtpDownload(p, Url(server));
            done = true;
        });
        while (p.bytesDone.load() < 8192) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        p.stopRequested = true;
        p.CancelBlocking();
        worker.join();
        EXPECT_TRUE(done);
        if (rc == 0) {
            EXPECT_EQ(p.result.load(), ResultNetwork) << "cancelled, not refused";
        }
        EXPECT_LT(plat::FileSize(Local()).value_or(0), 4 << 20);
    }
}

TEST_F(FtpDownloadTest, SegmentWorkerWritesOnlyBytesThatFitItsParent) {
    struct Case {
        const char* what;
        std::int64_t parentTotal;
        bool restRefused;
        bool written;
    } cases[] = {
        {"sizes match", 50000, false, true},
        {"another file on this server", 40000, false, false},
        {"no offset possible", 50000, true, false},
    };
    const std::int64_t start = 20000;
    for (const Case& c : cases) {
        FtpBehaviour b;
        b.restRefused = c.restRefused;
        ScriptedFtpServer server(b);
        server.PutFile("/pub/file.bin", content_);
        UsePassive(true);
        CProject parent;
        Prepare(parent);
        parent.settings.totalSize = c.parentTotal;
        CSegment node(start, "20000_file.bin", SegmentState::Active);
        CProject worker;
        Prepare(worker);
        worker.segmentWorker = true;
        worker.parentProject = &parent;
        worker.servedSegment = &node;
        const std::string segmentFile = dir_.File("20000_file.bin");
        plat::RemoveFile(segmentFile);
        FtpDownload(worker, Url(server));  // a segment worker's outcome is judged by its data
        std::string got;
        plat::ReadWholeFile(segmentFile, got);
        if (c.written) {
            EXPECT_TRUE(got == content_.substr(start)) << c.what;
            EXPECT_EQ(node.bytesDone.load(), 50000 - start);
            EXPECT_TRUE(Has(server.Commands(), "REST 20000"));
        } else {
            EXPECT_TRUE(got.empty()) << c.what;
        }
    }
}
