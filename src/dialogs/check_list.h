// A one-column report list with a check box per row, as the connection dialogs
// use for dial-up entries and phone numbers.
#pragma once

#include <windows.h>

#include <string>

namespace ks::dlg {

void SetupCheckList(HWND list, const char* title, int width);
void AddCheckRow(HWND list, const std::string& text, bool checked);
int RowCount(HWND list);
std::string RowText(HWND list, int row);
bool RowChecked(HWND list, int row);
int SelectedRow(HWND list);  // -1 when none

}  // namespace ks::dlg
