// TEMPORARY stub of the project record until branch projects lands.
#include "projects/project.h"
#include "transfer/segment_list.h"
namespace ks {
CProject::CProject() { ResetRuntime(); }
CProject::CProject(const ProjectSettings& s) { ResetRuntime(); settings = s; }
CProject::~CProject() { stopRequested = true; }
void CProject::ResetRuntime() {}
std::string CProject::GetText(std::string ProjectSettings::*f) const { std::lock_guard<std::mutex> g(mu); return settings.*f; }
void CProject::SetText(std::string ProjectSettings::*f, std::string v) { std::lock_guard<std::mutex> g(mu); settings.*f = std::move(v); }
ProjectSettings CProject::Snapshot() const { std::lock_guard<std::mutex> g(mu); return settings; }
std::string CProject::CurrentUrl() const { std::lock_guard<std::mutex> g(mu); return currentUrl_; }
void CProject::SetCurrentUrl(std::string u) { std::lock_guard<std::mutex> g(mu); currentUrl_ = std::move(u); }
std::vector<std::string> CProject::Mirrors() const { return {}; }
void CProject::SetMirrors(std::vector<std::string>) {}
void CProject::SetConnection(Cancellable* c) { std::lock_guard<std::mutex> g(cancelMu_); connection_ = c; }
void CProject::SetClient(Cancellable* c) { std::lock_guard<std::mutex> g(cancelMu_); client_ = c; }
void CProject::SetPingConnection(Cancellable* c) { std::lock_guard<std::mutex> g(cancelMu_); pingConnection_ = c; }
void CProject::CancelBlocking() { std::lock_guard<std::mutex> g(cancelMu_); if (connection_) connection_->Cancel(); }
void CProject::CancelPing() {}
CSegment::CSegment(std::int64_t s, std::string n, SegmentState st, std::int64_t b) : start(s), fileName(std::move(n)) { state = st; bytesDone = b; }
CSegment::~CSegment() = default;
SegmentList::SegmentList() = default;
SegmentList::~SegmentList() = default;
CSegment* SegmentList::Insert(std::unique_ptr<CSegment> n) { nodes_.push_back(std::move(n)); return nodes_.back().get(); }
void SegmentList::Clear() { nodes_.clear(); }
}  // namespace ks
