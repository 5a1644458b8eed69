// Bookkeeping of segmented downloads, without sockets: split points, starting
// and resuming segments, the merge decisions, and restart after a crash.
#include "transfer/segments.h"

#include <gtest/gtest.h>

#include "base/project.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "support/temp_dir.h"

using namespace ks;

namespace {

constexpr std::int64_t GiB = 1024LL * 1024 * 1024;
constexpr SegmentState A = SegmentState::Active, S = SegmentState::Stopped;

struct Node {
    std::int64_t start, done;
    SegmentState state;
    std::string name = "";  // default: "<start>_f.zip"
};

// Remote bytes from `from` on, the same wherever they are cut.
std::string Bytes(std::int64_t from, std::int64_t len) {
    std::string s(static_cast<std::size_t>(len), '\0');
    for (std::int64_t i = 0; i < len; ++i) s[std::size_t(i)] = char((from + i) * 7 % 251);
    return s;
}

struct Segments : ::testing::Test {
    ks::test::TempDir dir;
    CProject p;
    std::vector<ProjectPtr> launched;  // workers that were "started"; none ever runs

    Segments() {
        p.SetText(&ProjectSettings::folder, dir.path());
        p.SetText(&ProjectSettings::fileName, "f.zip");
        p.SetText(&ProjectSettings::segmentFile, dir.File("1.cac"));
        p.SetText(&ProjectSettings::projectFile, dir.File("1.kpr"));
        p.settings.segments = 4;
        p.requestedUrl = "http://h/f.zip";
        SetSegmentLauncher([this](const ProjectPtr& w) { return launched.push_back(w), true; });
    }
    ~Segments() override {
        SetSegmentLauncher(nullptr);
        Reset({});
    }
    void Reset(const std::vector<Node>& nodes) {
        std::lock_guard<std::mutex> g(p.segmentList.Mutex());
        for (const auto& n : p.segmentList.Nodes()) n->worker = nullptr;
        p.segmentList.Clear();
        launched.clear();
        for (const Node& n : nodes) {
            std::string name = n.name.empty() ? SegmentFileName(n.start, "f.zip") : n.name;
            p.segmentList.Insert(std::make_unique<CSegment>(n.start, name, n.state, n.done));
        }
    }
    std::vector<std::int64_t> Starts() {
        std::lock_guard<std::mutex> g(p.segmentList.Mutex());
        std::vector<std::int64_t> s;
        for (const auto& n : p.segmentList.Nodes()) s.push_back(n->start);
        return s;
    }
    CSegment* At(std::int64_t start) {
        std::lock_guard<std::mutex> g(p.segmentList.Mutex());
        for (const auto& n : p.segmentList.Nodes())
            if (n->start == start) return n.get();
        return nullptr;
    }
    bool Write(const std::string& name, const std::string& bytes) {
        return plat::WriteFileAtomic(dir.File(name), bytes);
    }
    std::string Read(const std::string& name) {
        std::string s;
        plat::ReadWholeFile(dir.File(name), s);
        return s;
    }
    // The project as a restart finds it: settings, .cac file and segment files.
    std::unique_ptr<CProject> Restart(std::int64_t total) {
        ProjectSettings s = p.Snapshot();
        s.totalSize = total;
        auto r = CreateProject(s, false, dir.path());
        r->localPath = dir.File("f.zip");
        return r;
    }
};

}  // namespace

