// The events with which workers report progress, and the one path they take to
// the row model. Workers call NotifyRow; the queue installs the sink, which
// posts the event to the UI thread (UiTasks), where the row is redrawn (in
// memory) and the view told. Transfer code therefore never depends on the
// queue or on any window.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <shared_mutex>

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

// The sink is read under a shared lock for the whole call, so clearing it
// waits for calls in progress: once ClearRowSink returns, no worker reaches the
// old sink any more, and later events are dropped.
struct RowSinkSlot {
    std::shared_mutex mu;
    RowSink* sink = nullptr;
};

inline RowSinkSlot& TheRowSinkSlot() {
    static RowSinkSlot slot;
    return slot;
}

inline void SetRowSink(RowSink* sink) {
    std::unique_lock<std::shared_mutex> g(TheRowSinkSlot().mu);
    TheRowSinkSlot().sink = sink;
}

// Clears the slot if it still holds `sink`.
inline void ClearRowSink(RowSink* sink) {
    std::unique_lock<std::shared_mutex> g(TheRowSinkSlot().mu);
    if (TheRowSinkSlot().sink == sink) TheRowSinkSlot().sink = nullptr;
}

inline void NotifyRow(CProject& project, StatusEvent event) {
    std::shared_lock<std::shared_mutex> g(TheRowSinkSlot().mu);
    if (RowSink* s = TheRowSinkSlot().sink) s->OnRowEvent(project, event);
}

inline void NotifyActivity(bool active) {
    std::shared_lock<std::shared_mutex> g(TheRowSinkSlot().mu);
    if (RowSink* s = TheRowSinkSlot().sink) s->OnActivity(active);
}

}  // namespace ks
