// "Connection Settings": whether to dial, which phonebook entries, the dial
// time-out and the redial pause; the door to every connection's proxies.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "connection_dialog_ids.h"
#include "dialogs/check_list.h"
#include "dialogs/connection_dialogs.h"
#include "dialogs/dialog_base.h"

namespace ks {
namespace {

class CConnectionSettingsDialog : public dlg::CDialog {
  public:
    CConnectionSettingsDialog(Settings& s, plat::RasApi& ras)
        : CDialog(IDD_CONNECTION_SETTINGS), s_(s), ras_(ras) {}

  protected:
    BOOL OnInit() override {
        const DialUpSettings& d = s_.dialUp;
        SetCheck(IDC_USE_DIALUP, d.use);
        SetCheck(IDC_REDIAL, d.redial);
        SetInt(IDC_DIAL_TIME, d.dialTime);
        SetInt(IDC_REDIAL_TIME, d.redialTime);
        dlg::SetupCheckList(Item(IDC_ENTRY_LIST), "Dial-Up Entry", 200);
        if (d.use) FillEntries();
        ApplyEnabling();
        return TRUE;
    }

    bool OnCommand(int id, int code, HWND) override {
        switch (id) {
            case IDC_USE_DIALUP:
                if (Checked(IDC_USE_DIALUP) && dlg::RowCount(Item(IDC_ENTRY_LIST)) == 0)
                    FillEntries();
                ApplyEnabling();
                return true;
            case IDC_REDIAL:
                ApplyEnabling();
                return true;
            case IDC_ENTRY_SETTINGS: {
                const int row = dlg::SelectedRow(Item(IDC_ENTRY_LIST));
                if (row < 0)
                    Message("You must select an item.", MB_OK | MB_ICONEXCLAMATION);
                else
                    Proxies(dlg::RowText(Item(IDC_ENTRY_LIST), row));
                return true;
            }
            case IDC_LAN_PROXIES:
                Proxies(kLanSettings);
                return true;
        }
        return false;
    }

    LRESULT OnNotify(NMHDR* nm) override {
        if (nm->idFrom == IDC_ENTRY_LIST && nm->code == NM_DBLCLK) {
            const int row = reinterpret_cast<NMITEMACTIVATE*>(nm)->iItem;
            if (row >= 0) Proxies(dlg::RowText(Item(IDC_ENTRY_LIST), row));
        }
        return 0;
    }

    bool OnOk() override {
        int dialTime = 0, redialTime = 0;
        if (!IntInRange(IDC_DIAL_TIME, 0, 86400, dialTime)) return false;
        if (!IntInRange(IDC_REDIAL_TIME, 0, 86400, redialTime)) return false;
        DialUpSettings& d = s_.dialUp;
        HWND list = Item(IDC_ENTRY_LIST);
        d.entries.clear();
        for (int i = 0; i < dlg::RowCount(list); ++i)
            if (dlg::RowChecked(list, i)) d.entries.push_back(dlg::RowText(list, i));
        d.redial = Checked(IDC_REDIAL);
        d.use = Checked(IDC_USE_DIALUP) && !d.entries.empty();
        d.dialTime = dialTime;
        d.redialTime = redialTime;
        s_.currentConnection = Settings::CurrentConnectionFor(d);
        IniFile ini;
        ini.Load(s_.iniPath);
        for (std::size_t i = 0; i < d.entries.size(); ++i)
            ini.Set("Dial Up", "con" + std::to_string(i + 1), d.entries[i]);
        for (std::size_t i = d.entries.size() + 1;
             ini.Delete("Dial Up", "con" + std::to_string(i));)
            ++i;
        ini.Set("Dial Up", "total", std::to_string(d.entries.size()));
        ini.Set("Dial Up", "redial", FormatIniFlag(d.redial));
        ini.Set("Dial Up", "use", FormatIniFlag(d.use));
        ini.Set("Dial Up", "dialtime", std::to_string(d.dialTime));
        ini.Set("Dial Up", "redialtime", std::to_string(d.redialTime));
        ini.Save();
        return true;
    }

  private:
    void FillEntries() {
        HWND list = Item(IDC_ENTRY_LIST);
        ListView_DeleteAllItems(list);
        const auto& chosen = s_.dialUp.entries;
        for (const std::string& e : ras_.Entries())
            dlg::AddCheckRow(list, e, std::find(chosen.begin(), chosen.end(), e) != chosen.end());
    }

    void ApplyEnabling() {
        const bool use = Checked(IDC_USE_DIALUP);
        Enable(IDC_ENTRY_LIST, use);
        Enable(IDC_DIAL_TIME, use);
        Enable(IDC_REDIAL, use);
        Enable(IDC_REDIAL_TIME, use && Checked(IDC_REDIAL));
    }

    void Proxies(const std::string& connection) {
        RunProxySettingsDialog(Hwnd(), s_.iniPath, connection, s_.installKey);
    }

    Settings& s_;
    plat::RasApi& ras_;
};

}  // namespace

bool RunConnectionSettingsDialog(HWND parent, Settings& settings, plat::RasApi& ras) {
    Settings edited = settings;
    CConnectionSettingsDialog d(edited, ras);
    if (d.DoModal(parent) != IDOK) return false;
    settings = edited;
    return true;
}

}  // namespace ks
