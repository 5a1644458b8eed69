// "FTP Upload": a set of local files to upload into one FTP folder.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
// clang-format on

#include <ctime>
#include <vector>

#include "dialogs/win_util.h"
#include "dialog_ids.h"
#include "dialogs/capture_suspend.h"
#include "dialogs/common_controls.h"
#include "dialogs/dialog_base.h"
#include "dialogs/dialogs.h"
#include "projects/project_store.h"

namespace ks {
namespace {

// Size and last-write time of a local file; false when it cannot be found.
bool LocalFileFacts(const std::string& path, std::string& size, std::string& modified) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return false;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    ULARGE_INTEGER bytes;
    bytes.LowPart = d.nFileSizeLow;
    bytes.HighPart = d.nFileSizeHigh;
    size = std::to_string(bytes.QuadPart);
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&d.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &st);
    std::tm tm{};
    tm.tm_year = st.wYear - 1900;
    tm.tm_mon = st.wMonth - 1;
    tm.tm_mday = st.wDay;
    tm.tm_hour = st.wHour;
    tm.tm_min = st.wMinute;
    char buf[64];
    modified = std::strftime(buf, sizeof buf, "%m/%d/%y %I:%M %p", &tm) ? buf : "";
    return true;
}

class CFtpUploadDialog : public dlg::CDialog {
  public:
    CFtpUploadDialog(ProjectSettings& s, DialogContext& ctx)
        : CDialog(IDD_FTP_UPLOAD), s_(s), ctx_(ctx) {}

    std::vector<std::string> paths_;

  protected:
    BOOL OnInit() override {
        urlBox_.Attach(Hwnd(), IDC_URL_COMBO, ctx_.uploadHistory, s_.url);
        SetText(IDC_USER_NAME, s_.userName);
        SetText(IDC_PASSWORD, s_.password);
        CheckRadioButton(Hwnd(), IDC_RESUME, IDC_OVERWRITE,
                         s_.uploadMode == 1 ? IDC_OVERWRITE : IDC_RESUME);
        SetCheck(IDC_DISABLED, s_.disabled != 0);
        SetupColumns();
        if (!s_.source.empty())
            for (const std::string& p : ReadUploadList(s_.source)) AddFile(p);
        return TRUE;
    }

    bool OnCommand(int id, int code, HWND) override {
        if (urlBox_.OnCommand(id, code)) return true;
        if (id == IDC_ADD_FILES) {
            AddChosenFiles();
            return true;
        }
        if (id == IDC_DELETE_FILES) {
            DeleteSelected();
            return true;
        }
        return false;
    }

    bool OnMessage(UINT msg) override {
        if (msg != dlg::CUrlBox::kRestoreMessage) return false;
        urlBox_.Restore();
        return true;
    }

    bool OnOk() override {
        s_.url = urlBox_.Text();
        s_.userName = Text(IDC_USER_NAME);
        s_.password = Text(IDC_PASSWORD);
        s_.uploadMode = Checked(IDC_OVERWRITE) ? 1 : 0;
        s_.disabled = Checked(IDC_DISABLED) ? 1 : 0;
        paths_.clear();
        int n = ListView_GetItemCount(List());
        for (int i = 0; i < n; ++i) paths_.push_back(RowPath(i));
        dlg::AddHistoryEntry(ctx_.uploadHistory, s_.url);
        return true;
    }

  private:
    HWND List() const { return Item(IDC_FILE_LIST); }

    void SetupColumns() {
        ListView_SetExtendedListViewStyle(List(), LVS_EX_FULLROWSELECT);
        const struct {
            const char* title;
            int width;
            int fmt;
        } cols[] = {{"Name", 180, LVCFMT_LEFT},
                    {"Size (bytes)", 80, LVCFMT_RIGHT},
                    {"Modified", 105, LVCFMT_LEFT}};
        for (int i = 0; i < 3; ++i)
            win::AddListColumn(List(), i, cols[i].title, cols[i].width, cols[i].fmt);
    }

    std::string RowPath(int row) const {
        char buf[MAX_PATH * 4] = {};
        LVITEMA it{};
        it.iSubItem = 0;
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        SendMessageA(List(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&it));
        return buf;
    }

    void SetCell(int row, int col, const std::string& text) {
        LVITEMA it{};
        it.iSubItem = col;
        it.pszText = const_cast<char*>(text.c_str());
        SendMessageA(List(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&it));
    }

    void AddFile(const std::string& path) {
        int n = ListView_GetItemCount(List());
        for (int i = 0; i < n; ++i)
            if (RowPath(i) == path) return;
        std::string size, modified;
        if (!LocalFileFacts(path, size, modified)) return;
        LVITEMA it{};
        it.mask = LVIF_TEXT;
        it.iItem = n;
        it.pszText = const_cast<char*>(path.c_str());
        int row = static_cast<int>(
            SendMessageA(List(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
        if (row < 0) return;
        SetCell(row, 1, size);
        SetCell(row, 2, modified);
    }

    void AddChosenFiles() {
        std::string buf;
        if (!dlg::AskOpenFile(Hwnd(), "All Files (*.*)|*.*|", std::string(), buf,
                              OFN_ALLOWMULTISELECT))
            return;
        // One name: the full path. Several: the folder, then each name.
        std::vector<std::string> parts;
        for (std::size_t pos = 0; pos < buf.size() && buf[pos] != '\0';) {
            std::size_t end = buf.find('\0', pos);
            if (end == std::string::npos) end = buf.size();
            parts.push_back(buf.substr(pos, end - pos));
            pos = end + 1;
        }
        if (parts.size() == 1) {
            AddFile(parts[0]);
            return;
        }
        std::string dir = parts.empty() ? std::string() : parts[0];
        if (!dir.empty() && dir.back() != '\\') dir += '\\';
        for (std::size_t i = 1; i < parts.size(); ++i) AddFile(dir + parts[i]);
    }

    void DeleteSelected() {
        if (ListView_GetSelectedCount(List()) == 0) {
            Message("You must select an item.", MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        for (int i = ListView_GetItemCount(List()) - 1; i >= 0; --i)
            if (ListView_GetItemState(List(), i, LVIS_SELECTED) & LVIS_SELECTED)
                ListView_DeleteItem(List(), i);
    }

    ProjectSettings& s_;
    DialogContext& ctx_;
    dlg::CUrlBox urlBox_;
};

}  // namespace

bool RunFtpUploadDialog(HWND parent, ProjectSettings& s, DialogContext& ctx) {
    CaptureSuspendScope suspend;
    ProjectSettings edited = s;
    CFtpUploadDialog d(edited, ctx);
    if (d.DoModal(parent) != IDOK) return false;
    CProject scratch(edited);
    WriteUploadList(scratch, d.paths_, ctx.programFolder);
    edited.source = scratch.GetText(&ProjectSettings::source);
    s = edited;
    return true;
}

}  // namespace ks
