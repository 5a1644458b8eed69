// The main window's toolbar and status bar, and the layout that stacks the
// toolbar, the job list and the status bar.
#include "app/win32/main_frame.h"
#include "dialogs/win_util.h"
#include "resource.h"

namespace ks {

namespace {
struct ToolButton {
    int command;  // 0: separator
    int hotIcon;
    const char* tip;
};
const ToolButton kButtons[] = {
    {ID_FILE_NEWPROJECT, IDI_HOT_NEWPROJECT, "New project"},
    {ID_FILE_NEWUPLOAD, IDI_HOT_NEWUPLOAD, "New FTP upload project"},
    {ID_FILE_NEWSEARCH, IDI_HOT_NEWSEARCH, "New search"},
    {0, 0, nullptr},
    {ID_PROJECT_PROPERTIES, IDI_HOT_PROPERTIES, "Properties"},
    {ID_PROJECT_START, IDI_HOT_START, "Download/Upload"},
    {ID_PROJECT_PAUSE, IDI_HOT_PAUSE, "Pause"},
    {ID_PROJECT_DOWNLOADALL, IDI_HOT_DOWNLOADALL, "Download all"},
    {ID_PROJECT_UPLOADALL, IDI_HOT_UPLOADALL, "Upload all"},
    {ID_PROJECT_PAUSEALL, IDI_HOT_PAUSEALL, "Pause all"},
    {ID_PROJECT_DELETE, IDI_HOT_DELETE, "Delete"},
    {0, 0, nullptr},
    {ID_TOOLBAR_DIAL, IDI_HOT_DIAL, "Dial up"},
    {ID_TOOLBAR_HANGUP, IDI_HOT_HANGUP, "Hang up"},
    {0, 0, nullptr},
    {ID_OPTIONS, IDI_HOT_OPTIONS, "Options"},
    {ID_HELP_CONTENTS, IDI_HOT_HELP, "Help"},
    {ID_APP_ABOUT, IDI_HOT_ABOUT, "About"},
};
constexpr int kImageSize = 32;
}  // namespace

bool CMainFrame::CreateToolbar() {
    toolbar_ = CreateWindowExA(
        0, TOOLBARCLASSNAMEA, "",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0,
        0, 0, hwnd_, reinterpret_cast<HMENU>(IDC_TOOLBAR), win::Instance(), nullptr);
    if (!toolbar_) return false;
    SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(kImageSize, kImageSize));
    toolImages_ = ImageList_LoadImageA(win::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME), kImageSize,
                                       0, RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    hotImages_ = ImageList_Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, 15, 0);
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (const ToolButton& b : kButtons) {
        TBBUTTON t{};
        if (b.command == 0) {
            t.fsStyle = BTNS_SEP;
        } else {
            t.iBitmap = image++;
            t.idCommand = b.command;
            t.fsState = TBSTATE_ENABLED;
            t.fsStyle = BTNS_BUTTON;
            if (hotImages_)
                ImageList_AddIcon(hotImages_, win::LoadIconSized(b.hotIcon, kImageSize));
        }
        buttons.push_back(t);
    }
    SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_));
    SendMessageA(toolbar_, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hotImages_));
    SendMessageA(toolbar_, TB_ADDBUTTONSA, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
    return true;
}

LRESULT CMainFrame::OnToolTip(LPARAM lp) {
    auto* tt = reinterpret_cast<NMTTDISPINFOA*>(lp);
    for (const ToolButton& b : kButtons)
        if (b.command != 0 && static_cast<UINT_PTR>(b.command) == tt->hdr.idFrom)
            tt->lpszText = const_cast<char*>(b.tip);
    return 0;
}

bool CMainFrame::CreateStatusBar() {
    status_ =
        CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                        hwnd_, reinterpret_cast<HMENU>(IDC_STATUSBAR), win::Instance(), nullptr);
    if (!status_) return false;
    int parts[2] = {300, -1};
    SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    statusIcon_ = IDI_STATUS_IDLE;
    SendMessageA(status_, SB_SETICON, 0,
                 reinterpret_cast<LPARAM>(win::LoadIconSized(IDI_STATUS_IDLE, 16)));
    SendMessageA(status_, SB_SETICON, 1,
                 reinterpret_cast<LPARAM>(win::LoadIconSized(IDI_STATUS_CONNECTION, 16)));
    return true;
}

void CMainFrame::Layout() {
    if (!toolbar_ || !status_ || !view_.Hwnd()) return;
    RECT rc;
    GetClientRect(hwnd_, &rc);
    SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
    SendMessageA(status_, WM_SIZE, 0, 0);
    RECT tb{}, sb{};
    GetWindowRect(toolbar_, &tb);
    GetWindowRect(status_, &sb);
    int top = tb.bottom - tb.top;
    int bottom = rc.bottom - (sb.bottom - sb.top);
    int parts[2] = {rc.right / 2, -1};
    SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    MoveWindow(view_.Hwnd(), 0, top, rc.right, bottom > top ? bottom - top : 0, TRUE);
}

}  // namespace ks
