// The module: entry point, the exported COM server functions and the class
// factory. Nothing here throws: every export answers an HRESULT.
#include <new>
#include <string>

#include "browserhelper/browser_helper.h"
#include "browserhelper/tavisk.h"

namespace tavisk {

namespace {
HINSTANCE gModule = nullptr;
LONG gLocks = 0;

bool LoadedByShell() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0) return false;
    CharLowerBuffA(path, n);
    return std::string(path, n).find("explorer.exe") != std::string::npos;
}

class CClassFactory : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static: it lives as long as the module.
    ULONG STDMETHODCALLTYPE AddRef() override {
        LockModule();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        UnlockModule();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) CBrowserHelper();
        if (!object) return E_OUTOFMEMORY;
        IUnknown* unknown = static_cast<IObjectWithSite*>(object);
        HRESULT hr = unknown->QueryInterface(iid, out);
        unknown->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }
};

CClassFactory gFactory;
}  // namespace

HINSTANCE Module() {
    return gModule;
}

std::string ModulePath() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(gModule, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

void LockModule() {
    InterlockedIncrement(&gLocks);
}

void UnlockModule() {
    InterlockedDecrement(&gLocks);
}

}  // namespace tavisk

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        // The shell loads helper objects too; capture belongs to the browser.
        if (tavisk::LoadedByShell()) return FALSE;
        tavisk::gModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return tavisk::gLocks == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, tavisk::kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return tavisk::gFactory.QueryInterface(iid, out);
}

STDAPI DllRegisterServer() {
    return tavisk::RegisterServer();
}

STDAPI DllUnregisterServer() {
    return tavisk::UnregisterServer();
}

}  // extern "C"
