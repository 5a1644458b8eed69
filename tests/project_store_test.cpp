#include "projects/project_store.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "platform/files.h"
#include "support/temp_dir.h"
#include "transfer/segments.h"

using namespace ks;
namespace plat = ks::plat;

namespace {

constexpr std::int64_t kBig = (std::int64_t(1) << 32) + 12345;

ProjectSettings Sample(ProjectKind kind, const std::string& folder) {
    ProjectSettings s;
    s.position = 7;
    s.url = "http://example.test/dir/file name.zip?a=1";
    s.seqSuffix = "_part.rar";
    s.seqDigits = 3;
    s.seqFrom = 12;
    s.seqTo = 40;
    s.savedProgress = 98765;
    s.totalSize = kBig;
    s.folder = folder;
    s.fileName = "file name.zip";
    s.source = plat::JoinPath(folder, "list.txt");
    s.password = "pa ss\\word";
    s.userName = "anonymous";
    s.kind = static_cast<std::int32_t>(kind);
    s.uploadMode = 1;
    s.sequential = 1;
    s.disabled = 1;
    s.autoMirror = 1;
    s.pingFastest = 0;
    s.segments = 4;
    return s;
}

void ExpectSameSettings(const ProjectSettings& a, const ProjectSettings& b, const char* what) {
#define SAME(f) EXPECT_EQ(a.f, b.f) << what << ", field " #f
    // clang-format off
    SAME(url); SAME(seqSuffix); SAME(seqDigits); SAME(seqFrom); SAME(seqTo); SAME(totalSize);
    SAME(folder); SAME(projectFile); SAME(fileName); SAME(source); SAME(mirrorFile);
    SAME(password); SAME(userName); SAME(kind); SAME(uploadMode); SAME(sequential);
    SAME(disabled); SAME(autoMirror); SAME(pingFastest); SAME(segments); SAME(segmentFile);
    // clang-format on
#undef SAME
}

void WriteText(const std::string& path, const std::string& text) {
    ASSERT_TRUE(plat::WriteFileAtomic(path, text));
}

}  // namespace

TEST(ProjectStore, EveryFieldRoundTripsForEachKind) {
    struct Case {
        ProjectKind kind;
        std::int64_t bytesDone;
        std::int64_t wantBytesDone;      // after reload
        std::int64_t wantSavedProgress;  // after reload
    };
    const Case cases[] = {
        {ProjectKind::Download, kBig + 1, kBig + 1, kBig + 1},
        {ProjectKind::UrlListGrab, 555, 0, 555},
        {ProjectKind::FtpUpload, 666, 666, 666},
        {ProjectKind::Search, 777, 0, 98765},
    };
    for (const Case& c : cases) {
        ks::test::TempDir dir;
        const char* what = nullptr;
        std::string name = "kind " + std::to_string(int(c.kind));
        what = name.c_str();
        auto p = CreateProject(Sample(c.kind, dir.path()), true, dir.path());
        p->bytesDone = c.bytesDone;
        ASSERT_TRUE(SaveProject(*p)) << what;
        ProjectSettings want = p->Snapshot();
        EXPECT_EQ(want.mirrorFile.empty(), c.kind != ProjectKind::Download) << what;

        auto loaded = LoadProjects(dir.path());
        ASSERT_EQ(loaded.size(), 1u) << what;
        ProjectSettings got = loaded[0]->Snapshot();
        ExpectSameSettings(got, want, what);
        EXPECT_EQ(got.position, 0) << "renumbered; " << what;
        EXPECT_EQ(loaded[0]->bytesDone, c.wantBytesDone) << what;
        EXPECT_EQ(got.savedProgress, c.wantSavedProgress) << what;
        EXPECT_EQ(loaded[0]->rate.load(), 0.0) << what;

        // Saved again untouched (a row moved, the program closing): the
        // progress on disk stays what it was.
        if (c.wantBytesDone != 0) {
            ASSERT_TRUE(SaveProject(*loaded[0])) << what;
            EXPECT_EQ(LoadProjects(dir.path())[0]->settings.savedProgress, c.wantSavedProgress)
                << what;
        }
    }
}

