// URL capture against the live program: text and the private format copied
// by another process, the download confirmation, the browser's DDE requests
// and registrations (a stand-in browser service records them), and the drop
// window's shape and an OLE drop onto it.
// clang-format off
#include <windows.h>
#include <ddeml.h>
#include <ole2.h>
// clang-format on

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "capture_ids.h"
#include "gui_test.h"
#include "program_home.h"
#include "resource.h"

using namespace guitest;

namespace {

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000) {
    return WaitUntil(pred, timeoutMs);
}

void Pump(int ms) {
    WaitUntil([] { return false; }, ms);
}

// The first column as one line, for readable failures.
std::string UrlColumn(HWND list) {
    std::string all;
    for (const std::string& u : Column(list, 0)) all += u + " ";
    return all;
}

// A home whose program asks before each captured URL (the test homes are quiet).
std::string AskingHome() {
    std::string home = MakeHome({});
    WritePrivateProfileStringA("Download", "dontaskme", "no", (home + "\\kestrune.ini").c_str());
    return home;
}

bool SetClipboard(UINT format, const std::string& text) {
    for (int i = 0; i < 50; ++i) {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
            memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
            GlobalUnlock(mem);
            bool ok = SetClipboardData(format, mem) != nullptr;
            CloseClipboard();
            return ok;
        }
        Sleep(20);
    }
    return false;
}

