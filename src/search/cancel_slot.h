// The blocking call one helper thread sits in, reachable by the thread that
// may have to stop it. Installing, clearing and cancelling share a lock, so a
// cancel never reaches an object its thread has already destroyed, and a
// cancel that comes first also stops every call installed later.
#pragma once

#include <mutex>

#include "base/project.h"

namespace ks {

class CancelSlot {
  public:
    void Install(Cancellable* c) {
        std::lock_guard<std::mutex> g(mu_);
        current_ = c;
        if (cancelled_ && c) c->Cancel();
    }
    void Clear() {
        std::lock_guard<std::mutex> g(mu_);
        current_ = nullptr;
    }
    void Cancel() {
        std::lock_guard<std::mutex> g(mu_);
        cancelled_ = true;
        if (current_) current_->Cancel();
    }

  private:
    std::mutex mu_;
    Cancellable* current_ = nullptr;
    bool cancelled_ = false;
};

// Installs for one scope.
class CancelScope {
  public:
    CancelScope(CancelSlot& slot, Cancellable& c) : slot_(slot) { slot_.Install(&c); }
    ~CancelScope() { slot_.Clear(); }
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;

  private:
    CancelSlot& slot_;
};

}  // namespace ks