TEST(ProjectStore, HandWrittenProjectFileLoads) {
    ks::test::TempDir dir;
    std::string projects = ProjectsFolder(dir.path());
    ASSERT_TRUE(plat::MakeDirs(projects));
    WriteText(plat::JoinPath(projects, "1000.kpr"),
              "http://h/a.zip\na.zip\n\n1\nC:\\Down\n1\n1\n5000\n10000\n\n0\n\n\n0\n0\n3\n0\n2\n"
              "C:\\K\\Projects\\1000.cac\n1\n1\nC:\\K\\Projects\\1000.mir\n");
    // Written by a text editor: CRLF, and cut short after line 7.
    WriteText(plat::JoinPath(projects, "2000.kpr"),
              "http://h/b.zip\r\nb.zip\r\n\r\n2\r\nD\r\n4\r\n9");

    WriteText(plat::JoinPath(projects, "3000.kpr.tmp77_0"), "torn by a crash");
    auto loaded = LoadProjects(dir.path());
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_FALSE(plat::FileExists(plat::JoinPath(projects, "3000.kpr.tmp77_0")));
    ProjectSettings a = loaded[1]->Snapshot();  // position 3 sorts after position 0
    EXPECT_EQ(a.url, "http://h/a.zip");
    EXPECT_EQ(a.folder, "C:\\Down");
    EXPECT_EQ(a.totalSize, 10000);
    EXPECT_EQ(loaded[1]->bytesDone, 5000);
    EXPECT_EQ(a.segments, 2);
    EXPECT_EQ(a.segmentFile, "C:\\K\\Projects\\1000.cac");
    EXPECT_EQ(a.mirrorFile, "C:\\K\\Projects\\1000.mir");
    EXPECT_EQ(a.projectFile, plat::JoinPath(projects, "1000.kpr"));

    ProjectSettings b = loaded[0]->Snapshot();
    EXPECT_EQ(b.url, "http://h/b.zip");
    EXPECT_EQ(b.seqDigits, 2);
    EXPECT_EQ(b.seqFrom, 4);
    EXPECT_EQ(b.seqTo, 9);
    EXPECT_EQ(b.totalSize, 0);
    EXPECT_EQ(b.userName, "");
    EXPECT_EQ(b.segments, 0);
}

TEST(ProjectStore, ReloadOrderAndRowImage) {
    struct Row {
        std::int32_t position, seqFrom, seqTo;
        int image;
    };
    // Saved positions out of order; the series test compares unsigned.
    const Row rows[] = {{5, 3, 2, 5}, {1, 1, 1, 4}, {3, 1, -1, 4}, {9, -1, 5, 5}};
    ks::test::TempDir dir;
    for (const Row& r : rows) {
        ProjectSettings s = Sample(ProjectKind::Download, dir.path());
        s.position = r.position;
        s.seqFrom = r.seqFrom;
        s.seqTo = r.seqTo;
        CreateProject(s, true, dir.path());
    }
    auto loaded = LoadProjects(dir.path());
    ASSERT_EQ(loaded.size(), 4u);
    const int order[] = {1, 2, 0, 3};  // rows sorted by saved position
    for (int i = 0; i < 4; ++i) {
        const Row& r = rows[order[i]];
        EXPECT_EQ(loaded[i]->settings.position, i);
        EXPECT_EQ(loaded[i]->settings.seqFrom, r.seqFrom) << i;
        EXPECT_EQ(loaded[i]->imageBase, r.image) << i;
    }
}

TEST(ProjectStore, NumbersAreUniqueWithinOneSecond) {
    ks::test::TempDir dir;
    std::vector<std::unique_ptr<CProject>> made(40);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = t; i < 40; i += 4) {
                made[i] =
                    CreateProject(Sample(ProjectKind::Download, dir.path()), true, dir.path());
            }
        });
    }
    for (auto& t : threads) t.join();
    std::set<std::string> kpr, mir;
    for (auto& p : made) {
        kpr.insert(p->GetText(&ProjectSettings::projectFile));
        mir.insert(p->GetText(&ProjectSettings::mirrorFile));
        EXPECT_TRUE(plat::FileExists(p->GetText(&ProjectSettings::projectFile)));
    }
    EXPECT_EQ(kpr.size(), 40u);
    EXPECT_EQ(mir.size(), 40u);
    EXPECT_EQ(LoadProjects(dir.path()).size(), 40u);
}

