#include "projects/project_edit.h"

#include <mutex>

namespace ks {

void ApplyDownloadSettings(CProject& p, const ProjectSettings& opened,
                           const ProjectSettings& edited) {
    std::lock_guard<std::mutex> g(p.mu);
    ProjectSettings& s = p.settings;
    s.url = edited.url;
    s.seqSuffix = edited.seqSuffix;
    s.seqDigits = edited.seqDigits.load();
    if (edited.seqFrom.load() != opened.seqFrom.load()) s.seqFrom = edited.seqFrom.load();
    s.seqTo = edited.seqTo.load();
    s.sequential = edited.sequential.load();
    s.folder = edited.folder;
    s.segments = edited.segments.load();
    s.autoMirror = edited.autoMirror.load();
    s.pingFastest = edited.pingFastest.load();
    s.disabled = edited.disabled.load();
    s.mirrorFile = edited.mirrorFile;
    s.ownerList = edited.ownerList;
}

}  // namespace ks
