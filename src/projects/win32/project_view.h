// The job list: the main window's client area. Shows one row per project from
// the queue's row snapshots (a virtual list: the control asks for texts, so a
// worker's change redraws only the rows that differ), and carries out the
// commands that act on projects.
#pragma once

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <functional>
#include <string>
#include <vector>

#include "app/history.h"
#include "dialogs/window_base.h"
#include "projects/queue.h"
#include "projects/win32/row_drag.h"

namespace ks {

class CProjectView : public win::CWindow {
  public:
    struct Host {
        ProjectQueue* queue = nullptr;
        std::string programFolder;
        std::string iniPath;        // where "Folder" is written when the view goes
        std::string initialFolder;  // "Folder" as the settings read it
        Histories* histories = nullptr;
        // Tests text as a URL; with add, queues it (the drop target uses it).
        std::function<int(const std::string& text, bool add)> handleCommandLine;
        // "New Sea&rch" and the properties of a search row (the search
        // subsystem sits above the job list, so it is reached through these).
        std::function<void()> newSearch;
        std::function<void(std::size_t row)> searchProperties;
    };

    CProjectView() = default;
    ~CProjectView();
    CProjectView(const CProjectView&) = delete;
    CProjectView& operator=(const CProjectView&) = delete;

    // Creates the view and its list, takes "Folder", loads the saved projects.
    bool Create(HWND parent, Host host);
    // Writes "Folder" and destroys the windows.
    void Destroy();
    HWND Hwnd() const { return hwnd_; }
    HWND List() const { return list_; }

    // Commands the view handles; false for the rest.
    bool OnCommand(UINT id);
    // Re-reads the row snapshots and repaints the rows that changed.
    void SyncRows();

    const std::string& Folder() const { return folder_; }
    void SetFolder(std::string f) { folder_ = std::move(f); }

  private:
    LRESULT OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;
    static LRESULT CALLBACK ListProc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                     DWORD_PTR self);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnNotify(NMHDR* nm);
    void PaintBuffered(HWND list);
    bool CreateList();

    int FirstSelected() const;
    std::vector<int> SelectedRows() const;
    void SelectOnly(int row);
    bool RequireSelection(int& row);
    void ContextMenu(int row);

    // Commands.
    void CmdNewDownload();
    void CmdNewUrlList();
    void CmdNewUpload();
    void CmdNewSearch();
    void CmdProperties();
    void CmdView();
    void CmdFileDelete();
    void CmdMoveUp();
    void CmdMoveDown();
    void CmdStart();
    void CmdPause();
    void CmdPauseAll();
    void CmdDownloadAll();
    void CmdUploadAll();
    void CmdDelete();
    void CmdSetFolder();
    void CmdEnterUrl();

    void Move(int a, int b);
    void DeleteSelected(bool messageWhenNone);
    void OpenProperties(int row);

    struct Command {
        UINT id;
        void (CProjectView::*fn)();
    };
    static const Command kCommands[];

    Host host_;
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HIMAGELIST states_ = nullptr;
    std::string folder_;
    std::vector<RowSnapshot> rows_;  // what the list shows
    std::uint64_t shownVersion_ = ~0ull;
    RowDrag drag_;
    void* dropTarget_ = nullptr;  // IDropTarget*, registered on the list
    friend class RowDrag;
};

}  // namespace ks
