// "Download Settings": one download project, new or existing, with its
// numbered series, acceleration and list of other sources (mirrors).
#include <algorithm>
#include <vector>

#include "dialog_ids.h"
#include "dialogs/capture_suspend.h"
#include "dialogs/common_controls.h"
#include "dialogs/dialog_base.h"
#include "dialogs/dialogs.h"
#include "dialogs/list_file_urls.h"
#include "projects/project_store.h"

namespace ks {
namespace {

constexpr UINT_PTR kMirrorTimer = 9999;
constexpr const char* kListFilter =
    "List Files (*.txt,*.htm,*.html)|*.txt;*.htm;*.html|All Files (*.*)|*.*|";

class CDownloadSettingsDialog : public dlg::CDialog {
  public:
    CDownloadSettingsDialog(ProjectSettings& s, DialogContext& ctx)
        : CDialog(IDD_DOWNLOAD_SETTINGS), s_(s), ctx_(ctx) {}

    std::vector<std::string> mirrors_;

  protected:
    BOOL OnInit() override {
        urlBox_.Attach(Hwnd(), IDC_URL_COMBO, ctx_.urlHistory, s_.url);
        folderLine_.Attach(Hwnd(), IDC_FOLDER_BUTTON, IDC_FOLDER_LABEL, s_.folder);
        SetCheck(IDC_SEQUENTIAL, s_.sequential != 0);
        SetText(IDC_SEQ_SUFFIX, s_.seqSuffix);
        SetInt(IDC_SEQ_DIGITS, s_.seqDigits);
        SetInt(IDC_SEQ_FROM, s_.seqFrom);
        SetInt(IDC_SEQ_TO, s_.seqTo);
        SetupSpin(IDC_SEGMENTS_SPIN, 0, 100, s_.segments);
        SetInt(IDC_SEGMENTS, s_.segments);
        SetCheck(IDC_AUTO_MIRROR, s_.autoMirror != 0);
        SetCheck(IDC_PING_FASTEST, s_.pingFastest != 0);
        SetCheck(IDC_DISABLED, s_.disabled != 0);
        if (ctx_.project) {
            mirrors_ = ctx_.project->Mirrors();
            lookupWasRunning_ = ctx_.project->pingThread.load();
        }
        FillList();
        EnableSeries();
        SetTimer(Hwnd(), kMirrorTimer, 2000, nullptr);
        return TRUE;
    }

    bool OnCommand(int id, int code, HWND) override {
        if (urlBox_.OnCommand(id, code) || folderLine_.OnCommand(id, code)) return true;
        switch (id) {
            case IDC_SEQUENTIAL:
                EnableSeries();
                return true;
            case IDC_SOURCES_LIST:
                if (code == LBN_SELCHANGE) CopySelectionToEdit();
                return true;
            case IDC_ADD_SOURCE:
                AddSource();
                return true;
            case IDC_REMOVE_SOURCE:
                RemoveSelected();
                return true;
            case IDC_LOAD_LIST:
                LoadListFile();
                return true;
        }
        return false;
    }

    bool OnMessage(UINT msg) override {
        if (msg != dlg::CUrlBox::kRestoreMessage) return false;
        urlBox_.Restore();
        return true;
    }

    void OnTimer(UINT_PTR id) override {
        if (id != kMirrorTimer) return;
        bool running = ctx_.project && ctx_.project->pingThread.load();
        if (running) {
            std::string label = Text(IDC_SOURCES_LABEL);
            SetText(IDC_SOURCES_LABEL, label.find('*') == std::string::npos
                                           ? "Other sources: (Searching...*)"
                                           : "Other sources: (Searching... )");
        } else {
            SetText(IDC_SOURCES_LABEL, "Other sources:");
            if (lookupWasRunning_ && ctx_.project) {
                mirrors_ = ctx_.project->Mirrors();
                FillList();
            }
        }
        lookupWasRunning_ = running;
    }

    void OnDestroy() override { KillTimer(Hwnd(), kMirrorTimer); }

