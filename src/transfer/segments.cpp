// Splitting, stopping and retiring segments. The merge itself (appending a
// segment file to the local file) lives in segment_merge.cpp.
#include "transfer/segments.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "base/checkpoint.h"
#include "base/project.h"
#include "base/worker_threads.h"
#include "transfer/download_worker.h"
#include "transfer/url.h"

namespace ks {

namespace {

// Cutting a range that a connection is fetching costs what the server has
// already sent past the cut (a server may run megabytes ahead of a young
// connection); only a sizeable piece of the file is worth that.
constexpr std::int64_t kCutShare = 64;
constexpr std::int64_t kMinCut = 8 << 20;

std::int64_t CutFloor(std::int64_t total) {
    return std::max({kMinSegmentBytes, total / kCutShare, std::min(kMinCut, total / 8)});
}

std::mutex& LauncherMu() {
    static std::mutex mu;
    return mu;
}

SegmentLauncher& LauncherSlot() {
    static SegmentLauncher launcher;
    return launcher;
}

bool Launch(const ProjectPtr& worker) {
    SegmentLauncher launcher;
    {
        std::lock_guard<std::mutex> g(LauncherMu());
        launcher = LauncherSlot();
    }
    if (launcher) return launcher(worker);
    return LaunchWorkerThread([worker] { DownloadWorker(worker.get()); });
}

// Where the local file ends, or will end once the merge in progress is done.
// List lock held.
std::int64_t SplitFloor(CProject& p) {
    return std::max(p.bytesDone.load(), p.segmentList.MergeReach());
}

void RemoveFiles(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& n : names) plat::RemoveFile(LocalPath(folder, n));
}

// The stop request of one node. List lock held.
void AskStop(CSegment& node) {
    if (node.stopAsked.exchange(true)) return;
    CProject* w = node.worker.load();
    if (!w) return;
    RequestStop(*w, false);
    if (!w->workerRunning.load()) node.state = SegmentState::Stopped;
}

// What one walk of CheckSegments decided.
struct Walk {
    int counted = 0;  // nodes that are not Stopped
    bool merge = false;
    bool droppedEmpty = false;
    std::vector<std::string> doomed;  // segment files to delete
};

// A running segment that the main connection has reached but that has little
// left to fetch is waited for rather than stopped: stopping it would throw
// away what its server has already sent, and the main connection would fetch
// the rest again.
bool NearlyDone(const std::vector<std::unique_ptr<CSegment>>& nodes, std::size_t i,
                std::int64_t T) {
    const CSegment& n = *nodes[i];
    const std::int64_t limit = i + 1 < nodes.size() ? nodes[i + 1]->start : T;
    return limit - (n.start + n.bytesDone.load()) <= CutFloor(T);
}

void WalkSegments(CProject& p, const std::string& name, std::int64_t P, SegmentScratch& scratch,
                  Walk& w) {
    SegmentList& list = p.segmentList;
    const std::int64_t T = p.settings.totalSize.load();
    std::lock_guard<std::mutex> g(list.Mutex());
    const auto& nodes = list.Nodes();
    for (std::size_t i = 0; i < nodes.size();) {
        CSegment& node = *nodes[i];
        if (node.state.load() != SegmentState::Stopped) {
            if (node.state.load() == SegmentState::Active && P >= node.start &&
                !NearlyDone(nodes, i, T))
                AskStop(node);
            ++w.counted;
            ++i;
            continue;
        }
        const bool free = node.worker.load() == nullptr;
        const bool mine = node.BelongsTo(name);
        const std::int64_t done = node.bytesDone.load();
        const std::int64_t end = node.start + done;
        if (done > 0 || !free) {
            if (mine && free && node.start <= P && P <= end) {
                scratch.offset = P - node.start;
                scratch.fileName = node.fileName;
                list.SetMergeReach(end);
                list.Remove(&node);
                w.merge = true;
                return;
            }
            if (mine && free && end < P) {
                w.doomed.push_back(node.fileName);
                list.Remove(&node);
                continue;
            }
            ++i;
        } else if (mine) {
            w.doomed.push_back(node.fileName);
            list.Remove(&node);
            w.droppedEmpty = true;
        } else {
            ++i;
        }
    }
}

}  // namespace

