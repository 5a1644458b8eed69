// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "dialogs/check_list.h"

#include "dialogs/win_util.h"

namespace ks::dlg {

void SetupCheckList(HWND list, const char* title, int width) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    win::AddListColumn(list, 0, title, width, LVCFMT_LEFT);
}

void AddCheckRow(HWND list, const std::string& text, bool checked) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = RowCount(list);
    item.pszText = const_cast<char*>(text.c_str());
    const int row = int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row >= 0) ListView_SetCheckState(list, row, checked ? TRUE : FALSE);
}

int RowCount(HWND list) {
    return int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string RowText(HWND list, int row) {
    char buf[512] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return buf;
}

bool RowChecked(HWND list, int row) {
    return ListView_GetCheckState(list, row) != FALSE;
}

int SelectedRow(HWND list) {
    return int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
}

}  // namespace ks::dlg
