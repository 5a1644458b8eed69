#include "projects/row_text.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/project.h"

using namespace ks;

namespace {

struct RowSetup {
    ProjectKind kind = ProjectKind::Download;
    std::int64_t done = 0, total = 0, progress = 0;
    std::int32_t from = 1, to = 1, image = 4, countdown = 5, segments = 0;
    bool running = true, stop = false, queued = false, disabled = false, resumable = false;
    double rate = 0.001;
};

// The project's destructor waits for its worker; these have none really running.
struct NotRunning {
    void operator()(CProject* p) const {
        p->workerRunning = false;
        delete p;
    }
};
using HeldProject = std::unique_ptr<CProject, NotRunning>;

HeldProject Make(const RowSetup& s) {
    ProjectSettings ps;
    ps.kind = std::int32_t(s.kind);
    ps.url = "http://h/f.zip";
    ps.source = "list.txt";
    ps.fileName = "f.zip";
    ps.totalSize = s.total;
    ps.savedProgress = s.progress;
    ps.seqFrom = s.from;
    ps.seqTo = s.to;
    ps.disabled = s.disabled;
    ps.segments = s.segments;
    HeldProject p(new CProject(ps));
    p->bytesDone = s.done;
    p->imageBase = s.image;
    p->retryCountdown = s.countdown;
    p->workerRunning = s.running;
    p->stopRequested = s.stop;
    p->queued = s.queued;
    p->resumable = s.resumable;
    p->rate = s.rate;
    return p;
}

struct StatusCase {
    const char* name;
    RowSetup setup;
    StatusEvent event;
    const char* status;
    int image;
};

// The running download used by most rows: 1 MB of 10 MB at 3 kB/s.
RowSetup Running() {
    RowSetup s;
    s.done = 1000000;
    s.total = 10000000;
    s.rate = 3.0;
    return s;
}

RowSetup With(RowSetup s, void (*f)(RowSetup&)) {
    f(s);
    return s;
}

}  // namespace

TEST(RowText, StatusAndImagePerEvent) {
    const StatusCase cases[] = {
        {"tick", Running(), StatusEvent::Tick, "10.0%/100.0%", 0},
        {"connecting", Running(), StatusEvent::Connecting, "Connecting...", 0},
        {"transferring", Running(), StatusEvent::Transferring, "Transferring...", 0},
        {"retrying", With(Running(), [](RowSetup& s) { s.countdown = 7; }), StatusEvent::Retrying,
         "Retrying...(7)", 0},
        {"frame wraps 3 to 0", With(Running(), [](RowSetup& s) { s.image = 3; }), StatusEvent::Tick,
         "10.0%/100.0%", 0},
        {"frame advances", With(Running(), [](RowSetup& s) { s.image = 1; }), StatusEvent::Tick,
         "10.0%/100.0%", 2},
        {"stopped", Running(), StatusEvent::Stopped, "10.0%/100.0%", 4},
        {"completed", Running(), StatusEvent::Completed, "Completed.", 5},
        {"error", Running(), StatusEvent::Error, "Error", 6},
        {"queued", Running(), StatusEvent::Queued, "Queued", 7},
        {"invalid url", Running(), StatusEvent::InvalidUrl, "Invalid URL", 6},
        {"web page", Running(), StatusEvent::GettingWebPage, "Getting web page...", 0},
        {"search event on a download", Running(), StatusEvent::Searching, "10.0%/100.0%", 0},
        {"redraw plain", With(Running(), [](RowSetup& s) { s.image = 5; }), StatusEvent::Redraw,
         "10.0%/100.0%", 5},
        {"redraw queued", With(Running(), [](RowSetup& s) { s.queued = true; }),
         StatusEvent::Redraw, "Queued", 7},
        {"redraw disabled wins", With(Running(), [](RowSetup& s) { s.queued = s.disabled = true; }),
         StatusEvent::Redraw, "Disabled", 7},
        {"unknown event redraws", With(Running(), [](RowSetup& s) { s.disabled = true; }),
         StatusEvent(99), "Disabled", 4},
        {"stopping", With(Running(), [](RowSetup& s) { s.stop = true; }), StatusEvent::Transferring,
         "Transferring...", 0},
        {"stopping on tick", With(Running(), [](RowSetup& s) { s.stop = true; }), StatusEvent::Tick,
         "Stopping...", 0},
        {"stopping not for stopped", With(Running(), [](RowSetup& s) { s.stop = true; }),
         StatusEvent::Stopped, "10.0%/100.0%", 4},
        {"stop without worker",
         With(Running(), [](RowSetup& s) { s.stop = true, s.running = false; }), StatusEvent::Tick,
         "10.0%/100.0%", 0},
        {"capped percentages",
         With(Running(), [](RowSetup& s) { s.done = 2 * s.total, s.from = 4, s.to = 3; }),
         StatusEvent::Tick, "100.0%/100.0%", 0},
        {"series half way", With(Running(), [](RowSetup& s) { s.from = 2, s.to = 4; }),
         StatusEvent::Tick, "10.0%/50.0%", 0},
        {"upload image", With(Running(), [](RowSetup& s) { s.kind = ProjectKind::FtpUpload; }),
         StatusEvent::Error, "Error", 14},
        {"search image", With(Running(), [](RowSetup& s) { s.kind = ProjectKind::Search; }),
         StatusEvent::Completed, "Completed.", 21},
    };
    for (const StatusCase& c : cases) {
        auto p = Make(c.setup);
        RowTexts row = FormatRow(*p, c.event);
        EXPECT_EQ(row.columns[ColStatus], c.status) << c.name;
        EXPECT_EQ(row.image, c.image) << c.name;
    }
}