void SetSegmentLauncher(SegmentLauncher launcher) {
    std::lock_guard<std::mutex> g(LauncherMu());
    LauncherSlot() = std::move(launcher);
}

bool CheckSegments(CProject& p, SegmentScratch& scratch) {
    if (p.segmentWorker.load()) return false;
    const std::string name = p.GetText(&ProjectSettings::fileName);
    const std::string folder = p.GetText(&ProjectSettings::folder);
    Walk w;
    WalkSegments(p, name, p.bytesDone.load(), scratch, w);
    RemoveFiles(folder, w.doomed);
    if (w.merge) return true;
    // A segment that ended with nothing (refused range, a server that takes no
    // more connections) would only be split off again at once, with every block;
    // wait for the next request instead.
    if (w.droppedEmpty) p.noMoreSegments = true;
    // Every missing segment at once: at the start they all split off after the
    // first block instead of one per block, with one save of the .cac file.
    if (w.counted < p.settings.segments.load() && !p.pingThread.load()) {
        StartSegments(p, p.settings.segments.load(), nullptr, p.requestedUrl);
        // After the split, so the segments' requests do not wait for it.
        ReserveMergeSpace(p);
    }
    return false;
}

std::int64_t ChooseSplitPoint(CProject& p) {
    if (p.noMoreSegments.load()) return 0;
    bool noMore = false;
    std::int64_t a;
    {
        std::lock_guard<std::mutex> g(p.segmentList.Mutex());
        a = p.segmentList.ChooseSplitPoint(SplitFloor(p), p.settings.totalSize.load(), noMore);
    }
    if (noMore) p.noMoreSegments = true;
    return a;
}

std::string NextSegmentUrl(CProject& p) {
    return NextSegmentUrl(p, p.requestedUrl);
}

std::string NextSegmentUrl(CProject& p, const std::string& requested) {
    const std::vector<std::string> mirrors = p.Mirrors();
    std::int32_t k = p.nextMirror.load();
    if (k < 0 || static_cast<std::size_t>(k) >= mirrors.size()) k = 0;
    const std::int32_t digits = p.settings.seqDigits.load();
    for (std::size_t tried = 0; tried < mirrors.size(); ++tried) {
        std::string url = mirrors[static_cast<std::size_t>(k)];
        if (digits != 0 && p.settings.sequential.load() == 1)
            url = SequenceUrl(url, p.settings.seqFrom.load(), digits,
                              p.GetText(&ProjectSettings::seqSuffix));
        k = static_cast<std::size_t>(k) + 1 < mirrors.size() ? k + 1 : 0;
        if (p.MirrorRejected(url)) continue;
        p.nextMirror = k;
        return url;
    }
    return requested;
}

void RejectSegmentSource(CProject& w) {
    CProject* parent = w.parentProject;
    if (!w.segmentWorker.load() || !parent) return;
    // Only the choice among mirrors reads the rejections, so the project's
    // own URL stays its main connection's source whatever happens here.
    parent->RejectMirror(w.GetText(&ProjectSettings::url));
}

