// `kestrune-cli get --mirror`: the mirrors named on the command line become
// the project's other sources (its .mir file) and serve its segments in turn;
// a mirror holding a different file serves nothing and the download stays
// byte-exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/child_process.h"
#include "support/cli_run.h"
#include "support/scripted_http_server.h"
#include "support/temp_dir.h"

#ifndef _WIN32  // each case starts several processes: too slow under Wine

using ks::test::HttpRule;
using ks::test::PatternBytes;
using ks::test::ScriptedHttpServer;

namespace {

class CliMirror : public ::testing::Test {
  protected:
    int Cli(std::vector<std::string> args) {
        return ks::test::RunCliIn(home_.path(), std::move(args));
    }
    void SetUp() override {
        ASSERT_EQ(Cli({"config", "Limits", "timeout", "5"}), 0);
        ASSERT_EQ(Cli({"config", "Limits", "wait", "0"}), 0);
    }
    // About 8 MB/s per connection, so that every segment is split off before
    // the main connection could finish alone.
    static HttpRule Throttled(std::shared_ptr<const std::string> bytes) {
        HttpRule r = HttpRule::File("/pub/f.bin", std::move(bytes));
        r.blockSize = 16 * 1024;
        r.delayBetweenBlocksMs = 2;
        return r;
    }
    // Ranged requests that started past the beginning: segments.
    static int SegmentRequests(const ScriptedHttpServer& s) {
        int n = 0;
        for (const std::string& r : s.Requests()) {
            const std::size_t at = r.find("Range: bytes=");
            n += at != std::string::npos && r.compare(at + 13, 2, "0-") != 0 ? 1 : 0;
        }
        return n;
    }
    std::string MirrorFileText() {
        const std::string dir = home_.File("Projects");
        for (const std::string& name : ks::plat::ListFiles(dir, ".mir")) {
            std::string text;
            ks::plat::ReadWholeFile(ks::plat::JoinPath(dir, name), text);
            return text;
        }
        return "<none>";
    }

    ks::test::TempDir home_, down_;
    std::shared_ptr<const std::string> data_ = PatternBytes(4 * 1000 * 1000 + 33, 7);
};

}  // namespace

TEST_F(CliMirror, SegmentsComeFromEveryMirrorInTurnAndTheFileIsExact) {
    struct Case {
        const char* name;
        int badMirror;  // -1: none; else its index serves a file of another size
    } cases[] = {{"three good mirrors", -1}, {"the second serves another file", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ks::plat::RemoveFile(down_.File("f.bin"));
        ScriptedHttpServer main({Throttled(data_)});
        std::vector<std::unique_ptr<ScriptedHttpServer>> mirrors;
        std::vector<std::string> args = {"get", "--quiet", "--segments",
                                         "4",   "--dir",   down_.path()};
        for (int i = 0; i < 3; ++i) {
            auto bytes = i == c.badMirror ? PatternBytes(data_->size() + 1000, 9) : data_;
            mirrors.push_back(
                std::make_unique<ScriptedHttpServer>(std::vector<HttpRule>{Throttled(bytes)}));
            args.push_back("--mirror");
            args.push_back(mirrors.back()->Url("/pub/f.bin"));
        }
        args.push_back(main.Url("/pub/f.bin"));
        ASSERT_EQ(Cli(args), 0);
        std::string got;
        ks::plat::ReadWholeFile(down_.File("f.bin"), got);
        EXPECT_TRUE(got == *data_) << "size " << got.size();
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            if (i == c.badMirror)
                EXPECT_LE(mirrors[i]->RequestCount(), 1u) << "asked again after another size";
            else
                EXPECT_GE(SegmentRequests(*mirrors[i]), 1);
        }
        EXPECT_EQ(MirrorFileText(), mirrors[0]->Url("/pub/f.bin") + "\n" +
                                        mirrors[1]->Url("/pub/f.bin") + "\n" +
                                        mirrors[2]->Url("/pub/f.bin") + "\n");
        // The next case is a new project: a different URL.
        for (const std::string& n : ks::plat::ListFiles(home_.File("Projects"), ""))
            ks::plat::RemoveFile(ks::plat::JoinPath(home_.File("Projects"), n));
    }
}

#endif
