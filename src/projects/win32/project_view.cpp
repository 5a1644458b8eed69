#include "projects/win32/project_view.h"

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>

#include "app/ini_store.h"
#include "dialogs/win_util.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "projects/row_moves.h"
#include "projects/win32/url_drop_target.h"
#include "resource.h"

namespace ks {

namespace {
const char kViewClass[] = "KestruneView";

struct ColumnSpec {
    const char* header;
    int width;
    int format;
};
const ColumnSpec kColumns[] = {
    {"Base URL", 300, LVCFMT_LEFT},  {"Size", 150, LVCFMT_RIGHT},    {"From", 40, LVCFMT_RIGHT},
    {"To", 40, LVCFMT_RIGHT},        {"Status", 120, LVCFMT_CENTER}, {"Rate", 70, LVCFMT_RIGHT},
    {"Time left", 70, LVCFMT_RIGHT}, {"Filename", 200, LVCFMT_LEFT},
};

const char kSelectFirst[] = "You must select an item.";

bool SameRow(const RowSnapshot& a, const RowSnapshot& b) {
    return a.project == b.project && a.texts.image == b.texts.image &&
           a.texts.columns == b.texts.columns;
}

}  // namespace

const CProjectView::Command CProjectView::kCommands[] = {
    {ID_FILE_NEWPROJECT, &CProjectView::CmdNewDownload},
    {ID_FILE_NEWURLLIST, &CProjectView::CmdNewUrlList},
    {ID_FILE_NEWUPLOAD, &CProjectView::CmdNewUpload},
    {ID_FILE_NEWSEARCH, &CProjectView::CmdNewSearch},
    {ID_PROJECT_PROPERTIES, &CProjectView::CmdProperties},
    {ID_PROJECT_VIEW, &CProjectView::CmdView},
    {ID_CONTEXT_VIEW, &CProjectView::CmdView},
    {ID_PROJECT_FILEDELETE, &CProjectView::CmdFileDelete},
    {ID_PROJECT_MOVEUP, &CProjectView::CmdMoveUp},
    {ID_PROJECT_MOVEDOWN, &CProjectView::CmdMoveDown},
    {ID_PROJECT_START, &CProjectView::CmdStart},
    {ID_PROJECT_PAUSE, &CProjectView::CmdPause},
    {ID_PROJECT_PAUSEALL, &CProjectView::CmdPauseAll},
    {ID_PROJECT_DOWNLOADALL, &CProjectView::CmdDownloadAll},
    {ID_PROJECT_UPLOADALL, &CProjectView::CmdUploadAll},
    {ID_PROJECT_DELETE, &CProjectView::CmdDelete},
    {ID_FILE_SETFOLDER, &CProjectView::CmdSetFolder},
    {ID_TRAY_SETFOLDER, &CProjectView::CmdSetFolder},
    {ID_FILE_ENTERURL, &CProjectView::CmdEnterUrl},
};

CProjectView::~CProjectView() {
    Destroy();
}

bool CProjectView::Create(HWND parent, Host host) {
    host_ = std::move(host);
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &win::CWindow::Proc;
        wc.hInstance = win::Instance();
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kViewClass;
        return RegisterClassA(&wc) != 0;
    }();
    if (!registered) return false;
    folder_ = host_.initialFolder;
    hwnd_ =
        CreateWindowExA(WS_EX_CLIENTEDGE, kViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                        0, 0, 100, 100, parent, nullptr, win::Instance(), CreateParam());
    if (!hwnd_ || !list_) return false;
    std::vector<std::unique_ptr<CProject>> loaded = LoadProjects(host_.programFolder, list_);
    host_.queue->Rows().Reserve(loaded.size());
    for (auto& p : loaded) host_.queue->AppendProject(std::move(p));
    SyncRows();
    return true;
}

