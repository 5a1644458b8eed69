// "Download/Upload Options": limits, retry wait, the external program, the
// capture sound, default acceleration and mirror options.
// clang-format off
#include <windows.h>
#include <commdlg.h>
// clang-format on

#include "dialog_ids.h"
#include "dialogs/common_controls.h"
#include "dialogs/dialog_base.h"
#include "dialogs/dialogs.h"

namespace ks {
namespace {

class CTransferOptionsDialog : public dlg::CDialog {
  public:
    explicit CTransferOptionsDialog(Settings& s) : CDialog(IDD_TRANSFER_OPTIONS), s_(s) {}

  protected:
    BOOL OnInit() override {
        dontAsk_ = ParseIniFlag(IniRead(s_.iniPath, "Download", "dontaskme", "no"));
        const auto& d = s_.download;
        SetCheck(IDC_LIMIT, s_.limits.limit);
        SetInt(IDC_MAX_FILES, s_.limits.maxFiles);
        SetInt(IDC_RETRY_WAIT, s_.limits.wait);
        SetCheck(IDC_USE_EXT, d.useExt);
        SetText(IDC_EXT_PROG, d.extProg);
        SetText(IDC_EXT_PARAMS, d.extParams);
        SetCheck(IDC_USE_WAV, d.useWav);
        SetText(IDC_WAV_FILE, d.wavFile);
        SetupSpin(IDC_SEGMENTS_SPIN, 0, 100, d.acceleration);
        SetInt(IDC_SEGMENTS, d.acceleration);
        SetCheck(IDC_AUTO_MIRROR, d.autoMirrorCheck);
        SetCheck(IDC_PING_FASTEST, d.checkFast);
        SetCheck(IDC_DONT_ASK, dontAsk_);
        for (int id : {IDC_EXT_PROG, IDC_EXT_PARAMS, IDC_WAV_FILE})
            SendMessageA(Item(id), EM_LIMITTEXT, kIniValueMax, 0);
        ApplyEnabling();
        return TRUE;
    }

    bool OnCommand(int id, int code, HWND) override {
        switch (id) {
            case IDC_LIMIT:
            case IDC_USE_EXT:
            case IDC_USE_WAV:
                ApplyEnabling();
                return true;
            case IDC_FIND_PROG:
                Browse(IDC_EXT_PROG,
                       "Executable Files (*.exe,*.bat)|*.exe;*.bat|All Files (*.*)|*.*|");
                return true;
            case IDC_BROWSE_WAV:
                Browse(IDC_WAV_FILE, "Wav Files (*.wav)|*.wav|All Files (*.*)|*.*|");
                return true;
        }
        return false;
    }

    bool OnOk() override {
        int maxFiles = 0, wait = 0, segments = 0;
        // A greyed field cannot be corrected, so it only has to be valid while
        // the limit is on; otherwise the last good value stays.
        if (Checked(IDC_LIMIT)) {
            if (!IntInRange(IDC_MAX_FILES, 1, 1000, maxFiles)) return false;
        } else {
            std::optional<long long> v = Int(IDC_MAX_FILES);
            maxFiles = v && *v >= 1 && *v <= 1000 ? static_cast<int>(*v) : s_.limits.maxFiles;
        }
        if (!IntInRange(IDC_RETRY_WAIT, 0, 86400, wait)) return false;
        if (!IntInRange(IDC_SEGMENTS, 0, 100, segments)) return false;
        auto flag = [this](int id) { return FormatIniFlag(Checked(id)); };
        // Written in this order so the file reads the same as it always has.
        s_.Set("Limits", "limit", flag(IDC_LIMIT));
        s_.Set("Limits", "maxfiles", std::to_string(maxFiles));
        s_.Set("Limits", "wait", std::to_string(wait));
        s_.Set("Download", "useExt", flag(IDC_USE_EXT));
        s_.Set("Download", "ExtProg", Text(IDC_EXT_PROG));
        s_.Set("Download", "ExtParams", Text(IDC_EXT_PARAMS));
        s_.Set("Download", "useWav", flag(IDC_USE_WAV));
        s_.Set("Download", "wavfile", Text(IDC_WAV_FILE));
        s_.Set("Download", "acceleration", std::to_string(segments));
        s_.Set("Download", "automirrorcheck", flag(IDC_AUTO_MIRROR));
        s_.Set("Download", "checkfast", flag(IDC_PING_FASTEST));
        s_.Set("Download", "dontaskme", flag(IDC_DONT_ASK));
        s_.Save();
        return true;
    }

  private:
    void ApplyEnabling() {
        Enable(IDC_MAX_FILES, Checked(IDC_LIMIT));
        bool ext = Checked(IDC_USE_EXT);
        for (int id : {IDC_EXT_PROG, IDC_EXT_PARAMS, IDC_FIND_PROG}) Enable(id, ext);
        bool wav = Checked(IDC_USE_WAV);
        for (int id : {IDC_WAV_FILE, IDC_BROWSE_WAV}) Enable(id, wav);
    }

    void Browse(int editId, const char* filter) {
        std::string path;
        if (dlg::AskOpenFile(Hwnd(), filter, Text(editId), path)) SetText(editId, path);
    }

    Settings& s_;
    bool dontAsk_ = false;
};

}  // namespace

bool RunTransferOptionsDialog(HWND parent, Settings& settings) {
    Settings edited = settings;
    CTransferOptionsDialog d(edited);
    if (d.DoModal(parent) != IDOK) return false;
    settings = edited;
    return true;
}

}  // namespace ks
