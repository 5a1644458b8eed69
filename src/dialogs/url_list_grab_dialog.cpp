// "URL List Grab": a project that downloads every URL of a list file or of a
// web page.
#include "dialog_ids.h"
#include "dialogs/capture_suspend.h"
#include "dialogs/common_controls.h"
#include "dialogs/dialog_base.h"
#include "dialogs/dialogs.h"

namespace ks {
namespace {

class CUrlListGrabDialog : public dlg::CDialog {
  public:
    explicit CUrlListGrabDialog(ProjectSettings& s) : CDialog(IDD_URL_LIST_GRAB), s_(s) {}

  protected:
    BOOL OnInit() override {
        SendMessageA(Item(IDC_LIST_SOURCE), EM_LIMITTEXT, 0, 0);
        SetText(IDC_LIST_SOURCE, s_.source);
        folderLine_.Attach(Hwnd(), IDC_FOLDER_BUTTON, IDC_FOLDER_LABEL, s_.folder);
        SetCheck(IDC_DISABLED, s_.disabled != 0);
        SetupSpin(IDC_SEGMENTS_SPIN, 0, 100, s_.segments);
        SetInt(IDC_SEGMENTS, s_.segments);
        return TRUE;
    }
    bool OnCommand(int id, int code, HWND) override {
        if (folderLine_.OnCommand(id, code)) return true;
        if (id != IDC_SELECT_FILE) return false;
        std::string path;
        if (dlg::AskOpenFile(
                Hwnd(), "List Files (*.txt,*.htm,*.html)|*.txt;*.htm;*.html|All Files (*.*)|*.*|",
                Text(IDC_LIST_SOURCE), path))
            SetText(IDC_LIST_SOURCE, path);
        return true;
    }
    bool OnOk() override {
        int segments = 0;
        if (!IntInRange(IDC_SEGMENTS, 0, 100, segments)) return false;
        s_.source = Text(IDC_LIST_SOURCE);
        s_.folder = folderLine_.Folder();
        s_.disabled = Checked(IDC_DISABLED) ? 1 : 0;
        s_.segments = segments;
        return true;
    }

  private:
    ProjectSettings& s_;
    dlg::CFolderLine folderLine_;
};

}  // namespace

bool RunUrlListGrabDialog(HWND parent, ProjectSettings& s, DialogContext& ctx) {
    CaptureSuspendScope suspend;
    ProjectSettings edited = s;
    CUrlListGrabDialog d(edited);
    if (d.DoModal(parent) != IDOK) return false;
    s = edited;
    return true;
}

}  // namespace ks
