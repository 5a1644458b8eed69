#include "projects/queue_options.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace ks {
namespace {

// What kestrune.ini says reaches the queue the same way in the program and in
// the headless front end: both take their options from QueueOptionsFrom.
TEST(QueueOptions, TakenFromTheSettingsFile) {
    struct Case {
        const char* ini;
        QueueOptions want;
    } cases[] = {
        {"", {false, 3, true, true, "", false, 1, true, true}},
        {"[Limits]\nlimit=yes\nmaxfiles=7\n", {true, 7, true, true, "", false, 1, true, true}},
        {"[Download]\nImmediate=no\nuseWav=no\ndontaskme=yes\n",
         {false, 3, false, false, "", true, 1, true, true}},
        {"[Download]\nwavfile=/srv/ding.wav\nacceleration=4\nautomirrorcheck=no\ncheckfast=no\n",
         {false, 3, true, true, "/srv/ding.wav", false, 4, false, false}},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string ini = dir.File("kestrune.ini");
        ASSERT_TRUE(plat::WriteFileAtomic(ini, c.ini));
        const QueueOptions o = QueueOptionsFrom(Settings::Load(ini, dir.path()));
        EXPECT_EQ(o.limit, c.want.limit) << c.ini;
        EXPECT_EQ(o.maxFiles, c.want.maxFiles) << c.ini;
        EXPECT_EQ(o.immediate, c.want.immediate) << c.ini;
        EXPECT_EQ(o.useWav, c.want.useWav) << c.ini;
        if (!c.want.wavFile.empty()) {
            EXPECT_EQ(o.wavFile, c.want.wavFile) << c.ini;
        }
        EXPECT_EQ(o.dontAskMe, c.want.dontAskMe) << c.ini;
        EXPECT_EQ(o.acceleration, c.want.acceleration) << c.ini;
        EXPECT_EQ(o.autoMirror, c.want.autoMirror) << c.ini;
        EXPECT_EQ(o.checkFast, c.want.checkFast) << c.ini;
    }
}

}  // namespace
}  // namespace ks

namespace ks {
namespace {

struct NoHost : QueueHost {
    std::string CurrentFolder() override { return "."; }
};

// Every new project starts from the same defaults: a download or a list grab
// takes its acceleration and mirror options from the settings, an upload none.
TEST(QueueOptions, NewProjectDefaultsPerKind) {
    NoHost host;
    ProjectQueue q(host);
    QueueOptions o;
    o.acceleration = 5;
    o.autoMirror = true;
    o.checkFast = true;
    q.SetOptions(o);
    struct Case {
        ProjectKind kind;
        int segments, autoMirror, pingFastest;
    } cases[] = {
        {ProjectKind::Download, 5, 1, 1},
        {ProjectKind::UrlListGrab, 5, 1, 1},
        {ProjectKind::FtpUpload, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const ProjectSettings s = q.NewProjectSettings(c.kind, "/srv/in");
        EXPECT_EQ(s.Kind(), c.kind);
        EXPECT_EQ(s.folder, "/srv/in");
        EXPECT_EQ(s.segments.load(), c.segments);
        EXPECT_EQ(s.autoMirror.load(), c.autoMirror);
        EXPECT_EQ(s.pingFastest.load(), c.pingFastest);
        EXPECT_EQ(s.seqDigits.load() * 100 + s.seqFrom.load() * 10 + s.seqTo.load(), 111);
    }
}

}  // namespace
}  // namespace ks
