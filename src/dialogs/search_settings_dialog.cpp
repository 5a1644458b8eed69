// "Search Settings": the defaults of new searches and the engine update.
#include "dialog_ids.h"
#include "dialogs/dialog_base.h"
#include "dialogs/search_dialogs.h"
#include "search/engine_defs.h"
#include "search/engine_update.h"

namespace ks {
namespace {

class CSearchSettingsDialog : public dlg::CDialog {
  public:
    explicit CSearchSettingsDialog(const std::string& ini)
        : CDialog(IDD_SEARCH_SETTINGS), defs_(ini) {}

  protected:
    BOOL OnInit() override {
        HWND list = Item(IDC_SETTINGS_CATEGORY);
        // Fixed names for the first three categories, whatever the file calls them.
        for (const char* name : {"Web", "MP3", "File Search"})
            SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageA(list, CB_SETCURSEL, 0, 0);
        SetCheck(IDC_SEARCH_COPIES, Yes("download"));
        SetCheck(IDC_SEARCH_IMAGES, Yes("images"));
        SetCheck(IDC_SKIP_UPDATE, Yes("skipupdate"));
        ShowWindow(Item(IDC_SEARCH_IMAGES), SW_HIDE);
        return TRUE;
    }
    bool OnCommand(int id, int, HWND) override {
        if (id == IDC_SETTINGS_OPTIONS) {
            const LRESULT c = SendMessageA(Item(IDC_SETTINGS_CATEGORY), CB_GETCURSEL, 0, 0);
            RunSearchEnginesDialog(Hwnd(), c == CB_ERR ? 0 : static_cast<int>(c), defs_.Path());
            return true;
        }
        if (id == IDC_UPDATE_NEXT) {
            ResetEngineUpdate(defs_);
            return true;
        }
        return false;
    }
    bool OnOk() override {
        IniFile f(defs_.Path());
        f.Load();
        f.Set("Options", "download", Checked(IDC_SEARCH_COPIES) ? "yes" : "no");
        f.Set("Options", "images", Checked(IDC_SEARCH_IMAGES) ? "yes" : "no");
        f.Set("Options", "skipupdate", Checked(IDC_SKIP_UPDATE) ? "yes" : "no");
        f.Save();
        return true;
    }

  private:
    bool Yes(const char* key) const {
        return IniNamesEqual(defs_.Read("Options", key, "no"), "yes");
    }
    EngineDefs defs_;
};

}  // namespace

bool RunSearchSettingsDialog(HWND parent, const std::string& searchIni) {
    CSearchSettingsDialog d(searchIni);
    return d.DoModal(parent) == IDOK;
}

}  // namespace ks
