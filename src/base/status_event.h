// The events with which workers report progress, and the one path they take to
// the row model. Workers call NotifyRow; the queue installs the sink that
// redraws the row (in memory) and lets the view know. Transfer code therefore
// never depends on the queue or on any window.
#pragma once

#include <atomic>
#include <cstdint>

namespace ks {

class CProject;

enum class StatusEvent : std::int32_t {
    Tick = 0,
    Connecting = 1,
    Transferring = 2,
    Retrying = 3,
    Stopped = 4,
    Completed = 5,
    Error = 6,
    Queued = 7,
    InvalidUrl = 8,
    SearchDownloading = 9,
    Redraw = 10,
    Searching = 11,
    WaitingForEngineUpdate = 12,
    UpdatingEngine = 13,
    GettingWebPage = 14,
};

// Receives every row event. Must be callable from any thread and must never
// block on a UI thread.
class RowSink {
  public:
    virtual ~RowSink() = default;
    virtual void OnRowEvent(CProject& project, StatusEvent event) = 0;
    // A worker has started transferring / all activity ended (tray animation).
    virtual void OnActivity(bool active) {}
};

inline std::atomic<RowSink*>& RowSinkSlot() {
    static std::atomic<RowSink*> slot{nullptr};
    return slot;
}

inline void SetRowSink(RowSink* sink) {
    RowSinkSlot().store(sink);
}

inline void NotifyRow(CProject& project, StatusEvent event) {
    if (RowSink* s = RowSinkSlot().load()) s->OnRowEvent(project, event);
}

inline void NotifyActivity(bool active) {
    if (RowSink* s = RowSinkSlot().load()) s->OnActivity(active);
}

}  // namespace ks
