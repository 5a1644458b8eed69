#include "app/win32/search_commands.h"

#include "base/runtime.h"
#include "dialogs/search_dialogs.h"
#include "platform/process.h"
#include "projects/project_store.h"
#include "search/default_search_ini.h"
#include "search/engine_defs.h"
#include "search/new_search.h"
#include "search/search_worker.h"

namespace ks {

void InstallSearch(ProjectQueue& queue, const std::string& programFolder) {
    EnsureDefaultSearchIni(programFolder);
    queue.SetWorker(ProjectKind::Search, [](CProject* p) { SearchWorker(p); });
    SearchHooks hooks;
    // Asked on the search's own thread; the search waits for the answer.
    hooks.askEngineUpdate = [] {
        return MessageBoxA(nullptr, "Update search engines?", "Kestrune",
                           MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
    };
    hooks.openResults = [](const std::string& path) { plat::OpenInBrowser(path); };
    SetSearchHooks(hooks);
}

void NewSearchCommand(HWND owner, ProjectQueue& queue, const std::string& programFolder,
                      Histories& histories) {
    const EngineDefs defs(SearchIniPath());
    SearchDialogData d;
    d.copies = IniNamesEqual(defs.Read("Options", "download", "no"), "yes");
    d.images = IniNamesEqual(defs.Read("Options", "images", "no"), "yes");
    d.history = &histories.searches;
    // The search number is taken when the dialog opens.
    const std::int64_t number = NewSearchNumber(SearchDataFolder());
    if (!RunSearchDialog(owner, d, defs.Path())) return;
    NewSearch n;
    n.keywords = d.keywords;
    n.category = d.category;
    n.method = d.method;
    n.copies = d.copies;
    n.images = d.images;
    n.number = number;
    const std::optional<std::size_t> row = AddSearchProject(queue, n, programFolder);
    if (!row) return;
    AddToHistory(histories.searches, d.keywords);
    if (d.searchNow) queue.Start(*row);
}

void SearchPropertiesCommand(HWND owner, ProjectQueue& queue, std::size_t row,
                             Histories& histories) {
    CProject* p = queue.ProjectAt(row);
    if (!p) return;
    const ProjectSettings s = p->Snapshot();
    SearchDialogData d;
    d.keywords = s.url;
    d.category = s.seqFrom;
    d.method = s.seqTo;
    d.copies = s.autoMirror != 0;
    d.images = s.pingFastest != 0;
    d.project = p;
    d.history = &histories.searches;
    if (!RunSearchDialog(owner, d, SearchIniPath())) return;
    p->SetText(&ProjectSettings::url, d.keywords);
    p->settings.seqFrom = d.category;
    p->settings.seqTo = d.method;
    p->settings.autoMirror = d.copies ? 1 : 0;
    p->settings.pingFastest = d.images ? 1 : 0;
    p->settings.position = static_cast<std::int32_t>(row);
    SaveProject(*p);
    AddToHistory(histories.searches, d.keywords);
    queue.RefreshRow(*p, StatusEvent::Redraw);
    if (d.searchNow) queue.Start(row);
}

void SearchSettingsCommand(HWND owner) {
    RunSearchSettingsDialog(owner, SearchIniPath());
}

}  // namespace ks
