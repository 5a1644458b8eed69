#include "projects/queue.h"

#include <algorithm>

#include "base/runtime.h"
#include "base/worker_threads.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "transfer/download_worker.h"
#include "transfer/segments.h"
#include "transfer/upload_worker.h"

namespace ks {
namespace {

int KindIndex(ProjectKind k) {
    auto v = static_cast<int>(k);
    return (v >= 0 && v < 4) ? v : -1;
}

void TickRate(CProject& x, std::int64_t now) {
    const std::int64_t bytes = x.bytesSinceTick.exchange(0);
    const std::int64_t span = std::max<std::int64_t>(1, now - x.lastTick.load());
    double r = double(bytes) * 0.001 / double(span);
    x.rate.store(r == 0 ? 0.001 : r);
    x.lastTick.store(now);
}

}  // namespace

ProjectQueue::ProjectQueue(QueueHost& host) : host_(host) {
    workers_[0] = [](CProject* p) { DownloadWorker(p); };
    workers_[1] = workers_[0];
    workers_[2] = [](CProject* p) { UploadWorker(p); };
    SetRowSink(this);
}

ProjectQueue::~ProjectQueue() {
    ClearRowSink(this);
    std::vector<CProject*> projects = rows_.Projects();
    for (auto it = projects.rbegin(); it != projects.rend(); ++it)
        Release(rows_.Remove(*it), false);
    Release(std::move(hidden_), false);
}

void ProjectQueue::Release(ProjectPtr p, bool deleteFiles) {
    if (!p) return;
    std::lock_guard<std::mutex> g(p->mu);
    RequestStop(*p, deleteFiles);
    p->released.store(true);
}

QueueOptions ProjectQueue::Options() const {
    std::lock_guard<std::mutex> g(optMu_);
    return options_;
}

void ProjectQueue::SetOptions(QueueOptions o) {
    std::lock_guard<std::mutex> g(optMu_);
    options_ = std::move(o);
}

void ProjectQueue::SetWorker(ProjectKind kind, WorkerBody body) {
    int i = KindIndex(kind);
    if (i >= 0) workers_[i] = std::move(body);
}

std::size_t ProjectQueue::AppendProject(ProjectPtr project) {
    CProject& p = *project;
    rows_.Append(std::move(project), RowTexts{});
    RefreshRow(p, StatusEvent::Redraw);
    return rows_.Count() - 1;
}

bool ProjectQueue::MoveUp(std::size_t row) {
    if (row == 0 || row >= rows_.Count()) return false;
    rows_.Move(row, row - 1);
    if (CProject* p = rows_.ProjectAt(row - 1)) RefreshRow(*p, StatusEvent::Redraw);
    return true;
}

bool ProjectQueue::MoveDown(std::size_t row) {
    if (row + 1 >= rows_.Count()) return false;
    rows_.Move(row, row + 1);
    if (CProject* p = rows_.ProjectAt(row + 1)) RefreshRow(*p, StatusEvent::Redraw);
    return true;
}

bool ProjectQueue::LimitReached() const {
    QueueOptions o = Options();
    return o.limit && CountActive() >= o.maxFiles;
}

void ProjectQueue::QueueProject(CProject& p) {
    p.active.store(false);
    p.queued.store(true);
    RefreshRow(p, StatusEvent::Queued);
}

int ProjectQueue::Start(std::size_t row) {
    CProject* p = rows_.ProjectAt(row);
    if (!p) return 0;
    if (p->active.load() || p->settings.disabled.load()) return 1;
    p->stopRequested.store(false);
    if (LimitReached() && p->settings.Kind() != ProjectKind::Search && !p->queued.load()) {
        QueueProject(*p);
        return 0;
    }
    p->active.store(true);
    p->queued.store(false);
    LaunchWorker(rows_.OwnerOf(p));
    return 1;
}

void ProjectQueue::StartAllOfKind(ProjectKind kind, bool startNow) {
    for (CProject* p : rows_.Projects()) {
        if (!p || p->settings.disabled.load() || p->active.load() || p->settings.Kind() != kind)
            continue;
        p->stopRequested.store(false);
        if (LimitReached() && !p->queued.load()) {
            QueueProject(*p);
        } else if (startNow) {
            p->active.store(true);
            p->queued.store(false);
            LaunchWorker(rows_.OwnerOf(p));
        }
    }
}

void ProjectQueue::StartNextQueued() {
    if (LimitReached()) return;
    std::vector<CProject*> projects = rows_.Projects();
    for (std::size_t i = 0; i < projects.size(); ++i) {
        if (projects[i]->queued.load() && !projects[i]->active.load()) {
            Start(i);
            return;
        }
    }
}

// A folder that cannot be used sends the download to the program folder's
// "Temp" (kept as the project's folder). Only existence is checked: changing the
// process's current folder from here would disturb every other thread.
bool ProjectQueue::StartWorkerFolder(CProject& p) {
    if (!p.hidden.load()) {
        if (!plat::DirExists(p.GetText(&ProjectSettings::folder))) {
            const std::string program = GlobalRuntime().ProgramFolder();
            if (!plat::DirExists(program)) return false;
            const std::string temp = plat::JoinPath(program, "Temp");
            plat::MakeDir(temp);
            p.SetText(&ProjectSettings::folder, temp);
        }
    }
    if (p.stopRequested.load()) return false;
    if (p.segmentWorker.load() && p.parentProject && p.parentProject->stopRequested.load())
        return false;
    return true;
}

bool ProjectQueue::LaunchWorker(const ProjectPtr& owner) {
    if (!owner) return false;
    CProject& p = *owner;
    const ProjectKind kind = p.settings.Kind();
    const int i = KindIndex(kind);
    bool ok = i >= 0 && workers_[i] != nullptr;
    if (ok && (kind == ProjectKind::Download || kind == ProjectKind::UrlListGrab))
        ok = StartWorkerFolder(p);
    if (ok) {
        // Marked running before the thread exists, so a pause in between reaches
        // the worker instead of racing its start.
        p.workerRunning.store(true);
        WorkerBody body = workers_[i];
        ok = LaunchWorkerThread([body, owner] { body(owner.get()); });
        if (!ok) p.workerRunning.store(false);
    }
    if (!ok) p.active.store(false);  // a start that never ran must not hold a slot
    return ok;
}

void ProjectQueue::StopProject(CProject& p, bool deleteFiles) {
    std::lock_guard<std::mutex> g(p.mu);
    RequestStop(p, deleteFiles);
}

int ProjectQueue::Pause(std::size_t row) {
    CProject* p = rows_.ProjectAt(row);
    if (!p) return 0;
    p->SignalStop();
    if (p->settings.segments.load() > 0) StopSegments(*p);
    if (p->settings.segments.load() > 0 && p->pingThread.load()) p->CancelPing();
    if (!p->workerRunning.load()) {
        if (p->queued.exchange(false)) RefreshRow(*p, StatusEvent::Stopped);
        return 0;
    }
    p->queued.store(false);
    p->CancelBlocking();
    return 1;
}

int ProjectQueue::PauseAll() {
    std::vector<CProject*> projects = rows_.Projects();
    for (CProject* p : projects) {
        p->SignalStop();
        if (p->settings.segments.load() > 0) StopSegments(*p);
        if (!p->workerRunning.load()) {
            if (p->queued.exchange(false)) RefreshRow(*p, StatusEvent::Stopped);
            continue;
        }
        p->queued.store(false);
        StopProject(*p, false);
    }
    return int(projects.size());
}

int ProjectQueue::Delete(std::size_t row) {
    CProject* p = rows_.ProjectAt(row);
    if (!p) return 0;
    Release(rows_.Remove(p), true);
    return 1;
}

int ProjectQueue::CountRows() const {
    return int(rows_.Count());
}

int ProjectQueue::CountActive() const {
    int n = 0;
    for (CProject* p : rows_.Projects()) n += p->active.load() ? 1 : 0;
    return n;
}

int ProjectQueue::CountQueued() const {
    int n = 0;
    for (CProject* p : rows_.Projects()) n += p->queued.load() ? 1 : 0;
    return n;
}

double ProjectQueue::TotalRate() const {
    double total = 0;
    for (CProject* p : rows_.Projects()) {
        if (!p->workerRunning.load()) continue;
        total += p->rate.load();
        std::lock_guard<std::mutex> g(p->segmentList.Mutex());
        for (const auto& node : p->segmentList.Nodes()) {
            CProject* w = node->worker.load();
            if (node->state.load() == SegmentState::Active && w) total += w->rate.load();
        }
    }
    return total;
}

void ProjectQueue::RateTick() {
    RateTick(plat::NowSeconds());
}

void ProjectQueue::RateTick(std::int64_t now) {
    for (CProject* p : rows_.Projects()) {
        if (!p->workerRunning.load()) continue;
        {
            std::lock_guard<std::mutex> g(p->segmentList.Mutex());
            for (const auto& node : p->segmentList.Nodes()) {
                CProject* w = node->worker.load();
                if (node->state.load() == SegmentState::Active && w) TickRate(*w, now);
            }
        }
        TickRate(*p, now);
        if (!p->segmentWorker.load() && p->mergeFlag.load()) RefreshRow(*p, StatusEvent::Tick);
    }
}

int ProjectQueue::RefreshRow(CProject& p, StatusEvent event) {
    if (p.segmentWorker.load() || p.hidden.load()) return 0;
    if (p.workerRunning.load()) host_.OnActivity(true);
    if (!rows_.Contains(&p)) return 0;
    return rows_.Update(&p, FormatRow(p, event)) ? 1 : 0;
}

void ProjectQueue::OnRowEvent(CProject& p, StatusEvent event) {
    if (p.segmentWorker.load() || p.hidden.load()) return;
    // The event names its project weakly: a row deleted meanwhile, and the
    // project gone with it, simply drops the event.
    const std::weak_ptr<CProject> project = rows_.OwnerOf(&p);
    if (project.expired()) return;
    uitask::Post(alive_.Guard([this, project, event] {
        if (ProjectPtr held = project.lock()) RefreshRow(*held, event);
    }));
}

void ProjectQueue::OnActivity(bool active) {
    uitask::Post(alive_.Guard([this, active] { host_.OnActivity(active); }));
}

}  // namespace ks
