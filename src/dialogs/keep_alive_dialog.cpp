// "Keep Connection Alive Settings": the URLs fetched to keep a line busy and
// the pause between two fetches.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "connection_dialog_ids.h"
#include "dialogs/connection_dialogs.h"
#include "dialogs/dialog_base.h"

namespace ks {
namespace {

constexpr const char* kSection = "URL List";
constexpr int kFeatureControls[] = {IDC_KA_URL,    IDC_KA_ADD,     IDC_KA_LIST,
                                    IDC_KA_DELETE, IDC_KA_MINUTES, IDC_KA_SECONDS};

class CKeepAliveDialog : public dlg::CDialog {
  public:
    explicit CKeepAliveDialog(Settings& s) : CDialog(IDD_KEEP_ALIVE), s_(s) {}

  protected:
    BOOL OnInit() override {
        // From the file, not from memory: "use" counts as on only when it is 1.
        IniFile ini;
        ini.Load(s_.iniPath);
        SetCheck(IDC_KA_ENABLE, ini.Get(kSection, "use", "0") == "1");
        SetInt(IDC_KA_MINUTES, ParseIniInt(ini.Get(kSection, "minute", "1")));
        SetInt(IDC_KA_SECONDS, ParseIniInt(ini.Get(kSection, "second", "0")));
        const int total = std::min(ParseIniInt(ini.Get(kSection, "total", "0")), kMaxListItems);
        for (int i = 1; i <= total; ++i) {
            const std::string url = ini.Get(kSection, "URL" + std::to_string(i), " ");
            SendMessageA(Item(IDC_KA_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(url.c_str()));
        }
        SendMessageA(Item(IDC_KA_URL), EM_LIMITTEXT, kIniValueMax, 0);
        ApplyEnabling();
        return TRUE;
    }

    bool OnCommand(int id, int, HWND) override {
        HWND list = Item(IDC_KA_LIST);
        switch (id) {
            case IDC_KA_ENABLE:
                ApplyEnabling();
                return true;
            case IDC_KA_ADD: {
                const std::string url = Text(IDC_KA_URL);
                if (!url.empty() && SendMessageA(list, LB_FINDSTRING, WPARAM(-1),
                                                 reinterpret_cast<LPARAM>(url.c_str())) == LB_ERR)
                    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(url.c_str()));
                return true;
            }
            case IDC_KA_DELETE: {
                const LRESULT sel = SendMessageA(list, LB_GETCURSEL, 0, 0);
                if (sel != LB_ERR) SendMessageA(list, LB_DELETESTRING, WPARAM(sel), 0);
                return true;
            }
        }
        return false;
    }

    bool OnOk() override {
        int seconds = 0;
        if (!IntInRange(IDC_KA_SECONDS, 0, 59, seconds)) return false;
        std::optional<long long> minutes = Int(IDC_KA_MINUTES);
        if (!minutes || *minutes < INT_MIN || *minutes > INT_MAX) {
            int unused = 0;
            IntInRange(IDC_KA_MINUTES, INT_MIN, INT_MAX, unused);  // tells the user
            return false;
        }
        HWND list = Item(IDC_KA_LIST);
        std::vector<std::string> urls;
        const LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            const LRESULT len = SendMessageA(list, LB_GETTEXTLEN, WPARAM(i), 0);
            std::vector<char> buf(std::size_t(len > 0 ? len : 0) + 1);
            SendMessageA(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buf.data()));
            urls.emplace_back(buf.data());
        }
        const bool on = Checked(IDC_KA_ENABLE);
        IniFile ini;
        ini.Load(s_.iniPath);
        ini.Set(kSection, "use", on ? "1" : "0");
        ini.Set(kSection, "total", std::to_string(urls.size()));
        ini.Set(kSection, "minute", std::to_string(*minutes));
        ini.Set(kSection, "second", std::to_string(seconds));
        for (std::size_t i = 0; i < urls.size(); ++i)
            ini.Set(kSection, "URL" + std::to_string(i + 1), urls[i]);
        for (std::size_t i = urls.size() + 1; ini.Delete(kSection, "URL" + std::to_string(i));) ++i;
        ini.Save();
        s_.urlList.use = on ? 1 : 0;
        s_.urlList.minute = static_cast<std::int32_t>(*minutes);
        s_.urlList.second = seconds;
        s_.urlList.urls = urls;
        return true;
    }

  private:
    void ApplyEnabling() {
        const bool on = Checked(IDC_KA_ENABLE);
        for (int id : kFeatureControls) Enable(id, on);
    }

    Settings& s_;
};

}  // namespace

bool RunKeepAliveDialog(HWND parent, Settings& settings) {
    Settings edited = settings;
    CKeepAliveDialog d(edited);
    if (d.DoModal(parent) != IDOK) return false;
    settings = edited;
    return true;
}

}  // namespace ks
