// "Kestrune Confirmation": the scheduler's last minute before a closing action.
#include <windows.h>

#include "connection_dialog_ids.h"
#include "dialogs/connection_dialogs.h"
#include "dialogs/dialog_base.h"

namespace ks {
namespace {

constexpr UINT_PTR kCountdownTimer = 1111;
constexpr int kCountdownSeconds = 60;

class CCountdownDialog : public dlg::CDialog {
  public:
    explicit CCountdownDialog(std::string action)
        : CDialog(IDD_COUNTDOWN), action_(std::move(action)) {}

  protected:
    BOOL OnInit() override {
        counter_ = kCountdownSeconds;
        SetText(IDC_COUNTDOWN_TEXT, action_);
        SetTimer(Hwnd(), kCountdownTimer, 1000, nullptr);
        return TRUE;
    }

    void OnTimer(UINT_PTR id) override {
        if (id != kCountdownTimer) return;
        SetText(IDC_COUNTDOWN_TEXT, action_ + " in " + std::to_string(counter_) + " seconds...");
        // The last text shown carries 1; then the dialog presses Continue itself.
        if (counter_-- == 1)
            PostMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(Item(IDOK)));
    }

    bool OnOk() override {
        KillTimer(Hwnd(), kCountdownTimer);
        return true;
    }

    bool OnCommand(int id, int, HWND) override {
        if (id != IDCANCEL) return false;
        counter_ = kCountdownSeconds;
        KillTimer(Hwnd(), kCountdownTimer);
        Message(
            "This will deactivate the Scheduler. \nTo activate again, use the menu's "
            "\"Option->Scheduler/Automatic Settings\".",
            MB_OK | MB_ICONINFORMATION);
        EndDialog(Hwnd(), IDCANCEL);
        return true;
    }

  private:
    std::string action_;
    int counter_ = kCountdownSeconds;
};

}  // namespace

bool RunCountdownDialog(HWND parent, const std::string& actionName) {
    CCountdownDialog d(actionName);
    return d.DoModal(parent) == IDOK;
}

}  // namespace ks
