// Win32 side of the registry seam: the real registry.
#include "platform/registry.h"

#include <windows.h>

#include <vector>

namespace ks::plat {
namespace {

HKEY RootHandle(RegRoot root) {
    return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// An open key, closed on scope exit.
class OpenKey {
  public:
    OpenKey(RegRoot root, const std::string& key, REGSAM access) {
        if (RegOpenKeyExA(RootHandle(root), key.c_str(), 0, access, &h_) != ERROR_SUCCESS) {
            h_ = nullptr;
        }
    }
    ~OpenKey() {
        if (h_) RegCloseKey(h_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

  private:
    HKEY h_ = nullptr;
};

}  // namespace

void SetRegistryStore(const std::string&) {}

bool RegKeyExists(RegRoot root, const std::string& key) {
    return static_cast<bool>(OpenKey(root, key, KEY_READ));
}

bool RegCreateKey(RegRoot root, const std::string& key) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(RootHandle(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &h, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(h);
    return true;
}

bool RegDeleteKey(RegRoot root, const std::string& key) {
    return RegDeleteKeyA(RootHandle(root), key.c_str()) == ERROR_SUCCESS;
}

std::optional<std::string> RegReadString(RegRoot root, const std::string& key,
                                         const std::string& name) {
    OpenKey k(root, key, KEY_QUERY_VALUE);
    if (!k) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::vector<char> buf(size + 1, '\0');
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                         &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // The stored terminator, if any, is not part of the text.
    std::string s(buf.data(), size);
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

bool RegWriteString(RegRoot root, const std::string& key, const std::string& name,
                    const std::string& value) {
    OpenKey k(root, key, KEY_SET_VALUE);
    if (!k) return false;
    return RegSetValueExA(k.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD(value.size() + 1)) == ERROR_SUCCESS;
}

std::optional<std::uint32_t> RegReadDword(RegRoot root, const std::string& key,
                                          const std::string& name) {
    OpenKey k(root, key, KEY_QUERY_VALUE);
    if (!k) return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

bool RegWriteDword(RegRoot root, const std::string& key, const std::string& name,
                   std::uint32_t value) {
    OpenKey k(root, key, KEY_SET_VALUE);
    if (!k) return false;
    DWORD v = value;
    return RegSetValueExA(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                          sizeof v) == ERROR_SUCCESS;
}

bool RegDeleteValue(RegRoot root, const std::string& key, const std::string& name) {
    OpenKey k(root, key, KEY_SET_VALUE);
    return k && RegDeleteValueA(k.get(), name.c_str()) == ERROR_SUCCESS;
}

// windows.h renames these three to their ...A forms, so the definitions above
// carry those names; code that calls the seam without windows.h in sight
// (the portable core) asks for the plain names, which lead to the same place.
#undef RegCreateKey
#undef RegDeleteKey
#undef RegDeleteValue
bool RegCreateKey(RegRoot root, const std::string& key) {
    return RegCreateKeyA(root, key);
}
bool RegDeleteKey(RegRoot root, const std::string& key) {
    return RegDeleteKeyA(root, key);
}
bool RegDeleteValue(RegRoot root, const std::string& key, const std::string& name) {
    return RegDeleteValueA(root, key, name);
}

}  // namespace ks::plat
