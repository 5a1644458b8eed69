// "Proxy Settings for <connection>": one connection's HTTP and FTP proxies,
// FTP passive mode and, for a dial-up entry, its credentials and numbers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "connection/password_scramble.h"
#include "connection_dialog_ids.h"
#include "dialogs/check_list.h"
#include "dialogs/connection_dialogs.h"
#include "dialogs/dialog_base.h"

namespace ks {
namespace {

constexpr int kDialControls[] = {
    IDC_DIAL_GROUP,  IDC_DIAL_INFO_GROUP, IDC_DIAL_USER_LABEL, IDC_DIAL_PASSWORD_LABEL,
    IDC_DIAL_USER,   IDC_DIAL_PASSWORD,   IDC_DIAL_REMEMBER,   IDC_NUMBER_LIST,
    IDC_NUMBER_EDIT, IDC_NUMBER_ADD,      IDC_NUMBER_REMOVE,
};
constexpr int kFtpProxyFields[] = {IDC_FTP_SERVER, IDC_FTP_PORT, IDC_FTP_USER, IDC_FTP_PASSWORD};

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

std::string Trimmed(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

class CProxySettingsDialog : public dlg::CDialog {
  public:
    CProxySettingsDialog(const std::string& iniPath, const std::string& connection,
                         const std::string& key)
        : CDialog(IDD_PROXY_SETTINGS), iniPath_(iniPath), name_(connection), key_(key) {}

  protected:
    BOOL OnInit() override {
        SetWindowTextA(Hwnd(), ("Proxy Settings for " + name_).c_str());
        IniFile ini;
        ini.Load(iniPath_);
        const ConnectionProfile p = ConnectionProfile::Load(ini.Document(), name_);
        SetCheck(IDC_USE_HTTP_PROXY, p.useHttpProxy);
        SetText(IDC_HTTP_SERVER, p.httpProxyServer);
        SetInt(IDC_HTTP_PORT, p.httpProxyPort);
        SetText(IDC_FTP_SERVER, p.ftpProxyServer);
        SetInt(IDC_FTP_PORT, ParseIniInt(p.ftpProxyPort));
        SetText(IDC_FTP_USER, p.ftpProxyUser);
        SetText(IDC_FTP_PASSWORD, ScramblePassword(p.ftpProxyPassword, key_, false));
        int type = ParseIniInt(p.ftpProxyLogonType);
        if (type < 0 || type > 8) type = 0;
        CheckRadioButton(Hwnd(), IDC_LOGON_FIRST, IDC_LOGON_LAST, IDC_LOGON_FIRST + type);
        SetCheck(IDC_PASSIVE, p.ftpProxyPassive);
        SetText(IDC_DIAL_USER, p.dialupUser);
        SetText(IDC_DIAL_PASSWORD, ScramblePassword(p.dialupPassword, key_, false));
        SetCheck(IDC_DIAL_REMEMBER, p.dialupRemember);
        dlg::SetupCheckList(Item(IDC_NUMBER_LIST), "Dial-Up Numbers", 190);
        for (const PhoneNumber& n : p.numbers)
            if (!n.number.empty()) dlg::AddCheckRow(Item(IDC_NUMBER_LIST), n.number, n.enabled);
        for (int id :
             {IDC_HTTP_SERVER, IDC_FTP_SERVER, IDC_FTP_USER, IDC_DIAL_USER, IDC_NUMBER_EDIT})
            SendMessageA(Item(id), EM_LIMITTEXT, kIniValueMax, 0);
        // A stored password takes two digits a character.
        for (int id : {IDC_FTP_PASSWORD, IDC_DIAL_PASSWORD})
            SendMessageA(Item(id), EM_LIMITTEXT, kIniValueMax / 2, 0);
        if (IniNamesEqual(name_, kLanSettings)) ShortenForLan();
        ApplyEnabling();
        return TRUE;
    }

    bool OnCommand(int id, int code, HWND) override {
        if (id == IDC_USE_HTTP_PROXY || (id >= IDC_LOGON_FIRST && id <= IDC_LOGON_LAST)) {
            if (code == BN_CLICKED) ApplyEnabling();
            return code == BN_CLICKED;
        }
        if (id == IDC_NUMBER_ADD) {
            AddNumber();
            return true;
        }
        if (id == IDC_NUMBER_REMOVE) {
            const int row = dlg::SelectedRow(Item(IDC_NUMBER_LIST));
            if (row < 0)
                Message("You must select an item.", MB_OK | MB_ICONEXCLAMATION);
            else
                ListView_DeleteItem(Item(IDC_NUMBER_LIST), row);
            return true;
        }
        return false;
    }

    bool OnOk() override {
        int ftpPort = 0;
        if (!IntInRange(IDC_FTP_PORT, 0, 9999, ftpPort)) return false;
        const long long httpPort = Int(IDC_HTTP_PORT).value_or(0);
        const bool remember = Checked(IDC_DIAL_REMEMBER);
        const std::string& s = name_;
        IniFile ini;
        ini.Load(iniPath_);
        // Written in this order so a new section reads as it always has.
        ini.Set(s, "useHTTPProxy", FormatIniFlag(Checked(IDC_USE_HTTP_PROXY)));
        ini.Set(s, "HTTPProxyPort",
                std::to_string(httpPort < 0 || httpPort > 65535 ? 0 : httpPort));
        ini.Set(s, "HTTPProxyServer", Text(IDC_HTTP_SERVER));
        ini.Set(s, "FTPProxylogontype", std::to_string(LogonType()));
        ini.Set(s, "FTPProxypassword", ScramblePassword(Text(IDC_FTP_PASSWORD), key_, true));
        ini.Set(s, "FTPProxyusername", Text(IDC_FTP_USER));
        ini.Set(s, "FTPProxyserver", Text(IDC_FTP_SERVER));
        ini.Set(s, "FTPProxyport", std::to_string(ftpPort));
        ini.Set(s, "FTPProxypassive", FormatIniFlag(Checked(IDC_PASSIVE)));
        ini.Set(s, "dialupusername", Text(IDC_DIAL_USER));
        ini.Set(s, "dialuppassword",
                remember ? ScramblePassword(Text(IDC_DIAL_PASSWORD), key_, true) : "");
        ini.Set(s, "dialupremember", FormatIniFlag(remember));
        HWND list = Item(IDC_NUMBER_LIST);
        const int rows = dlg::RowCount(list);
        ini.Set(s, "totalnum", std::to_string(rows));
        for (int i = 0; i < rows; ++i) {
            ini.Set(s, "n" + std::to_string(i + 1), dlg::RowText(list, i));
            ini.Set(s, "e" + std::to_string(i + 1), FormatIniFlag(dlg::RowChecked(list, i)));
        }
        for (int i = rows + 1; ini.Delete(s, "n" + std::to_string(i)); ++i)
            ini.Delete(s, "e" + std::to_string(i));
        ini.Save();
        return true;
    }

  private:
    int LogonType() const {
        for (int t = 0; t <= 8; ++t)
            if (Checked(IDC_LOGON_FIRST + t)) return t;
        return 0;
    }

    void ApplyEnabling() {
        const bool http = Checked(IDC_USE_HTTP_PROXY);
        Enable(IDC_HTTP_SERVER, http);
        Enable(IDC_HTTP_PORT, http);
        const bool ftp = LogonType() != 0;
        for (int id : kFtpProxyFields) Enable(id, ftp);
    }

    void AddNumber() {
        const std::string text = Trimmed(Text(IDC_NUMBER_EDIT));
        if (text.empty()) return;
        HWND list = Item(IDC_NUMBER_LIST);
        for (int i = 0; i < dlg::RowCount(list); ++i)
            if (SameTextIgnoringCase(dlg::RowText(list, i), text)) return;
        dlg::AddCheckRow(list, text, true);
    }

    // The network without dial-up has no credentials and no numbers: their
    // part goes, and the dialog loses its height.
    void ShortenForLan() {
        for (int id : kDialControls) {
            Enable(id, false);
            ShowWindow(Item(id), SW_HIDE);
        }
        RECT group;
        GetWindowRect(Item(IDC_DIAL_GROUP), &group);
        const int cut = group.bottom - group.top;
        for (int id : {IDOK, IDCANCEL}) {
            RECT r;
            GetWindowRect(Item(id), &r);
            MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
            SetWindowPos(Item(id), nullptr, r.left, r.top - cut, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        RECT w;
        GetWindowRect(Hwnd(), &w);
        SetWindowPos(Hwnd(), nullptr, 0, 0, w.right - w.left, w.bottom - w.top - cut,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    std::string iniPath_, name_, key_;
};

}  // namespace

bool RunProxySettingsDialog(HWND parent, const std::string& iniPath, const std::string& connection,
                            const std::string& installKey) {
    CProxySettingsDialog d(iniPath, connection, installKey);
    return d.DoModal(parent) == IDOK;
}

}  // namespace ks
