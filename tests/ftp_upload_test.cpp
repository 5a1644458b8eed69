// Uploads: resume and overwrite, files already there, and a whole list over
// one session.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/project.h"
#include "platform/files.h"
#include "support/ftp_test_env.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"
#include "transfer/ftp_client.h"
#include "transfer/upload_worker.h"

using namespace ks;
using ks::test::FtpBehaviour;
using ks::test::ScriptedFtpServer;

namespace {

std::string Bytes(std::size_t n, char seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i % 97);
    return s;
}

std::vector<std::string> From(const std::vector<std::string>& c, const std::string& first) {
    auto it = std::find(c.begin(), c.end(), first);
    return std::vector<std::string>(it, c.end());
}

class FtpUploadTest : public ks::test::FtpTestBase {
  protected:
    void Target(CProject& p, const ScriptedFtpServer& s, int mode) {
        p.settings.kind = static_cast<std::int32_t>(ProjectKind::FtpUpload);
        p.settings.uploadMode = mode;
        p.SetText(&ProjectSettings::url, "ftp://127.0.0.1:" + std::to_string(s.Port()) + "/up/");
        p.SetText(&ProjectSettings::projectFile, dir_.File("1.kpr"));
    }
    std::string Put(const std::string& name, const std::string& content) {
        std::string path = dir_.File(name);
        plat::WriteFileAtomic(path, content);
        return path;
    }
    ks::test::TempDir dir_;
};

}  // namespace

TEST_F(FtpUploadTest, ResumeOverwriteAndComplete) {
    const std::string local = Bytes(3000, 'a');
    struct Case {
        const char* what;
        int mode;
        std::string onServer;
        std::vector<std::string> sent;  // from TYPE I on; empty: no transfer
    } cases[] = {
        {"resume",
         0,
         local.substr(0, 1000),
         {"TYPE I", "REST 100", "REST 0", "PASV", "REST 1000", "STOR /up/f.bin", "QUIT"}},
        {"overwrite", 1, local.substr(0, 1000), {"TYPE I", "PASV", "STOR /up/f.bin", "QUIT"}},
        {"remote longer", 0, Bytes(5000, 'z'), {"TYPE I", "PASV", "STOR /up/f.bin", "QUIT"}},
        {"not there", 0, "", {"TYPE I", "PASV", "STOR /up/f.bin", "QUIT"}},
        {"already complete", 0, local, {}},
        {"overwrite, already complete", 1, local, {}},
        {"overwrite, remote longer",
         1,
         Bytes(5000, 'z'),
         {"TYPE I", "PASV", "STOR /up/f.bin", "QUIT"}},
    };
    const std::string path = Put("f.bin", local);
    UsePassive(true);
    for (const Case& c : cases) {
        ScriptedFtpServer server;
        if (!c.onServer.empty()) server.PutFile("/up/f.bin", c.onServer);
        CProject p;
        Target(p, server, c.mode);
        std::unique_ptr<CFtpClient> client;
        ASSERT_EQ(UploadOne(p, client, path, true), 1) << c.what;
        std::vector<std::string> sent = From(server.CommandsUpTo("QUIT"), "TYPE I");
        EXPECT_EQ(sent, c.sent) << c.what;
        const std::vector<std::string> all = server.CommandsUpTo("QUIT");
        const bool stored = std::any_of(
            all.begin(), all.end(), [](const std::string& l) { return l.rfind("STOR", 0) == 0; });
        EXPECT_EQ(stored, !c.sent.empty()) << c.what;
        EXPECT_TRUE(server.GetFile("/up/f.bin") == local) << c.what;
        EXPECT_FALSE(p.loggedOn.load()) << c.what << ": logged off after the last file";
    }
}

TEST_F(FtpUploadTest, ActiveModeAndRefusedListing) {
    // Servers that answer LIST of a missing file with 550 still get the file.
    FtpBehaviour b;
    b.refuseMissingList = true;
    ScriptedFtpServer server(b);
    const std::string local = Bytes(20000, 'k');
    UsePassive(false);
    CProject p;
    Target(p, server, 0);
    std::unique_ptr<CFtpClient> client;
    ASSERT_EQ(UploadOne(p, client, Put("g.bin", local), true), 1);
    EXPECT_TRUE(server.GetFile("/up/g.bin") == local);
}

TEST_F(FtpUploadTest, WorkerSendsTheListOverOneLogon) {
    ScriptedFtpServer server;
    std::vector<std::string> files = {Put("one.bin", Bytes(5000, '1')),
                                      Put("two.bin", Bytes(7000, '2')),
                                      Put("three.bin", Bytes(100, '3'))};
    const std::string skipped = Put("four.bin", "never sent");
    const std::string list = dir_.File("1.lst");
    plat::WriteFileAtomic(list, files[0] + "\n" + files[1] + "\n" + files[2] + "\n" + skipped);
    UsePassive(true);
    CProject p;
    Target(p, server, 0);
    p.SetText(&ProjectSettings::source, list);
    EXPECT_EQ(UploadWorker(&p), 0);
    std::vector<std::string> c = server.CommandsUpTo("QUIT");
    EXPECT_EQ(std::count(c.begin(), c.end(), "USER anonymous"), 1);
    EXPECT_EQ(c.back(), "QUIT");
    EXPECT_EQ(std::count(c.begin(), c.end(), "QUIT"), 1);
    EXPECT_TRUE(server.GetFile("/up/three.bin") == Bytes(100, '3'));
    EXPECT_TRUE(server.GetFile("/up/two.bin") == Bytes(7000, '2'));
    EXPECT_FALSE(server.HasFile("/up/four.bin")) << "text after the last line feed is not an entry";
    EXPECT_EQ(p.settings.seqFrom.load(), 4);
    EXPECT_EQ(p.settings.seqTo.load(), 3);
    EXPECT_FALSE(p.workerRunning.load());
}
