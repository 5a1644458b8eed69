// "Search Engines": which engines of a category are queried, which file types
// the category takes, and the two search limits.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <vector>

#include "dialog_ids.h"
#include "dialogs/dialog_base.h"
#include "dialogs/search_dialogs.h"
#include "dialogs/win_util.h"
#include "search/engine_defs.h"
#include "transfer/url.h"

namespace ks {
namespace {

constexpr int kMaxListedEngines = 999;

class CSearchEnginesDialog : public dlg::CDialog {
  public:
    CSearchEnginesDialog(int category, const std::string& ini)
        : CDialog(IDD_SEARCH_ENGINES), category_(category), defs_(ini) {}

  protected:
    BOOL OnInit() override {
        SetText(IDC_ENGINES_GROUP, defs_.CategoryName(category_));
        for (HWND list : {Item(IDC_ENGINE_LIST), Item(IDC_TYPE_LIST)})
            ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        win::AddListColumn(Item(IDC_ENGINE_LIST), 0, "Search Engines", 170, LVCFMT_LEFT);
        win::AddListColumn(Item(IDC_TYPE_LIST), 0, "File Extention", 170, LVCFMT_LEFT);
        const int engines = std::min(defs_.EngineCount(category_), kMaxListedEngines);
        for (int m = 1; m <= engines; ++m) {
            const EngineDef e = defs_.Engine(category_, m);
            Insert(Item(IDC_ENGINE_LIST), m - 1, e.section.empty() ? std::string() : e.name,
                   e.enabled);
        }
        const std::vector<std::string> ticked = SplitTypeList(defs_.CategoryTypes(category_));
        for (const std::string& t : SplitTypeList(defs_.CategoryList(category_))) {
            const bool on = std::any_of(ticked.begin(), ticked.end(),
                                        [&](const std::string& x) { return IniNamesEqual(x, t); });
            Insert(Item(IDC_TYPE_LIST), 0, t, on);
        }
        SetInt(IDC_MAX_THREAD, 10);
        SetInt(IDC_MAX_RESULTS, 10);
        SetText(IDC_MAX_THREAD, defs_.Read("Options", "maxthread", "10"));
        SetText(IDC_MAX_RESULTS, defs_.Read("Options", "maxresults", "10"));
        return TRUE;
    }
    bool OnCommand(int id, int, HWND) override {
        if (id == IDC_TYPE_ADD) {
            AddType();
            return true;
        }
        if (id == IDC_TYPE_REMOVE) {
            RemoveTypes();
            return true;
        }
        return false;
    }
    bool OnOk() override {
        int threads = 0, results = 0;
        if (!IntInRange(IDC_MAX_THREAD, 1, 99, threads)) return false;
        if (!IntInRange(IDC_MAX_RESULTS, 1, 99, results)) return false;
        IniFile f(defs_.Path());
        f.Load();
        const std::string categorySection = f.Get("Categories", NumberedKey("cat", category_ + 1));
        HWND engines = Item(IDC_ENGINE_LIST);
        const int rows = static_cast<int>(SendMessageA(engines, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < rows && !categorySection.empty(); ++i) {
            const std::string section = f.Get(categorySection, NumberedKey("eng", i + 1));
            if (!section.empty())
                f.Set(section, "on", ListView_GetCheckState(engines, i) ? "yes" : "no");
        }
        std::string list, types;
        HWND typeList = Item(IDC_TYPE_LIST);
        const int n = static_cast<int>(SendMessageA(typeList, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            const std::string t = ItemText(typeList, i);
            list += t + ",";
            if (ListView_GetCheckState(typeList, i)) types += t + ",";
        }
        f.Set("Categories", NumberedKey("list", category_ + 1), list);
        f.Set("Categories", NumberedKey("types", category_ + 1), types);
        f.Set("Options", "maxresults", std::to_string(results));
        f.Set("Options", "maxthread", std::to_string(threads));
        f.Save();
        return true;
    }

  private:
    static void Insert(HWND list, int at, const std::string& text, bool checked) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = at;
        item.pszText = const_cast<char*>(text.c_str());
        const int row = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row >= 0) ListView_SetCheckState(list, row, checked ? TRUE : FALSE);
    }
    static std::string ItemText(HWND list, int row) {
        char buf[260] = {};
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = buf;
        item.cchTextMax = sizeof buf;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return buf;
    }
    void AddType() {
        std::string t = Text(IDC_TYPE_EDIT);
        const std::size_t b = t.find_first_not_of(' ');
        t = b == std::string::npos ? std::string() : t.substr(b, t.find_last_not_of(' ') - b + 1);
        const std::size_t d = t.find_first_not_of('.');
        t = d == std::string::npos ? std::string() : t.substr(d, t.find_last_not_of('.') - d + 1);
        t = AsciiLower(t);
        if (t.empty()) return;
        HWND list = Item(IDC_TYPE_LIST);
        const int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i)
            if (IniNamesEqual(ItemText(list, i), t)) return;
        Insert(list, n, t, true);
    }
    void RemoveTypes() {
        HWND list = Item(IDC_TYPE_LIST);
        if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == 0) {
            Message("You must select an item.", MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        for (int i = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) - 1; i >= 0; --i)
            if (ListView_GetItemState(list, i, LVIS_SELECTED))
                SendMessageA(list, LVM_DELETEITEM, i, 0);
    }

    int category_;
    EngineDefs defs_;
};

}  // namespace

bool RunSearchEnginesDialog(HWND parent, int category, const std::string& searchIni) {
    CSearchEnginesDialog d(category, searchIni);
    return d.DoModal(parent) == IDOK;
}

}  // namespace ks
