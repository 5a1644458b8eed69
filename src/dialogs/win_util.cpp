#include "dialogs/win_util.h"

#include <vector>

#include "app/version.h"

namespace ks::win {

HINSTANCE Instance() {
    return GetModuleHandleA(nullptr);
}

std::string WindowText(HWND w) {
    int n = GetWindowTextLengthA(w);
    if (n <= 0) return {};
    std::vector<char> buf(static_cast<std::size_t>(n) + 1);
    int got = GetWindowTextA(w, buf.data(), n + 1);
    return std::string(buf.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

int Message(HWND owner, const std::string& text, UINT flags) {
    return MessageBoxA(owner, text.c_str(), "Kestrune", flags);
}

HICON LoadIconSized(int id, int size) {
    return static_cast<HICON>(
        LoadImageA(Instance(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace ks::win