TEST(ProjectStore, LineBreaksInValuesDoNotShiftLines) {
    ks::test::TempDir dir;
    ProjectSettings s = Sample(ProjectKind::FtpUpload, dir.path());
    s.password = "sec\nret\r";
    s.userName = std::string("us\0er", 5);
    auto p = CreateProject(s, true, dir.path());
    ASSERT_TRUE(WriteUploadList(*p, {"/a/b.txt", "/a/c\nd.txt"}, dir.path()));
    ASSERT_TRUE(SaveProject(*p));

    auto loaded = LoadProjects(dir.path());
    ASSERT_EQ(loaded.size(), 1u);
    ProjectSettings got = loaded[0]->Snapshot();
    EXPECT_EQ(got.password, "secret");
    EXPECT_EQ(got.userName, "user");
    EXPECT_EQ(got.uploadMode, 1) << "the line after the password stays in place";
    EXPECT_EQ(got.mirrorFile, "");
    EXPECT_EQ(ReadUploadList(got.source), (std::vector<std::string>{"/a/b.txt", "/a/cd.txt"}));
}

TEST(ProjectStore, ListFilesIgnoreTextAfterTheLastLineFeed) {
    ks::test::TempDir dir;
    WriteText(dir.File("m.mir"), "http://a/x.zip\nhttp://b/x.zip");
    EXPECT_EQ(ReadMirrorList(dir.File("m.mir")), std::vector<std::string>{"http://a/x.zip"});
    WriteText(dir.File("m.mir"), "u1\r\n\nu3\n");
    EXPECT_EQ(ReadMirrorList(dir.File("m.mir")), (std::vector<std::string>{"u1\r", "", "u3"}));
    EXPECT_TRUE(ReadUploadList(dir.File("missing.lst")).empty());
}

TEST(ProjectStore, MirrorFileWrittenOnlyWithMirrorsAndSegments) {
    ks::test::TempDir dir;
    for (int segments : {0, 3}) {
        ProjectSettings s = Sample(ProjectKind::Download, dir.path());
        s.segments = segments;
        auto p = CreateProject(s, true, dir.path());
        std::string mir = p->GetText(&ProjectSettings::mirrorFile);
        ASSERT_FALSE(mir.empty());
        EXPECT_FALSE(plat::FileExists(mir)) << "no mirrors yet";
        p->SetMirrors({"http://m1/x.zip", "http://m2/x.zip"});
        ASSERT_TRUE(SaveProject(*p));
        EXPECT_EQ(plat::FileExists(mir), segments > 0);

        // The project dialog writes whatever the list holds.
        ASSERT_TRUE(StoreProjectMirrors(*p, {"http://m3/x.zip"}, dir.path()));
        auto again = CreateProject(p->Snapshot(), false, dir.path());
        EXPECT_EQ(again->Mirrors(), std::vector<std::string>{"http://m3/x.zip"});
    }
}

