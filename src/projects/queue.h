// The job queue: which projects run, which wait for a free slot, and how a
// stop reaches a worker. Rows are addressed by index in queue order. Every
// operation except the row sink's and QueuePendingUrl belongs to the UI thread
// (the headless front end's main thread plays that part): a worker's row event
// is posted there (UiTasks) and the row is formatted there.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "base/project.h"
#include "base/status_event.h"
#include "base/ui_tasks.h"
#include "projects/row_model.h"

namespace ks {

// What the queue needs from the program around it: the GUI and the headless
// front end each implement it. Every call comes from the UI thread.
class QueueHost {
  public:
    virtual ~QueueHost() = default;
    virtual std::string CurrentFolder() = 0;
    virtual void SetCurrentFolder(const std::string& folder) {}
    // The download confirmation; false cancels. May change folder.
    virtual bool ConfirmDownload(std::string& folder, const std::string& url) { return true; }
    virtual void PlaySound(const std::string& wavFile) {}
    virtual void AddToUrlHistory(const std::string& url) {}
    // Transfer activity began or ended (tray animation).
    virtual void OnActivity(bool active) {}
};

// The settings the queue decides with ("Limits", "Settings" and the defaults of
// new projects).
struct QueueOptions {
    bool limit = false;  // "limit"
    int maxFiles = 3;    // "maxfiles"
    bool immediate = true;
    bool useWav = false;
    std::string wavFile;
    bool dontAskMe = false;
    int acceleration = 0;  // default "segments"
    bool autoMirror = false;
    bool checkFast = false;
};

// The thread body of a worker kind; it ends with EndWorker. The project is
// borrowed: the thread that runs the body holds an owner until it returns.
using WorkerBody = std::function<void(CProject*)>;

class ProjectQueue : public RowSink {
  public:
    explicit ProjectQueue(QueueHost& host);
    ~ProjectQueue() override;
    ProjectQueue(const ProjectQueue&) = delete;
    ProjectQueue& operator=(const ProjectQueue&) = delete;

    QueueOptions Options() const;
    void SetOptions(QueueOptions o);
    // Which body runs a kind; Download and UrlListGrab default to DownloadWorker.
    // A kind without a body cannot start.
    void SetWorker(ProjectKind kind, WorkerBody body);

    RowModel& Rows() { return rows_; }
    const RowModel& Rows() const { return rows_; }
    CProject* ProjectAt(std::size_t row) const { return rows_.ProjectAt(row); }

    // Appends a row (which holds an owner of the project) and draws it.
    std::size_t AppendProject(ProjectPtr project);
    // The defaults of a new project of `kind` in `folder`, from the options.
    ProjectSettings NewProjectSettings(ProjectKind kind, const std::string& folder) const;
    // The one way a new project comes into being (a URL from outside, the New
    // dialogs, the command line): numbers and saves its files, then appends its
    // row. nullopt when its files cannot be made.
    std::optional<std::size_t> AddProject(ProjectSettings settings);
    // Moves row a one place up or down (the GUI's Move Up / Move Down).
    bool MoveUp(std::size_t row);
    bool MoveDown(std::size_t row);

    int Start(std::size_t row);
    int Pause(std::size_t row);
    int Delete(std::size_t row);
    void StopProject(CProject& project, bool deleteFiles);
    void StartAllOfKind(ProjectKind kind, bool startNow);
    int PauseAll();
    void StartNextQueued();
    bool LimitReached() const;

    int CountRows() const;
    int CountActive() const;
    int CountQueued() const;
    double TotalRate() const;
    void RateTick();
    void RateTick(std::int64_t nowSeconds);

    // UI thread: applies the event to the project's row and redraws its texts.
    int RefreshRow(CProject& project, StatusEvent event);
    // Any thread (the row sink): post the event to the UI thread.
    void OnRowEvent(CProject& project, StatusEvent event) override;
    void OnActivity(bool active) override;

    // Any thread: appends to the pending list (first in, first out).
    void QueuePendingUrl(const std::string& url);
    std::optional<std::string> TakePendingUrl();
    // The heartbeat's share: one pending URL per call.
    void AddOnePendingUrl();
    // Returns the new row, or nullopt when cancelled or not created.
    std::optional<std::size_t> AddUrl(const std::string& url, bool startNow, bool quiet);

    int FetchHidden(const std::string& url);
    void StopHidden();
    CProject* HiddenProject() const { return hidden_.get(); }

    // Exit: renumber, save, stop and let go of every project (a running worker
    // holds its own until it ends).
    void ShutdownAll();

  private:
    bool LaunchWorker(const ProjectPtr& p);
    // Stops the project and lets go of the queue's hold on it.
    void Release(ProjectPtr p, bool deleteFiles);
    bool StartWorkerFolder(CProject& p);
    void QueueProject(CProject& p);

    QueueHost& host_;
    RowModel rows_;
    mutable std::mutex optMu_;
    QueueOptions options_;
    WorkerBody workers_[4];
    std::mutex pendingMu_;
    std::deque<std::string> pending_;
    ProjectPtr hidden_;
    // Last member: ends before anything a posted row event would touch.
    UiLifetime alive_;
};

}  // namespace ks
