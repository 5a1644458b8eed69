// add, list, run and config: the job list and the settings from a terminal.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <vector>

#include "app/paths.h"
#include "base/outcome.h"
#include "base/project.h"
#include "base/worker_threads.h"
#include "cli/cli_commands.h"
#include "cli/cli_engine.h"
#include "platform/clock.h"
#include "transfer/url.h"

namespace ks::cli {
int RunAdd(const CliArgs& a) {
    Engine e;
    if (!OpenEngine(e, a.home)) return kExitError;
    if ((!a.caFile.empty() || a.insecure) && !RecordTrust(e, a.caFile, a.insecure))
        return kExitUsage;
    int status = kExitOk;
    for (const std::string& url : a.urls) {
        // Only http(s) and ftp URLs enter from a command line.
        if (!IsHttpOrFtpUrl(url)) {
            Complain("Invalid URL: " + url);
            status = kExitInvalidUrl;
            continue;
        }
        if (!e.queue->AddUrl(url, false, true)) {
            Complain("can't create the project for " + url);
            status = kExitError;
        }
    }
    return status;
}

int RunList(const CliArgs& a) {
    Engine e;
    if (!OpenEngine(e, a.home)) return kExitError;
    // Row by row rather than one copy of the whole list: a long list costs no
    // second copy of its texts.
    const RowModel& rows = e.queue->Rows();
    std::string line;
    for (std::size_t i = 0; i < rows.Count(); ++i) {
        std::optional<RowTexts> row = rows.TextsAt(i);
        if (!row) break;
        line.clear();
        for (int c = 0; c < kRowColumns; ++c) {
            if (c) line += '\t';
            line += row->columns[c];
        }
        CProject* project = rows.ProjectAt(i);
        if (a.longList && project) {
            // How the last run ended, as its worker left it beside the project.
            const std::optional<Outcome> o =
                ReadOutcome(project->GetText(&ProjectSettings::projectFile));
            line += '\t' + (o ? o->status : std::string()) + '\t' + (o ? o->why : std::string());
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return kExitOk;
}

// The main window's timers without a window: the heartbeat every second, the
// rate tick every five, until nothing runs or waits any more.
int RunQueue(const CliArgs& a) {
    Engine e;
    if (!OpenEngine(e, a.home)) return kExitError;
    if (!ApplyTrustOptions(e.settings, a.caFile, a.insecure, false)) return kExitUsage;
    InstallInterruptHandler();
    ProjectQueue& q = *e.queue;
    q.StartAllOfKind(ProjectKind::Download, true);
    q.StartAllOfKind(ProjectKind::UrlListGrab, true);
    q.StartAllOfKind(ProjectKind::FtpUpload, true);
    std::set<CProject*> started;
    for (CProject* p : q.Rows().Projects())
        if (p->active || p->queued) started.insert(p);

    std::int64_t nextBeat = plat::MonotonicMs() + 1000, nextRate = plat::MonotonicMs() + 5000;
    bool interrupted = false;
    for (;;) {
        if (Interrupted() && !interrupted) {
            interrupted = true;
            q.PauseAll();
        }
        if (q.CountActive() == 0 && q.CountQueued() == 0) break;
        const std::int64_t now = plat::MonotonicMs();
        if (now >= nextBeat) {
            nextBeat += 1000;
            q.AddOnePendingUrl();
            if (!interrupted) q.StartNextQueued();
            for (CProject* p : q.Rows().Projects())
                if (p->active || p->queued) started.insert(p);
        }
        if (now >= nextRate) {
            nextRate += 5000;
            q.RateTick();
        }
        WaitForWork(std::min(nextBeat, nextRate) - plat::MonotonicMs());
    }
    uitask::Drain();
    if (interrupted) return kExitInterrupted;
    int status = kExitOk;
    for (const RowSnapshot& row : q.Rows().Snapshot()) {
        if (!started.count(row.project)) continue;
        const std::string& st = row.texts.columns[ColStatus];
        // A failure says why; a series that passed over numbers says which.
        const std::vector<std::int64_t> skipped = row.project->SkippedNumbers();
        std::string why = row.project->FailureText();
        if (!skipped.empty()) why = SkippedText(skipped) + (why.empty() ? "" : ": " + why);
        const bool failed = ExitForStatus(st) != kExitOk || !skipped.empty();
        if (!failed) why.clear();
        std::fprintf(stderr, "%s\t%s%s%s\n", row.texts.columns[ColBaseUrl].c_str(), st.c_str(),
                     why.empty() ? "" : "\t", why.c_str());
        if (failed) status = kExitError;
    }
    return status;
}

}  // namespace ks::cli
