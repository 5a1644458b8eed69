// "Enter URL": a quick download of one typed URL into a chosen folder.
#include "dialog_ids.h"
#include "dialogs/capture_suspend.h"
#include "dialogs/common_controls.h"
#include "dialogs/dialog_base.h"
#include "dialogs/dialogs.h"

namespace ks {
namespace {

class CEnterUrlDialog : public dlg::CDialog {
  public:
    CEnterUrlDialog(std::string url, std::string folder, std::string* history)
        : CDialog(IDD_ENTER_URL),
          url_(std::move(url)),
          folder_(std::move(folder)),
          history_(history) {}

    std::string url_, folder_;

  protected:
    BOOL OnInit() override {
        urlBox_.Attach(Hwnd(), IDC_URL_COMBO, history_, url_);
        folderLine_.Attach(Hwnd(), IDC_FOLDER_BUTTON, IDC_FOLDER_LABEL, folder_);
        return TRUE;
    }
    bool OnCommand(int id, int code, HWND) override {
        return urlBox_.OnCommand(id, code) || folderLine_.OnCommand(id, code);
    }
    bool OnOk() override {
        url_ = urlBox_.Text();
        folder_ = folderLine_.Folder();
        dlg::AddHistoryEntry(history_, url_);
        return true;
    }
    bool OnMessage(UINT msg) override {
        if (msg != dlg::CUrlBox::kRestoreMessage) return false;
        urlBox_.Restore();
        return true;
    }

  private:
    std::string* history_;
    dlg::CUrlBox urlBox_;
    dlg::CFolderLine folderLine_;
};

}  // namespace

bool RunEnterUrlDialog(HWND parent, std::string& url, std::string& folder, DialogContext& ctx) {
    CaptureSuspendScope suspend;
    CEnterUrlDialog d(url, folder, ctx.urlHistory);
    if (d.DoModal(parent) != IDOK) return false;
    url = d.url_;
    folder = d.folder_;
    return true;
}

}  // namespace ks
