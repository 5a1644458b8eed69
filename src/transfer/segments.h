// The segment engine of a segmented download: the hooks through which the HTTP
// and FTP clients cooperate with it (merging finished segments, splitting off
// new ones, telling a segment worker when the main connection has caught up
// with it) and the download worker's side (waiting for, stopping and cleaning
// up segments).
//
// Threads. The list structure changes under the SegmentList mutex only; a
// node's bytesDone, state and worker are atomics. A node is merged, resumed or
// removed only while it is Stopped with no worker attached, and a segment
// worker detaches itself (SaveProject) under the same lock, so the parent
// never reads a segment file that is still being written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/worker_threads.h"
#include "platform/files.h"

namespace ks {

class CProject;
class CSegment;

// A stopped segment to append now: its file and the offset in it from which
// its bytes are new to the local file.
struct SegmentScratch {
    std::int64_t offset = 0;
    std::string fileName;
};

// Before a fetch of a project with segments and a known total: appends the
// segment files that cover the end of the local file. True when the local
// file is then complete.
bool PreMerge(CProject& project);

// After every block of the main connection (total known, not a segment worker,
// segments > 0): asks caught-up segments to stop, splits off new ones, and
// returns true with `scratch` filled when a stopped segment must be merged now.
bool CheckSegments(CProject& project, SegmentScratch& scratch);

// A segment worker's source served another file (another size, no range) or
// refused it: when that source is one of the parent's mirrors, no later
// segment takes it.
void RejectSegmentSource(CProject& worker);

// After every block of a segment worker: true when it must end its transfer.
bool SegmentMustStop(CProject& worker);

// Appends the segment file named in scratch (in the project's folder) from
// scratch.offset to `local`, adds the bytes to bytesDone and deletes the
// segment file. A segment file that cannot be opened is left alone.
void MergeSegment(CProject& project, plat::File& local, const SegmentScratch& scratch);

// Where a request starting at `from` should end (exclusive): the start of the
// next segment of the file, which that segment fetches itself; for a segment
// worker the next node after its own. 0 when nothing lies ahead. Asking for no more than this keeps
// a server from sending bytes that are thrown away when the connection stops at that node.
std::int64_t RangeLimit(CProject& project, std::int64_t from);

// Before a request of the main connection: merges the segments that begin where
// the local file ends, stopping a running one first and waiting for it, so that
// the request starts past them.
void MergeFront(CProject& project);

// Main connection, once per project, as segments split off: gives the local
// file its disk space up to the total size without changing its length, so the
// segments merged in at the end copy into blocks that are ready (on a memory
// disk that halves the copy). Only where the disk has room for that and for
// the segment files besides.
void ReserveMergeSpace(CProject& project);

// True while any segment of the project is transferring (false with segments 0).
bool AnySegmentActive(CProject& project);
// Waits until no segment is transferring (stopping them all once a stop is
// requested); true when the project was stopped.
bool WaitForSegmentsToEnd(CProject& project);
// After a completed file: removes the stopped segments and their files; running
// ones will discard their bytes when they end.
void CleanupSegments(CProject& project);
// Asks every segment worker of the project to stop (nothing with segments 0).
void StopSegments(CProject& project);

// --- the engine's inner steps, exposed for tests ---

// Splits off one segment (or resumes a stopped one) and starts its worker.
void StartSegment(CProject& project);
// The same for up to `limit` segments, split one after the other, while fewer
// than `segments` are running; `ending` (may be null) is a node whose worker is
// about to end and no longer counts. Safe from the parent's and its segment
// workers' threads; `requested` is the URL segments take when there are no
// mirrors (the parent's requestedUrl, read on the parent's thread).
void StartSegments(CProject& project, int limit, const CSegment* ending,
                   const std::string& requested);
// The offset at which the next segment should start; 0, with noMoreSegments
// set, when no piece worth a segment is left.
std::int64_t ChooseSplitPoint(CProject& project);
// The segment URL: the requested URL, or the mirrors in turn, leaving out the
// rejected ones (and the requested URL once every mirror is rejected).
std::string NextSegmentUrl(CProject& project);
std::string NextSegmentUrl(CProject& project, const std::string& requested);

// Starts a prepared segment worker's thread, which then owns it. The default
// runs DownloadWorker on a new worker thread; tests replace it. Returns false
// when nothing started.
using SegmentLauncher = std::function<bool(const ProjectPtr& worker)>;
void SetSegmentLauncher(SegmentLauncher launcher);

}  // namespace ks
