// The one way from any thread to the UI thread: post a task, and the UI thread
// runs it. Workers never touch a window or a row directly; they post, and the
// first post into an empty queue wakes the UI thread once (the Win32 frame
// posts itself one message, the headless front end waits on a condition
// variable), which then runs every queued task in order.
//
// A task that refers to an object the UI thread may destroy captures a
// UiLifetime token of it (Guard): destroying the object on the UI thread ends
// the token, and the task then does nothing. After Shutdown every post is
// dropped unrun.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace ks {

using UiTask = std::function<void()>;

class UiTaskQueue {
  public:
    // Called, from the posting thread, when the UI thread must look at the
    // queue: at the first post since the last drain began, and on Wake. It
    // must return at once (post a message, never send one). Empty: the UI
    // thread waits in WaitAndDrain instead.
    void SetWaker(std::function<void()> waker);

    // Any thread. Runs task on the UI thread, after every task posted before it.
    void Post(UiTask task);
    // Any thread: wakes the UI thread without a task, because something it
    // watches (a worker's end) changed.
    void Wake();

    // UI thread: runs the tasks queued when it was called, oldest first, one
    // at a time (a task may itself drain, from a dialog's message loop).
    // Returns how many ran.
    std::size_t Drain();
    // UI thread without a message loop: waits until a task is posted or Wake
    // is called (at most timeoutMs), then drains.
    std::size_t WaitAndDrain(std::int64_t timeoutMs);

    // Drops what is queued; every later post is dropped too.
    void Shutdown();
    std::size_t Pending() const;

  private:
    void WakeLocked();

    mutable std::mutex mu_;
    std::condition_variable cv_;
    std::deque<UiTask> tasks_;
    std::function<void()> waker_;
    bool woken_ = false;  // a wake-up is on its way and not yet taken
    bool shut_ = false;
};

// The process's queue, drained by whichever thread plays the UI thread.
UiTaskQueue& UiTasks();

namespace uitask {
inline void Post(UiTask task) {
    UiTasks().Post(std::move(task));
}
inline void Wake() {
    UiTasks().Wake();
}
inline std::size_t Drain() {
    return UiTasks().Drain();
}
}  // namespace uitask

// Lives as long as the object that holds it. Created and destroyed on the UI
// thread; a guarded task runs its body only while the token lives.
class UiLifetime {
  public:
    template <class F>
    UiTask Guard(F body) const {
        return [alive = std::weak_ptr<const char>(token_), body = std::move(body)]() mutable {
            if (alive.lock()) body();
        };
    }

  private:
    std::shared_ptr<const char> token_ = std::make_shared<const char>('\0');
};

}  // namespace ks
