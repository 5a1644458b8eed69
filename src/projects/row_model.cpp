#include "projects/row_model.h"

#include <algorithm>

namespace ks {

std::size_t* RowModel::Find(CProject* project) {
    auto it = index_.find(project);
    return it == index_.end() ? nullptr : &it->second;
}

const std::size_t* RowModel::Find(CProject* project) const {
    auto it = index_.find(project);
    return it == index_.end() ? nullptr : &it->second;
}

// Rows [from, to) moved: their index entries follow them.
void RowModel::Reindex(std::size_t from, std::size_t to) {
    to = std::min(to, rows_.size());
    for (std::size_t i = from; i < to; ++i) index_[rows_[i].view.project] = i;
}

void RowModel::Insert(std::size_t index, ProjectPtr project, RowTexts texts) {
    {
        std::lock_guard<std::mutex> g(mu_);
        index = std::min(index, rows_.size());
        CProject* id = project.get();
        // A project has one row: a second insert would leave a row the index forgets.
        if (Find(id)) return;
        rows_.insert(rows_.begin() + std::ptrdiff_t(index),
                     Row{std::move(project), RowSnapshot{id, std::move(texts)}});
        Reindex(index, rows_.size());
    }
    Changed();
}

void RowModel::Append(ProjectPtr project, RowTexts texts) {
    Insert(static_cast<std::size_t>(-1), std::move(project), std::move(texts));
}

void RowModel::Reserve(std::size_t n) {
    std::lock_guard<std::mutex> g(mu_);
    rows_.reserve(n);
    index_.reserve(n);
}

ProjectPtr RowModel::Remove(CProject* project) {
    ProjectPtr owner;
    {
        std::lock_guard<std::mutex> g(mu_);
        const std::size_t* at = Find(project);
        if (!at) return nullptr;
        const std::size_t i = *at;
        owner = std::move(rows_[i].owner);
        rows_.erase(rows_.begin() + std::ptrdiff_t(i));
        index_.erase(project);
        Reindex(i, rows_.size());
    }
    Changed();
    return owner;
}

bool RowModel::Move(std::size_t from, std::size_t to) {
    {
        std::lock_guard<std::mutex> g(mu_);
        if (from >= rows_.size() || to >= rows_.size()) return false;
        if (from == to) return true;
        Row row = std::move(rows_[from]);
        rows_.erase(rows_.begin() + std::ptrdiff_t(from));
        rows_.insert(rows_.begin() + std::ptrdiff_t(to), std::move(row));
        Reindex(std::min(from, to), std::max(from, to) + 1);
    }
    Changed();
    return true;
}

bool RowModel::Update(CProject* project, const RowTexts& texts) {
    {
        std::lock_guard<std::mutex> g(mu_);
        const std::size_t* at = Find(project);
        if (!at) return false;
        rows_[*at].view.texts = texts;
    }
    Changed();
    return true;
}

bool RowModel::Contains(CProject* project) const {
    return IndexOf(project).has_value();
}

std::size_t RowModel::Count() const {
    std::lock_guard<std::mutex> g(mu_);
    return rows_.size();
}

std::optional<std::size_t> RowModel::IndexOf(CProject* project) const {
    std::lock_guard<std::mutex> g(mu_);
    const std::size_t* at = Find(project);
    if (!at) return std::nullopt;
    return *at;
}

CProject* RowModel::ProjectAt(std::size_t index) const {
    std::lock_guard<std::mutex> g(mu_);
    return index < rows_.size() ? rows_[index].view.project : nullptr;
}

std::vector<CProject*> RowModel::Projects() const {
    std::lock_guard<std::mutex> g(mu_);
    std::vector<CProject*> out;
    out.reserve(rows_.size());
    for (const auto& r : rows_) out.push_back(r.view.project);
    return out;
}

std::optional<RowTexts> RowModel::TextsAt(std::size_t index) const {
    std::lock_guard<std::mutex> g(mu_);
    if (index >= rows_.size()) return std::nullopt;
    return rows_[index].view.texts;
}

std::vector<RowSnapshot> RowModel::Snapshot() const {
    std::lock_guard<std::mutex> g(mu_);
    std::vector<RowSnapshot> out;
    out.reserve(rows_.size());
    for (const auto& r : rows_) out.push_back(r.view);
    return out;
}

ProjectPtr RowModel::OwnerOf(CProject* project) const {
    std::lock_guard<std::mutex> g(mu_);
    const std::size_t* at = Find(project);
    return at ? rows_[*at].owner : nullptr;
}

void RowModel::SetOnChange(std::function<void()> callback) {
    std::lock_guard<std::mutex> g(cbMu_);
    onChange_ = std::move(callback);
}

void RowModel::Changed() {
    version_.fetch_add(1);
    std::function<void()> cb;
    {
        std::lock_guard<std::mutex> g(cbMu_);
        cb = onChange_;
    }
    if (cb) cb();
}

}  // namespace ks
