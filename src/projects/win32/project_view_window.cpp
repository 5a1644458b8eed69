// The view's window side: messages, notifications of the list, painting
// without flicker, the context menu and dragging rows.
// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <windowsx.h>
// clang-format on

#include <algorithm>

#include "dialogs/win_util.h"
#include "projects/row_moves.h"
#include "projects/win32/project_view.h"
#include "resource.h"

namespace ks {

LRESULT CProjectView::OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) hwnd_ = w;
    return Handle(msg, wp, lp);
}

LRESULT CProjectView::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            return CreateList() ? 0 : -1;
        case WM_SIZE:
            if (list_) MoveWindow(list_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
            return 0;
        case WM_SETFOCUS:
            if (list_) SetFocus(list_);
            return 0;
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lp));
        case WM_MOUSEMOVE:
            if (drag_.Active()) drag_.OnMouseMove({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_LBUTTONUP:
            if (drag_.Active()) drag_.OnButtonUp({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_CAPTURECHANGED:
            if (drag_.Active() && reinterpret_cast<HWND>(lp) != hwnd_) drag_.Cancel();
            return 0;
        case WM_TIMER:
            if (wp == RowDrag::kScrollTimer) drag_.OnTimer();
            return 0;
        case WM_COMMAND:
            // Context-menu choices go through the frame, which offers them here first.
            return SendMessageA(GetParent(hwnd_), WM_COMMAND, wp, lp);
        default:
            return DefWindowProcA(hwnd_, msg, wp, lp);
    }
}

LRESULT CProjectView::OnNotify(NMHDR* nm) {
    if (nm->hwndFrom != list_) return 0;
    switch (nm->code) {
        case LVN_GETDISPINFOA: {
            LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(nm)->item;
            if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= rows_.size()) return 0;
            const RowSnapshot& row = rows_[static_cast<std::size_t>(item.iItem)];
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 &&
                item.iSubItem >= 0 && item.iSubItem < kRowColumns)
                lstrcpynA(item.pszText,
                          row.texts.columns[static_cast<std::size_t>(item.iSubItem)].c_str(),
                          item.cchTextMax);
            if (item.mask & LVIF_IMAGE) item.iImage = item.iSubItem == 0 ? row.texts.image : -1;
            return 0;
        }
        case LVN_KEYDOWN:
            if (reinterpret_cast<NMLVKEYDOWN*>(nm)->wVKey == VK_DELETE) {
                DeleteSelected(false);
                SyncRows();
            }
            return 0;
        case NM_RETURN: {
            int row = FirstSelected();
            if (row >= 0) OpenProperties(row);
            return 0;
        }
        case NM_DBLCLK: {
            int row = reinterpret_cast<NMITEMACTIVATE*>(nm)->iItem;
            if (row >= 0) OpenProperties(row);
            return 0;
        }
        case NM_RCLICK: {
            int row = reinterpret_cast<NMITEMACTIVATE*>(nm)->iItem;
            if (row >= 0) ContextMenu(row);
            return 0;
        }
        case LVN_BEGINDRAG: {
            auto* lv = reinterpret_cast<NMLISTVIEW*>(nm);
            drag_.Begin(hwnd_, list_, lv->ptAction,
                        [this](const std::vector<int>& rows, int target) {
                            int count = static_cast<int>(rows_.size());
                            std::vector<RowMove> plan = PlanRowMoves(rows, target, count);
                            for (const RowMove& m : plan)
                                host_.queue->Rows().Move(static_cast<std::size_t>(m.from),
                                                         static_cast<std::size_t>(m.to));
                            std::vector<int> order = ApplyRowMoves(count, plan);
                            SyncRows();
                            ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
                            for (int i = 0; i < count; ++i) {
                                if (std::find(rows.begin(), rows.end(),
                                              order[static_cast<std::size_t>(i)]) == rows.end())
                                    continue;
                                ListView_SetItemState(list_, i, LVIS_SELECTED, LVIS_SELECTED);
                                ListView_EnsureVisible(list_, i, FALSE);
                            }
                        });
            return 0;
        }
        default:
            return 0;
    }
}

void CProjectView::ContextMenu(int row) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXTMENU));
    if (!menu) return;
    POINT pt;
    GetCursorPos(&pt);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_,
                   nullptr);
    DestroyMenu(menu);
}

// The list redraws rows many times a second while transfers run: paint into
// an off-screen bitmap and copy it in one go, and never erase the background.
LRESULT CALLBACK CProjectView::ListProc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR ref) {
    auto* self = reinterpret_cast<CProjectView*>(ref);
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT && wp == 0) {
        self->PaintBuffered(w);
        return 0;
    }
    return DefSubclassProc(w, msg, wp, lp);
}

void CProjectView::PaintBuffered(HWND list) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(list, &ps);
    RECT client;
    GetClientRect(list, &client);
    if (HWND header = ListView_GetHeader(list)) {
        RECT hr;
        GetWindowRect(header, &hr);
        MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&hr), 2);
        ExcludeClipRect(dc, hr.left, hr.top, hr.right, hr.bottom);
    }
    RECT clip;
    GetClipBox(dc, &clip);
    int wdt = client.right - client.left, hgt = client.bottom - client.top;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, wdt > 0 ? wdt : 1, hgt > 0 ? hgt : 1);
    HGDIOBJ old = SelectObject(mem, bmp);
    FillRect(mem, &clip, GetSysColorBrush(COLOR_WINDOW));
    IntersectClipRect(mem, clip.left, clip.top, clip.right, clip.bottom);
    DefSubclassProc(list, WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
    BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, mem, clip.left,
           clip.top, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(list, &ps);
}

}  // namespace ks
