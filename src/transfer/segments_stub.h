// TEMPORARY: stands in for transfer/segments.h until branch http lands.
#pragma once
namespace ks {
class CProject;
bool AnySegmentActive(CProject& project);
void CleanupSegments(CProject& project);
void StopSegments(CProject& project);
}  // namespace ks
