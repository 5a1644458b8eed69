// "Search": keywords, category and method of a search, and the live status of
// a running one.
#include "dialogs/win_util.h"
#include "dialog_ids.h"
#include "dialogs/capture_suspend.h"
#include "dialogs/common_controls.h"
#include "dialogs/dialog_base.h"
#include "dialogs/search_dialogs.h"
#include "base/project.h"
#include "search/engine_defs.h"

namespace ks {
namespace {

constexpr UINT_PTR kStatusTimer = 8888;
constexpr UINT kStatusPeriodMs = 2000;

class CSearchDialog : public dlg::CDialog {
  public:
    CSearchDialog(SearchDialogData& d, const std::string& ini)
        : CDialog(IDD_SEARCH), d_(d), defs_(ini) {}

  protected:
    BOOL OnInit() override {
        HWND method = Item(IDC_SEARCH_METHOD);
        for (const char* m : {"all words", "any word", "exact phrase"})
            SendMessageA(method, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m));
        SendMessageA(method, CB_SETCURSEL, d_.method, 0);
        FillCategories();
        keyword_.Attach(Hwnd(), IDC_SEARCH_KEYWORD, d_.history, d_.keywords);
        SetCheck(IDC_SEARCH_COPIES, d_.copies);
        SetCheck(IDC_SEARCH_IMAGES, d_.images);
        ShowWindow(Item(IDC_SEARCH_IMAGES), SW_HIDE);  // kept, never offered
        SetTimer(Hwnd(), kStatusTimer, kStatusPeriodMs, nullptr);
        return TRUE;
    }
    bool OnCommand(int id, int code, HWND) override {
        if (keyword_.OnCommand(id, code)) return true;
        if (id == IDC_SEARCH_SETTINGS) {
            TakeOver();
            RunSearchEnginesDialog(Hwnd(), d_.category, defs_.Path());
            return true;
        }
        if (id == IDC_SEARCH_NOW) {
            TakeOver();
            d_.searchNow = true;
            KillTimer(Hwnd(), kStatusTimer);
            EndDialog(Hwnd(), IDOK);
            return true;
        }
        return false;
    }
    bool OnMessage(UINT msg) override {
        if (msg != dlg::CUrlBox::kRestoreMessage) return false;
        keyword_.Restore();
        return true;
    }
    void OnTimer(UINT_PTR id) override {
        if (id != kStatusTimer || !d_.project) return;
        const bool running = d_.project->workerRunning.load();
        if (!running && finalShown_) return;
        const std::string status = d_.project->SearchStatus();
        if (status != shown_) {
            SetText(IDC_SEARCH_STATUS, status);
            shown_ = status;
        }
        if (running) {
            // Newest lines in view.
            const LRESULT lines = SendMessageA(Item(IDC_SEARCH_STATUS), EM_GETLINECOUNT, 0, 0);
            SendMessageA(Item(IDC_SEARCH_STATUS), EM_LINESCROLL, 0, lines);
            finalShown_ = false;
        } else {
            finalShown_ = true;
        }
    }
    void OnDestroy() override { KillTimer(Hwnd(), kStatusTimer); }
    bool OnOk() override {
        TakeOver();
        KillTimer(Hwnd(), kStatusTimer);
        return true;
    }

  private:
    // The names of categories 1 to "total" that have one, in order; the list
    // index is the category index only while no name is missing in between.
    void FillCategories() {
        HWND list = Item(IDC_SEARCH_CATEGORY);
        SendMessageA(list, CB_RESETCONTENT, 0, 0);
        const int total = std::min(defs_.CategoryTotal(), 999);
        for (int n = 0; n < total; ++n) {
            const std::string name = defs_.CategoryName(n);
            if (!name.empty())
                SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }
        SendMessageA(list, CB_SETCURSEL, d_.category, 0);
    }
    void TakeOver() {
        d_.keywords = keyword_.Text();
        const LRESULT c = SendMessageA(Item(IDC_SEARCH_CATEGORY), CB_GETCURSEL, 0, 0);
        if (c != CB_ERR) d_.category = static_cast<int>(c);
        const LRESULT m = SendMessageA(Item(IDC_SEARCH_METHOD), CB_GETCURSEL, 0, 0);
        if (m != CB_ERR) d_.method = static_cast<int>(m);
        d_.copies = Checked(IDC_SEARCH_COPIES);
        d_.images = Checked(IDC_SEARCH_IMAGES);
    }

    SearchDialogData& d_;
    EngineDefs defs_;
    dlg::CUrlBox keyword_;
    std::string shown_;
    bool finalShown_ = false;
};

}  // namespace

bool RunSearchDialog(HWND parent, SearchDialogData& data, const std::string& searchIni) {
    CaptureSuspendScope suspend;
    SearchDialogData edited = data;
    edited.searchNow = false;
    CSearchDialog d(edited, searchIni);
    if (d.DoModal(parent) != IDOK) return false;
    data = edited;
    return true;
}

}  // namespace ks
