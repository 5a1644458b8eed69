#include "base/worker_threads.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/project.h"

namespace ks {
namespace {

struct LiveCount {
    std::mutex mu;
    std::condition_variable cv;
    int count = 0;
};

LiveCount& Live() {
    // Never destroyed: detached threads may still be finishing during exit.
    static LiveCount* live = new LiveCount;
    return *live;
}

}  // namespace

bool LaunchWorkerThread(std::function<void()> body) {
    LiveCount& live = Live();
    {
        std::lock_guard<std::mutex> g(live.mu);
        ++live.count;
    }
    try {
        std::thread([body = std::move(body), &live] {
            try {
                body();
            } catch (...) {
                // A worker must not take the process down; its project keeps its last row.
            }
            std::lock_guard<std::mutex> g(live.mu);
            --live.count;
            live.cv.notify_all();
        }).detach();
        return true;
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> g(live.mu);
        --live.count;
        live.cv.notify_all();
        return false;
    }
}

int LiveWorkerThreads() {
    LiveCount& live = Live();
    std::lock_guard<std::mutex> g(live.mu);
    return live.count;
}

bool WaitForWorkerThreads(std::int64_t timeoutMs) {
    LiveCount& live = Live();
    std::unique_lock<std::mutex> lk(live.mu);
    auto none = [&] { return live.count == 0; };
    if (timeoutMs < 0) {
        live.cv.wait(lk, none);
        return true;
    }
    return live.cv.wait_for(lk, std::chrono::milliseconds(timeoutMs), none);
}

void EndWorker(CProject* p) {
    bool destroy;
    {
        std::lock_guard<std::mutex> g(p->mu);
        p->active.store(false);
        p->queued.store(false);
        p->workerRunning.store(false);
        destroy = p->deleteFiles.load() || p->deleteWhenDone.load();
    }
    if (destroy) delete p;
}

void RequestStop(CProject& p, bool deleteFiles) {
    p.deleteFiles.store(deleteFiles);
    p.stopRequested.store(true);
    p.CancelBlocking();
    if (p.settings.segments.load() > 0 && p.pingThread.load()) p.CancelPing();
}

bool DestroyOrHandOver(CProject* p, bool deleteFiles) {
    bool destroyNow;
    {
        std::lock_guard<std::mutex> g(p->mu);
        RequestStop(*p, deleteFiles);
        destroyNow = !p->workerRunning.load();
        if (!destroyNow) p->deleteWhenDone.store(true);
    }
    if (destroyNow) delete p;
    return destroyNow;
}

}  // namespace ks
