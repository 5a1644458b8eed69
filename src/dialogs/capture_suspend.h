// Clipboard capture pauses while a project dialog is open: a URL the user
// copies into a dialog field must not turn into a download of its own. The
// flag belongs to the main frame; the dialogs raise it for as long as they run.
#pragma once

#include <atomic>

namespace ks {

// Read by the clipboard viewer before it captures text.
inline std::atomic<bool> captureSuspended{false};

// Raises the flag for its lifetime and restores the earlier value, so nested
// dialogs (a folder chooser over a project dialog) leave it as they found it.
class CaptureSuspendScope {
  public:
    CaptureSuspendScope() : previous_(captureSuspended.exchange(true)) {}
    ~CaptureSuspendScope() { captureSuspended.store(previous_); }
    CaptureSuspendScope(const CaptureSuspendScope&) = delete;
    CaptureSuspendScope& operator=(const CaptureSuspendScope&) = delete;

  private:
    bool previous_;
};

}  // namespace ks
