// search: one search project, run to its end, its status lines on stderr and
// the results page's path as the last line on stdout.
#include <cstdio>
#include <iostream>

#include "app/history.h"
#include "cli/cli_commands.h"
#include "cli/cli_engine.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "search/engine_defs.h"
#include "search/new_search.h"
#include "search/search_worker.h"

namespace ks::cli {
namespace {

bool AskOnTerminal() {
    if (!StdinIsTerminal()) return false;
    std::fputs("Update search engines? [y/N] ", stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

// The lines of `now` beyond the first `shown` characters of finished engines.
void PrintNewLines(const std::string& now, std::size_t& shown) {
    const std::size_t end = now.rfind("---(");
    if (end == std::string::npos) return;
    const std::size_t cut = now.find('\n', end);
    if (cut == std::string::npos || cut + 1 <= shown) return;
    for (char c : now.substr(shown, cut + 1 - shown))
        if (c != '\r') std::fputc(c, stderr);
    shown = cut + 1;
}

}  // namespace

int RunSearchCommand(const CliArgs& a) {
    Engine e;
    if (!OpenEngine(e, a.home)) return kExitError;
    InstallInterruptHandler();
    const EngineDefs defs(plat::JoinPath(e.programFolder, kSearchIniName));
    if (!plat::FileExists(defs.Path())) {
        Complain("no " + defs.Path());
        return kExitError;
    }
    if (defs.CategoryName(a.category - 1).empty()) {
        Complain("search.ini has no category " + std::to_string(a.category));
        return kExitError;
    }
    SearchHooks hooks;
    hooks.askEngineUpdate = AskOnTerminal;
    SetSearchHooks(hooks);

    NewSearch n;
    n.keywords = a.keywords;
    n.category = a.category - 1;
    n.method = a.method;
    n.copies = a.copies;
    n.images = IniNamesEqual(defs.Read("Options", "images", "no"), "yes");
    const std::optional<std::size_t> row = AddSearchProject(*e.queue, n, e.programFolder);
    if (!row) {
        Complain("can't create the project in " + e.programFolder);
        return kExitError;
    }
    std::string history = LoadHistory(plat::JoinPath(e.programFolder, kSearchHistoryFile));
    AddToHistory(history, a.keywords);
    SaveHistory(plat::JoinPath(e.programFolder, kSearchHistoryFile), history);

    CProject* raw = e.queue->ProjectAt(*row);
    const std::string page = plat::JoinPath(raw->GetText(&ProjectSettings::folder),
                                            raw->GetText(&ProjectSettings::segmentFile));
    e.queue->Start(*row);
    std::size_t shown = 0;
    bool interrupted = false;
    while (raw->workerRunning || raw->active) {
        if (Interrupted() && !interrupted) {
            interrupted = true;
            if (auto i = e.queue->Rows().IndexOf(raw)) e.queue->Pause(*i);
        }
        PrintNewLines(raw->SearchStatus(), shown);
        WaitForWork();
    }
    uitask::Drain();
    PrintNewLines(raw->SearchStatus(), shown);
    if (interrupted) {
        Complain("interrupted; the search is paused and saved");
        return kExitInterrupted;
    }
    if (auto i = e.queue->Rows().IndexOf(raw)) {
        if (auto t = e.queue->Rows().TextsAt(*i))
            std::fprintf(stderr, "%s\n", t->columns[ColSize].c_str());
    }
    std::printf("%s\n", AbsolutePath(page).c_str());
    return kExitOk;
}

}  // namespace ks::cli