namespace {

ProjectPtr NewSegmentWorker(CProject& p, const ProjectSettings& s) {
    auto w = std::make_shared<CProject>(s);
    w->settings.sequential = 0;
    w->settings.segments = 0;
    w->settings.kind = static_cast<std::int32_t>(ProjectKind::Download);
    w->settings.disabled = 0;
    w->segmentWorker = true;
    w->active = true;
    w->stopRequested = false;
    w->parentProject = &p;
    return w;
}

// Picks the node for a new worker: a stopped one worth resuming, else a new one
// at `even` (when not 0) or at the split point. List lock held. Null when none
// is to be started.
CSegment* PickNode(CProject& p, const ProjectSettings& s, std::int64_t even) {
    SegmentList& list = p.segmentList;
    const std::int64_t T = s.totalSize.load();
    if (CSegment* resumable = list.FindResumable(s.fileName, T))
        return resumable->fileName.empty() ? nullptr : resumable;
    bool noMore = false;
    const std::int64_t a =
        even != 0 ? even : list.ChooseSplitPoint(SplitFloor(p), T, noMore, CutFloor(T));
    if (noMore || a == 0 || list.FindAt(a, s.fileName)) {
        p.noMoreSegments = true;
        return nullptr;
    }
    // Refused (nullptr) when another node already starts there.
    return list.Insert(
        std::make_unique<CSegment>(a, SegmentFileName(a, s.fileName), SegmentState::Active));
}

// The first segments of a fetch cut the rest into equal parts, so that
// connections of equal speed finish together and none is cut short later.
// List lock held.
std::vector<std::int64_t> EvenSplits(CProject& p, std::int64_t T, int count) {
    std::vector<std::int64_t> at;
    const std::int64_t P = SplitFloor(p);
    if (!p.segmentList.Empty() || count <= 1 || T <= P) return at;
    const std::int64_t step = (T - P) / (count + 1);
    if (step <= kMinSegmentBytes) return at;
    for (int k = 1; k <= count; ++k) at.push_back(P + k * step);
    return at;
}

}  // namespace

// Segments that still occupy a slot: every node that is not Stopped, except
// the one whose worker is ending right now. List lock held.
int Running(const SegmentList& list, const CSegment* ending) {
    int n = 0;
    for (const auto& node : list.Nodes())
        n += node.get() != ending && node->state.load() != SegmentState::Stopped ? 1 : 0;
    return n;
}

void StartSegments(CProject& p, int limit, const CSegment* ending, const std::string& requested) {
    if (p.noMoreSegments.load() || limit <= 0) return;
    const ProjectSettings s = p.Snapshot();
    std::vector<ProjectPtr> workers;
    {
        std::lock_guard<std::mutex> g(p.segmentList.Mutex());
        // Read under the lock: a destroyer sets it before it collects the
        // workers to wait for, so none can slip in behind its back.
        if (p.stopRequested.load()) return;
        const int room = std::min(limit, s.segments.load() - Running(p.segmentList, ending));
        const std::vector<std::int64_t> even = EvenSplits(p, s.totalSize.load(), room);
        while (static_cast<int>(workers.size()) < room) {
            const std::size_t k = workers.size();
            CSegment* node = PickNode(p, s, k < even.size() ? even[k] : 0);
            if (!node) break;
            ProjectPtr w = NewSegmentWorker(p, s);
            node->stopAsked = false;
            w->servedSegment = node;
            // Running from here on: the parent's worker waits for it to hand the node back.
            w->workerRunning = true;
            node->worker = w.get();
            node->state = SegmentState::Active;
            workers.push_back(std::move(w));
        }
    }
    if (workers.empty()) return;
    for (auto& w : workers) w->SetText(&ProjectSettings::url, NextSegmentUrl(p, requested));
    // The segment files are listed in the .cac file before their first byte
    // exists; one save covers all the segments split off together.
    SaveCheckpoint(p);
    for (const ProjectPtr& w : workers) {
        if (Launch(w)) continue;
        std::lock_guard<std::mutex> g(p.segmentList.Mutex());
        w->servedSegment->worker = nullptr;
        w->servedSegment->state = SegmentState::Stopped;
        w->workerRunning = false;
        p.segmentList.Changed().notify_all();
    }
}

void StartSegment(CProject& p) {
    StartSegments(p, 1, nullptr, p.requestedUrl);
}

namespace {

// Whether the served node has run into the next node of the same file.
bool RanIntoNext(CProject& parent, const CSegment& served, const std::string& name) {
    const std::int64_t reached = served.start + served.bytesDone.load();
    std::lock_guard<std::mutex> g(parent.segmentList.Mutex());
    bool after = false;
    for (const auto& node : parent.segmentList.Nodes()) {
        if (node.get() == &served) {
            after = true;
        } else if (after && node->BelongsTo(name)) {
            // Reaching the next start exactly is the normal end of a segment
            // whose request ended there.
            return node->start <= reached;
        }
    }
    return false;
}

}  // namespace

