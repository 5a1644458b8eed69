// What the windows of the program need from the job queue. The windows never
// touch a project's row data directly: they read row snapshots and hand
// commands back by row index, all on the UI thread. The queue may change rows
// from worker threads; it then calls the change callback, which only posts a
// message, so a worker never waits for a window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "projects/project.h"
#include "projects/status_event.h"

namespace ks {

struct JobRow {
    const CProject* id = nullptr;  // identity only
    std::array<std::string, 8> columns;
    int image = 4;
};

class JobQueue {
public:
    virtual ~JobQueue() = default;

    // Rows ------------------------------------------------------------------
    virtual std::uint64_t Version() const = 0;
    virtual std::vector<JobRow> Rows() const = 0;
    // Any thread, must return at once. Called after every row change.
    virtual void SetOnRowsChanged(std::function<void()> cb) = 0;
    // Any thread: a worker started transferring (true) or ended (false).
    virtual void SetOnActivity(std::function<void(bool)> cb) = 0;

    // Projects --------------------------------------------------------------
    // The saved projects of the program folder, appended as rows.
    virtual void LoadSaved() = 0;
    virtual CProject* ProjectAt(int row) const = 0;
    // Takes a new project (files already created) and appends its row.
    virtual int AppendProject(std::unique_ptr<CProject> project) = 0;
    virtual void RefreshRow(CProject& project, StatusEvent event) = 0;
    // Moves row `from` so that it ends at index `to`.
    virtual bool MoveRow(int from, int to) = 0;

    // Queue commands --------------------------------------------------------
    virtual int Start(int row) = 0;
    virtual int Pause(int row) = 0;
    virtual int Delete(int row) = 0;
    virtual void StartAllOfKind(ProjectKind kind, bool startNow) = 0;
    virtual int PauseAll() = 0;
    virtual void StartNextQueued() = 0;
    virtual void RateTick() = 0;
    virtual void StopHidden() = 0;
    virtual void ShutdownAll() = 0;
    virtual bool AddUrl(const std::string& url, bool startNow, bool quiet) = 0;

    // Counts ------------------------------------------------------------------
    virtual int CountRows() const = 0;
    virtual int CountActive() const = 0;
    virtual int CountQueued() const = 0;
    virtual double TotalRate() const = 0;
};

}  // namespace ks
