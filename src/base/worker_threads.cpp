#include "base/worker_threads.h"

#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/checkpoint.h"
#include "base/project.h"
#include "base/ui_tasks.h"

namespace ks {
namespace {

struct WorkerThread {
    std::thread thread;
    bool ended = false;
};

struct WorkerList {
    std::mutex mu;
    std::condition_variable cv;
    std::list<WorkerThread> threads;
    int live = 0;
};

WorkerList& Workers() {
    // Never destroyed: static destruction at exit must not race a thread that
    // is still winding down (the exit path joins them all before it returns).
    static WorkerList* workers = new WorkerList;
    return *workers;
}

// Joins the threads that have ended. List lock held; joining an ended thread
// only waits for its last few instructions.
void ReapEnded(WorkerList& w) {
    for (auto it = w.threads.begin(); it != w.threads.end();) {
        if (it->ended) {
            if (it->thread.joinable()) it->thread.join();
            it = w.threads.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

bool LaunchWorkerThread(std::function<void()> body) {
    WorkerList& w = Workers();
    std::lock_guard<std::mutex> g(w.mu);
    ReapEnded(w);
    w.threads.emplace_back();
    WorkerThread* self = &w.threads.back();
    try {
        self->thread = std::thread([body = std::move(body), self, &w]() mutable {
            try {
                body();
            } catch (...) {
                // A worker must not take the process down; its project keeps its last row.
            }
            // Its captures (the project's owner among them) go before the thread counts as ended.
            body = nullptr;
            std::lock_guard<std::mutex> g(w.mu);
            self->ended = true;
            --w.live;
            w.cv.notify_all();
        });
    } catch (const std::system_error&) {
        w.threads.pop_back();
        return false;
    }
    ++w.live;
    return true;
}

int LiveWorkerThreads() {
    WorkerList& w = Workers();
    std::lock_guard<std::mutex> g(w.mu);
    return w.live;
}

bool WaitForWorkerThreads(std::int64_t timeoutMs) {
    WorkerList& w = Workers();
    std::unique_lock<std::mutex> lk(w.mu);
    auto none = [&] { return w.live == 0; };
    bool all = true;
    if (timeoutMs < 0) {
        w.cv.wait(lk, none);
    } else {
        all = w.cv.wait_for(lk, std::chrono::milliseconds(timeoutMs), none);
    }
    ReapEnded(w);
    return all;
}

void EndWorker(CProject* p) {
    if (p->segmentWorker.load()) ReturnSegment(*p);
    std::lock_guard<std::mutex> g(p->mu);
    p->active.store(false);
    p->queued.store(false);
    p->workerRunning.store(false);
    // Whoever waits for the queue to fall idle looks again now.
    uitask::Wake();
}

void RequestStop(CProject& p, bool deleteFiles) {
    p.deleteFiles.store(deleteFiles);
    p.SignalStop();
    p.CancelBlocking();
    if (p.settings.segments.load() > 0 && p.pingThread.load()) p.CancelPing();
}

}  // namespace ks