TEST(RowText, DownloadColumns) {
    RowSetup s = Running();
    s.resumable = true;
    s.from = 2;
    s.to = 5;
    auto p = Make(s);
    RowTexts row = FormatRow(*p, StatusEvent::Transferring);
    EXPECT_EQ(row.columns[ColBaseUrl], "http://h/f.zip");
    EXPECT_EQ(row.columns[ColSize], "1000000/10000000 (R)");
    EXPECT_EQ(row.columns[ColFrom], "2");
    EXPECT_EQ(row.columns[ColTo], "5");
    EXPECT_EQ(row.columns[ColRate], "3.00kb/s");
    EXPECT_EQ(row.columns[ColTimeLeft], "0:50:0 ");  // 9000 kB at 3 kB/s
    EXPECT_EQ(row.columns[ColFileName], "f.zip");

    for (StatusEvent e : {StatusEvent::Stopped, StatusEvent::Completed}) {
        row = FormatRow(*p, e);
        EXPECT_EQ(row.columns[ColTimeLeft], "00:00:00");
    }
    EXPECT_EQ(FormatRow(*p, StatusEvent::Stopped).columns[ColRate], "0.0kb/s");
    EXPECT_EQ(FormatRow(*p, StatusEvent::Completed).columns[ColRate], "3.00kb/s");
    p->workerRunning = false;
    row = FormatRow(*p, StatusEvent::Tick);
    EXPECT_EQ(row.columns[ColRate], "0.0kb/s");
    EXPECT_EQ(row.columns[ColTimeLeft], "00:00:00");
}

TEST(RowText, SizeVariants) {
    RowSetup s = Running();
    s.total = 0;
    s.done = 123;
    s.resumable = true;
    auto p = Make(s);
    RowTexts row = FormatRow(*p, StatusEvent::Transferring);
    EXPECT_EQ(row.columns[ColSize], "123/0");
    EXPECT_EQ(row.columns[ColTimeLeft], "0:0:0 ") << "an unknown size must not wrap";

    s.total = 6000000000;
    s.done = 5000000000;
    s.resumable = false;
    p = Make(s);
    EXPECT_EQ(FormatRow(*p, StatusEvent::Tick).columns[ColSize], "5000000000/6000000000");

    s.kind = ProjectKind::UrlListGrab;
    p = Make(s);
    EXPECT_EQ(FormatRow(*p, StatusEvent::Tick).columns[ColBaseUrl], "list.txt->http://h/f.zip");
}

TEST(RowText, SegmentsAddToProgressRateAndCount) {
    RowSetup s = Running();
    s.segments = 3;
    auto p = Make(s);
    CProject worker;
    worker.rate = 1.5;
    {
        std::lock_guard<std::mutex> g(p->segmentList.Mutex());
        CSegment* a = p->segmentList.Insert(
            std::make_unique<CSegment>(5000000, "5000000_f.zip", SegmentState::Active, 300));
        a->worker = &worker;
        p->segmentList.Insert(
            std::make_unique<CSegment>(7000000, "7000000_f.zip", SegmentState::Stopped, 200));
    }
    RowTexts row = FormatRow(*p, StatusEvent::Tick);
    EXPECT_EQ(row.columns[ColSize], "1000500/10000000");
    EXPECT_EQ(row.columns[ColStatus], "10.0%/100.0% (2)");
    EXPECT_EQ(row.columns[ColRate], "4.50kb/s");
    std::lock_guard<std::mutex> g(p->segmentList.Mutex());
    p->segmentList.Clear();
}