std::string Clipboard(UINT format) {
    std::string text;
    if (!IsClipboardFormatAvailable(format) || !OpenClipboard(nullptr)) return text;
    if (HANDLE h = GetClipboardData(format)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

UINT PrivateFormat() {
    return RegisterClipboardFormatA("KESTRUNE");
}

// Copies text and gives the program's heartbeat time to take it.
void Copy(const std::string& text, UINT format = CF_TEXT) {
    CHECK(SetClipboard(format, text));
    Pump(300);
}

}  // namespace

GUI_TEST(copied_urls_become_projects_one_a_second_with_the_repeat_rule) {
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();

    Copy("http://127.0.0.1/x.zip");
    CHECK(WaitUntil([&] { return ListCount(list) == 1; }, 3000));
    Copy("http://127.0.0.1/x.zip");  // the same text again: a repeat
    Pump(1500);
    CHECK_EQ(ListCount(list), 1);
    Copy("some words");
    Copy("http://127.0.0.1/x.zip");  // the third copy is taken
    CHECK(WaitUntil([&] { return ListCount(list) == 2; }, 3000));
    Copy("gopher://127.0.0.1/x.zip");
    Copy("http://127.0.0.1/page.html");
    Copy("http://127.0.0.1/" + std::string(3000, 'a') + ".zip");

    // The browser helper's format: no repeat rule, and taken with clipboard
    // text capture off too (next test). Three URLs at once come one a second.
    Copy("http://127.0.0.1/y.zip", PrivateFormat());
    Copy("ftp://127.0.0.1/a.zip");
    Copy("http://127.0.0.1/b.zip");
    CHECK(WaitUntil([&] { return ListCount(list) == 5; }, 6000));
    CHECK_EQ(UrlColumn(list),
             std::string("http://127.0.0.1/x.zip http://127.0.0.1/x.zip http://127.0.0.1/y.zip "
                         "ftp://127.0.0.1/a.zip http://127.0.0.1/b.zip "));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(with_text_capture_off_only_the_private_format_is_taken) {
    std::string home = MakeHome({}, "Capture=no\r\n");
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    Copy("http://127.0.0.1/t.zip");
    Copy("http://127.0.0.1/p.zip", PrivateFormat());
    CHECK(WaitUntil([&] { return ListCount(list) == 1; }, 3000));
    Pump(1200);
    CHECK_EQ(UrlColumn(list), std::string("http://127.0.0.1/p.zip "));

    // A project dialog open: copied text is not captured, the format still is.
    app.Command(ID_CAPTURE_CLIPBOARD);
    CHECK(WaitUntil([&] { return Ini(home, "Download", "Capture") == "yes"; }));
    app.Command(ID_FILE_ENTERURL);
    HWND dlg = FindDialog(app.Pid(), "Enter URL");
    REQUIRE(dlg);
    Copy("http://127.0.0.1/typed.zip");
    Copy("http://127.0.0.1/handed.zip", PrivateFormat());
    CHECK(WaitUntil([&] { return ListCount(list) == 2; }, 3000));
    Click(dlg, "Cancel");
    Pump(1200);
    CHECK_EQ(UrlColumn(list), std::string("http://127.0.0.1/p.zip http://127.0.0.1/handed.zip "));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(confirmation_dialog_asks_before_a_captured_url_becomes_a_project) {
    std::string home = AskingHome();
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    Copy("http://127.0.0.1/ask.zip");
    HWND dlg = FindDialog(app.Pid(), "Kestrune Download confirmation...");
    REQUIRE(dlg);
    CHECK(GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST);
    CHECK_EQ(WindowText(GetDlgItem(dlg, IDC_CONFIRM_URL)), std::string("http://127.0.0.1/ask.zip"));
    CHECK(WindowText(GetDlgItem(dlg, IDC_CONFIRM_FOLDER_LABEL)).find("Download Folder:  ") == 0);
    CHECK(WindowText(GetDlgItem(dlg, IDC_CONFIRM_FOLDER_LABEL)).find("\\Temp") !=
          std::string::npos);
    Pump(400);  // let it paint
    SaveScreen(ArtifactsFolder() + "\\capture-confirmation.png");
    // Only one confirmation at a time, however many heartbeats pass.
    Copy("http://127.0.0.1/second.zip");
    Pump(1200);
    CHECK_EQ(FindDialog(app.Pid(), "Kestrune Download confirmation...", 0), dlg);
    Click(dlg, "OK");
    CHECK(WaitUntil([&] { return ListCount(list) >= 1; }, 3000));
    CHECK_EQ(ListText(list, 0, 0), std::string("http://127.0.0.1/ask.zip"));
    CHECK_EQ(Ini(home, "Download", "dontaskme"), std::string("no"));

    // The second URL's turn: Cancel makes no project but keeps the check box.
    HWND next = FindDialog(app.Pid(), "Kestrune Download confirmation...");
    REQUIRE(next);
    CheckDlgButton(next, IDC_CONFIRM_DONT_ASK, BST_CHECKED);
    SendMessageA(GetDlgItem(next, IDC_CONFIRM_DONT_ASK), BM_SETCHECK, BST_CHECKED, 0);
    Click(next, "Cancel");
    CHECK(WaitUntil([&] { return Ini(home, "Download", "dontaskme") == "yes"; }, 3000));
    CHECK_EQ(ListCount(list), 1);

    // Now it does not ask.
    Copy("http://127.0.0.1/quiet.zip");
    CHECK(WaitUntil([&] { return ListCount(list) == 2; }, 3000));
    CHECK(!FindDialog(app.Pid(), "Kestrune Download confirmation...", 0));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(pending_urls_at_exit_are_offered_at_the_next_start) {
    std::string home = AskingHome();
    App app;
    REQUIRE(app.Start(home));
    Copy("http://127.0.0.1/one.zip");
    HWND dlg = FindDialog(app.Pid(), "Kestrune Download confirmation...");
    REQUIRE(dlg);
    Copy("http://127.0.0.1/two.zip");
    Copy("ftp://127.0.0.1/three.zip");
    // "E&xit" while the first is still being confirmed: none of the three is lost.
    CHECK_EQ(app.Exit(), 0);
    std::string saved;
    CHECK(ReadTextFile(home + "\\pending.txt", saved));
    CHECK_EQ(saved, std::string("http://127.0.0.1/one.zip\nhttp://127.0.0.1/two.zip\n"
                                "ftp://127.0.0.1/three.zip\n"));

    std::string ini;
    ReadTextFile(home + "\\kestrune.ini", ini);
    std::size_t at = ini.find("dontaskme=no");
    REQUIRE(at != std::string::npos);
    ini.replace(at, 12, "dontaskme=yes");
    WriteTextFile(home + "\\kestrune.ini", ini);
    App again;
    REQUIRE(again.Start(home));
    HWND list = again.List();
    CHECK(WaitUntil([&] { return ListCount(list) == 3; }, 6000));
    CHECK_EQ(UrlColumn(list),
             std::string(
                 "http://127.0.0.1/one.zip http://127.0.0.1/two.zip ftp://127.0.0.1/three.zip "));
    CHECK(!PathExists(home + "\\pending.txt"));
    CHECK_EQ(again.Exit(), 0);
}

namespace {

HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

// One synchronous request to the program's DDE service; the answer's bytes,
// or nullopt when no conversation or no data came.
std::optional<std::string> DdeRequest(const char* topic, const std::string& item) {
    DWORD inst = 0;
    if (DdeInitializeA(&inst, NoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return std::nullopt;
    HSZ service = DdeCreateStringHandleA(inst, "KESTRUNEDDE", CP_WINANSI);
    HSZ hszTopic = DdeCreateStringHandleA(inst, topic, CP_WINANSI);
    HSZ hszItem = DdeCreateStringHandleA(inst, item.c_str(), CP_WINANSI);
    std::optional<std::string> answer;
    if (HCONV conv = DdeConnect(inst, service, hszTopic, nullptr)) {
        answer = std::string();
        if (HDDEDATA data = DdeClientTransaction(nullptr, 0, conv, hszItem, CF_TEXT, XTYP_REQUEST,
                                                 5000, nullptr)) {
            DWORD size = 0;
            if (const BYTE* p = DdeAccessData(data, &size)) {
                answer->assign(reinterpret_cast<const char*>(p), size);
                DdeUnaccessData(data);
            }
            DdeFreeDataHandle(data);
        }
    }
    DdeUninitialize(inst);
    return answer;
}

std::int32_t AsWindowId(const std::optional<std::string>& answer) {
    std::int32_t v = 0x7777;
    if (answer && answer->size() == 4) memcpy(&v, answer->data(), 4);
    return v;
}

// A stand-in for the browser's DDE service: records what it is asked.
struct FakeBrowser {
    static inline std::vector<std::string> log;
    static inline DWORD inst = 0;
    HSZ service = nullptr;

    static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ item, HDDEDATA,
                                      ULONG_PTR, ULONG_PTR) {
        char t[256] = {}, i[256] = {};
        if (type == XTYP_CONNECT) return reinterpret_cast<HDDEDATA>(TRUE);
        if (type == XTYP_REQUEST) {
            DdeQueryStringA(inst, topic, t, sizeof t, CP_WINANSI);
            DdeQueryStringA(inst, item, i, sizeof i, CP_WINANSI);
            log.push_back(std::string(t) + " " + i);
        }
        return nullptr;
    }
    bool Start() {
        log.clear();
        if (DdeInitializeA(&inst, Callback, APPCLASS_STANDARD, 0) != DMLERR_NO_ERROR) return false;
        service = DdeCreateStringHandleA(inst, "NETSCAPE", CP_WINANSI);
        return DdeNameService(inst, service, nullptr, DNS_REGISTER) != nullptr;
    }
    void Stop() {
        if (!inst) return;
        DdeNameService(inst, service, nullptr, DNS_UNREGISTER);
        DdeUninitialize(inst);
        inst = 0;
    }
    ~FakeBrowser() { Stop(); }
};

const std::vector<std::string> kRegistered = {"WWW_RegisterProtocol \"KESTRUNEDDE\",\"http\"",
                                              "WWW_RegisterProtocol \"KESTRUNEDDE\",\"ftp\""};
const std::vector<std::string> kUnregistered = {"WWW_UnRegisterProtocol \"KESTRUNEDDE\",\"http\"",
                                                "WWW_UnRegisterProtocol \"KESTRUNEDDE\",\"ftp\""};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

GUI_TEST(browser_dde_requests_are_answered_and_queued) {
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    struct Case {
        std::string item;
        std::int32_t answer;
    } cases[] = {
        {"\"http://127.0.0.1/a.zip\",\"C:\\a.zip\",7,0", 7},
        {"\"http://127.0.0.1/b.zip\",,0xFFFFFFFF,0x0", 0},
        {"\"http://127.0.0.1/index.html\",,0xFFFFFFFF,0x0", -1},
        {"\"gopher://127.0.0.1/c.zip\",\"\",5,0", -1},
        {"\"mailto:a@b.zip\",\"\",5,0", -1},
    };
    for (const Case& c : cases) CHECK_EQ(AsWindowId(DdeRequest("WWW_OpenURL", c.item)), c.answer);
    CHECK(!DdeRequest("WWW_Activate", "0"));  // other topics are refused

    // The second instance's topic, without any file type test.
    DdeRequest("KS_CommandLine", " http://127.0.0.1/page.html ");
    CHECK(WaitUntil([&] { return ListCount(list) == 3; }, 5000));
    CHECK_EQ(
        UrlColumn(list),
        std::string("http://127.0.0.1/a.zip http://127.0.0.1/b.zip http://127.0.0.1/page.html "));

    // Switched off, every request is left to the browser.
    app.Command(ID_CAPTURE_NETSCAPE);
    // Leaving the browser's service waits on every window of the session.
    CHECK(WaitUntil([&] { return Ini(home, "Download", "CaptureNetscape") == "no"; }, 20000));
    CHECK_EQ(AsWindowId(DdeRequest("WWW_OpenURL", "\"http://127.0.0.1/d.zip\",\"n\",7,0")), -1);
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(browser_dde_registration_follows_the_switch_and_the_browser) {
    FakeBrowser browser;
    REQUIRE(browser.Start());
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    // At start: both schemes. (This thread must pump for the fake's DDE.)
    CHECK(PumpUntil([] { return FakeBrowser::log.size() >= 2; }, 20000));
    CHECK(FakeBrowser::log == kRegistered);

    FakeBrowser::log.clear();
    app.Command(ID_CAPTURE_NETSCAPE);  // off
    CHECK(PumpUntil([] { return FakeBrowser::log.size() >= 2; }, 20000));
    CHECK(FakeBrowser::log == kUnregistered);

    FakeBrowser::log.clear();
    app.Command(ID_CAPTURE_NETSCAPE);  // on: unregister, register, and a note
    HWND box = nullptr;
    CHECK(PumpUntil(
        [&] {
            return (box = FindMessageBox(app.Pid(), "restart the Netscape web browsers", 0)) !=
                   nullptr;
        },
        15000));
    CHECK(box && Dismiss(box));
    CHECK(PumpUntil([] { return FakeBrowser::log.size() >= 4; }, 20000));
    CHECK(FakeBrowser::log == Join(kUnregistered, kRegistered));

    // The browser restarts: the program registers again by itself.
    browser.Stop();
    Pump(200);
    REQUIRE(browser.Start());
    CHECK(PumpUntil([] { return FakeBrowser::log.size() >= 2; }, 20000));
    CHECK(FakeBrowser::log == kRegistered);

    // Exit unregisters both.
    FakeBrowser::log.clear();
    app.Command(ID_APP_EXIT);
    CHECK(PumpUntil([&] { return WaitForSingleObject(app.Process(), 0) == WAIT_OBJECT_0; }, 10000));
    CHECK(FakeBrowser::log == kUnregistered);
}

namespace {

// The drop window: the program's top-most 32 x 32 dialog.
HWND DropWindow(DWORD pid) {
    struct Find {
        DWORD pid;
        HWND found;
    } f{pid, nullptr};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto* f = reinterpret_cast<Find*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            char cls[32] = {};
            GetClassNameA(w, cls, sizeof cls);
            RECT rc;
            GetWindowRect(w, &rc);
            if (owner == f->pid && std::string(cls) == "#32770" &&
                (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) && rc.right - rc.left == 32 &&
                rc.bottom - rc.top == 32) {
                f->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// Dragged text as another program offers it.
class TextData : public IDataObject {
  public:
    explicit TextData(std::string text) : text_(std::move(text)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject))
            return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
        if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
        HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text_.size() + 1);
        memcpy(GlobalLock(mem), text_.c_str(), text_.size() + 1);
        GlobalUnlock(mem);
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = mem;
        m->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        return f && f->cfFormat == CF_TEXT && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

  private:
    std::string text_;
    ULONG refs_ = 1;
};

// Lets go after a few turns of the drag loop, wherever the cursor is.
class QuickDrop : public IDropSource {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropSource))
            return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
        return ++turns_ >= 4 ? DRAGDROP_S_DROP : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

  private:
    int turns_ = 0;
};

// Drags text onto the middle of w and drops it; the effect the target chose.
DWORD DropText(HWND w, const std::string& text) {
    RECT rc;
    GetWindowRect(w, &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    TextData data(text);
    QuickDrop source;
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
    return effect;
}

}  // namespace

GUI_TEST(drop_window_is_shaped_moves_on_screen_and_takes_dropped_urls) {
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    HWND drop = nullptr;
    REQUIRE(WaitUntil([&] { return (drop = DropWindow(app.Pid())) != nullptr; }));
    CHECK(IsWindowVisible(drop));
    RECT rc;
    GetWindowRect(drop, &rc);
    CHECK_EQ(rc.left, GetSystemMetrics(SM_CXSCREEN) - 50);  // never placed: near the top right
    CHECK_EQ(rc.top, 50L);

    // The shape: the picture's key colour (its corners) is cut away.
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    CHECK_EQ(GetWindowRgn(drop, shape), COMPLEXREGION);
    CHECK(PtInRegion(shape, 16, 16));
    for (POINT corner : {POINT{0, 0}, POINT{31, 0}, POINT{0, 31}, POINT{31, 31}})
        CHECK(!PtInRegion(shape, corner.x, corner.y));
    RECT box;
    GetRgnBox(shape, &box);
    CHECK(box.left >= 0 && box.top >= 0 && box.right <= 32 && box.bottom <= 32);
    DeleteObject(shape);
    Pump(400);  // let it paint
    SaveScreen(ArtifactsFolder() + "\\capture-drop-window.png");

    // Hiding the main window keeps it up and top-most; a double click on it
    // brings the main window back.
    ShowWindow(app.Main(), SW_HIDE);
    Pump(200);
    CHECK(IsWindowVisible(drop));
    CHECK(GetWindowLongA(drop, GWL_EXSTYLE) & WS_EX_TOPMOST);
    PostMessageA(drop, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(16, 16));
    CHECK(WaitUntil([&] { return IsWindowVisible(app.Main()) != FALSE; }));

    // A dropped link becomes a project; plain words are refused.
    REQUIRE(SUCCEEDED(OleInitialize(nullptr)));
    CHECK_EQ(DropText(drop, "some plain words"), static_cast<DWORD>(DROPEFFECT_NONE));
    CHECK_EQ(DropText(drop, "http://127.0.0.1/dropped.zip"), static_cast<DWORD>(DROPEFFECT_COPY));
    OleUninitialize();
    CHECK(WaitUntil([&] { return ListCount(list) == 1; }, 4000));
    CHECK_EQ(UrlColumn(list), std::string("http://127.0.0.1/dropped.zip "));

    // Moved partly off the right edge, it comes back on screen and stays there.
    SetWindowPos(drop, nullptr, GetSystemMetrics(SM_CXSCREEN) - 10, 100, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(WaitUntil([&] {
        RECT r;
        GetWindowRect(drop, &r);
        return r.left == GetSystemMetrics(SM_CXSCREEN) - 32;
    }));
    CHECK_EQ(app.Exit(), 0);
    CHECK_EQ(Ini(home, "Download", "dropx"), std::to_string(GetSystemMetrics(SM_CXSCREEN) - 32));
    CHECK_EQ(Ini(home, "Download", "dropy"), std::string("100"));
}

namespace {

std::string Registry(const char* name) {
    char buf[1024] = {};
    DWORD size = sizeof buf - 1, type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kestrune", name, RRF_RT_ANY, &type, buf,
                     &size) != ERROR_SUCCESS)
        return "<missing>";
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(buf));
    return buf;
}

constexpr char kHelperObjects[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";

bool HelperListed() {
    HKEY h = nullptr;
    std::string key = std::string(kHelperObjects) + "\\{CAE188AE-945B-11D4-ABBB-B9EE7E4C3B20}";
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

int ListBoxCount(HWND dlg) {
    return static_cast<int>(SendMessageA(GetDlgItem(dlg, IDC_TYPES_LIST), LB_GETCOUNT, 0, 0));
}

void AddType(HWND dlg, const std::string& text) {
    SetText(GetDlgItem(dlg, IDC_TYPES_EDIT), text);
    ClickId(dlg, IDC_TYPES_ADD);
}

}  // namespace

GUI_TEST(file_types_dialog_edits_the_list_capture_and_the_helper_follow) {
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();

    app.Command(ID_CAPTURE_FILETYPES);
    HWND dlg = FindDialog(app.Pid(), "File types to capture");
    REQUIRE(dlg);
    CHECK_EQ(ListBoxCount(dlg), 21);
    struct Add {
        const char* text;
        int count;  // entries afterwards
    } adds[] = {
        {".iso.", 22},  // dots are dropped
        {"ZI", 22},     // an entry already begins with it ("zip")
        {"qt", 22},     // there already
        {"", 22},      {"7z", 23},
    };
    for (const Add& a : adds) {
        AddType(dlg, a.text);
        CHECK_EQ(ListBoxCount(dlg), a.count);
    }
    HWND box = GetDlgItem(dlg, IDC_TYPES_LIST);
    LRESULT avi = SendMessageA(box, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("avi"));
    SendMessageA(box, LB_SETCURSEL, avi, 0);
    ClickId(dlg, IDC_TYPES_DELETE);
    CHECK_EQ(ListBoxCount(dlg), 22);
    Click(dlg, "OK");
    CHECK(WaitUntil([&] { return !IsWindow(dlg); }));

    const std::string sorted =
        ".7z.arj.bin.bmp.exe.fml.gz.hqx.iso.jpg.lzh.mov.mp3.mpg.qt.rar.sit.tar.tgz.vsl.z.zip";
    CHECK(WaitUntil([&] { return Registry("File Types") == sorted; }));
    CHECK_EQ(Ini(home, "File Types", "total"), std::string("22"));
    CHECK_EQ(Ini(home, "File Types", "type1"), std::string("7z"));
    CHECK_EQ(Ini(home, "File Types", "type9"), std::string("iso"));
    CHECK_EQ(Ini(home, "File Types", "type22"), std::string("zip"));

    // Capture uses the new list at once.
    Copy("http://127.0.0.1/movie.avi");
    Copy("http://127.0.0.1/disc.iso");
    CHECK(WaitUntil([&] { return ListCount(list) == 1; }, 3000));
    Pump(1200);
    CHECK_EQ(UrlColumn(list), std::string("http://127.0.0.1/disc.iso "));

    // Default Types, then Cancel: nothing changes.
    app.Command(ID_CAPTURE_FILETYPES);
    dlg = FindDialog(app.Pid(), "File types to capture");
    REQUIRE(dlg);
    ClickId(dlg, IDC_TYPES_DEFAULT);
    CHECK_EQ(ListBoxCount(dlg), 21);
    Click(dlg, "Cancel");
    CHECK(WaitUntil([&] { return !IsWindow(dlg); }));
    CHECK_EQ(Registry("File Types"), sorted);
    CHECK_EQ(Ini(home, "File Types", "total"), std::string("22"));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(options_dialog_switches_capture_and_the_browser_helper_entry) {
    // The browser's helper-object key exists where the browser is installed.
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kHelperObjects, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    if (key) RegCloseKey(key);
    std::string home = MakeHome({}, "CaptureNetscape=no\r\n");
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    CHECK(HelperListed());

    app.Command(ID_TRAY_OPTIONS);  // the tray's "O&ptions"
    HWND dlg = FindDialog(app.Pid(), "Options");
    REQUIRE(dlg);
    const struct {
        int id;
        bool checked;
    } boxes[] = {{IDC_OPT_CAPTURE, true},
                 {IDC_OPT_IMMEDIATE, false},
                 {IDC_OPT_CAPTURE_IE, true},
                 {IDC_OPT_CAPTURE_NETSCAPE, false}};
    for (const auto& b : boxes) CHECK_EQ(IsDlgButtonChecked(dlg, b.id) == BST_CHECKED, b.checked);
    // Its buttons open the other settings dialogs over it.
    Click(dlg, "Search Settings...");
    HWND search = FindDialog(app.Pid(), "Search Settings");
    CHECK(search && GetWindow(search, GW_OWNER) == dlg);
    if (search) Click(search, "Cancel");
    CHECK(WaitUntil([&] { return !search || !IsWindow(search); }));
    for (const auto& b : boxes)
        if (b.id != IDC_OPT_CAPTURE_NETSCAPE) ClickId(dlg, b.id);  // flip three
    Click(dlg, "OK");
    CHECK(WaitUntil([&] { return !IsWindow(dlg); }));
    CHECK(WaitUntil([&] { return Ini(home, "Download", "CaptureIE") == "no"; }));
    CHECK_EQ(Ini(home, "Download", "Capture"), std::string("no"));
    CHECK_EQ(Ini(home, "Download", "Immediate"), std::string("yes"));
    CHECK_EQ(Registry("CaptureIE"), std::string("0"));
    CHECK(!HelperListed());

    // Clipboard text is ignored now; the browser helper's format too.
    Copy("http://127.0.0.1/text.zip");
    Copy("http://127.0.0.1/handed.zip", PrivateFormat());
    Pump(1500);
    CHECK_EQ(ListCount(list), 0);

    // Back on through the toolbar's Options.
    app.Command(ID_OPTIONS);
    dlg = FindDialog(app.Pid(), "Options");
    REQUIRE(dlg);
    ClickId(dlg, IDC_OPT_CAPTURE_IE);
    Click(dlg, "OK");
    CHECK(WaitUntil([&] { return Registry("CaptureIE") == "1"; }));
    CHECK(HelperListed());
    CHECK_EQ(app.Exit(), 0);
    CHECK(!HelperListed());  // no helper while the program is gone
    CHECK_EQ(Registry("CaptureIE"), std::string("0"));
    CHECK_EQ(Ini(home, "Download", "CaptureIE"), std::string("yes"));  // on again next start
}
