// The download confirmation: the last word before a captured URL becomes a
// project, shown above every other window because the user is usually in the
// browser when it appears.
#include "capture/win32/capture_dialogs.h"
#include "capture_ids.h"
#include "dialogs/common_controls.h"
#include "dialogs/dialog_base.h"

namespace ks {
namespace {

class CConfirmDialog : public dlg::CDialog {
  public:
    CConfirmDialog(const std::string& url, const std::string& folder)
        : CDialog(IDD_CONFIRM_DOWNLOAD), url_(url), folder_(folder) {}

    std::string url_, folder_;
    bool dontAsk_ = false;

  protected:
    BOOL OnInit() override {
        SetText(IDC_CONFIRM_URL, url_);
        folderLine_.Attach(Hwnd(), IDC_CONFIRM_FOLDER_BUTTON, IDC_CONFIRM_FOLDER_LABEL, folder_);
        SetCheck(IDC_CONFIRM_DONT_ASK, dontAsk_);
        SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(Hwnd());
        return TRUE;
    }
    bool OnCommand(int id, int code, HWND) override {
        // Both buttons keep the check box: even a refused URL may mean
        // "stop asking".
        if (id == IDOK || id == IDCANCEL) dontAsk_ = Checked(IDC_CONFIRM_DONT_ASK);
        return folderLine_.OnCommand(id, code);
    }
    bool OnOk() override {
        folder_ = folderLine_.Folder();
        return true;
    }

  private:
    dlg::CFolderLine folderLine_;
};

}  // namespace

bool RunConfirmDownloadDialog(HWND parent, const std::string& url, std::string& folder,
                              bool& dontAsk) {
    CConfirmDialog d(url, folder);
    d.dontAsk_ = dontAsk;
    INT_PTR r = d.DoModal(parent);
    if (r == -1) return true;  // no dialog could be shown: the user is not asked
    dontAsk = d.dontAsk_;
    if (r != IDOK) return false;
    folder = d.folder_;
    return true;
}

}  // namespace ks