TEST(RowText, SearchRows) {
    struct Case {
        StatusEvent event;
        bool running, stop;
        std::int64_t progress, total;
        const char* size;
        const char* status;
    } cases[] = {
        {StatusEvent::Searching, true, false, 3, 10, "3/10 engines", "Searching...(30.0%)"},
        {StatusEvent::SearchDownloading, true, false, 3, 10, "3/10 sites", "Downloading...(30.0%)"},
        {StatusEvent::SearchDownloading, true, false, 15, 10, "15/10 sites",
         "Downloading...(150.0%)"},
        {StatusEvent::WaitingForEngineUpdate, true, false, 0, 0, "0/0 sites",
         "Waiting for engine update..."},
        {StatusEvent::UpdatingEngine, true, false, 0, 0, "0/0 sites", "Updating engine..."},
        {StatusEvent::Searching, true, true, 1, 2, "1/2 engines", "Stopping..."},
        {StatusEvent::Tick, true, false, 1, 2, "1/2 sites", " "},
        {StatusEvent::Completed, true, false, 9, 9, "Found 9 sites.", "Completed."},
        {StatusEvent::Stopped, false, false, 1, 1, "Found 1 site.", " "},
        {StatusEvent::Redraw, false, false, 0, 0, "Found none.", " "},
    };
    for (const Case& c : cases) {
        RowSetup s;
        s.kind = ProjectKind::Search;
        s.running = c.running;
        s.stop = c.stop;
        s.progress = c.progress;
        s.total = c.total;
        auto p = Make(s);
        RowTexts row = FormatRow(*p, c.event);
        EXPECT_EQ(row.columns[ColSize], c.size) << int(c.event);
        EXPECT_EQ(row.columns[ColStatus], c.status) << int(c.event);
        EXPECT_EQ(row.columns[ColFileName], "");
    }
}

TEST(RowText, TimeLeftFormula) {
    struct Case {
        std::int64_t total, done;
        double rate;
        const char* text;
    } cases[] = {
        {10000000, 1000000, 3.0, "0:50:0 "}, {36000000, 0, 1.0, "10:0:0 "},
        {5000000000, 0, 1000.0, "1:23:20 "}, {1999, 0, 1.0, "0:0:1 "},  // whole kilobytes
        {2000, 0, 0.0, "0:33:20 "},  // a zero rate counts as 0.001
        {100, 500, 1.0, "0:0:0 "},   // more done than the total: nothing left
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTimeLeft(c.total, c.done, c.rate), c.text) << c.total << " " << c.done;
}

TEST(RowText, ColumnHeadersInOrder) {
    const char* expected[] = {"Base URL", "Size", "From",      "To",
                              "Status",   "Rate", "Time left", "Filename"};
    for (int i = 0; i < kRowColumns; ++i) EXPECT_STREQ(ColumnHeader(i), expected[i]);
}

TEST(RowText, AListReadOnlyInPartSaysSoAfterItsStatus) {
    struct Case {
        ProjectKind kind;
        std::int64_t cutAt;
        StatusEvent event;
        std::string status;
    } cases[] = {
        {ProjectKind::UrlListGrab, 7, StatusEvent::Completed, "Completed. (list cut at 7 links)"},
        {ProjectKind::UrlListGrab, 0, StatusEvent::Error, "Error (list cut at 0 links)"},
        {ProjectKind::UrlListGrab, 100000, StatusEvent::Tick,
         "10.0%/50.0% (list cut at 100000 links)"},
        {ProjectKind::UrlListGrab, -1, StatusEvent::Completed, "Completed."},
        // Only a list has a list to cut.
        {ProjectKind::Download, 7, StatusEvent::Completed, "Completed."},
    };
    for (const Case& c : cases) {
        RowSetup s = Running();
        s.kind = c.kind;
        s.from = 1;
        s.to = 2;
        auto p = Make(s);
        p->listCutAt = c.cutAt;
        EXPECT_EQ(FormatRow(*p, c.event).columns[ColStatus], c.status) << c.cutAt;
    }
}
