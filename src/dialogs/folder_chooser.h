// The shell's folder browser with a typed path field. Its OK goes through
// ensureFolder, so a typed folder that does not exist can be created on the
// spot and a malformed one is refused before the caller ever sees it.
#pragma once

#include <windows.h>

#include <string>

namespace ks::dlg {

class CFolderChooser {
  public:
    CFolderChooser(std::string title, std::string prompt, std::string startFolder, HWND owner);

    // Modal. 1 when a folder was confirmed (see Path), -1 otherwise.
    int chooseFolder();
    const std::string& Path() const { return path_; }

  private:
    static int CALLBACK BrowseCallback(HWND h, UINT msg, LPARAM lp, LPARAM data);
    static LRESULT CALLBACK SubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    void OnInitialized(HWND h);
    void OnSelChanged(LPARAM pidl);
    bool OnOk();

    std::string title_, prompt_, start_;
    HWND owner_;
    std::string path_;
    bool confirmed_ = false;
    HWND browse_ = nullptr;
    HWND edit_ = nullptr;
    WNDPROC oldProc_ = nullptr;
};

// Ids inside the shell's browse dialog and of the typed path field we add.
inline constexpr int kBrowseTreeId = 14145;
inline constexpr int kBrowseStatusId = 14147;
inline constexpr int kBrowsePathEditId = 14148;

// How a path fares against the folder rules: 0 fine (or created), 1 invalid,
// 2 cannot be created.
enum class FolderWalkMode { Check, Create };
int FolderPathWalk(const std::string& path, FolderWalkMode mode);

// 0 when the folder exists or was created (after asking), non-zero otherwise;
// every refusal has been explained to the user by then.
int ensureFolder(HWND owner, const std::string& path);

}  // namespace ks::dlg
