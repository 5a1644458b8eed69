// The folder name rules and the walk that checks or creates a typed path.
#include <windows.h>

#include <cstdio>
#include <string>

#include "dialogs/dialog_base.h"
#include "dialogs/folder_chooser.h"

namespace ks::dlg {
namespace {

bool IsBlankOrDot(char c) {
    return c == ' ' || c == '\t' || c == '.';
}

bool NameOk(const std::string& name) {
    if (name.empty() || IsBlankOrDot(name.front()) || IsBlankOrDot(name.back())) return false;
    return name.find_first_of("\"*/:<>?\\|") == std::string::npos;
}

bool DirExistsA(const std::string& p) {
    DWORD a = GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void Tell(HWND owner, const char* format, const std::string& path, UINT icon) {
    std::string text = format;
    std::string::size_type at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, path);
    MessageBoxA(owner, text.c_str(), kAppTitle, MB_OK | icon);
}

const char* const kInvalid = "The folder:\n\n%s\n\nis invalid. Please reenter.";
const char* const kCannotCreate = "The folder:\n\n%s\n\ncan not be created. Please double check.";

}  // namespace

int FolderPathWalk(const std::string& path, FolderWalkMode mode) {
    const bool create = mode == FolderWalkMode::Create;
    if (path.size() <= 2) return 1;
    unsigned char letter = static_cast<unsigned char>(path[0]);
    bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    if (!isLetter || path[1] != ':' || path[2] != '\\') return 1;
    if (path.size() == 3) {
        if (!create) return 0;
        return DirExistsA(path) ? 0 : 2;
    }
    if (path.back() == '\\') return 1;
    std::string::size_type begin = 3;
    while (begin <= path.size()) {
        std::string::size_type end = path.find('\\', begin);
        if (end == std::string::npos) end = path.size();
        if (!NameOk(path.substr(begin, end - begin))) return 1;
        if (create) {
            std::string upTo = path.substr(0, end);
            if (!DirExistsA(upTo)) CreateDirectoryA(upTo.c_str(), nullptr);
            if (!DirExistsA(upTo)) return 2;
        }
        begin = end + 1;
    }
    return 0;
}

int ensureFolder(HWND owner, const std::string& path) {
    int r = FolderPathWalk(path, FolderWalkMode::Check);
    if (r != 0) {
        Tell(owner, r == 1 ? kInvalid : kCannotCreate, path, MB_ICONEXCLAMATION);
        return r;
    }
    if (!DirExistsA(path)) {
        std::string q =
            "The folder:\n\n" + path + "\n\ndoes not exist. Do you want the folder to be created?";
        if (MessageBoxA(owner, q.c_str(), kAppTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return -1;
        r = FolderPathWalk(path, FolderWalkMode::Create);
        if (r != 0) {
            Tell(owner, r == 1 ? kInvalid : kCannotCreate, path, MB_ICONEXCLAMATION);
            return r;
        }
    }
    return 0;
}

}  // namespace ks::dlg
