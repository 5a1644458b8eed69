#include "search/search_worker.h"

#include <algorithm>
#include <mutex>

#include "base/project.h"
#include "base/runtime.h"
#include "base/status_event.h"
#include "base/worker_threads.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "search/engine_update.h"
#include "search/page_fetch.h"
#include "search/results_page.h"
#include "search/search_phase.h"

namespace ks {
namespace {

// A hostile or mistyped "total" cannot make a search launch engines for ever.
constexpr int kMaxEngines = 999;

std::mutex& HooksMu() {
    static std::mutex mu;
    return mu;
}

SearchHooks& Hooks() {
    static SearchHooks hooks;
    return hooks;
}

// A bare file name: nothing that could lead a write out of the results folder.
bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("/\\:") == std::string::npos;
}

}  // namespace

void SetSearchHooks(SearchHooks hooks) {
    std::lock_guard<std::mutex> g(HooksMu());
    Hooks() = std::move(hooks);
}

SearchHooks CurrentSearchHooks() {
    std::lock_guard<std::mutex> g(HooksMu());
    return Hooks();
}

std::string SearchIniPath() {
    return plat::JoinPath(GlobalRuntime().ProgramFolder(), kSearchIniName);
}

std::string SearchDataFolder() {
    return plat::JoinPath(GlobalRuntime().ProgramFolder(), "Data");
}

void RunSearch(CProject& p) {
    const EngineDefs defs(SearchIniPath());
    const SearchHooks hooks = CurrentSearchHooks();
    const ProjectSettings s = p.Snapshot();
    SearchPlan plan;
    plan.category = s.seqFrom;
    plan.method = static_cast<SearchMethod>(std::clamp<int>(s.seqTo, 0, 2));
    plan.keywords = s.url;
    // Counted before a possible update; everything else is read after it.
    plan.engineCount = std::min(defs.EngineCount(plan.category), kMaxEngines);
    const int enabledCount = defs.EnabledEngineCount(plan.category);

    EngineUpdateIo io;
    io.ask = hooks.askEngineUpdate;
    io.fetch = [&p](const std::string& url) { return FetchSearchPage(p, url); };
    io.programFolder = GlobalRuntime().ProgramFolder();
    CheckEngineUpdate(p, defs, io);

    // At least one engine at a time, or the search would never end.
    plan.maxThread = std::clamp(defs.MaxThread(), 1, 99);
    plan.maxResults = defs.MaxResults();
    plan.types = defs.CategoryTypes(plan.category);
    plan.copies = s.autoMirror.load() != 0 && plan.types.find("htm") != std::string::npos;
    const std::size_t dot = s.fileName.find('.');
    plan.copyFolderName = dot == std::string::npos ? std::string() : s.fileName.substr(0, dot);
    if (!IsPlainName(s.fileName) || !IsPlainName(s.segmentFile) ||
        !IsPlainName(plan.copyFolderName))
        return;
    const std::string folder = s.folder.empty() ? SearchDataFolder() : s.folder;
    const std::string frameset = plat::JoinPath(folder, s.fileName);

    p.settings.savedProgress = 0;
    p.settings.totalSize = enabledCount;
    plat::RemoveFile(frameset);
    p.SetSearchStatus({}, {});

    EnginePhaseResult found = RunEnginePhase(p, defs, plan);
    p.settings.totalSize = static_cast<std::int64_t>(found.hits.size());
    const int count = RunOfflinePhase(p, found.hits, plan, folder);

    plat::MakeDirs(folder);
    const std::string page =
        ResultsPage(count, found.hitLines, plan.keywords, defs.CategoryName(plan.category));
    plat::WriteFileAtomic(plat::JoinPath(folder, s.segmentFile), page);
    plat::WriteFileAtomic(frameset, FramesetPage(kVendorBannerPage, s.segmentFile));
    p.settings.savedProgress = count;
    NotifyRow(p, StatusEvent::Completed);
    if (hooks.searchEnded) hooks.searchEnded();
    SaveProject(p);
    if (!p.stopRequested.load() && plat::FileExists(frameset) && hooks.openResults)
        hooks.openResults(frameset);
}

void SearchWorker(CProject* project) {
    project->workerRunning.store(true);
    RunSearch(*project);
    EndWorker(project);
}

}  // namespace ks