    bool OnOk() override {
        int digits = 0, from = 0, to = 0, segments = 0;
        if (!IntInRange(IDC_SEQ_DIGITS, 1, 65535, digits)) return false;
        if (!IntInRange(IDC_SEQ_FROM, INT32_MIN, INT32_MAX, from)) return false;
        if (!IntInRange(IDC_SEQ_TO, INT32_MIN, INT32_MAX, to)) return false;
        if (!IntInRange(IDC_SEGMENTS, 0, 100, segments)) return false;
        s_.url = urlBox_.Text();
        s_.seqSuffix = Text(IDC_SEQ_SUFFIX);
        s_.seqDigits = digits;
        s_.seqFrom = from;
        s_.seqTo = to;
        s_.sequential = Checked(IDC_SEQUENTIAL) ? 1 : 0;
        s_.folder = folderLine_.Folder();
        s_.segments = segments;
        s_.autoMirror = Checked(IDC_AUTO_MIRROR) ? 1 : 0;
        s_.pingFastest = Checked(IDC_PING_FASTEST) ? 1 : 0;
        s_.disabled = Checked(IDC_DISABLED) ? 1 : 0;
        mirrors_ = ListEntries();
        KillTimer(Hwnd(), kMirrorTimer);
        dlg::AddHistoryEntry(ctx_.urlHistory, s_.url);
        return true;
    }

  private:
    void EnableSeries() {
        bool on = Checked(IDC_SEQUENTIAL);
        for (int id : {IDC_SEQ_SUFFIX, IDC_SEQ_DIGITS, IDC_SEQ_FROM, IDC_SEQ_TO}) Enable(id, on);
    }

    HWND List() const { return Item(IDC_SOURCES_LIST); }

    void FillList() {
        SendMessageA(List(), LB_RESETCONTENT, 0, 0);
        for (const std::string& m : mirrors_)
            SendMessageA(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m.c_str()));
    }

    std::string Entry(int i) const {
        LRESULT len = SendMessageA(List(), LB_GETTEXTLEN, i, 0);
        if (len < 0) return std::string();
        std::vector<char> buf(static_cast<std::size_t>(len) + 1);
        SendMessageA(List(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
        return buf.data();
    }

    std::vector<std::string> ListEntries() const {
        std::vector<std::string> out;
        int n = static_cast<int>(SendMessageA(List(), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) out.push_back(Entry(i));
        return out;
    }

    void CopySelectionToEdit() {
        LRESULT caret = SendMessageA(List(), LB_GETCARETINDEX, 0, 0);
        if (caret >= 0 && SendMessageA(List(), LB_GETSEL, caret, 0) > 0)
            SetText(IDC_SOURCE_EDIT, Entry(static_cast<int>(caret)));
    }

    // Adds url unless it is empty or begins an entry already listed.
    void AddUnlessListed(const std::string& url) {
        if (url.empty()) return;
        if (SendMessageA(List(), LB_FINDSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(url.c_str())) != LB_ERR)
            return;
        SendMessageA(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(url.c_str()));
        mirrors_.push_back(url);
    }

    void AddSource() { AddUnlessListed(Text(IDC_SOURCE_EDIT)); }

    void RemoveSelected() {
        int n = static_cast<int>(SendMessageA(List(), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            if (SendMessageA(List(), LB_GETSEL, i, 0) <= 0) continue;
            auto it = std::find(mirrors_.begin(), mirrors_.end(), Entry(i));
            if (it != mirrors_.end()) mirrors_.erase(it);
        }
        FillList();
    }

    void LoadListFile() {
        std::string path;
        if (!dlg::AskOpenFile(Hwnd(), kListFilter, std::string(), path)) return;
        for (const std::string& url : dlg::ReadListFileUrls(path)) {
            SendMessageA(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(url.c_str()));
            mirrors_.push_back(url);
        }
    }

    ProjectSettings& s_;
    DialogContext& ctx_;
    dlg::CUrlBox urlBox_;
    dlg::CFolderLine folderLine_;
    bool lookupWasRunning_ = false;
};

}  // namespace

bool RunDownloadSettingsDialog(HWND parent, ProjectSettings& s, DialogContext& ctx) {
    CaptureSuspendScope suspend;
    ProjectSettings edited = s;
    CDownloadSettingsDialog d(edited, ctx);
    if (d.DoModal(parent) != IDOK) return false;
    if (ctx.project) {
        // The lookup may still be adding sources; what the user saw and kept
        // is what the project uses from now on.
        StoreProjectMirrors(*ctx.project, d.mirrors_, ctx.programFolder);
        edited.mirrorFile = ctx.project->GetText(&ProjectSettings::mirrorFile);
    } else {
        CProject scratch(edited);
        StoreProjectMirrors(scratch, d.mirrors_, ctx.programFolder);
        edited.mirrorFile = scratch.GetText(&ProjectSettings::mirrorFile);
    }
    s = edited;
    return true;
}

}  // namespace ks
