// Reordering job-list rows by dragging them with the left button: drag image,
// drop highlight, auto-scroll near the edges, and the move on release.
#pragma once

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <functional>
#include <vector>

namespace ks {

class RowDrag {
  public:
    // Moves the recorded rows before `target` (count: the end).
    using Mover = std::function<void(const std::vector<int>& rows, int target)>;

    static constexpr UINT_PTR kScrollTimer = 1212;

    // owner receives the mouse capture and the scroll timer.
    void Begin(HWND owner, HWND list, POINT cursorInList, Mover mover);
    bool Active() const { return list_ != nullptr; }
    // Cursor in owner client coordinates.
    void OnMouseMove(POINT cursor);
    void OnButtonUp(POINT cursor);
    void OnTimer();
    void Cancel();

  private:
    enum class Scroll { None, Up, Down };
    void Highlight(int row);
    void Restore();
    void End();
    Scroll BandAt(POINT inList) const;
    int RowAt(POINT inList) const;
    bool OverList(POINT inList) const;

    HWND owner_ = nullptr;
    HWND list_ = nullptr;
    HIMAGELIST image_ = nullptr;
    std::vector<int> rows_;
    int highlighted_ = -1;
    UINT prevState_ = 0;
    bool insertAfter_ = false;
    bool madeMulti_ = false;
    Scroll scroll_ = Scroll::None;
    Mover mover_;
};

}  // namespace ks
