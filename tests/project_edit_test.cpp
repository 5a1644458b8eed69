#include "projects/project_edit.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

// The dialog opened on a running download; while it was open the worker moved
// on. OK must keep the worker's progress and take what the user edited.
TEST(ApplyDownloadSettings, RunningProjectKeepsItsProgress) {
    struct Case {
        const char* what;
        std::int32_t userFrom;  // what the dialog's "From" holds at OK
        std::int32_t wantFrom;
    } cases[] = {
        {"series start untouched: the worker's advance stands", 3, 5},
        {"series start changed by the user: taken", 9, 9},
        {"set back to where the worker began: taken", 1, 1},
    };
    for (const Case& c : cases) {
        CProject p;
        p.settings.kind = static_cast<std::int32_t>(ProjectKind::Download);
        p.settings.url = "http://a.test/f*.zip";
        p.settings.seqFrom = 3;
        p.settings.seqTo = 10;
        p.settings.savedProgress = 1000;
        p.settings.totalSize = 0;
        p.settings.fileName = "f3.zip";
        const ProjectSettings opened = p.Snapshot();

        // The worker, meanwhile: two numbers done, a size known, bytes in.
        p.settings.seqFrom = 5;
        p.settings.totalSize = std::int64_t(5) << 32;
        p.settings.savedProgress = (std::int64_t(3) << 32) + 7;
        p.SetText(&ProjectSettings::fileName, "f5.zip");

        ProjectSettings edited = opened;
        edited.url = "http://b.test/f*.zip";
        edited.seqFrom = c.userFrom;
        edited.seqTo = 12;
        edited.segments = 4;
        edited.disabled = 1;
        edited.folder = "/downloads";
        edited.mirrorFile = "/home/Projects/77.mir";
        ApplyDownloadSettings(p, opened, edited);

        const ProjectSettings got = p.Snapshot();
        EXPECT_EQ(got.savedProgress, (std::int64_t(3) << 32) + 7) << c.what;
        EXPECT_EQ(got.totalSize, std::int64_t(5) << 32) << c.what;
        EXPECT_EQ(got.fileName, "f5.zip") << c.what;
        EXPECT_EQ(got.seqFrom, c.wantFrom) << c.what;
        EXPECT_EQ(got.url, "http://b.test/f*.zip") << c.what;
        EXPECT_EQ(got.seqTo, 12) << c.what;
        EXPECT_EQ(got.segments, 4) << c.what;
        EXPECT_EQ(got.disabled, 1) << c.what;
        EXPECT_EQ(got.folder, "/downloads") << c.what;
        EXPECT_EQ(got.mirrorFile, "/home/Projects/77.mir") << c.what;
    }
}

}  // namespace
}  // namespace ks
