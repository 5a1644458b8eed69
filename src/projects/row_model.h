// The job list in memory: the rows in queue order, each with its project and
// the texts a view shows. The UI thread updates texts through the queue's
// RefreshRow (workers' events reach it as posted tasks); a view reads snapshots
// whenever the change counter moves. The change callback must return at once
// (the Win32 frame posts one redraw, the terminal just notes the counter).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "base/worker_threads.h"
#include "projects/row_text.h"

namespace ks {

class CProject;

struct RowSnapshot {
    CProject* project = nullptr;  // identity only; never dereference without the queue's say
    RowTexts texts;
};

class RowModel {
  public:
    // Structure (UI thread). A row holds one owner of its project.
    void Insert(std::size_t index, ProjectPtr project, RowTexts texts);
    void Append(ProjectPtr project, RowTexts texts);
    // Room for n rows, so loading a long list grows the rows once.
    void Reserve(std::size_t n);
    // The row's owner, now the caller's (null when there was no such row).
    ProjectPtr Remove(CProject* project);
    // Moves row `from` so that it ends up at index `to` (both in range).
    bool Move(std::size_t from, std::size_t to);

    // Any thread. False when the project has no row (deleted meanwhile).
    bool Update(CProject* project, const RowTexts& texts);
    bool Contains(CProject* project) const;

    std::size_t Count() const;
    std::optional<std::size_t> IndexOf(CProject* project) const;
    CProject* ProjectAt(std::size_t index) const;
    // Another owner of a listed project, for a thread that will work on it.
    ProjectPtr OwnerOf(CProject* project) const;
    std::vector<CProject*> Projects() const;
    std::optional<RowTexts> TextsAt(std::size_t index) const;
    std::vector<RowSnapshot> Snapshot() const;

    // Bumped on every change; a view redraws when it differs from what it drew.
    std::uint64_t Version() const { return version_.load(); }
    // Called after each change, from the thread that made it, without the lock.
    void SetOnChange(std::function<void()> callback);

  private:
    void Changed();
    // Row lookups by project go through an index rather than a walk of the
    // rows: loading, refreshing and closing a list of thousands of projects
    // would otherwise cost a pass over the list per project.
    std::size_t* Find(CProject* project);
    const std::size_t* Find(CProject* project) const;
    void Reindex(std::size_t from, std::size_t to);

    struct Row {
        ProjectPtr owner;
        RowSnapshot view;
    };

    mutable std::mutex mu_;
    std::vector<Row> rows_;
    std::unordered_map<CProject*, std::size_t> index_;
    std::atomic<std::uint64_t> version_{0};
    std::mutex cbMu_;
    std::function<void()> onChange_;
};

}  // namespace ks
