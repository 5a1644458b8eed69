#include "browserhelper/browser_helper.h"

#include <exdispid.h>

#include <string>
#include <vector>

namespace tavisk {

namespace {
// {34A715A0-6587-11D0-924A-0020AFC7AC4D}
constexpr IID kDiidWebBrowserEvents2 = {
    0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
constexpr DISPID kBeforeNavigate2 = 250;
constexpr DISPID kOnQuit = 253;

BOOL CALLBACK FindFrame(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, "IEFrame") == 0 || lstrcmpiA(cls, "CabinetWClass") == 0) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

// The URL argument as ANSI text; empty when it cannot be read.
std::string UrlText(const VARIANT& arg) {
    VARIANT v;
    VariantInit(&v);
    std::string text;
    if (SUCCEEDED(VariantCopy(&v, arg.pvarVal)) &&
        SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR)) && v.bstrVal) {
        int chars = static_cast<int>(SysStringLen(v.bstrVal));
        std::vector<char> buf(static_cast<std::size_t>(chars) * 2 + 2);
        int n = WideCharToMultiByte(CP_ACP, 0, v.bstrVal, chars, buf.data(),
                                    static_cast<int>(buf.size()), nullptr, nullptr);
        if (n > 0) text.assign(buf.data(), static_cast<std::size_t>(n));
    }
    VariantClear(&v);
    return text;
}
}  // namespace

CBrowserHelper::CBrowserHelper() {
    LockModule();
}

CBrowserHelper::~CBrowserHelper() {
    Disconnect();
    ReleaseBrowser();
    if (typeInfo_) typeInfo_->Release();
    if (ownWindow_) DestroyWindow(ownWindow_);
    UnlockModule();
}

HRESULT CBrowserHelper::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IObjectWithSite))
        *out = static_cast<IObjectWithSite*>(this);
    else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidBrowserHelper) ||
             IsEqualIID(iid, kDiidWebBrowserEvents2))
        *out = static_cast<IBrowserHelper*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG CBrowserHelper::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG CBrowserHelper::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

void CBrowserHelper::ReleaseBrowser() {
    if (container_) container_->Release();
    if (browser_) browser_->Release();
    container_ = nullptr;
    browser_ = nullptr;
}

HRESULT CBrowserHelper::SetSite(IUnknown* site) {
    // A new site (or none, when the browser lets go) ends the old connection.
    Disconnect();
    ReleaseBrowser();
    if (!site) return E_INVALIDARG;
    if (FAILED(site->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))) ||
        !browser_) {
        browser_ = nullptr;
        return E_INVALIDARG;
    }
    if (FAILED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                        reinterpret_cast<void**>(&container_))) ||
        !container_) {
        container_ = nullptr;
        return E_POINTER;
    }
    frame_ = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindFrame, reinterpret_cast<LPARAM>(&frame_));
    return Connect();
}

HRESULT CBrowserHelper::GetSite(REFIID, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;  // the site is not kept
    return E_FAIL;
}

HRESULT CBrowserHelper::Connect() {
    if (!container_) return E_POINTER;
    IConnectionPoint* point = nullptr;
    HRESULT hr = container_->FindConnectionPoint(kDiidWebBrowserEvents2, &point);
    if (FAILED(hr) || !point) return FAILED(hr) ? hr : E_FAIL;
    hr = point->Advise(static_cast<IObjectWithSite*>(this), &cookie_);
    point->Release();
    return hr;
}

HRESULT CBrowserHelper::Disconnect() {
    if (!container_ || cookie_ == 0) return S_OK;
    IConnectionPoint* point = nullptr;
    HRESULT hr = container_->FindConnectionPoint(kDiidWebBrowserEvents2, &point);
    if (SUCCEEDED(hr) && point) {
        hr = point->Unadvise(cookie_);
        point->Release();
    }
    cookie_ = 0;
    return hr;
}

ITypeInfo* CBrowserHelper::TypeInfo() {
    if (typeInfo_) return typeInfo_;
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameW(Module(), path, MAX_PATH) == 0) return nullptr;
    ITypeLib* lib = nullptr;
    if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, &lib)) || !lib) return nullptr;
    lib->GetTypeInfoOfGuid(kIidBrowserHelper, &typeInfo_);
    lib->Release();
    return typeInfo_;
}

HRESULT CBrowserHelper::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT CBrowserHelper::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* t = TypeInfo();
    if (!t) return E_FAIL;
    t->AddRef();
    *info = t;
    return S_OK;
}

HRESULT CBrowserHelper::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    ITypeInfo* t = TypeInfo();
    if (!t) return E_FAIL;
    return DispGetIDsOfNames(t, names, count, ids);
}

HRESULT CBrowserHelper::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                               EXCEPINFO*, UINT*) {
    if (!params) return E_INVALIDARG;
    // Nothing may unwind into the browser.
    try {
        if (id == kBeforeNavigate2)
            OnBeforeNavigate(*params);
        else if (id == kOnQuit)
            Disconnect();
    } catch (...) {
    }
    return S_OK;
}

HWND CBrowserHelper::ClipboardOwner() {
    if (frame_ && IsWindow(frame_)) return frame_;
    // A clipboard opened without an owner window cannot take data.
    if (!ownWindow_)
        ownWindow_ = CreateWindowExA(0, "STATIC", "tavisk", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     Module(), nullptr);
    return ownWindow_;
}

void CBrowserHelper::OnBeforeNavigate(DISPPARAMS& params) {
    // The arguments arrive last first: the URL is 5, Cancel is 0.
    if (params.cArgs < 6 || !params.rgvarg) return;
    const VARIANT& url = params.rgvarg[5];
    if (url.vt != (VT_BYREF | VT_VARIANT) || !url.pvarVal) return;
    std::string text = UrlText(url);
    if (text.empty()) return;
    if (!HandOffUrl(text, ClipboardOwner(), &lastFormat_)) return;
    VARIANT& cancel = params.rgvarg[0];
    if (cancel.vt == (VT_BYREF | VT_BOOL) && cancel.pboolVal) *cancel.pboolVal = VARIANT_TRUE;
}

}  // namespace tavisk
