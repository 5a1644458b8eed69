#include "base/checkpoint.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>

#include "base/project.h"
#include "base/text.h"
#include "platform/files.h"

namespace ks {
namespace {

std::atomic<ProjectSaver> g_saver{nullptr};

}  // namespace

void SetProjectSaver(ProjectSaver saver) {
    g_saver.store(saver);
}

bool SaveCheckpoint(CProject& p) {
    if (p.segmentWorker) return ReturnSegment(p);
    ProjectSaver saver = g_saver.load();
    return saver && saver(p);
}

// All under the parent's list lock, so that the parent's destruction sees
// either an attached, running worker or none.
bool ReturnSegment(CProject& w) {
    CProject* parent = w.parentProject;
    CSegment* node = w.servedSegment;
    if (parent && node) {
        std::string folder = parent->GetText(&ProjectSettings::folder);
        std::lock_guard<std::mutex> g(parent->segmentList.Mutex());
        const auto& nodes = parent->segmentList.Nodes();
        bool listed = std::any_of(nodes.begin(), nodes.end(),
                                  [node](const auto& n) { return n.get() == node; });
        if (listed && node->worker.load() == &w) {
            node->bytesDone = w.bytesDone.load();
            if (node->doNotReuse) {
                if (IsPlainName(node->fileName)) {
                    plat::RemoveFile(plat::JoinPath(folder, node->fileName));
                }
                node->bytesDone = 0;
            }
            node->state = SegmentState::Stopped;
            node->worker = nullptr;
            parent->segmentList.Changed().notify_all();
        }
        // From here on the parent may end at any moment: forget it, so that a
        // second hand-back (EndWorker after the last checkpoint) touches nothing.
        w.parentProject = nullptr;
        w.servedSegment = nullptr;
    }
    return true;
}

}  // namespace ks
