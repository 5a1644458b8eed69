#include "base/ui_tasks.h"

#include <chrono>

namespace ks {

void UiTaskQueue::SetWaker(std::function<void()> waker) {
    std::lock_guard<std::mutex> g(mu_);
    waker_ = std::move(waker);
    // Tasks queued before there was anyone to wake still need a drain.
    if (waker_ && !tasks_.empty()) {
        woken_ = false;
        WakeLocked();
    }
}

void UiTaskQueue::WakeLocked() {
    if (woken_) return;
    woken_ = true;
    // Called under the lock, so once SetWaker has replaced it the old waker
    // (and the window it posts to) is never called again.
    if (waker_) waker_();
    cv_.notify_all();
}

void UiTaskQueue::Post(UiTask task) {
    if (!task) return;
    std::unique_lock<std::mutex> g(mu_);
    if (shut_) {
        g.unlock();  // the task's captures die outside the lock
        return;
    }
    tasks_.push_back(std::move(task));
    WakeLocked();
}

void UiTaskQueue::Wake() {
    std::lock_guard<std::mutex> g(mu_);
    if (!shut_) WakeLocked();
}

std::size_t UiTaskQueue::Drain() {
    std::size_t budget;
    {
        std::lock_guard<std::mutex> g(mu_);
        // Whatever is posted from here on wakes the UI thread again.
        woken_ = false;
        budget = tasks_.size();
    }
    std::size_t ran = 0;
    for (; ran < budget; ++ran) {
        UiTask task;
        {
            std::lock_guard<std::mutex> g(mu_);
            if (tasks_.empty()) break;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
    return ran;
}

std::size_t UiTaskQueue::WaitAndDrain(std::int64_t timeoutMs) {
    {
        std::unique_lock<std::mutex> g(mu_);
        cv_.wait_for(g, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                     [this] { return woken_ || !tasks_.empty() || shut_; });
    }
    return Drain();
}

void UiTaskQueue::Shutdown() {
    std::deque<UiTask> dropped;
    {
        std::lock_guard<std::mutex> g(mu_);
        shut_ = true;
        waker_ = nullptr;
        dropped.swap(tasks_);
        cv_.notify_all();
    }
}

std::size_t UiTaskQueue::Pending() const {
    std::lock_guard<std::mutex> g(mu_);
    return tasks_.size();
}

UiTaskQueue& UiTasks() {
    static UiTaskQueue queue;
    return queue;
}

}  // namespace ks
