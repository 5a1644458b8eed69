#include "base/project.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <utility>

#include "base/outcome.h"
#include "base/text.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace ks {

namespace {

void RemoveIfNamed(const std::string& path) {
    if (!path.empty()) plat::RemoveFile(path);
}

}  // namespace

CProject::CProject() {
    ResetRuntime();
}

CProject::CProject(const ProjectSettings& s) {
    ResetRuntime();
    std::lock_guard<std::mutex> g(mu);
    settings = s;
}

void CProject::ResetRuntime() {
    active = false;
    queued = false;
    stopRequested = false;
    workerRunning = false;
    deleteFiles = false;
    hidden = false;
    released = false;
    segmentWorker = false;
    resumable = false;
    result = 0;
    bytesDone = 0;
    bytesSinceTick = 0;
    lastTick = 0;
    mergeFlag = false;
    loggedOn = false;
    noMoreSegments = false;
    cookiePending = false;
    nextMirror = 0;
    pingThread = false;
    pingStop = false;
    clientOpen = false;
    parentProject = nullptr;
    servedSegment = nullptr;
    cookieText.clear();
    cookieSecure = false;
    cancelViaConnection = true;
    imageBase = 4;
    rate = 0.001;
    retryCountdown = 5;
    {
        std::lock_guard<std::mutex> g(mu);
        mirrors_.clear();
        rejectedMirrors_.clear();
    }
    std::lock_guard<std::mutex> g(cancelMu_);
    connection_ = nullptr;
    client_ = nullptr;
    pingConnection_ = nullptr;
    pageConnections_.clear();
}

std::string CProject::GetText(std::string ProjectSettings::*field) const {
    std::lock_guard<std::mutex> g(mu);
    return settings.*field;
}

void CProject::SetText(std::string ProjectSettings::*field, std::string value) {
    std::lock_guard<std::mutex> g(mu);
    settings.*field = std::move(value);
}

ProjectSettings CProject::Snapshot() const {
    std::lock_guard<std::mutex> g(mu);
    return settings;
}

std::string CProject::CurrentUrl() const {
    std::lock_guard<std::mutex> g(mu);
    return currentUrl_;
}

void CProject::SetCurrentUrl(std::string u) {
    std::lock_guard<std::mutex> g(mu);
    currentUrl_ = std::move(u);
}

std::vector<std::string> CProject::Mirrors() const {
    std::lock_guard<std::mutex> g(mu);
    return mirrors_;
}

void CProject::SetMirrors(std::vector<std::string> m) {
    std::lock_guard<std::mutex> g(mu);
    mirrors_ = std::move(m);
}

void CProject::RejectMirror(const std::string& url) {
    std::lock_guard<std::mutex> g(mu);
    if (std::find(rejectedMirrors_.begin(), rejectedMirrors_.end(), url) == rejectedMirrors_.end())
        rejectedMirrors_.push_back(url);
}

bool CProject::MirrorRejected(const std::string& url) const {
    std::lock_guard<std::mutex> g(mu);
    return std::find(rejectedMirrors_.begin(), rejectedMirrors_.end(), url) !=
           rejectedMirrors_.end();
}

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

bool CProject::AddMirrorIfNew(const std::string& url) {
    std::lock_guard<std::mutex> g(mu);
    for (const std::string& m : mirrors_)
        if (SameIgnoringCase(m, url)) return false;
    mirrors_.push_back(url);
    return true;
}

std::size_t CProject::MirrorCount() const {
    std::lock_guard<std::mutex> g(mu);
    return mirrors_.size();
}

bool CProject::ReplaceMirrorsIf(const std::vector<std::string>& seen,
                                std::vector<std::string> next) {
    std::lock_guard<std::mutex> g(mu);
    if (mirrors_ != seen) return false;
    mirrors_ = std::move(next);
    return true;
}

std::string CProject::FailureText() const {
    std::lock_guard<std::mutex> g(mu);
    return failureText_;
}

void CProject::SetFailureText(std::string text) {
    std::lock_guard<std::mutex> g(mu);
    failureText_ = std::move(text);
}

std::vector<std::int64_t> CProject::SkippedNumbers() const {
    std::lock_guard<std::mutex> g(mu);
    return skippedNumbers_;
}

void CProject::AddSkippedNumber(std::int64_t number) {
    std::lock_guard<std::mutex> g(mu);
    skippedNumbers_.push_back(number);
}

void CProject::ClearSkippedNumbers() {
    std::lock_guard<std::mutex> g(mu);
    skippedNumbers_.clear();
}

void CProject::SetConnection(Cancellable* c) {
    std::lock_guard<std::mutex> g(cancelMu_);
    connection_ = c;
}

void CProject::SetClient(Cancellable* c) {
    std::lock_guard<std::mutex> g(cancelMu_);
    client_ = c;
}

void CProject::SetPingConnection(Cancellable* c) {
    std::lock_guard<std::mutex> g(cancelMu_);
    pingConnection_ = c;
}

