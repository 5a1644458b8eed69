// TEMPORARY: declarations owned by other branches, until they are merged.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace ks {
class CProject;
struct SegmentScratch {
    std::int64_t offset = 0;
    std::string fileName;
};
bool PreMerge(CProject& project);
bool CheckSegments(CProject& project, SegmentScratch& scratch);
bool SegmentMustStop(CProject& worker);
void MergeSegment(CProject& project, plat::File& local, const SegmentScratch& scratch);
void RetryWait(CProject& project);
}  // namespace ks