TEST(ProjectStore, SegmentsResumeAfterRestartFromCacFile) {
    ks::test::TempDir dir;
    ProjectSettings s = Sample(ProjectKind::Download, dir.path());
    s.fileName = "f.zip";
    s.totalSize = 1000000;
    auto p = CreateProject(s, true, dir.path());
    WriteText(dir.File("500000_f.zip"), std::string(200000, 'x'));
    WriteText(dir.File("800000_F.ZIP"), std::string(10, 'y'));
    WriteText(dir.File("300000_g.zip"), "z");  // left from another file of a series
    {
        std::lock_guard<std::mutex> g(p->segmentList.Mutex());
        for (const char* n : {"800000_F.ZIP", "500000_f.zip", "300000_g.zip", "100_gone.zip"}) {
            p->segmentList.Insert(
                std::make_unique<CSegment>(std::stoll(n), n, SegmentState::Active));
        }
        // The same name in another case is listed once.
        p->segmentList.Insert(
            std::make_unique<CSegment>(600000, "500000_F.ZIP", SegmentState::Active));
    }
    ASSERT_TRUE(SaveProject(*p));
    std::string cac;
    ASSERT_TRUE(plat::ReadWholeFile(p->GetText(&ProjectSettings::segmentFile), cac));
    EXPECT_EQ(cac, "100_gone.zip\n300000_g.zip\n500000_f.zip\n800000_F.ZIP\n");

    auto loaded = LoadProjects(dir.path());
    ASSERT_EQ(loaded.size(), 1u);
    CProject& r = *loaded[0];
    std::lock_guard<std::mutex> g(r.segmentList.Mutex());
    ASSERT_EQ(r.segmentList.Size(), 3u) << "the missing file is skipped";
    const CSegment& n = *r.segmentList.Nodes()[1];
    EXPECT_EQ(n.start, 500000);
    EXPECT_EQ(n.bytesDone, 200000);
    EXPECT_EQ(n.state, SegmentState::Stopped);
    EXPECT_EQ(r.segmentList.FindResumable("f.zip", 900000), nullptr)
        << "neither leaves more than the floor free";
    EXPECT_EQ(r.segmentList.FindResumable("f.zip", 1200000)->start, 800000);
    EXPECT_EQ(r.segmentList.FindAt(300000, "f.zip"), nullptr) << "another file's node";
}

TEST(ProjectStore, DeleteFilesRemovesProjectFilesOnly) {
    ks::test::TempDir dir;
    for (ProjectKind kind : {ProjectKind::Download, ProjectKind::FtpUpload, ProjectKind::Search}) {
        ProjectSettings s = Sample(kind, dir.path());
        s.fileName = "page.htm";
        auto p = CreateProject(s, true, dir.path());
        if (kind == ProjectKind::Search) p->SetText(&ProjectSettings::segmentFile, "results.htm");
        WriteText(dir.File("page.htm"), "downloaded or frameset");
        WriteText(dir.File("results.htm"), "r");
        WriteText(dir.File("kept.txt"), "k");
        ASSERT_TRUE(plat::MakeDirs(dir.File("page")));
        WriteText(plat::JoinPath(dir.File("page"), "1.html"), "copy");
        WriteText(dir.File("100_page.htm"), "segment");
        {
            std::lock_guard<std::mutex> g(p->segmentList.Mutex());
            p->segmentList.Insert(
                std::make_unique<CSegment>(100, "100_page.htm", SegmentState::Stopped));
        }
        if (kind == ProjectKind::FtpUpload) {
            ASSERT_TRUE(WriteUploadList(*p, {"/x"}, dir.path()));
        }
        if (kind == ProjectKind::Download) {
            ASSERT_TRUE(StoreProjectMirrors(*p, {"http://m/"}, dir.path()));
        }
        ASSERT_TRUE(SaveProject(*p));
        ProjectSettings saved = p->Snapshot();
        p->deleteFiles = true;
        p.reset();

        const bool search = kind == ProjectKind::Search;
        EXPECT_FALSE(plat::FileExists(saved.projectFile));
        EXPECT_FALSE(plat::FileExists(dir.File("100_page.htm")));
        EXPECT_TRUE(plat::FileExists(dir.File("kept.txt")));
        EXPECT_EQ(plat::FileExists(dir.File("page.htm")), !search) << "never the downloaded file";
        EXPECT_EQ(plat::FileExists(dir.File("results.htm")), !search);
        EXPECT_EQ(plat::DirExists(dir.File("page")), !search);
        if (!search) {
            EXPECT_FALSE(plat::FileExists(saved.segmentFile));
        }
        if (kind == ProjectKind::FtpUpload) {
            EXPECT_FALSE(plat::FileExists(saved.source));
        }
        if (kind == ProjectKind::Download) {
            EXPECT_FALSE(plat::FileExists(saved.mirrorFile));
        }
        EXPECT_TRUE(plat::ListFiles(ProjectsFolder(dir.path()), "").empty());
    }
}

