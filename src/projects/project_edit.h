// What a project's properties dialog hands back, applied to a project whose
// worker may be running meanwhile.
#pragma once

#include "base/project.h"

namespace ks {

// The Download Settings dialog's OK. Only the fields the dialog edits are
// taken from `edited`: the worker's progress (savedProgress, totalSize,
// fileName and the rest) is never put back to what it was when the dialog
// opened. The series start (seqFrom) is the dialog's and the worker's both: it
// is taken only when the user changed it from `opened`, otherwise the worker's
// advance meanwhile stands.
void ApplyDownloadSettings(CProject& project, const ProjectSettings& opened,
                           const ProjectSettings& edited);

}  // namespace ks
