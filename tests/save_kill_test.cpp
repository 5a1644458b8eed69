// A program killed in the middle of saving must leave every file it was
// replacing either in its previous or in its new version.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/settings.h"
#include "helpers/save_loop_versions.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

using namespace ks;

namespace {

// The version a settings file holds, -1 when it is no complete version, -2 when
// there is no file yet.
std::int64_t ReadIniVersion(const std::string& folder) {
    if (!plat::FileExists(test::IniPath(folder))) return -2;
    const Settings st = Settings::Load(test::IniPath(folder), folder);
    const std::int64_t v = ParseIniInt(st.Get("Limits", "wait").value_or(""));
    return st.Get("Download", "ExtParams") == test::VersionParams(v) ? v : -1;
}

// Reloads the project and checks it is exactly one version the child wrote;
// returns that version.
std::int64_t CheckProject(const std::string& folder) {
    auto loaded = LoadProjects(folder);
    EXPECT_EQ(loaded.size(), 1u);
    if (loaded.size() != 1) return -1;
    CProject& p = *loaded[0];
    ProjectSettings got = p.Snapshot();
    const std::int64_t v = got.seqFrom;

    ProjectSettings want = got;
    test::ApplyVersion(want, v, folder);
    want.position = 0;
    std::string text;
    EXPECT_TRUE(plat::ReadWholeFile(got.projectFile, text));
    EXPECT_EQ(text, FormatProjectFile(want, test::VersionBytesDone(v))) << "version " << v;

    if (v >= 1) {
        // The mirror list is replaced right after the project file.
        std::vector<std::string> m = p.Mirrors();
        EXPECT_TRUE(m == test::VersionMirrors(v) || m == test::VersionMirrors(v - 1))
            << "mirrors of version " << v;
    }
    if (v >= 2) {
        std::int64_t iv = ReadIniVersion(folder);
        EXPECT_TRUE(iv == v || iv == v - 1) << "settings version " << iv << " with project " << v;
    }
    return v;
}

}  // namespace

TEST(SaveKill, FilesSurviveAKillAtAnyMoment) {
    const std::string helper = test::HelperPath("save_loop_child");
    ASSERT_TRUE(plat::FileExists(helper)) << helper;
    test::TempDir dir;
    std::mt19937 rng(std::random_device{}());
    std::int64_t last = 0;
    // 30 rounds, fewer when starting a process is slow (under emulation), but never under 10.
    const std::int64_t budgetEnd = plat::MonotonicMs() + 8000;
    int round = 0;
    for (; round < 30 && (round < 10 || plat::MonotonicMs() < budgetEnd); ++round) {
        const std::int64_t before = ReadIniVersion(dir.path());
        test::ChildProcess child;
        ASSERT_TRUE(child.Start(helper, {dir.path()}));
        // Kill it only once it is in its loop, then at a random moment.
        const std::int64_t deadline = plat::MonotonicMs() + 10000;
        // (Loading the settings writes a default file first, which holds no version.)
        while (ReadIniVersion(dir.path()) <= std::max<std::int64_t>(before, 0) &&
               plat::MonotonicMs() < deadline) {
            plat::SleepMs(1);
        }
        plat::SleepMs(std::uniform_int_distribution<int>(0, 20)(rng));
        child.Kill();

        std::int64_t v = CheckProject(dir.path());
        if (HasFailure()) return;
        EXPECT_GE(v, last) << "a saved version was lost";
        last = v;
    }
    EXPECT_GT(last, round) << "the child barely ran";
}