TEST(ProjectStore, SegmentWorkerEndHandsBytesBack) {
    ks::test::TempDir dir;
    for (bool doNotReuse : {false, true}) {
        ProjectSettings s = Sample(ProjectKind::Download, dir.path());
        s.fileName = "f.zip";
        auto parent = CreateProject(s, true, dir.path());
        WriteText(dir.File("500000_f.zip"), "data");
        CSegment* node;
        {
            std::lock_guard<std::mutex> g(parent->segmentList.Mutex());
            node = parent->segmentList.Insert(
                std::make_unique<CSegment>(500000, "500000_f.zip", SegmentState::Active));
        }
        node->doNotReuse = doNotReuse;
        auto w = std::make_unique<CProject>(parent->Snapshot());
        w->segmentWorker = true;
        w->parentProject = parent.get();
        w->servedSegment = node;
        w->bytesDone = 4;
        node->worker = w.get();
        EXPECT_TRUE(SaveProject(*w));
        EXPECT_EQ(node->worker.load(), nullptr);
        EXPECT_EQ(node->state, SegmentState::Stopped);
        EXPECT_EQ(node->bytesDone, doNotReuse ? 0 : 4);
        EXPECT_EQ(plat::FileExists(dir.File("500000_f.zip")), !doNotReuse);
        w->deleteFiles = true;
        w.reset();
        EXPECT_TRUE(plat::FileExists(parent->GetText(&ProjectSettings::projectFile)))
            << "a worker never deletes its parent's files";
    }
}

// A segmented project's worker waits for a running segment worker to hand its
// node back before it lets go of the project, so no segment worker ever
// outlives its parent; a stop request reaches the segments on the way.
TEST(ProjectStore, SegmentWorkersEndBeforeTheirParent) {
    ks::test::TempDir dir;
    ProjectSettings s = Sample(ProjectKind::Download, dir.path());
    s.segments = 2;
    ProjectPtr parent = CreateProject(s, false, dir.path());
    auto running = std::make_shared<CProject>(s);
    running->segmentWorker = true;
    running->parentProject = parent.get();
    running->workerRunning = true;
    {
        std::lock_guard<std::mutex> g(parent->segmentList.Mutex());
        CSegment* n = parent->segmentList.Insert(
            std::make_unique<CSegment>(20, "20_x", SegmentState::Active));
        n->worker = running.get();
        running->servedSegment = n;
    }
    std::thread worker([running] {
        running->WaitForStop(60000);
        running->bytesDone = 3;
        SaveProject(*running);
        EndWorker(running.get());
    });
    RequestStop(*parent, false);
    EXPECT_TRUE(WaitForSegmentsToEnd(*parent)) << "stopped";
    {
        std::lock_guard<std::mutex> g(parent->segmentList.Mutex());
        ASSERT_EQ(parent->segmentList.Size(), 1u);
        const CSegment& n = *parent->segmentList.Nodes()[0];
        EXPECT_EQ(n.worker.load(), nullptr);
        EXPECT_EQ(n.state.load(), SegmentState::Stopped);
        EXPECT_EQ(n.bytesDone.load(), 3);
    }
    parent.reset();
    worker.join();
}

TEST(ProjectStore, SaveFailsWhenTheProjectFileCannotBeWritten) {
    ks::test::TempDir dir;
    ProjectSettings s = Sample(ProjectKind::Download, dir.path());
    s.projectFile = plat::JoinPath(dir.File("missing"), "1.kpr");
    s.segmentFile = plat::JoinPath(dir.path(), "1.cac");
    CProject p(s);
    EXPECT_FALSE(SaveProject(p));
    EXPECT_FALSE(plat::FileExists(s.segmentFile)) << "nothing else is written";
}

// A results page name without a stem must not turn the whole results folder
// into "the offline copies".
TEST(ProjectStore, SearchDeletionStaysInsideItsOwnFiles) {
    ks::test::TempDir dir;
    ProjectSettings s = Sample(ProjectKind::Search, dir.path());
    auto p = CreateProject(s, true, dir.path());
    p->SetText(&ProjectSettings::fileName, ".html");
    p->SetText(&ProjectSettings::segmentFile, "../outside.htm");
    WriteText(dir.File("other.html"), "another search's page");
    p->deleteFiles = true;
    p.reset();
    EXPECT_TRUE(plat::FileExists(dir.File("other.html")));
    EXPECT_TRUE(plat::DirExists(dir.path()));
}

