// The hand-over: when capture is on and the URL is one the program takes,
// the clipboard is emptied and the URL placed in the program's own format.
// Every failure leaves the navigation to the browser.
#include <cstring>

#include "browserhelper/helper_url.h"
#include "browserhelper/tavisk.h"

namespace tavisk {

namespace {
constexpr char kKestruneKey[] = "SOFTWARE\\Kestrune";
constexpr char kAppPathsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kestrune.EXE";
constexpr DWORD kMaxFileTypes = 1024;

bool ReadDword(const char* name, DWORD& out) {
    DWORD size = sizeof out, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKestruneKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&out), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD;
}

bool ReadFileTypes(std::string& out) {
    char buf[kMaxFileTypes + 1] = {};
    DWORD size = kMaxFileTypes, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKestruneKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG r =
        RegQueryValueExA(key, "File Types", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_SZ) return false;
    out.assign(buf, strnlen(buf, size));
    return true;
}

// Without the program nobody would pick the URL up: the browser keeps it.
bool ProgramInstalled() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool PlaceOnClipboard(const std::string& url, HWND owner, UINT* used) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, url.size() + 1);
    char* p = memory ? static_cast<char*>(GlobalLock(memory)) : nullptr;
    if (!p) {
        if (memory) GlobalFree(memory);
        CloseClipboard();
        return false;
    }
    std::memcpy(p, url.c_str(), url.size() + 1);
    GlobalUnlock(memory);
    DWORD format = 0;
    if (!ReadDword("ClipForm", format) || format == 0) format = CF_TEXT;
    *used = format;
    bool placed = SetClipboardData(format, memory) == memory;
    CloseClipboard();
    // Once placed the memory is the clipboard's; otherwise it is still ours.
    if (!placed) GlobalFree(memory);
    return placed;
}
}  // namespace

bool HandOffUrl(const std::string& url, HWND owner, UINT* format) {
    DWORD on = 0;
    if (!ReadDword("CaptureIE", on) || on == 0) return false;
    if (!ProgramInstalled()) return false;
    std::string types;
    if (!ReadFileTypes(types) || !ks::helper::HelperTakesUrl(url, types)) return false;
    UINT used = 0;
    if (!PlaceOnClipboard(url, owner, &used)) return false;
    if (format) *format = used;
    return true;
}

}  // namespace tavisk
