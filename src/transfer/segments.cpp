// Placeholder segment engine: downloads run over the main connection only.
// The segment engine replaces PreMerge, CheckSegments and SegmentMustStop.
#include "transfer/segments.h"

#include "projects/project.h"
#include "transfer/url.h"

namespace ks {

bool PreMerge(CProject&) {
    return false;
}

bool CheckSegments(CProject&, SegmentScratch&) {
    return false;
}

bool SegmentMustStop(CProject&) {
    return false;
}

void MergeSegment(CProject& project, plat::File& local, const SegmentScratch& scratch) {
    const std::string path = LocalPath(project.GetText(&ProjectSettings::folder), scratch.fileName);
    if (!plat::FileExists(path)) return;
    std::int64_t appended = plat::AppendFileRange(local, path, scratch.offset);
    if (appended > 0) project.bytesDone += appended;
    if (appended >= 0) plat::RemoveFile(path);
}

}  // namespace ks