TEST_F(Segments, SplitPoints) {
    struct Case {
        const char* name;
        std::int64_t P, T;
        std::vector<Node> nodes;
        std::int64_t want;  // 0: none, noMoreSegments set
    } cases[] = {
        {"empty list halves the rest", 1, 1000000, {}, 500000},
        {"less than 100000 left", 900001, 1000000, {}, 0},
        {"100000 left still splits", 900000, 1000000, {}, 950000},
        {"running segment's range is larger", 10000, 1000000, {{500000, 0, A}}, 750000},
        {"range in front of the first node", 0, 1000000, {{500000, 300000, A}}, 250000},
        {"equal halves: the front loses", 0, 1000000, {{500000, 0, A}}, 750000},
        {"largest running range",
         0,
         2000000,
         {{400000, 0, A}, {600000, 0, A}, {1000000, 0, A}},
         1500000},
        {"stopped nodes' ranges are not split", 0, 1000000, {{100000, 0, A}, {200000, 0, S}}, 0},
        {"halves of 100000 are too small",
         0,
         1000000,
         {{200000, 0, A}, {400000, 0, A}, {600000, 0, A}, {800000, 0, A}},
         0},
        {"beyond 4 GiB", 5 * GiB, 7 * GiB, {}, 6 * GiB},
        {"beyond 4 GiB, running range", 4 * GiB, 12 * GiB, {{6 * GiB, GiB, A}}, 9 * GiB + GiB / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset(c.nodes);
        p.bytesDone = c.P;
        p.settings.totalSize = c.T;
        p.noMoreSegments = false;
        EXPECT_EQ(ChooseSplitPoint(p), c.want);
        EXPECT_EQ(p.noMoreSegments.load(), c.want == 0);
        EXPECT_EQ(ChooseSplitPoint(p), c.want) << "asked again";
    }
}

TEST_F(Segments, StartSegmentListsTheFileBeforeTheWorkerRuns) {
    p.bytesDone = 200000;
    p.settings.totalSize = 5 * GiB;
    SetSegmentLauncher([this](const ProjectPtr& w) {
        EXPECT_EQ(Read("1.cac"), w->servedSegment->fileName + "\n");
        return launched.push_back(w), true;
    });
    StartSegment(p);
    ASSERT_EQ(launched.size(), 1u);
    const CProject& w = *launched[0];
    const std::int64_t a = 200000 + (5 * GiB - 200000) / 2;
    EXPECT_EQ(Starts(), std::vector<std::int64_t>{a});
    EXPECT_EQ(At(a)->worker.load(), &w);
    EXPECT_EQ(At(a)->state.load(), A);
    EXPECT_EQ(w.servedSegment, At(a));
    EXPECT_EQ(w.parentProject, &p);
    EXPECT_TRUE(w.segmentWorker && w.active && w.workerRunning);
    EXPECT_EQ(w.settings.segments.load() + w.settings.sequential.load(), 0);
    EXPECT_EQ(w.GetText(&ProjectSettings::url), "http://h/f.zip");
    EXPECT_TRUE(AnySegmentActive(p));
}

TEST_F(Segments, StartSegmentResumesOrSplitsOrGivesUp) {
    p.settings.totalSize = 1000000;
    struct Case {
        const char* name;
        std::vector<Node> nodes;
        std::vector<std::int64_t> after;
        bool launches;
    } cases[] = {
        {"resumes a stopped node with room", {{600000, 100000, S}}, {600000}, true},
        {"no room after it: split in front", {{600000, 350000, S}}, {300000, 600000}, true},
        {"another file's node is not resumed",
         {{600000, 0, S, "600000_g.zip"}},
         {300000, 600000},
         true},
        {"nothing worth a segment", {{100000, 0, A}, {200000, 750000, S}}, {100000, 200000}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset(c.nodes);
        p.noMoreSegments = false;
        StartSegment(p);
        EXPECT_EQ(launched.size(), c.launches ? 1u : 0u);
        EXPECT_EQ(Starts(), c.after);
        EXPECT_EQ(p.noMoreSegments.load(), !c.launches);
    }
}

TEST_F(Segments, SegmentUrlsTakeTheMirrorsInTurn) {
    EXPECT_EQ(NextSegmentUrl(p), "http://h/f.zip");
    p.SetMirrors({"http://m1/f.zip", "ftp://m2/f.zip"});
    p.nextMirror = 7;
    for (const char* want : {"http://m1/f.zip", "ftp://m2/f.zip", "http://m1/f.zip"})
        EXPECT_EQ(NextSegmentUrl(p), want);
    p.SetMirrors({"http://m/s"});
    p.settings.seqDigits = 3;
    p.settings.seqFrom = 7;
    p.settings.sequential = 1;
    p.SetText(&ProjectSettings::seqSuffix, ".zip");
    EXPECT_EQ(NextSegmentUrl(p), "http://m/s007.zip");
}

TEST_F(Segments, CheckSegmentsDecisions) {
    p.settings.totalSize = 12 * GiB;
    p.settings.segments = 0;  // no new segment gets in the way
    struct Case {
        const char* name;
        std::int64_t P;
        Node node;
        bool merge;
        std::int64_t offset;
        bool kept, fileKept;
    } cases[] = {
        {"reached: merge from P", 700000, {500000, 300000, S}, true, 200000, false, true},
        {"start exactly reached", 500000, {500000, 300000, S}, true, 0, false, true},
        {"end exactly reached", 800000, {500000, 300000, S}, true, 300000, false, true},
        {"passed: file deleted", 800001, {500000, 300000, S}, false, 0, false, false},
        {"not reached yet", 499999, {500000, 300000, S}, false, 0, true, true},
        {"empty: file deleted", 100, {500000, 0, S}, false, 0, false, false},
        {"another file's node is left alone",
         700000,
         {500000, 300000, S, "500000_g.zip"},
         false,
         0,
         true,
         true},
        {"offset beyond 4 GiB", 9 * GiB, {4 * GiB, 6 * GiB, S}, true, 5 * GiB, false, true},
        {"running node is only asked to stop", 700000, {500000, 300000, A}, false, 0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset({c.node});
        const std::string name = At(c.node.start)->fileName;
        ASSERT_TRUE(Write(name, "x"));
        p.bytesDone = c.P;
        p.noMoreSegments = false;
        SegmentScratch scratch;
        EXPECT_EQ(CheckSegments(p, scratch), c.merge);
        if (c.merge) {
            EXPECT_EQ(scratch.offset, c.offset);
            EXPECT_EQ(scratch.fileName, name);
        }
        EXPECT_EQ(!Starts().empty(), c.kept);
        EXPECT_EQ(plat::FileExists(dir.File(name)), c.fileKept);
        if (c.node.state == A) {
            EXPECT_TRUE(At(c.node.start)->stopAsked);
        }
        // A segment that got nothing is not split off again before the next request.
        EXPECT_EQ(p.noMoreSegments.load(), c.node.done == 0);
    }
}

TEST_F(Segments, RunningWorkersAreAskedToStopAndEndedOnesReclaimed) {
    p.settings.totalSize = 1000000;
    StartSegment(p);
    ASSERT_EQ(launched.size(), 1u);
    CProject* w = launched[0].get();
    SegmentScratch scratch;
    p.noMoreSegments = true;
    for (std::int64_t P : {499999, 500000}) {
        p.bytesDone = P;
        EXPECT_FALSE(CheckSegments(p, scratch));
        EXPECT_EQ(w->stopRequested.load(), P >= 500000);
    }
    EXPECT_TRUE(AnySegmentActive(p));
    // Its thread ends before it ever got going: it still hands its node back.
    EndWorker(w);
    EXPECT_FALSE(w->workerRunning);
    EXPECT_FALSE(AnySegmentActive(p));
    EXPECT_EQ(At(500000)->worker.load(), nullptr);
    launched.clear();
}

TEST_F(Segments, SegmentMustStop) {
    p.settings.totalSize = 2000000;
    Reset({{500000, 0, A}, {800000, 0, A, "800000_g.zip"}, {900000, 0, A}});
    CProject w;
    w.parentProject = &p;
    w.servedSegment = At(500000);
    p.noMoreSegments = true;
    struct Case {
        const char* name;
        std::int64_t parentDone, done;
        bool stop;
    } cases[] = {
        {"running", 100000, 300000, false},
        {"main connection past the start", 500001, 0, true},
        {"main connection exactly at the start", 500000, 0, false},
        {"ran into the next node of this file", 0, 400001, true},
        {"one byte short of the next node", 0, 399999, false},
        {"up to the next node: its range is done", 0, 400000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        p.bytesDone = c.parentDone;
        w.servedSegment->bytesDone = c.done;
        EXPECT_EQ(SegmentMustStop(w), c.stop);
    }
    w.servedSegment = At(800000);
    EXPECT_FALSE(SegmentMustStop(w)) << "another file's segment";
    // Its part done, a segment hands its slot on at once: the successor splits
    // the largest range left, the ending segment no longer counted.
    p.settings.segments = 2;
    p.noMoreSegments = false;
    p.bytesDone = 0;
    Reset({{1000000, 1000001, A}, {2000000, 0, A}});
    p.settings.totalSize = 4000000;
    w.servedSegment = At(1000000);
    EXPECT_TRUE(SegmentMustStop(w));
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0]->servedSegment->start, 3000000);
}

TEST_F(Segments, CleanupRemovesStoppedAndMarksRunning) {
    Reset({{200000, 10, S}, {300000, 10, S, "300000_g.zip"}, {400000, 10, A}});
    ASSERT_TRUE(Write("200000_f.zip", "x"));
    CleanupSegments(p);
    EXPECT_EQ(Starts(), (std::vector<std::int64_t>{300000, 400000}));
    EXPECT_FALSE(plat::FileExists(dir.File("200000_f.zip")));
    EXPECT_TRUE(At(400000)->doNotReuse);
    StopSegments(p);
    EXPECT_TRUE(At(400000)->stopAsked && At(300000)->stopAsked);
}

// A restart finds the segments through the .cac file; PreMerge appends only a
// segment whose data reaches strictly past the end of the local file.
TEST_F(Segments, PreMergeAfterRestart) {
    struct Case {
        const char* name;
        std::int64_t local, total;
        bool merged, complete;
    } cases[] = {
        {"covers the end", 600000, 800000, true, false},
        {"covers the end and completes", 650000, 700000, true, true},
        {"ends at the start: left to the main connection", 500000, 800000, false, false},
        {"ends at the segment's end", 700000, 800000, false, false},
        {"already complete", 800000, 800000, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Write("500000_f.zip", Bytes(500000, 200000)));
        // Another file of the series, whose data would also cover the end.
        ASSERT_TRUE(Write("400000_g.zip", std::string(300000, 'g')));
        ASSERT_TRUE(Write("1.cac", "400000_g.zip\n500000_f.zip\n"));
        ASSERT_TRUE(Write("f.zip", Bytes(0, c.local)));
        auto r = Restart(c.total);
        EXPECT_EQ(PreMerge(*r), c.complete);
        EXPECT_TRUE(Read("f.zip") == Bytes(0, c.merged ? 700000 : c.local));
        EXPECT_EQ(plat::FileExists(dir.File("500000_f.zip")), !c.merged);
        EXPECT_TRUE(plat::FileExists(dir.File("400000_g.zip")));
    }
}

// A kill in the middle of appending a segment file, or between appending and
// deleting it: the restart must not append any byte twice.
TEST_F(Segments, MergeInterruptedAtAnyPointEndsByteExact) {
    const std::int64_t P = 300000, S0 = 250000, B = 400000, rest = S0 + B - P;
    for (std::int64_t appended : {std::int64_t(0), std::int64_t(1), rest / 3, rest - 1, rest}) {
        SCOPED_TRACE(appended);
        ASSERT_TRUE(Write("250000_f.zip", Bytes(S0, B)));
        ASSERT_TRUE(Write("1.cac", "250000_f.zip\n"));
        ASSERT_TRUE(Write("f.zip", Bytes(0, P + appended)));
        auto r = Restart(900000);
        EXPECT_FALSE(PreMerge(*r));
        // The main connection resumes at the end of the local file; after its
        // first block a segment it has passed is dropped, one it stands in is merged.
        std::int64_t L = *plat::FileSize(dir.File("f.zip"));
        {
            plat::File f;
            ASSERT_TRUE(f.Open(dir.File("f.zip"), plat::File::Mode::ReadWrite) && f.SeekEnd());
            ASSERT_TRUE(f.Write(Bytes(L, 1000)));
            r->bytesDone = L + 1000;
            r->noMoreSegments = true;
            SegmentScratch scratch;
            if (CheckSegments(*r, scratch)) MergeSegment(*r, f, scratch);
        }
        L = *plat::FileSize(dir.File("f.zip"));
        EXPECT_EQ(r->bytesDone.load(), L);
        EXPECT_TRUE(Read("f.zip") == Bytes(0, L)) << "length " << L;
        EXPECT_FALSE(plat::FileExists(dir.File("250000_f.zip")));
    }
}

TEST_F(Segments, AppendFileRangeFromAnOffset) {
    ASSERT_TRUE(Write("src", Bytes(0, 3 << 20)));
    plat::File dst;
    ASSERT_TRUE(dst.Open(dir.File("dst"), plat::File::Mode::Truncate) && dst.Write("head"));
    EXPECT_EQ(plat::AppendFileRange(dst, dir.File("src"), 1000001), (3 << 20) - 1000001);
    EXPECT_EQ(plat::AppendFileRange(dst, dir.File("src"), 3 << 20), 0);
    EXPECT_EQ(plat::AppendFileRange(dst, dir.File("missing"), 0), -1);
    ASSERT_TRUE(dst.Write("tail"));
    dst.Close();
    EXPECT_TRUE(Read("dst") == "head" + Bytes(1000001, (3 << 20) - 1000001) + "tail");
}

TEST_F(Segments, RequestsEndWhereTheNextSegmentBegins) {
    p.settings.totalSize = 2000000;
    Reset({{500000, 100000, A}, {800000, 0, A, "800000_g.zip"}, {1200000, 0, S}});
    CProject w;
    w.segmentWorker = true;
    w.parentProject = &p;
    w.servedSegment = At(500000);
    struct Case {
        const char* name;
        CProject* who;
        std::int64_t from, want;
    } cases[] = {
        {"main connection: up to the first node", &p, 0, 500000},
        {"main connection: another file's node is not a bound", &p, 600000, 1200000},
        {"main connection: nothing ahead", &p, 1200000, 0},
        {"segment: up to its successor of the same file", &w, 600000, 1200000},
        {"last segment: to the end", &w, 1300000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RangeLimit(*c.who, c.from), c.want);
    }
    p.settings.segments = 0;
    EXPECT_EQ(RangeLimit(p, 0), 0) << "an unsegmented download asks for everything";
}

TEST_F(Segments, FirstSegmentsCutTheRestIntoEqualParts) {
    struct Case {
        const char* name;
        std::int64_t P, T;
        int segments;
        std::vector<std::int64_t> starts;
    } cases[] = {
        {"one segment: the middle", 0, 1000000, 1, {500000}},
        {"three segments: quarters", 100000, 900100, 3, {300025, 500050, 700075}},
        {"too small for equal parts: halves as before", 0, 400000, 4, {200000}},
        {"beyond 4 GiB", 4 * GiB, 8 * GiB, 3, {5 * GiB, 6 * GiB, 7 * GiB}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset({});
        p.bytesDone = c.P;
        p.settings.totalSize = c.T;
        p.settings.segments = c.segments;
        p.noMoreSegments = false;
        StartSegments(p, c.segments, nullptr, p.requestedUrl);
        std::vector<std::int64_t> got;
        for (const ProjectPtr& w : launched) got.push_back(w->servedSegment->start);
        EXPECT_EQ(got, c.starts);
    }
}

TEST_F(Segments, ReachedSegmentIsStoppedOnlyWhenMuchIsLeft) {
    // With 64 MiB, cutting is worth it above 8 MiB left.
    const std::int64_t T = 64 << 20, start = 32 << 20;
    p.settings.totalSize = T;
    p.settings.segments = 0;
    struct Case {
        const char* name;
        std::int64_t done;
        bool asked;
    } cases[] = {
        {"just started: stopped", 0, true},
        {"more than 8 MiB left: stopped", T - start - (8 << 20) - 1, true},
        {"8 MiB left: waited for", T - start - (8 << 20), false},
        {"done: waited for", T - start, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset({{start, c.done, A}});
        p.bytesDone = start;
        SegmentScratch scratch;
        EXPECT_FALSE(CheckSegments(p, scratch));
        EXPECT_EQ(At(start)->stopAsked.load(), c.asked);
    }
}

TEST_F(Segments, NoSplitInsideASegmentBeingMerged) {
    p.settings.totalSize = 1000000;
    p.settings.segments = 1;
    Reset({{200000, 300000, S}});
    ASSERT_TRUE(Write("200000_f.zip", Bytes(200000, 300000)));
    ASSERT_TRUE(Write("f.zip", Bytes(0, 200000)));
    p.localPath = dir.File("f.zip");
    p.bytesDone = 200000;
    SegmentScratch scratch;
    ASSERT_TRUE(CheckSegments(p, scratch));
    // Taken out of the list but not yet appended: a split now must not land in it.
    EXPECT_EQ(ChooseSplitPoint(p), 750000);
    p.noMoreSegments = false;
    plat::File local;
    ASSERT_TRUE(local.Open(p.localPath, plat::File::Mode::ReadWrite) && local.SeekEnd());
    MergeSegment(p, local, scratch);
    local.Close();
    EXPECT_EQ(p.bytesDone.load(), 500000);
    EXPECT_EQ(Read("f.zip"), Bytes(0, 500000));
    p.bytesDone = 100000;
    EXPECT_EQ(ChooseSplitPoint(p), 550000) << "the merge is over: the floor is the file's end";
}

TEST_F(Segments, MergeFrontAppendsEverySegmentThatFollowsOn) {
    p.settings.totalSize = 900000;
    p.settings.segments = 0;
    Reset({{300000, 300000, S}, {600000, 200000, S}});
    ASSERT_TRUE(Write("f.zip", Bytes(0, 300000)));
    ASSERT_TRUE(Write("300000_f.zip", Bytes(300000, 300000)));
    ASSERT_TRUE(Write("600000_f.zip", Bytes(600000, 200000)));
    p.localPath = dir.File("f.zip");
    p.bytesDone = 300000;
    MergeFront(p);
    EXPECT_EQ(p.bytesDone.load(), 800000);
    EXPECT_EQ(Read("f.zip"), Bytes(0, 800000));
    EXPECT_TRUE(Starts().empty());
    EXPECT_FALSE(plat::FileExists(dir.File("300000_f.zip")));
}
