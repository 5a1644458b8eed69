// Appending finished segments to the local file.
//
// Crash safety rests on offsets, not on bookkeeping: a segment file holds the
// remote bytes from its start on, so whatever part of it a killed merge had
// already appended, the next merge takes it from (length of the local file -
// start) and never appends a byte twice. That is why PreMerge only takes a
// segment whose data reaches strictly past the end of the local file.
#include <memory>
#include <mutex>

#include "base/project.h"
#include "platform/clock.h"
#include "transfer/segments.h"
#include "transfer/url.h"

namespace ks {

namespace {

void EndMerge(CProject& p) {
    std::lock_guard<std::mutex> g(p.segmentList.Mutex());
    p.segmentList.SetMergeReach(0);
}

struct Found {
    std::string fileName;
    std::int64_t start = 0;
};

// Takes out of the list the first node whose data covers the end of the local
// file (length L) strictly inside.
bool TakeCovering(CProject& p, const std::string& name, std::int64_t L, Found& out) {
    SegmentList& list = p.segmentList;
    std::lock_guard<std::mutex> g(list.Mutex());
    for (const auto& node : list.Nodes()) {
        if (node->state.load() != SegmentState::Stopped || node->worker.load()) continue;
        if (!node->BelongsTo(name)) continue;
        if (node->start < L && L < node->start + node->bytesDone.load()) {
            out.fileName = node->fileName;
            out.start = node->start;
            list.SetMergeReach(node->start + node->bytesDone.load());
            list.Remove(node.get());
            return true;
        }
    }
    return false;
}

// Appends src from offset on; deletes src unless the append itself failed (a
// full disk must not cost the segment's bytes).
std::int64_t AppendAndDelete(plat::File& local, const std::string& src, std::int64_t offset) {
    plat::File probe;
    if (!probe.Open(src, plat::File::Mode::Read)) {
        plat::RemoveFile(src);
        return 0;
    }
    probe.Close();
    const std::int64_t appended = plat::AppendFileRange(local, src, offset);
    if (appended >= 0) plat::RemoveFile(src);
    return appended;
}

}  // namespace

bool PreMerge(CProject& p) {
    const std::string name = p.GetText(&ProjectSettings::fileName);
    const std::string folder = p.GetText(&ProjectSettings::folder);
    const std::string local = p.localPath;
    for (;;) {
        const auto L = plat::FileSize(local);
        if (!L) break;
        plat::File file;
        if (!file.Open(local, plat::File::Mode::ReadWrite) || !file.SeekEnd()) break;
        Found f;
        if (!TakeCovering(p, name, *L, f)) break;
        const std::int64_t appended =
            AppendAndDelete(file, LocalPath(folder, f.fileName), *L - f.start);
        if (appended > 0) p.bytesDone += appended;
        EndMerge(p);
    }
    const auto L = plat::FileSize(local);
    const std::int64_t T = p.settings.totalSize.load();
    return L && T != 0 && *L == T;
}

namespace {

// A segment the main connection has reached that is still transferring.
bool RunningAtOrBefore(CProject& p, std::int64_t P) {
    const std::string name = p.GetText(&ProjectSettings::fileName);
    std::lock_guard<std::mutex> g(p.segmentList.Mutex());
    for (const auto& node : p.segmentList.Nodes())
        if (node->start <= P && node->BelongsTo(name) &&
            node->state.load() != SegmentState::Stopped)
            return true;
    return false;
}

}  // namespace

void MergeFront(CProject& p) {
    // CheckSegments asks a reached segment to stop; its worker lets go within a
    // block or a cancelled receive, so the wait is short.
    while (!p.stopRequested.load()) {
        SegmentScratch scratch;
        if (CheckSegments(p, scratch)) {
            plat::File local;
            if (!local.Open(p.localPath, plat::File::Mode::ReadWrite) || !local.SeekEnd())
                return EndMerge(p);
            MergeSegment(p, local, scratch);
            continue;
        }
        if (!RunningAtOrBefore(p, p.bytesDone.load())) return;
        plat::SleepMs(2);
    }
}

void ReserveMergeSpace(CProject& p) {
    if (p.segmentWorker.load() || p.spaceReserved.exchange(true)) return;
    const std::int64_t total = p.settings.totalSize.load();
    const std::int64_t have = plat::FileSize(p.localPath).value_or(-1);
    if (total <= 0 || have < 0 || have >= total) return;
    // The reserved blocks and the segment files holding the same bytes live
    // side by side until the merge; keep room for a margin beyond both.
    constexpr std::int64_t kMargin = std::int64_t(64) << 20;
    const auto free = plat::FreeDiskSpace(plat::DirName(p.localPath));
    if (!free || (total - have) > (*free - kMargin) / 2) return;
    plat::File local;
    if (local.Open(p.localPath, plat::File::Mode::ReadWrite))
        (void)plat::ReserveSpace(local, total);
}

void MergeSegment(CProject& p, plat::File& local, const SegmentScratch& scratch) {
    const std::string path = LocalPath(p.GetText(&ProjectSettings::folder), scratch.fileName);
    if (!plat::FileExists(path)) return EndMerge(p);
    const std::int64_t appended = plat::AppendFileRange(local, path, scratch.offset);
    if (appended > 0) p.bytesDone += appended;
    EndMerge(p);
    if (appended >= 0) plat::RemoveFile(path);
}

}  // namespace ks
