// Interim runner for the GUI harness: only the helpers the dialog tests use.
// The shell's full harness replaces this file when it lands.
#include "gui_test.h"

#include <cstdio>
#include <cstring>

namespace guitest {
namespace {

struct Entry {
    const char* name;
    TestFn fn;
};
std::vector<Entry>& Tests() {
    static std::vector<Entry> t;
    return t;
}
int g_failures = 0;
std::vector<std::string> g_tempFolders;

struct Remote {
    HANDLE process = nullptr;
    void* mem = nullptr;
    Remote(HWND w, std::size_t size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        process =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process) mem = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~Remote() {
        if (mem) VirtualFreeEx(process, mem, 0, MEM_RELEASE);
        if (process) CloseHandle(process);
    }
    bool Put(std::size_t at, const void* p, std::size_t n) {
        return WriteProcessMemory(process, static_cast<char*>(mem) + at, p, n, nullptr);
    }
    bool Get(std::size_t at, void* p, std::size_t n) {
        return ReadProcessMemory(process, static_cast<char*>(mem) + at, p, n, nullptr);
    }
    char* At(std::size_t at) { return static_cast<char*>(mem) + at; }
};

struct FindState {
    DWORD pid;
    std::string cls, title;
    HWND found;
};

BOOL CALLBACK FindTopProc(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<FindState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || !IsWindowVisible(w)) return TRUE;
    char buf[256];
    if (!s->cls.empty() && (!GetClassNameA(w, buf, sizeof buf) || s->cls != buf)) return TRUE;
    if (!s->title.empty() && WindowText(w) != s->title) return TRUE;
    s->found = w;
    return FALSE;
}

}  // namespace

Registrar::Registrar(const char* name, TestFn fn) {
    Tests().push_back({name, fn});
}

void Fail(const char* file, int line, const std::string& what) {
    ++g_failures;
    std::printf("  %s:%d: %s\n", file, line, what.c_str());
}

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(20);
    }
}

std::string MakeTempFolder(const std::string& tag) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string dir = std::string(base) + "ksgui_" + tag + "_" +
                      std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
    CreateDirectoryA(dir.c_str(), nullptr);
    g_tempFolders.push_back(dir);
    return dir;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

bool ReadTextFile(const std::string& path, std::string& out) {
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
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

HWND FindTop(DWORD pid, const std::string& cls, const std::string& title, int timeoutMs) {
    FindState s{pid, cls, title, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&s));
            return s.found != nullptr;
        },
        timeoutMs);
    return s.found;
}

HWND FindDialog(DWORD pid, const std::string& title, int timeoutMs) {
    return FindTop(pid, "#32770", title, timeoutMs);
}

HWND FindMessageBox(DWORD pid, const std::string& text, int timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            FindState s{pid, "#32770", "", nullptr};
            HWND w = nullptr;
            while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
                DWORD p = 0;
                GetWindowThreadProcessId(w, &p);
                if (p == pid && IsWindowVisible(w) && DialogHasText(w, text)) {
                    found = w;
                    return true;
                }
            }
            (void)s;
            return false;
        },
        timeoutMs);
    return found;
}

bool DialogHasText(HWND dlg, const std::string& text) {
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (WindowText(c).find(text) != std::string::npos) return true;
    return false;
}

std::string WindowText(HWND w) {
    char buf[4096] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

void SetText(HWND w, const std::string& text) {
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool ClickId(HWND parent, int id) {
    HWND b = GetDlgItem(parent, id);
    if (!b) return false;
    SendMessageA(b, BM_CLICK, 0, 0);
    return true;
}

int ListCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListText(HWND list, int row, int column) {
    Remote r(list, sizeof(LVITEMA) + 1024);
    if (!r.mem) return std::string();
    LVITEMA it{};
    it.iSubItem = column;
    it.pszText = r.At(sizeof it);
    it.cchTextMax = 1024;
    r.Put(0, &it, sizeof it);
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(r.mem));
    char buf[1024] = {};
    r.Get(sizeof it, buf, sizeof buf - 1);
    return buf;
}

std::string ListHeader(HWND list, int column) {
    Remote r(list, sizeof(LVCOLUMNA) + 256);
    if (!r.mem) return std::string();
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT;
    c.pszText = r.At(sizeof c);
    c.cchTextMax = 256;
    r.Put(0, &c, sizeof c);
    SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(r.mem));
    char buf[256] = {};
    r.Get(sizeof c, buf, sizeof buf - 1);
    return buf;
}

void ListSelectOnly(HWND list, int row) {
    Remote r(list, sizeof(LVITEMA));
    LVITEMA it{};
    it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    it.state = 0;
    r.Put(0, &it, sizeof it);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(r.mem));
    if (row < 0) return;
    it.state = LVIS_SELECTED | LVIS_FOCUSED;
    r.Put(0, &it, sizeof it);
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(r.mem));
}

}  // namespace guitest

namespace {

LONG WINAPI Crashed(EXCEPTION_POINTERS*) {
    std::printf("crashed\n");
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(&Crashed);
    int passed = 0, failed = 0;
    for (const auto& t : guitest::Tests()) {
        if (argc > 1 && std::strstr(t.name, argv[1]) == nullptr) continue;
        int before = guitest::g_failures;
        try {
            t.fn();
        } catch (const guitest::AbortTest&) {
        } catch (...) {
            guitest::Fail(__FILE__, __LINE__, "unexpected exception");
        }
        bool ok = guitest::g_failures == before;
        std::printf("%s %s\n", ok ? "[  OK  ]" : "[FAILED]", t.name);
        std::fflush(stdout);
        (ok ? passed : failed)++;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
