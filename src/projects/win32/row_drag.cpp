#include "projects/win32/row_drag.h"

namespace ks {

namespace {
const UINT kKeptStates = LVIS_SELECTED | LVIS_FOCUSED;

POINT ToList(HWND owner, HWND list, POINT p) {
    MapWindowPoints(owner, list, &p, 1);
    return p;
}

int HeaderHeight(HWND list) {
    HWND header = ListView_GetHeader(list);
    RECT r{};
    if (!header || !IsWindowVisible(header) || !GetWindowRect(header, &r)) return 0;
    return r.bottom - r.top;
}
}  // namespace

void RowDrag::Begin(HWND owner, HWND list, POINT cursorInList, Mover mover) {
    SetFocus(list);
    rows_.clear();
    for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(list, i, LVNI_SELECTED))
        rows_.push_back(i);
    if (rows_.empty()) return;
    owner_ = owner;
    list_ = list;
    mover_ = std::move(mover);
    LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
    madeMulti_ = (style & LVS_SINGLESEL) != 0;
    if (madeMulti_) SetWindowLongPtrA(list, GWL_STYLE, style & ~LVS_SINGLESEL);
    highlighted_ = -1;
    insertAfter_ = false;
    scroll_ = Scroll::None;

    POINT origin{};
    image_ = ListView_CreateDragImage(list, rows_.front(), &origin);
    if (image_) {
        ImageList_BeginDrag(image_, 0, cursorInList.x - origin.x, cursorInList.y - origin.y);
        POINT screen = cursorInList;
        ClientToScreen(list, &screen);
        ImageList_DragEnter(nullptr, screen.x, screen.y);
    }
    SetCapture(owner);
}

bool RowDrag::OverList(POINT p) const {
    RECT r;
    GetClientRect(list_, &r);
    return PtInRect(&r, p) != FALSE;
}

RowDrag::Scroll RowDrag::BandAt(POINT p) const {
    RECT r;
    GetClientRect(list_, &r);
    int header = HeaderHeight(list_);
    int band = header ? header / 2 : 5;
    if (p.x < r.left || p.x >= r.right) return Scroll::None;
    if (p.y >= header - band && p.y < header) return Scroll::Up;
    if (p.y >= r.bottom && p.y < r.bottom + band) return Scroll::Down;
    return Scroll::None;
}

int RowDrag::RowAt(POINT p) const {
    LVHITTESTINFO hit{};
    hit.pt = p;
    int row = ListView_HitTest(list_, &hit);
    if (row >= 0) return row;
    hit = {};
    hit.pt = {1, p.y};
    row = ListView_HitTest(list_, &hit);
    if (row >= 0) return row;
    int count = ListView_GetItemCount(list_);
    if (count == 0) return -1;
    RECT last{};
    ListView_GetItemRect(list_, count - 1, &last, LVIR_BOUNDS);
    if (p.y >= last.top) return count - 1;
    return ListView_GetTopIndex(list_);
}

void RowDrag::Highlight(int row) {
    if (row == highlighted_) return;
    Restore();
    highlighted_ = row;
    if (row < 0) return;
    prevState_ = ListView_GetItemState(list_, row, kKeptStates);
    ImageList_DragShowNolock(FALSE);
    ListView_SetItemState(list_, row, LVIS_SELECTED, LVIS_SELECTED);
    UpdateWindow(list_);
    ImageList_DragShowNolock(TRUE);
}

void RowDrag::Restore() {
    if (highlighted_ < 0) return;
    ImageList_DragShowNolock(FALSE);
    ListView_SetItemState(list_, highlighted_, prevState_, kKeptStates);
    UpdateWindow(list_);
    ImageList_DragShowNolock(TRUE);
    highlighted_ = -1;
}

void RowDrag::OnMouseMove(POINT cursor) {
    if (!Active()) return;
    POINT screen = cursor;
    ClientToScreen(owner_, &screen);
    ImageList_DragMove(screen.x, screen.y);
    POINT p = ToList(owner_, list_, cursor);
    Scroll band = BandAt(p);
    if (band != scroll_) {
        scroll_ = band;
        if (band == Scroll::None)
            KillTimer(owner_, kScrollTimer);
        else
            SetTimer(owner_, kScrollTimer, 100, nullptr);
    }
    if (!OverList(p)) return;
    int row = RowAt(p);
    Highlight(row);
    if (row >= 0) {
        RECT r{};
        ListView_GetItemRect(list_, row, &r, LVIR_BOUNDS);
        insertAfter_ = p.y >= (r.top + r.bottom) / 2;
    }
}

void RowDrag::OnTimer() {
    if (!Active() || scroll_ == Scroll::None) return;
    int count = ListView_GetItemCount(list_);
    RECT r{};
    ListView_GetItemRect(list_, 0, &r, LVIR_BOUNDS);
    int line = r.bottom - r.top;
    int step = scroll_ == Scroll::Up ? -1 : 1;
    ImageList_DragShowNolock(FALSE);
    ListView_Scroll(list_, 0, step * (line > 0 ? line : 16));
    ImageList_DragShowNolock(TRUE);
    int next = (highlighted_ < 0 ? ListView_GetTopIndex(list_) : highlighted_ + step);
    if (next >= 0 && next < count) Highlight(next);
}

void RowDrag::End() {
    KillTimer(owner_, kScrollTimer);
    scroll_ = Scroll::None;
    if (GetCapture() == owner_) ReleaseCapture();
    if (image_) {
        ImageList_DragLeave(nullptr);
        ImageList_EndDrag();
        ImageList_Destroy(image_);
        image_ = nullptr;
    }
    if (madeMulti_)
        SetWindowLongPtrA(list_, GWL_STYLE, GetWindowLongPtrA(list_, GWL_STYLE) | LVS_SINGLESEL);
}

void RowDrag::OnButtonUp(POINT cursor) {
    if (!Active()) return;
    End();
    POINT p = ToList(owner_, list_, cursor);
    bool escape = (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
    int target = highlighted_ < 0 ? -1 : highlighted_ + (insertAfter_ ? 1 : 0);
    Restore();
    if (!escape && (OverList(p) || BandAt(p) != Scroll::None) && mover_) {
        int count = ListView_GetItemCount(list_);
        if (target < 0 || target > count) target = count;
        mover_(rows_, target);
    }
    list_ = nullptr;
    mover_ = nullptr;
}

void RowDrag::Cancel() {
    if (!Active()) return;
    End();
    Restore();
    list_ = nullptr;
    mover_ = nullptr;
}

}  // namespace ks
