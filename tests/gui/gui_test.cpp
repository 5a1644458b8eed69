// The harness's runner and helpers (see gui_test.h).
#include "gui_test.h"

// clang-format off
#include <objbase.h>
#include <gdiplus.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace guitest {

namespace {
struct Entry {
    const char* name;
    TestFn fn;
    bool needsServers;
};
std::vector<Entry>& Tests() {
    static std::vector<Entry> t;
    return t;
}
int g_failures = 0;
std::string g_tempRoot;

LONG WINAPI Crashed(EXCEPTION_POINTERS* info) {
    std::printf("CRASH: exception 0x%08lx\n", info->ExceptionRecord->ExceptionCode);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// A buffer inside another process, for messages that carry pointers.
class Remote {
  public:
    Remote(HWND w, std::size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            mem_ =
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~Remote() {
        if (mem_) VirtualFreeEx(process_, mem_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool Ok() const { return mem_ != nullptr; }
    char* At(std::size_t off) const { return static_cast<char*>(mem_) + off; }
    bool Write(std::size_t off, const void* p, std::size_t n) {
        return WriteProcessMemory(process_, At(off), p, n, nullptr) != FALSE;
    }
    bool Read(std::size_t off, void* p, std::size_t n) const {
        return ReadProcessMemory(process_, At(off), p, n, nullptr) != FALSE;
    }

  private:
    HANDLE process_ = nullptr;
    void* mem_ = nullptr;
    std::size_t size_;
};

LRESULT Send(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}
}  // namespace

Registrar::Registrar(const char* name, TestFn fn, bool needsServers) {
    Tests().push_back({name, fn, needsServers});
}

void Fail(const char* file, int line, const std::string& what) {
    ++g_failures;
    std::printf("  %s:%d: %s\n", file, line, what.c_str());
    std::fflush(stdout);
}

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        // Messages keep flowing: the program may be waiting on a window of
        // this thread (a DDE conversation the test holds, an OLE drag).
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        if (pred()) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(20);
    }
}

// ---- files -------------------------------------------------------------------------

std::string MakeTempFolder(const std::string& tag) {
    static int n = 0;
    std::string dir = g_tempRoot + "\\" + tag + "-" + std::to_string(++n);
    std::filesystem::create_directories(dir);
    return dir;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
    return static_cast<bool>(f);
}

bool ReadTextFile(const std::string& path, std::string& out) {
    // Shared for deletion too: the program replaces its files by renaming a
    // new copy over them, which must not fail because a test is reading.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    out.clear();
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return true;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string BuildFolder() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string p(buf, n);
    return p.substr(0, p.find_last_of("\\/"));
}

// ---- the program -------------------------------------------------------------------

namespace {
bool StartProcess(const std::string& home, const std::string& args, PROCESS_INFORMATION& pi) {
    SetEnvironmentVariableA("KESTRUNE_HOME", home.c_str());
    std::string cmd = "\"" + BuildFolder() + "\\kestrune.exe\"";
    if (!args.empty()) cmd += " " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, home.c_str(),
                          &si, &pi) != FALSE;
}

HWND MainWindowOf(DWORD pid) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "KestruneClass", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) return w;
    }
    return nullptr;
}
}  // namespace

App::~App() {
    Kill();
}

bool App::Start(const std::string& home, const std::string& args) {
    // A leftover instance would take the start over as a second instance.
    if (!WaitUntil([] { return FindWindowA("KestruneClass", nullptr) == nullptr; }, 10000))
        return false;
    PROCESS_INFORMATION pi{};
    if (!StartProcess(home, args, pi)) return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    WaitUntil([this] { return (main_ = MainWindowOf(pid_)) != nullptr && IsWindowVisible(main_); },
              15000);
    return main_ != nullptr;
}

DWORD App::RunSecond(const std::string& home, const std::string& args, int timeoutMs) {
    PROCESS_INFORMATION pi{};
    if (!StartProcess(home, args, pi)) return 0xFFFFFFFF;
    CloseHandle(pi.hThread);
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 9);
    CloseHandle(pi.hProcess);
    return code;
}

bool App::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

int App::Exit(int timeoutMs) {
    if (!process_) return -1;
    Command(57665);
    DWORD code = 0xFFFFFFFF;
    // Pumping: on its way out the program may talk DDE to this thread's windows.
    if (!WaitUntil([this] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeoutMs))
        return -1;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    process_ = nullptr;
    main_ = nullptr;
    return static_cast<int>(code);
}

