// Transfers through an FTP proxy of every logon type: the scripted server plays
// the proxy, the URL names a remote host that only the proxy could reach, and
// the bytes must arrive intact both ways, in passive and in active mode.
#include <gtest/gtest.h>

#include <memory>

#include "platform/files.h"
#include "base/project.h"
#include "support/ftp_test_env.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"
#include "transfer/dispatch.h"
#include "transfer/ftp_client.h"
#include "transfer/upload_worker.h"

using namespace ks;
using ks::test::ScriptedFtpServer;

namespace {

std::string Bytes(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed + i / 509) & 0xff);
    return s;
}

class FtpProxyTest : public ks::test::FtpTestBase {
  protected:
    // Type 0 uses no proxy: the URL must then name the server itself.
    std::string Host(std::int32_t type, const ScriptedFtpServer& s) const {
        return type == 0 ? "127.0.0.1:" + std::to_string(s.Port()) : "files.example";
    }
    ks::test::TempDir dir_;
};

}  // namespace

TEST_F(FtpProxyTest, EveryLogonTypeCarriesDownloadsAndUploadsIntact) {
    const std::string remote = Bytes(70001, 3), local = Bytes(50003, 9);
    const std::string localPath = dir_.File("up.bin");
    ASSERT_TRUE(plat::WriteFileAtomic(localPath, local));
    for (std::int32_t type = 0; type < 9; ++type) {
        for (bool passive : {true, false}) {
            const std::string what =
                "type " + std::to_string(type) + (passive ? " passive" : " active");
            ScriptedFtpServer proxy;
            proxy.PutFile("/pub/file.bin", remote);
            UseProxy(type, proxy.Port(), passive);
            if (type == 0) UsePassive(passive);

            CProject down;
            down.SetText(&ProjectSettings::folder, dir_.path());
            plat::RemoveFile(dir_.File("file.bin"));
            const std::string url = "ftp://joe:secret@" + Host(type, proxy) + "/pub/file.bin";
            ASSERT_EQ(FtpDownload(down, url), 1) << what;
            EXPECT_EQ(down.result.load(), ResultOk) << what;
            EXPECT_TRUE(dir_.Read("file.bin") == remote) << what;

            CProject up;
            up.settings.kind = static_cast<std::int32_t>(ProjectKind::FtpUpload);
            up.SetText(&ProjectSettings::url, "ftp://joe:secret@" + Host(type, proxy) + "/up/");
            up.SetText(&ProjectSettings::projectFile, dir_.File("1.kpr"));
            std::unique_ptr<CFtpClient> client;
            ASSERT_EQ(UploadOne(up, client, localPath, true), 1) << what;
            EXPECT_TRUE(proxy.GetFile("/up/up.bin") == local) << what;
        }
    }
}