bool SegmentMustStop(CProject& w) {
    CProject* parent = w.parentProject;
    CSegment* served = w.servedSegment;
    if (!parent || !served) return false;
    if (parent->stopRequested.load()) return true;
    const std::string name = parent->GetText(&ProjectSettings::fileName);
    if (!served->BelongsTo(name)) return false;
    if (served->start < parent->bytesDone.load()) return true;
    const bool done = served->start + served->bytesDone.load() >= parent->settings.totalSize.load();
    if (!done && !RanIntoNext(*parent, *served, name)) return false;
    // This segment's work is done. Its successor starts now rather than at the
    // main connection's next block, which a throttled server may hold back for
    // a long while. The parent stays alive: this worker is still attached. The
    // parent's requestedUrl belongs to the parent's thread; this worker's own
    // URL is the one it had from there.
    if (!parent->pingThread.load())
        StartSegments(*parent, parent->settings.segments.load(), served,
                      w.GetText(&ProjectSettings::url));
    return true;
}

std::int64_t RangeLimit(CProject& p, std::int64_t from) {
    CProject* owner = p.segmentWorker.load() ? p.parentProject : &p;
    if (!owner || owner->settings.segments.load() <= 0) return 0;
    const std::string name = owner->GetText(&ProjectSettings::fileName);
    std::lock_guard<std::mutex> g(owner->segmentList.Mutex());
    for (const auto& node : owner->segmentList.Nodes())
        if (node->start > from && node->BelongsTo(name)) return node->start;
    return 0;
}

namespace {

// List lock held.
bool AnyActive(const SegmentList& list) {
    for (const auto& node : list.Nodes())
        if (node->state.load() == SegmentState::Active) return true;
    return false;
}

}  // namespace

bool AnySegmentActive(CProject& p) {
    if (p.settings.segments.load() <= 0) return false;
    std::lock_guard<std::mutex> g(p.segmentList.Mutex());
    return AnyActive(p.segmentList);
}

bool WaitForSegmentsToEnd(CProject& p) {
    if (p.settings.segments.load() > 0) {
        SegmentList& list = p.segmentList;
        std::unique_lock<std::mutex> lk(list.Mutex());
        bool stopsSent = false;
        while (AnyActive(list)) {
            // A stopped project (pause, delete, exit) stops its segments too;
            // without a main connection nothing else would catch up with them.
            if (p.stopRequested.load() && !stopsSent) {
                for (const auto& node : list.Nodes()) AskStop(*node);
                stopsSent = true;
            }
            p.mergeFlag.store(true);
            list.Changed().wait(lk);
        }
    }
    p.mergeFlag.store(false);
    return p.stopRequested.load();
}

void CleanupSegments(CProject& p) {
    if (p.settings.segments.load() <= 0) return;
    const std::string name = p.GetText(&ProjectSettings::fileName);
    const std::string folder = p.GetText(&ProjectSettings::folder);
    std::vector<std::string> doomed;
    {
        SegmentList& list = p.segmentList;
        std::lock_guard<std::mutex> g(list.Mutex());
        const auto& nodes = list.Nodes();
        for (std::size_t i = 0; i < nodes.size();) {
            CSegment& node = *nodes[i];
            if (!node.BelongsTo(name)) {
                ++i;
            } else if (node.state.load() == SegmentState::Stopped && !node.worker.load()) {
                doomed.push_back(node.fileName);
                list.Remove(&node);
            } else {
                if (node.state.load() == SegmentState::Active) node.doNotReuse = true;
                ++i;
            }
        }
    }
    RemoveFiles(folder, doomed);
}

void StopSegments(CProject& p) {
    if (p.settings.segments.load() <= 0) return;
    std::lock_guard<std::mutex> g(p.segmentList.Mutex());
    for (const auto& node : p.segmentList.Nodes()) AskStop(*node);
}

}  // namespace ks
