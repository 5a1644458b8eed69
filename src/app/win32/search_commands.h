// The meta-search inside the Windows program: its worker and hooks, the
// default engine definitions, and the commands that open the search dialogs.
#pragma once

#include <windows.h>

#include <string>

#include "app/history.h"
#include "projects/queue.h"

namespace ks {

// At start-up: search rows can run, ask about engine updates and open their pages.
void InstallSearch(ProjectQueue& queue, const std::string& programFolder);
// "New Sea&rch": the Search dialog for a new search; OK adds a row, "Search Now" also starts it.
void NewSearchCommand(HWND owner, ProjectQueue& queue, const std::string& programFolder,
                      Histories& histories);
// "Properties" of a search row.
void SearchPropertiesCommand(HWND owner, ProjectQueue& queue, std::size_t row,
                             Histories& histories);
// "Searc&h Settings".
void SearchSettingsCommand(HWND owner);

}  // namespace ks