// A damaged or foreign file of gigabytes must not be read whole into memory at
// start-up; it is passed over and everything else still loads.
TEST(ProjectStore, OversizedFilesAreLeftUnread) {
    ks::test::TempDir dir;
    std::string projects = ProjectsFolder(dir.path());
    ASSERT_TRUE(plat::MakeDirs(projects));
    auto sparse = [](const std::string& path, std::int64_t size, const std::string& head) {
        plat::File f;
        ASSERT_TRUE(f.Open(path, plat::File::Mode::Truncate));
        ASSERT_TRUE(f.Write(head));
        ASSERT_TRUE(f.Truncate(size));
    };
    WriteText(plat::JoinPath(projects, "1000.kpr"), "http://h/small.zip\nsmall.zip\n");
    sparse(plat::JoinPath(projects, "2000.kpr"), kProjectFileMax + 1, "http://h/huge.zip\n");
    auto loaded = LoadProjects(dir.path());
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0]->GetText(&ProjectSettings::url), "http://h/small.zip");

    struct Case {
        std::int64_t size;
        bool readable;
    } cases[] = {{kListFileMax, true}, {kListFileMax + 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        sparse(dir.File("up.lst"), c.size, "/a/b.txt\n");
        std::vector<std::string> entries;
        EXPECT_EQ(ReadUploadList(dir.File("up.lst"), entries), c.readable);
        EXPECT_EQ(!entries.empty(), c.readable);
    }
    std::vector<std::string> none;
    EXPECT_FALSE(ReadUploadList(dir.File("missing.lst"), none));
}

namespace {

std::string ReadText(const std::string& path) {
    std::string text;
    EXPECT_TRUE(plat::ReadWholeFile(path, text)) << path;
    return text;
}

}  // namespace

// A project file from before mirror lists had names. Saving it without mirrors
// changes nothing; once it has mirrors, their list is named before the project
// file is written, so the name (and the mirrors) survive the process, and
// later runs keep that name and save nothing.
TEST(ProjectStore, MirrorListNameIsStoredWithTheSaveThatNeedsIt) {
    ks::test::TempDir dir;
    const std::string projects = ProjectsFolder(dir.path());
    ASSERT_TRUE(plat::MakeDirs(projects));
    ProjectSettings old = Sample(ProjectKind::Download, dir.path());
    old.position = 0;  // as loading numbers it
    const std::string kpr = plat::JoinPath(projects, "1000.kpr");
    WriteText(kpr, FormatProjectFile(old, 5));
    const std::string original = ReadText(kpr);

    auto first = LoadProjects(dir.path());
    ASSERT_EQ(first.size(), 1u);
    ASSERT_TRUE(SaveProject(*first[0]));
    EXPECT_EQ(first[0]->GetText(&ProjectSettings::mirrorFile), "") << "no mirrors, no name";
    EXPECT_EQ(ReadText(kpr), original);

    first[0]->SetMirrors({"http://m1/x.zip"});
    ASSERT_TRUE(SaveProject(*first[0]));
    const std::string named = first[0]->GetText(&ProjectSettings::mirrorFile);
    ASSERT_FALSE(named.empty());
    EXPECT_EQ(ParseProjectFile(ReadText(kpr)).mirrorFile, named);
    first.clear();

    const std::string stored = ReadText(kpr);
    for (int run = 0; run < 2; ++run) {
        auto again = LoadProjects(dir.path());
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(again[0]->Mirrors(), std::vector<std::string>{"http://m1/x.zip"});
        ASSERT_TRUE(SaveProject(*again[0]));
        EXPECT_EQ(again[0]->GetText(&ProjectSettings::mirrorFile), named) << "run " << run;
        EXPECT_EQ(ReadText(kpr), stored) << "run " << run;
    }
}
