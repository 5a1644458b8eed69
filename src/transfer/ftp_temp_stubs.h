// TEMPORARY: declarations owned by the download worker's branch, until merged.
#pragma once

namespace ks {
class CProject;
void RetryWait(CProject& project);
void EndWorker(CProject* project);
}  // namespace ks
