// Against a real FTP server, when one is named: KESTRUNE_TEST_FTP_DIR_URL is a
// writable directory URL such as "ftp://127.0.0.1:2121/pub/". Skipped otherwise.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/files.h"
#include "base/project.h"
#include "support/ftp_test_env.h"
#include "support/temp_dir.h"
#include "transfer/dispatch.h"
#include "transfer/ftp_client.h"
#include "transfer/upload_worker.h"

using namespace ks;

namespace {

std::string Noise(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    return s;
}

class FtpRealServer : public ks::test::FtpTestBase {
  protected:
    void SetUp() override {
        FtpTestBase::SetUp();
        const char* url = std::getenv("KESTRUNE_TEST_FTP_DIR_URL");
        if (!url || !*url) GTEST_SKIP() << "no FTP server named";
        dirUrl_ = url;
    }
    int Upload(const std::string& local, int mode) {
        CProject p;
        p.settings.kind = static_cast<std::int32_t>(ProjectKind::FtpUpload);
        p.settings.uploadMode = mode;
        p.SetText(&ProjectSettings::url, dirUrl_);
        std::unique_ptr<CFtpClient> client;
        return UploadOne(p, client, local, true);
    }
    std::string Download(const std::string& name, const std::string& partial) {
        const std::string local = down_.File(name);
        plat::RemoveFile(local);
        if (!partial.empty()) plat::WriteFileAtomic(local, partial);
        CProject p;
        p.SetText(&ProjectSettings::folder, down_.path());
        EXPECT_EQ(FtpDownload(p, dirUrl_ + name), 1) << p.result.load();
        std::string got;
        plat::ReadWholeFile(local, got);
        return got;
    }
    std::string dirUrl_;
    ks::test::TempDir up_, down_;
};

}  // namespace

TEST_F(FtpRealServer, RoundTripsWithResumeInBothModes) {
    for (bool passive : {true, false}) {
        UsePassive(passive);
        const std::string name = std::string("ks-roundtrip-") + (passive ? "p" : "a") + ".bin";
        const std::string full = Noise(300000, passive ? 7 : 9);
        const std::string local = up_.File(name);
        // A first part, then the whole file resumed on top of it.
        plat::WriteFileAtomic(local, full.substr(0, 100000));
        ASSERT_EQ(Upload(local, 1), 1) << passive;
        plat::WriteFileAtomic(local, full);
        ASSERT_EQ(Upload(local, 0), 1) << passive;
        EXPECT_TRUE(Download(name, "") == full) << passive;
        EXPECT_TRUE(Download(name, full.substr(0, 123457)) == full) << passive << " resumed";
    }
}
