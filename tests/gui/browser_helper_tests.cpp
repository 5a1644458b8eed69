// The browser helper DLL as a browser meets it: registered with regsvr32,
// created by its ProgID, put on the site of a stand-in browser (the browser
// object and its event connection point), and fed BeforeNavigate2 events.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <exdisp.h>
#include <olectl.h>
// clang-format on

#include <string>

#include "gui_test.h"

using namespace guitest;

namespace {

constexpr IID kDiidWebBrowserEvents2 = {
    0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
constexpr char kKestruneKey[] = "SOFTWARE\\Kestrune";
constexpr char kAppPathsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kestrune.EXE";

// The browser as the helper sees it: only IUnknown of the browser object is
// ever called, so one object answers for IWebBrowser2, the container and the
// event connection point.
class FakeBrowser : public IConnectionPointContainer, public IConnectionPoint {
  public:
    IDispatch* sink = nullptr;
    DWORD advised = 0, unadvised = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWebBrowser2) ||
            IsEqualIID(iid, IID_IConnectionPointContainer))
            *out = static_cast<IConnectionPointContainer*>(this);
        else if (IsEqualIID(iid, IID_IConnectionPoint))
            *out = static_cast<IConnectionPoint*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        *out = nullptr;
        if (!IsEqualIID(iid, kDiidWebBrowserEvents2)) return CONNECT_E_NOCONNECTION;
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* unk, DWORD* cookie) override {
        if (FAILED(unk->QueryInterface(kDiidWebBrowserEvents2, reinterpret_cast<void**>(&sink))))
            return CONNECT_E_CANNOTCONNECT;
        ++advised;
        *cookie = 42;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        if (cookie != 42 || !sink) return CONNECT_E_NOCONNECTION;
        sink->Release();
        sink = nullptr;
        ++unadvised;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    // Fires BeforeNavigate2 for url; returns the Cancel flag the sink left.
    bool Navigate(const std::string& url) {
        std::wstring wide(url.begin(), url.end());
        VARIANT urlValue;
        VariantInit(&urlValue);
        urlValue.vt = VT_BSTR;
        urlValue.bstrVal = SysAllocString(wide.c_str());
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT args[7];
        for (VARIANT& a : args) VariantInit(&a);
        args[5].vt = VT_BYREF | VT_VARIANT;  // last first: the URL is 5, Cancel 0
        args[5].pvarVal = &urlValue;
        args[0].vt = VT_BYREF | VT_BOOL;
        args[0].pboolVal = &cancel;
        DISPPARAMS params{args, nullptr, 7, 0};
        if (sink)
            sink->Invoke(250, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        VariantClear(&urlValue);
        return cancel != VARIANT_FALSE;
    }
    void Quit() {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (sink) sink->Invoke(253, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
    }

  private:
    ULONG refs = 1;
};

DWORD Run(const std::string& cmdLine) {
    std::string cmd = cmdLine;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

void SetDword(const char* name, DWORD v) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKestruneKey, name, REG_DWORD, &v, sizeof v);
}
void SetString(const char* name, const std::string& v) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKestruneKey, name, REG_SZ, v.c_str(),
                    static_cast<DWORD>(v.size() + 1));
}
bool KeyExists(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

std::string ClipboardText(UINT format) {
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

void PutText(const std::string& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
}

}  // namespace

GUI_TEST(browser_helper_cancels_captured_navigations_and_hands_the_url_over) {
    const std::string dll = BuildFolder() + "\\tavisk.dll";
    REQUIRE(PathExists(dll));
    CHECK_EQ(Run("regsvr32 /s \"" + dll + "\""), 0u);
    CHECK(KeyExists(HKEY_CLASSES_ROOT, "Tavisk.BrowserHelper\\CurVer"));
    CHECK(KeyExists(HKEY_LOCAL_MACHINE,
                    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper "
                    "Objects\\{CAE188AE-945B-11D4-ABBB-B9EE7E4C3B20}"));

    const UINT format = RegisterClipboardFormatA("KESTRUNE");
    SetDword("CaptureIE", 1);
    SetDword("ClipForm", format);
    SetString("File Types", ".avi.arj.zip.gz");
    HKEY appPaths = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &appPaths, nullptr);
    if (appPaths) RegCloseKey(appPaths);

    REQUIRE(SUCCEEDED(CoInitialize(nullptr)));
    CLSID clsid{};
    REQUIRE(SUCCEEDED(CLSIDFromProgID(L"Tavisk.BrowserHelper", &clsid)));
    IObjectWithSite* helper = nullptr;
    REQUIRE(SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectWithSite,
                                       reinterpret_cast<void**>(&helper))));
    void* site = reinterpret_cast<void*>(1);
    CHECK_EQ(helper->GetSite(IID_IUnknown, &site), E_FAIL);
    CHECK(site == nullptr);
    CHECK_EQ(helper->SetSite(nullptr), E_INVALIDARG);

    FakeBrowser browser;
    CHECK_EQ(helper->SetSite(static_cast<IConnectionPointContainer*>(&browser)), S_OK);
    CHECK_EQ(browser.advised, 1u);
    REQUIRE(browser.sink);

    struct Case {
        std::string url;
        bool captured;
    } cases[] = {
        {"http://127.0.0.1/x.zip", true},      {"ftp://127.0.0.1/pub/a.tar.gz", true},
        {"http://127.0.0.1/page.html", false}, {"http://127.0.0.1/get?f=x.zip", false},
        {"https://127.0.0.1/x.zip", true},     {"HTTP://127.0.0.1/x.zip", true},
        {"file://127.0.0.1/x.zip", false},
    };
    for (const Case& c : cases) {
        PutText("earlier text");
        CHECK_EQ(browser.Navigate(c.url), c.captured);
        if (c.captured) {
            CHECK_EQ(ClipboardText(format), c.url);
            CHECK(!IsClipboardFormatAvailable(CF_TEXT));  // the earlier content is gone
        } else {
            CHECK_EQ(ClipboardText(CF_TEXT), std::string("earlier text"));
        }
    }

    // Capture off, or the program not installed: the browser keeps the URL.
    SetDword("CaptureIE", 0);
    CHECK(!browser.Navigate("http://127.0.0.1/x.zip"));
    SetDword("CaptureIE", 1);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey);
    CHECK(!browser.Navigate("http://127.0.0.1/x.zip"));
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &appPaths, nullptr);
    if (appPaths) RegCloseKey(appPaths);
    // Without "ClipForm" the URL goes as plain text.
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kKestruneKey, "ClipForm");
    CHECK(browser.Navigate("http://127.0.0.1/y.zip"));
    CHECK_EQ(ClipboardText(CF_TEXT), std::string("http://127.0.0.1/y.zip"));
    SetDword("ClipForm", format);

    browser.Quit();
    CHECK_EQ(browser.unadvised, 1u);
    helper->Release();
    CoUninitialize();

    CHECK_EQ(Run("regsvr32 /s /u \"" + dll + "\""), 0u);
    CHECK(!KeyExists(HKEY_CLASSES_ROOT, "Tavisk.BrowserHelper"));
    CHECK(!KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{CAE188AE-945B-11D4-ABBB-B9EE7E4C3B20}"));
}

GUI_TEST(browser_helper_refuses_to_load_into_the_shell) {
    const std::string dll = BuildFolder() + "\\tavisk.dll";
    const std::string self = BuildFolder() + "\\kestrune_gui_tests.exe";
    std::string dir = MakeTempFolder("hosts");
    for (const char* name : {"explorer.exe", "iexplore.exe"}) {
        std::string host = dir + "\\" + name;
        REQUIRE(CopyFileA(self.c_str(), host.c_str(), FALSE));
        DWORD code = Run("\"" + host + "\" --load \"" + dll + "\"");
        CHECK_EQ(code, std::string(name) == "explorer.exe" ? 7u : 0u);
    }
}