bool CProjectView::CreateList() {
    list_ = CreateWindowExA(
        0, WC_LISTVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 0,
        0, 100, 100, hwnd_, reinterpret_cast<HMENU>(IDC_JOBLIST), win::Instance(), nullptr);
    if (!list_) return false;
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 8; ++i)
        win::AddListColumn(list_, i, kColumns[i].header, kColumns[i].width, kColumns[i].format);
    states_ = ImageList_LoadImageA(win::Instance(), MAKEINTRESOURCEA(IDB_STATES), 20, 0,
                                   RGB(0, 255, 0), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (states_) ListView_SetImageList(list_, states_, LVSIL_SMALL);
    SetWindowSubclass(list_, &CProjectView::ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
    dropTarget_ = UrlDropTarget::Register(list_, host_.handleCommandLine);
    return true;
}

void CProjectView::Destroy() {
    if (!hwnd_) return;
    IniWrite(host_.iniPath, "Download", "Folder", folder_);
    drag_.Cancel();
    UrlDropTarget::Revoke(list_, static_cast<UrlDropTarget*>(dropTarget_));
    dropTarget_ = nullptr;
    RemoveWindowSubclass(list_, &CProjectView::ListProc, 1);
    DestroyWindow(hwnd_);
    hwnd_ = list_ = nullptr;
    if (states_) ImageList_Destroy(states_);
    states_ = nullptr;
}

void CProjectView::SyncRows() {
    if (!list_ || !host_.queue) return;
    const RowModel& model = host_.queue->Rows();
    std::uint64_t version = model.Version();
    if (version == shownVersion_) return;
    shownVersion_ = version;
    std::vector<RowSnapshot> rows = model.Snapshot();
    if (rows.size() != rows_.size()) {
        rows_ = std::move(rows);
        ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()),
                                LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        InvalidateRect(list_, nullptr, FALSE);
        return;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (SameRow(rows[i], rows_[i])) continue;
        rows_[i] = std::move(rows[i]);
        ListView_RedrawItems(list_, static_cast<int>(i), static_cast<int>(i));
    }
}

// ---- selection ---------------------------------------------------------------

int CProjectView::FirstSelected() const {
    return ListView_GetNextItem(list_, -1, LVNI_SELECTED);
}

std::vector<int> CProjectView::SelectedRows() const {
    std::vector<int> rows;
    for (int i = FirstSelected(); i >= 0; i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
        rows.push_back(i);
    return rows;
}

void CProjectView::SelectOnly(int row) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row < 0) return;
    ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, row, FALSE);
}

bool CProjectView::RequireSelection(int& row) {
    row = FirstSelected();
    if (row >= 0) return true;
    win::Message(GetParent(hwnd_), kSelectFirst);
    return false;
}

bool CProjectView::OnCommand(UINT id) {
    for (const Command& c : kCommands) {
        if (c.id == id) {
            (this->*c.fn)();
            SyncRows();
            return true;
        }
    }
    return false;
}

// ---- queue commands ------------------------------------------------------------

void CProjectView::CmdStart() {
    std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        win::Message(GetParent(hwnd_), kSelectFirst);
        return;
    }
    for (int r : rows) host_.queue->Start(static_cast<std::size_t>(r));
}

void CProjectView::CmdPause() {
    std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        win::Message(GetParent(hwnd_), kSelectFirst);
        return;
    }
    for (int r : rows) host_.queue->Pause(static_cast<std::size_t>(r));
}

void CProjectView::CmdPauseAll() {
    host_.queue->PauseAll();
}

void CProjectView::CmdDownloadAll() {
    host_.queue->StartAllOfKind(ProjectKind::Download, true);
    host_.queue->StartAllOfKind(ProjectKind::UrlListGrab, true);
}

void CProjectView::CmdUploadAll() {
    host_.queue->StartAllOfKind(ProjectKind::FtpUpload, true);
}

void CProjectView::CmdDelete() {
    DeleteSelected(true);
}

void CProjectView::DeleteSelected(bool messageWhenNone) {
    std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        if (messageWhenNone) win::Message(GetParent(hwnd_), kSelectFirst);
        return;
    }
    // From the bottom up, so the indices still to go stay valid.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        host_.queue->Pause(static_cast<std::size_t>(*it));
        host_.queue->Delete(static_cast<std::size_t>(*it));
    }
    SelectOnly(-1);
}

// ---- moving rows --------------------------------------------------------------

void CProjectView::CmdMoveUp() {
    int a;
    if (RequireSelection(a)) Move(a, a - 1);
}

void CProjectView::CmdMoveDown() {
    int a;
    if (RequireSelection(a)) Move(a, a + 2);
}

// b is the insertion index before the old row is removed.
void CProjectView::Move(int a, int b) {
    int count = host_.queue->CountRows();
    if (a == b || a < 0 || b < 0 || b > count) return;
    int to = b < a ? b : b - 1;
    if (to == a || to >= count) return;
    host_.queue->Rows().Move(static_cast<std::size_t>(a), static_cast<std::size_t>(to));
    if (CProject* p = host_.queue->ProjectAt(static_cast<std::size_t>(to)))
        host_.queue->RefreshRow(*p, StatusEvent::Redraw);
    SyncRows();
    SelectOnly(to);
}

}  // namespace ks
