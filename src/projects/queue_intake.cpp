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
    ProjectSettings s = NewProjectSettings(ProjectKind::Download, folder);
    s.url = trimmed;
    const std::optional<std::size_t> row = AddProject(std::move(s));
    if (!row) return std::nullopt;
    host_.AddToUrlHistory(trimmed);
    if (startNow) Start(*row);
    return row;
}

ProjectSettings ProjectQueue::NewProjectSettings(ProjectKind kind,
                                                 const std::string& folder) const {
    ProjectSettings s;
    s.kind = static_cast<std::int32_t>(kind);
    s.folder = folder;
    s.seqDigits = 1;
    s.seqFrom = 1;
    s.seqTo = 1;
    if (kind == ProjectKind::Download || kind == ProjectKind::UrlListGrab) {
        const QueueOptions o = Options();
        s.segments = o.acceleration;
        s.autoMirror = o.autoMirror ? 1 : 0;
        s.pingFastest = o.checkFast ? 1 : 0;
    }
    return s;
}

std::optional<std::size_t> ProjectQueue::AddProject(ProjectSettings s) {
    s.position = CountRows();
    ProjectPtr p = CreateProject(std::move(s), true, GlobalRuntime().ProgramFolder());
    if (!p) return std::nullopt;
    return AppendProject(std::move(p));
}

int ProjectQueue::FetchHidden(const std::string& url) {
    if (!hidden_) {
        hidden_ = std::make_shared<CProject>();
        hidden_->hidden.store(true);
    }
    if (hidden_->active.load()) return 0;
    hidden_->active.store(true);
    hidden_->hidden.store(true);
    hidden_->stopRequested.store(false);
    hidden_->SetText(&ProjectSettings::url, url);
    return LaunchWorker(hidden_) ? 1 : 0;
}

void ProjectQueue::StopHidden() {
    if (hidden_) StopProject(*hidden_, false);
}

void ProjectQueue::ShutdownAll() {
    std::vector<CProject*> projects = rows_.Projects();
    // From the last row up: taking the last row out moves no other row.
    for (std::size_t i = projects.size(); i-- > 0;) {
        CProject* p = projects[i];
        p->settings.position = std::int32_t(i);
        SaveProject(*p);
        Release(rows_.Remove(p), false);
    }
    Release(std::move(hidden_), false);
    hidden_ = nullptr;
}

}  // namespace ks
