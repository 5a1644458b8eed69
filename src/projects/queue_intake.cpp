// The queue's entrances and exit: URLs from outside, the hidden keep-alive
// fetcher, and the shut-down of every project.
#include "base/runtime.h"
#include "base/worker_threads.h"
#include "projects/project_store.h"
#include "projects/queue.h"

namespace ks {
namespace {

std::string TrimBlanks(const std::string& s) {
    const char* blanks = " \t\r\n";
    std::size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos) return std::string();
    std::size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

}  // namespace

void ProjectQueue::QueuePendingUrl(const std::string& url) {
    std::lock_guard<std::mutex> g(pendingMu_);
    pending_.push_back(url);
}

std::optional<std::string> ProjectQueue::TakePendingUrl() {
    std::lock_guard<std::mutex> g(pendingMu_);
    if (pending_.empty()) return std::nullopt;
    std::string url = std::move(pending_.front());
    pending_.pop_front();
    return url;
}

void ProjectQueue::AddOnePendingUrl() {
    if (auto url = TakePendingUrl()) AddUrl(*url, Options().immediate, false);
}

std::optional<std::size_t> ProjectQueue::AddUrl(const std::string& url, bool startNow, bool quiet) {
    const QueueOptions o = Options();
    std::string folder = host_.CurrentFolder();
    if (!quiet) {
        if (o.useWav) host_.PlaySound(o.wavFile);
        if (!o.dontAskMe) {
            if (!host_.ConfirmDownload(folder, url)) return std::nullopt;
            host_.SetCurrentFolder(folder);
        }
    }
    const std::string trimmed = TrimBlanks(url);

    ProjectSettings s;
    s.position = CountRows();
    s.url = trimmed;
    s.seqDigits = 1;
    s.seqFrom = 1;
    s.seqTo = 1;
    s.savedProgress = 0;
    s.totalSize = 0;
    s.folder = folder;
    s.kind = static_cast<std::int32_t>(ProjectKind::Download);
    s.sequential = 0;
    s.disabled = 0;
    s.segments = o.acceleration;
    s.autoMirror = o.autoMirror ? 1 : 0;
    s.pingFastest = o.checkFast ? 1 : 0;
    CProject* p = CreateProject(s, true, GlobalRuntime().ProgramFolder()).release();
    if (!p) return std::nullopt;

    host_.AddToUrlHistory(trimmed);
    const std::size_t row = AppendProject(p);
    if (startNow) Start(row);
    return row;
}

int ProjectQueue::FetchHidden(const std::string& url) {
    if (!hidden_) {
        hidden_ = new CProject();
        hidden_->hidden.store(true);
    }
    if (hidden_->active.load()) return 0;
    hidden_->active.store(true);
    hidden_->hidden.store(true);
    hidden_->stopRequested.store(false);
    hidden_->SetText(&ProjectSettings::url, url);
    return LaunchWorker(*hidden_) ? 1 : 0;
}

void ProjectQueue::StopHidden() {
    if (hidden_) StopProject(*hidden_, false);
}

void ProjectQueue::ShutdownAll() {
    std::vector<CProject*> projects = rows_.Projects();
    for (std::size_t i = 0; i < projects.size(); ++i) {
        CProject* p = projects[i];
        p->settings.position = std::int32_t(i);
        SaveProject(*p);
        rows_.Remove(p);
        DestroyOrHandOver(p, false);
    }
    if (hidden_) {
        DestroyOrHandOver(hidden_, false);
        hidden_ = nullptr;
    }
}

}  // namespace ks
