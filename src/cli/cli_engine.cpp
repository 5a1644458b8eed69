#include "cli/cli_engine.h"

#include <algorithm>
#include <cstdio>

#include "app/paths.h"
#include "app/registry_values.h"
#include "base/runtime.h"
#include "base/ui_tasks.h"
#include "base/worker_threads.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "projects/project_store.h"
#include "projects/queue_options.h"
#include "search/default_search_ini.h"
#include "search/mirror_lookup.h"
#include "search/search_worker.h"
#include "transfer/download_worker.h"

namespace ks::cli {

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return plat::CurrentDir();
    return plat::IsAbsolutePath(path) ? path : plat::JoinPath(plat::CurrentDir(), path);
}

bool ApplyTrustOptions(const Settings& settings, const std::string& caFile, bool insecure,
                       bool quiet) {
    plat::TlsTrust trust = TlsTrustFor(settings.tls, settings.programFolder);
    if (!caFile.empty()) {
        trust.caFile = AbsolutePath(caFile);
        if (!plat::FileExists(trust.caFile)) {
            Complain("no such CA file: " + caFile);
            return false;
        }
    }
    if (insecure) trust.verify = false;
    // Off is a choice the user must keep seeing, wherever it came from.
    if (!trust.verify && !quiet)
        Complain(
            "warning: https certificates are not checked; anyone on the way can read "
            "and change the download");
    GlobalRuntime().SetTls(trust);
    return true;
}

void Complain(const std::string& msg) {
    std::fprintf(stderr, "kestrune-cli: %s\n", msg.c_str());
}

bool OpenEngine(Engine& e, const std::string& homeOption) {
    std::string error;
    if (e.Open(homeOption, error)) return true;
    Complain(error);
    return false;
}

Engine::~Engine() {
    Close();
}

bool Engine::Open(const std::string& homeOption, std::string& error) {
    const std::string home = homeOption.empty() ? homeOption : AbsolutePath(homeOption);
    StartupResult where = CliProgramFolder(home, FolderEnvironment::FromProcess());
    if (!where.ok) {
        error = where.message;
        return false;
    }
    programFolder = where.folder;
    // Where there is no registry, its values (the key that scrambles stored
    // passwords) live beside the settings, so every run reads the same key.
    plat::SetRegistryStore(plat::JoinPath(programFolder, kRegistryStoreName));
    if (!plat::RegKeyExists(plat::RegRoot::LocalMachine, kKestruneKey))
        plat::RegCreateKey(plat::RegRoot::LocalMachine, kKestruneKey);
    settings = Settings::Load(SettingsFilePath(programFolder), programFolder);
    settings.installKey = ReadOrCreateInstallKey();
    settings.Publish();
    host.folder = plat::CurrentDir();

    WorkerHooks hooks = GetWorkerHooks();
    hooks.message = [](const std::string& text) { Complain(text); };
    SetWorkerHooks(std::move(hooks));
    InstallMirrorLookup();
    queue = std::make_unique<ProjectQueue>(host);
    // The host plays no sound and asks nothing: a terminal has neither.
    queue->SetOptions(QueueOptionsFrom(settings));
    queue->SetWorker(ProjectKind::Search, [](CProject* p) { SearchWorker(p); });
    EnsureDefaultSearchIni(programFolder);
    std::vector<std::unique_ptr<CProject>> loaded = LoadProjects(programFolder);
    queue->Rows().Reserve(loaded.size());
    for (auto& p : loaded) queue->AppendProject(std::move(p));
    open_ = true;
    return true;
}

void Engine::Close() {
    if (!open_) return;
    open_ = false;
    queue->PauseAll();
    queue->ShutdownAll();
    WaitForWorkerThreads(-1);
    // The workers' last row events, while the queue they name still exists.
    uitask::Drain();
    queue.reset();
}

void WaitForWork(std::int64_t maxWaitMs) {
    UiTasks().WaitAndDrain(std::min(maxWaitMs, kInterruptCheckMs));
}

}  // namespace ks::cli
