// What registering the helper writes, as one table: registering writes every
// row, removing deletes the rows' top keys whole. The browser finds the
// helper through the last row.
#include <string>
#include <vector>

#include "browserhelper/tavisk.h"
// olectl.h needs the types tavisk.h brings in.
#include <olectl.h>

namespace tavisk {

namespace {
constexpr char kProgId[] = "Tavisk.BrowserHelper.1";
constexpr char kIndependentProgId[] = "Tavisk.BrowserHelper";
constexpr char kClassName[] = "BrowserHelper Class";
constexpr char kHelperObjects[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";

struct Entry {
    HKEY root;
    std::string key;    // below root
    std::string name;   // empty: the key's default value
    std::string value;  // "%MODULE%" stands for the module's path
    bool owned;         // removed whole on unregistration
};

std::vector<Entry> Entries() {
    const std::string clsidKey = std::string("CLSID\\") + kClsidText;
    const std::string prog = kProgId, indep = kIndependentProgId;
    return {
        {HKEY_CLASSES_ROOT, prog, "", kClassName, true},
        {HKEY_CLASSES_ROOT, prog + "\\CLSID", "", kClsidText, false},
        {HKEY_CLASSES_ROOT, indep, "", kClassName, true},
        {HKEY_CLASSES_ROOT, indep + "\\CLSID", "", kClsidText, false},
        {HKEY_CLASSES_ROOT, indep + "\\CurVer", "", kProgId, false},
        {HKEY_CLASSES_ROOT, clsidKey, "", kClassName, true},
        {HKEY_CLASSES_ROOT, clsidKey + "\\ProgID", "", kProgId, false},
        {HKEY_CLASSES_ROOT, clsidKey + "\\VersionIndependentProgID", "", kIndependentProgId, false},
        {HKEY_CLASSES_ROOT, clsidKey + "\\Programmable", "", "", false},
        {HKEY_CLASSES_ROOT, clsidKey + "\\InprocServer32", "", "%MODULE%", false},
        {HKEY_CLASSES_ROOT, clsidKey + "\\InprocServer32", "ThreadingModel", "Apartment", false},
        {HKEY_CLASSES_ROOT, clsidKey + "\\TypeLib", "", kLibidText, false},
        {HKEY_LOCAL_MACHINE, std::string(kHelperObjects) + kClsidText, "", "Kestrune Helper", true},
    };
}

bool WriteEntry(const Entry& e, const std::string& module) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(e.root, e.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::string& value = e.value == "%MODULE%" ? module : e.value;
    LONG r = RegSetValueExA(key, e.name.empty() ? nullptr : e.name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

void DeleteOwnedKeys() {
    for (const Entry& e : Entries())
        if (e.owned) RegDeleteTreeA(e.root, e.key.c_str());
}

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), w.data(), n);
    return w;
}
}  // namespace

HRESULT RegisterServer() {
    const std::string module = ModulePath();
    if (module.empty()) return SELFREG_E_CLASS;
    // Owned keys are replaced whole, so nothing stale survives.
    DeleteOwnedKeys();
    for (const Entry& e : Entries()) {
        if (!WriteEntry(e, module)) {
            DeleteOwnedKeys();
            return SELFREG_E_CLASS;
        }
    }
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadTypeLibEx(Wide(module).c_str(), REGKIND_REGISTER, &lib);
    if (FAILED(hr) || !lib) return SELFREG_E_TYPELIB;
    lib->Release();
    return S_OK;
}

HRESULT UnregisterServer() {
    DeleteOwnedKeys();
    UnRegisterTypeLib(kLibid, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    return S_OK;
}

}  // namespace tavisk