void CProject::AddPageConnection(Cancellable* c) {
    std::lock_guard<std::mutex> g(cancelMu_);
    pageConnections_.push_back(c);
}

void CProject::RemovePageConnection(Cancellable* c) {
    std::lock_guard<std::mutex> g(cancelMu_);
    std::erase(pageConnections_, c);
}

void CProject::CancelBlocking() {
    std::lock_guard<std::mutex> g(cancelMu_);
    for (Cancellable* c : pageConnections_) c->Cancel();
    if (cancelViaConnection) {
        if (connection_) connection_->Cancel();
    } else if (clientOpen && client_) {
        client_->Cancel();
    }
}

void CProject::SignalStop() {
    {
        std::lock_guard<std::mutex> g(stopMu_);
        stopRequested.store(true);
    }
    stopCv_.notify_all();
    // A segmented project's worker may be waiting for its segments to end.
    std::lock_guard<std::mutex> g(segmentList.Mutex());
    segmentList.Changed().notify_all();
}

bool CProject::WaitForStop(std::int64_t ms) {
    std::unique_lock<std::mutex> lk(stopMu_);
    return stopCv_.wait_for(lk, std::chrono::milliseconds(ms),
                            [this] { return stopRequested.load(); });
}

bool CProject::WaitUntil(std::int64_t ms, const std::function<bool()>& ready) {
    std::unique_lock<std::mutex> lk(stopMu_);
    return stopCv_.wait_for(lk, std::chrono::milliseconds(ms), ready);
}

void CProject::WakeWaiters() {
    // Taking the lock orders the change before a waiter's next look at it.
    { std::lock_guard<std::mutex> g(stopMu_); }
    stopCv_.notify_all();
}

void CProject::EndPingThread() {
    std::lock_guard<std::mutex> g(stopMu_);
    pingThread.store(false);
    stopCv_.notify_all();
}

void CProject::CancelPing() {
    std::lock_guard<std::mutex> g(cancelMu_);
    if (pingConnection_) pingConnection_->Cancel();
}

// By the time the last owner lets go, no segment worker is attached any
// more: each holds its parent only through the parent's own worker, which
// waits for all of them before it ends.
void CProject::ReleaseSegments() {
    std::string folder = GetText(&ProjectSettings::folder);
    std::lock_guard<std::mutex> g(segmentList.Mutex());
    if (deleteFiles) {
        for (const auto& node : segmentList.Nodes()) {
            if (IsPlainName(node->fileName)) {
                plat::RemoveFile(plat::JoinPath(folder, node->fileName));
            }
        }
    }
    segmentList.Clear();
}

void CProject::DeleteProjectFiles() {
    ProjectSettings s = Snapshot();
    RemoveIfNamed(s.projectFile);
    if (!s.projectFile.empty()) RemoveIfNamed(OutcomePath(s.projectFile));
    switch (s.Kind()) {
        case ProjectKind::Download:
            RemoveIfNamed(s.segmentFile);
            RemoveIfNamed(s.mirrorFile);
            break;
        case ProjectKind::UrlListGrab:
            RemoveIfNamed(s.segmentFile);
            break;
        case ProjectKind::FtpUpload:
            RemoveIfNamed(s.segmentFile);
            RemoveIfNamed(s.source);
            break;
        case ProjectKind::Search:
            DeleteSearchResults(s);
            break;
    }
}

// A search keeps its results page and frameset in its folder, and the offline
// copies in a folder named after the frameset page. segmentFile is a bare name
// here, so it is only ever taken relative to the results folder.
void CProject::DeleteSearchResults(const ProjectSettings& s) {
    if (s.folder.empty()) return;
    if (IsPlainName(s.fileName)) plat::RemoveFile(plat::JoinPath(s.folder, s.fileName));
    if (IsPlainName(s.segmentFile)) plat::RemoveFile(plat::JoinPath(s.folder, s.segmentFile));
    std::size_t dot = s.fileName.find('.');
    if (dot == std::string::npos) return;
    std::string stem = s.fileName.substr(0, dot);
    if (!IsPlainName(stem)) return;
    std::string copies = plat::JoinPath(s.folder, stem);
    for (const std::string& name : plat::ListFiles(copies, ".html")) {
        plat::RemoveFile(plat::JoinPath(copies, name));
    }
    plat::RemoveDir(copies);
}

std::string CProject::SearchStatus() const {
    std::lock_guard<std::mutex> g(mu);
    return searchFinished_ + searchRunning_;
}

void CProject::SetSearchStatus(std::string finished, std::string running) {
    std::lock_guard<std::mutex> g(mu);
    searchFinished_ = std::move(finished);
    searchRunning_ = std::move(running);
}

CProject::~CProject() {
    ReleaseSegments();
    // A segment worker carries a copy of its parent's settings: the files named
    // there are the parent's, never the worker's to delete.
    if (deleteFiles && !segmentWorker) DeleteProjectFiles();
}

}  // namespace ks
