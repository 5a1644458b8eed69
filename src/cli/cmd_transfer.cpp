// get and upload: one project, started and watched until its worker ends.
#include <cstdio>
#include <vector>

#include "base/outcome.h"
#include "base/text.h"
#include "cli/cli_commands.h"
#include "cli/cli_engine.h"
#include "cli/cli_progress.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "transfer/url.h"

namespace ks::cli {
namespace {}  // namespace

// The worker saves a paused project on its way out.
int StartAndWait(Engine& e, std::size_t row, bool quiet) {
    CProject* p = e.queue->ProjectAt(row);
    // A project held back by the limit starts on a second explicit start.
    if (e.queue->Start(row) == 0 && p->queued) e.queue->Start(row);
    auto texts = [&]() -> std::optional<RowTexts> {
        auto i = e.queue->Rows().IndexOf(p);
        return i ? e.queue->Rows().TextsAt(*i) : std::nullopt;
    };
    ProgressPrinter progress(!quiet && StderrIsTerminal());
    bool interrupted = false;
    while (p->workerRunning || p->active) {
        if (Interrupted() && !interrupted) {
            interrupted = true;
            if (auto i = e.queue->Rows().IndexOf(p)) e.queue->Pause(*i);
        }
        if (auto t = texts()) progress.Draw(*t);
        WaitForWork();
    }
    uitask::Drain();  // the events the worker sent on its way out
    std::optional<RowTexts> last = texts();
    if (last) progress.Draw(*last, true);
    progress.End();
    if (interrupted) {
        if (!quiet) Complain("interrupted; the project is paused and saved");
        return kExitInterrupted;
    }
    const std::string status = last ? last->columns[ColStatus] : std::string();
    if (!quiet) std::fprintf(stderr, "%s\n", status.c_str());
    int exit = ExitForStatus(status);
    // Scripts must notice a gap in a series the row calls complete, and learn
    // why anything failed, even with --quiet.
    const std::vector<std::int64_t> skipped = p->SkippedNumbers();
    const std::string reason = p->FailureText();
    if (exit != kExitOk && (quiet || !reason.empty())) Complain(reason.empty() ? status : reason);
    if (!skipped.empty()) {
        const std::string line = SkippedText(skipped);
        // A run that ended well kept the reason of its last skip.
        Complain(exit == kExitOk && !reason.empty() ? line + ": " + reason : line);
        if (exit == kExitOk) exit = kExitError;
    }
    return exit;
}

namespace {

std::optional<std::size_t> FindDownload(Engine& e, const std::string& url,
                                        const std::string& folder) {
    for (std::size_t i = 0; i < std::size_t(e.queue->CountRows()); ++i) {
        CProject* p = e.queue->ProjectAt(i);
        if (p->settings.Kind() == ProjectKind::Download &&
            p->GetText(&ProjectSettings::url) == url &&
            plat::StripTrailingSeparators(p->GetText(&ProjectSettings::folder)) ==
                plat::StripTrailingSeparators(folder))
            return i;
    }
    return std::nullopt;
}

std::string Trim(const std::string& s) {
    return std::string(TrimSpacesTabs(s));
}

}  // namespace

int ExitForStatus(const std::string& status) {
    if (status == "Completed.") return kExitOk;
    if (status == "Invalid URL") return kExitInvalidUrl;
    return kExitError;
}

int RunGet(const CliArgs& a) {
    Engine e;
    if (!OpenEngine(e, a.home)) return kExitError;
    if (!ApplyTrustOptions(e.settings, a.caFile, a.insecure, a.quiet)) return kExitUsage;
    InstallInterruptHandler();
    const std::string folder = a.dir.empty() ? plat::CurrentDir() : AbsolutePath(a.dir);
    if (!plat::MakeDirs(folder)) {
        Complain("can't create folder " + folder);
        return kExitError;
    }
    e.host.folder = folder;
    const std::string url = Trim(a.urls[0]);

    std::optional<std::size_t> row = FindDownload(e, url, folder);
    if (!row) row = e.queue->AddUrl(url, false, true);
    if (!row) {
        Complain("can't create the project in " + e.programFolder);
        return kExitError;
    }
    CProject* p = e.queue->ProjectAt(*row);
    if (a.segments) p->settings.segments = *a.segments;
    if (a.series) {
        p->settings.sequential = 1;
        p->settings.seqFrom = a.series->from;
        p->settings.seqTo = a.series->to;
        p->settings.seqDigits = a.series->digits;
        p->SetText(&ProjectSettings::seqSuffix, a.series->right);
    }
    if (!a.mirrors.empty()) {
        std::vector<std::string> mirrors;
        for (const std::string& m : a.mirrors) mirrors.push_back(Trim(m));
        if (!StoreProjectMirrors(*p, mirrors, e.programFolder))
            Complain("can't write the mirror list in " + e.programFolder);
    }
    p->attemptLimit = a.retries.value_or(0);
    if (a.segments || a.series || !a.mirrors.empty()) SaveProject(*p);
    return StartAndWait(e, *row, a.quiet);
}

int RunUpload(const CliArgs& a) {
    Engine e;
    if (!OpenEngine(e, a.home)) return kExitError;
    InstallInterruptHandler();
    std::vector<std::string> files;
    for (const std::string& f : a.files) {
        const std::string path = AbsolutePath(f);
        if (!plat::FileExists(path)) {
            Complain("no such file: " + f);
            return kExitUsage;
        }
        bool listed = false;
        for (const std::string& g : files) listed = listed || g == path;
        if (!listed) files.push_back(path);
    }
    ProjectSettings s = e.queue->NewProjectSettings(ProjectKind::FtpUpload, e.host.folder);
    s.url = Trim(a.urls[0]);
    s.uploadMode = a.overwrite ? 1 : 0;
    s.userName = a.user;
    s.password = a.password;
    const std::optional<std::size_t> row = e.queue->AddProject(std::move(s));
    CProject* p = row ? e.queue->ProjectAt(*row) : nullptr;
    if (!p || !WriteUploadList(*p, files, e.programFolder) || !SaveProject(*p)) {
        Complain("can't create the project in " + e.programFolder);
        return kExitError;
    }
    return StartAndWait(e, *row, a.quiet);
}

}  // namespace ks::cli
