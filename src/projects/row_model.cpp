#include "projects/row_model.h"

#include <algorithm>

namespace ks {

void RowModel::Insert(std::size_t index, ProjectPtr project, RowTexts texts) {
    {
        std::lock_guard<std::mutex> g(mu_);
        index = std::min(index, rows_.size());
        CProject* id = project.get();
        rows_.insert(rows_.begin() + std::ptrdiff_t(index),
                     Row{std::move(project), RowSnapshot{id, std::move(texts)}});
    }
    Changed();
}

void RowModel::Append(ProjectPtr project, RowTexts texts) {
    Insert(static_cast<std::size_t>(-1), std::move(project), std::move(texts));
}

ProjectPtr RowModel::Remove(CProject* project) {
    ProjectPtr owner;
    {
        std::lock_guard<std::mutex> g(mu_);
        auto it = std::find_if(rows_.begin(), rows_.end(),
                               [&](const Row& r) { return r.view.project == project; });
        if (it == rows_.end()) return nullptr;
        owner = std::move(it->owner);
        rows_.erase(it);
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
    }
    Changed();
    return true;
}

bool RowModel::Update(CProject* project, const RowTexts& texts) {
    {
        std::lock_guard<std::mutex> g(mu_);
        auto it = std::find_if(rows_.begin(), rows_.end(),
                               [&](const Row& r) { return r.view.project == project; });
        if (it == rows_.end()) return false;
        it->view.texts = texts;
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
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].view.project == project) return i;
    return std::nullopt;
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
    for (const auto& r : rows_)
        if (r.view.project == project) return r.owner;
    return nullptr;
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
