// The hooks through which the HTTP and FTP clients cooperate with a segmented
// download: merging finished segments, splitting off new ones, and telling a
// segment worker when the main connection has caught up with it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace ks {

class CProject;

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

// After every block of a segment worker: true when it must end its transfer.
bool SegmentMustStop(CProject& worker);

// Appends the segment file named in scratch (in the project's folder) from
// scratch.offset to `local`, adds the bytes to bytesDone and deletes the
// segment file. A segment file that cannot be opened is left alone.
void MergeSegment(CProject& project, plat::File& local, const SegmentScratch& scratch);

}  // namespace ks