void App::Kill() {
    if (!process_) return;
    TerminateProcess(process_, 9);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
    process_ = nullptr;
    main_ = nullptr;
}

void App::Command(int id) const {
    PostMessageA(main_, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

HWND App::List() const {
    HWND view = FindWindowExA(main_, nullptr, "KestruneView", nullptr);
    return view ? GetDlgItem(view, 1234) : nullptr;
}

// ---- windows -------------------------------------------------------------------

HWND FindTop(DWORD pid, const std::string& cls, const std::string& title, int timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            HWND w = nullptr;
            while ((w = FindWindowExA(nullptr, w, cls.empty() ? nullptr : cls.c_str(),
                                      title.empty() ? nullptr : title.c_str())) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == pid && IsWindowVisible(w)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND FindDialog(DWORD pid, const std::string& title, int timeoutMs) {
    return FindTop(pid, "#32770", title, timeoutMs);
}

bool DialogHasText(HWND dlg, const std::string& text) {
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (WindowText(c).find(text) != std::string::npos) return true;
    return false;
}

HWND FindMessageBox(DWORD pid, const std::string& text, int timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            HWND w = nullptr;
            while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == pid && IsWindowVisible(w) && DialogHasText(w, text)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::string WindowText(HWND w) {
    char buf[1024] = {};
    Send(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

void SetText(HWND w, const std::string& text) {
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND ChildByText(HWND parent, const std::string& text) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        std::string t = WindowText(c), plain;
        for (char ch : t)
            if (ch != '&') plain += ch;
        if (t == text || plain == text) return c;
    }
    return nullptr;
}

bool Click(HWND parent, const std::string& buttonText) {
    HWND b = ChildByText(parent, buttonText);
    if (!b) return false;
    PostMessageA(b, BM_CLICK, 0, 0);
    return true;
}

bool ClickId(HWND parent, int id) {
    HWND b = GetDlgItem(parent, id);
    if (!b) return false;
    SendMessageA(b, BM_CLICK, 0, 0);
    return true;
}

bool Dismiss(HWND dlg, const std::string& buttonText) {
    if (!dlg) return false;
    if (!Click(dlg, buttonText)) return false;
    return WaitUntil([dlg] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }, 5000);
}

void TypeInto(HWND combo, const std::string& text) {
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    SetText(edit, "");
    for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// ---- toolbars in another process ---------------------------------------------------

std::vector<int> ToolbarCommands(HWND toolbar) {
    std::vector<int> ids;
    Remote r(toolbar, sizeof(TBBUTTON));
    if (!r.Ok()) return ids;
    int n = static_cast<int>(Send(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        TBBUTTON b{};
        Send(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(r.At(0)));
        r.Read(0, &b, sizeof b);
        ids.push_back((b.fsStyle & BTNS_SEP) ? 0 : b.idCommand);
    }
    return ids;
}

// ---- list views in another process ----------------------------------------------

int ListCount(HWND list) {
    return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListText(HWND list, int row, int column) {
    Remote r(list, sizeof(LVITEMA) + 1024);
    if (!r.Ok()) return "<no access>";
    LVITEMA item{};
    item.iSubItem = column;
    item.cchTextMax = 1024;
    item.pszText = r.At(sizeof(LVITEMA));
    r.Write(0, &item, sizeof item);
    Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(r.At(0)));
    char buf[1024] = {};
    r.Read(sizeof(LVITEMA), buf, sizeof buf - 1);
    return buf;
}

std::vector<std::string> ListRow(HWND list, int row, int columns) {
    std::vector<std::string> out;
    for (int c = 0; c < columns; ++c) out.push_back(ListText(list, row, c));
    return out;
}

int ListImage(HWND list, int row) {
    Remote r(list, sizeof(LVITEMA));
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    r.Write(0, &item, sizeof item);
    Send(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(r.At(0)));
    r.Read(0, &item, sizeof item);
    return item.iImage;
}

std::string ListHeader(HWND list, int column) {
    Remote r(list, sizeof(LVCOLUMNA) + 256);
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT;
    col.cchTextMax = 256;
    col.pszText = r.At(sizeof(LVCOLUMNA));
    r.Write(0, &col, sizeof col);
    Send(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(r.At(0)));
    char buf[256] = {};
    r.Read(sizeof(LVCOLUMNA), buf, sizeof buf - 1);
    return buf;
}

int ListColumnWidth(HWND list, int column) {
    return static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

bool ListChecked(HWND list, int row) {
    const LRESULT state =
        Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void ListSetChecked(HWND list, int row, bool on) {
    Remote r(list, sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    r.Write(0, &item, sizeof item);
    Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(r.At(0)));
}

void ListSelectOnly(HWND list, int row) {
    Remote r(list, sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    r.Write(0, &item, sizeof item);
    Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(r.At(0)));
    if (row < 0) return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    r.Write(0, &item, sizeof item);
    Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(r.At(0)));
}

int ListFirstSelected(HWND list) {
    return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::string StatusPartText(HWND status, int part) {
    const std::size_t size = 1024;
    Remote r(status, size);
    if (!r.Ok()) return std::string();
    Send(status, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(r.At(0)));
    char buf[size + 1] = {};
    r.Read(0, buf, size);
    return buf;
}

// ---- screens --------------------------------------------------------------------

namespace {
bool SaveBmp(const std::string& path, HBITMAP bmp, const void* bits, int w, int h) {
    BITMAPINFOHEADER bih{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u), size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof bih + size), 0, 0,
                        static_cast<DWORD>(sizeof fh + sizeof bih)};
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    f.write(reinterpret_cast<const char*>(&bih), sizeof bih);
    f.write(static_cast<const char*>(bits), size);
    (void)bmp;
    return static_cast<bool>(f);
}

bool SavePng(const std::string& path, HBITMAP bmp) {
    // The PNG encoder's class id, as the imaging library registers it.
    const CLSID kPng = {
        0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool ok = false;
    {
        Gdiplus::Bitmap image(bmp, nullptr);
        std::wstring wide(path.begin(), path.end());
        ok = image.Save(wide.c_str(), &kPng, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return ok;
}
}  // namespace

std::string SaveScreen(const std::string& path) {
    HDC screen = GetDC(nullptr);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    std::string written = path;
    bool png = path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0;
    bool ok = png && SavePng(path, bmp);
    if (!ok) {
        if (png) written = path.substr(0, path.size() - 4) + ".bmp";
        ok = SaveBmp(written, bmp, bits, w, h);
    }
    DeleteDC(mem);
    DeleteObject(bmp);
    ReleaseDC(nullptr, screen);
    return ok ? written : std::string();
}

std::string ArtifactsFolder() {
    const char* dir = std::getenv("KESTRUNE_ARTIFACTS");
    if (!dir || !*dir) return ".";
    std::string d = dir;
    if (d[0] != '/') return d;
    for (char& c : d)
        if (c == '/') c = '\\';
    return "Z:" + d;
}

}  // namespace guitest

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(guitest::Crashed);
    // "--load DLL": a stand-in host process for a DLL (copied under the name
    // of the host being played); 0 when the DLL agreed to load.
    if (argc == 3 && std::string(argv[1]) == "--load") return LoadLibraryA(argv[2]) ? 0 : 7;
    // The program refuses to start without its registry key (installers make it).
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kestrune", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    guitest::g_tempRoot =
        std::string(tmp) + "kestrune-gui-" + std::to_string(GetCurrentProcessId());
    std::filesystem::create_directories(guitest::g_tempRoot);

    const char* filter = argc > 1 ? argv[1] : nullptr;
    int passed = 0, failed = 0;
    for (const auto& t : guitest::Tests()) {
        bool named = filter && std::string(t.name).find(filter) != std::string::npos;
        if (filter ? !named : t.needsServers) continue;
        // Benchmarks run only when asked for by name.
        if (std::string(t.name).rfind("bench_", 0) == 0 &&
            (!filter || std::string(filter).rfind("bench_", 0) != 0))
            continue;
        int before = guitest::g_failures;
        try {
            t.fn();
        } catch (const guitest::AbortTest&) {
        } catch (const std::exception& e) {
            guitest::Fail(t.name, 0, std::string("exception: ") + e.what());
        }
        bool ok = guitest::g_failures == before;
        std::printf("%s %s\n", ok ? "PASS" : "FAIL", t.name);
        std::fflush(stdout);
        (ok ? passed : failed)++;
    }
    std::error_code ec;
    std::filesystem::remove_all(guitest::g_tempRoot, ec);
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed == 0 ? 0 : 1;
}
