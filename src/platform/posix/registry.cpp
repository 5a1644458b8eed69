// A stand-in for the registry where there is none: keys and values in one
// text file, re-read on every call (another process may have changed it) and
// replaced atomically on every change. Without a store file the values live
// in memory for the life of the process.
//
// File format, one line each, names and values escaped (\\, \xNN for '=',
// brackets and control characters):
//   [HKLM\SOFTWARE\Kestrune]
//   temp=s:0A1B...
//   CaptureIE=d:1
#include "platform/registry.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/files.h"

namespace ks::plat {
namespace {

struct Value {
    std::string name;  // as first written
    bool isDword = false;
    std::string text;
    std::uint32_t dword = 0;
};
struct Key {
    std::string path;                     // as first created, with root prefix
    std::map<std::string, Value> values;  // by lower-cased name
};
using Store = std::map<std::string, Key>;  // by lower-cased path

std::mutex g_mu;
std::string g_storePath;
Store g_memory;

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return s;
}

std::string FullPath(RegRoot root, const std::string& key) {
    std::string k = key;
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return (root == RegRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + k;
}

std::string Escape(const std::string& s) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == '=' || c == '[' || c == ']' || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            out += s[i];
        } else if (s[i + 1] == 'x' && i + 3 < s.size() && HexDigit(s[i + 2]) >= 0 &&
                   HexDigit(s[i + 3]) >= 0) {
            out += char(HexDigit(s[i + 2]) * 16 + HexDigit(s[i + 3]));
            i += 3;
        } else {
            out += s[++i];
        }
    }
    return out;
}

Store Parse(const std::string& text) {
    Store store;
    Key* cur = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string path = Unescape(line.substr(1, line.size() - 2));
            cur = &store[Lower(path)];
            cur->path = path;
            continue;
        }
        std::size_t eq = line.find('=');
        if (!cur || eq == std::string_view::npos || line.size() < eq + 3) continue;
        Value v;
        v.name = Unescape(line.substr(0, eq));
        std::string data = Unescape(line.substr(eq + 3));
        v.isDword = line[eq + 1] == 'd';
        if (v.isDword) {
            v.dword = std::uint32_t(std::strtoul(data.c_str(), nullptr, 10));
        } else {
            v.text = std::move(data);
        }
        cur->values[Lower(v.name)] = std::move(v);
    }
    return store;
}

std::string Serialize(const Store& store) {
    std::string out;
    for (const auto& [id, key] : store) {
        out += '[' + Escape(key.path) + "]\n";
        for (const auto& [vid, v] : key.values) {
            out += Escape(v.name) +
                   (v.isDword ? "=d:" + std::to_string(v.dword) : "=s:" + Escape(v.text));
            out += '\n';
        }
    }
    return out;
}

Store LoadLocked() {
    if (g_storePath.empty()) return g_memory;
    std::string text;
    if (!ReadWholeFile(g_storePath, text)) return Store();
    return Parse(text);
}

bool SaveLocked(const Store& store) {
    if (g_storePath.empty()) {
        g_memory = store;
        return true;
    }
    return WriteFileAtomic(g_storePath, Serialize(store));
}

// Runs change on the current store and saves it when change returns true.
template <class F>
bool Modify(F change) {
    std::lock_guard<std::mutex> g(g_mu);
    Store store = LoadLocked();
    if (!change(store)) return false;
    return SaveLocked(store);
}

Value* FindValue(Store& store, RegRoot root, const std::string& key, const std::string& name) {
    auto k = store.find(Lower(FullPath(root, key)));
    if (k == store.end()) return nullptr;
    auto v = k->second.values.find(Lower(name));
    return v == k->second.values.end() ? nullptr : &v->second;
}

bool WriteValue(RegRoot root, const std::string& key, Value v) {
    return Modify([&](Store& store) {
        auto k = store.find(Lower(FullPath(root, key)));
        if (k == store.end()) return false;  // like the registry: the key must exist
        auto& slot = k->second.values[Lower(v.name)];
        if (!slot.name.empty()) v.name = slot.name;
        slot = std::move(v);
        return true;
    });
}

}  // namespace

void SetRegistryStore(const std::string& path) {
    std::lock_guard<std::mutex> g(g_mu);
    g_storePath = path;
    g_memory.clear();
}

bool RegKeyExists(RegRoot root, const std::string& key) {
    std::lock_guard<std::mutex> g(g_mu);
    Store store = LoadLocked();
    return store.count(Lower(FullPath(root, key))) != 0;
}

bool RegCreateKey(RegRoot root, const std::string& key) {
    return Modify([&](Store& store) {
        // Every level exists afterwards, as with the real call.
        std::string full = FullPath(root, key);
        for (std::size_t i = full.find('\\'); i != std::string::npos; i = full.find('\\', i + 1)) {
            std::string part = full.substr(0, i);
            if (part.find('\\') == std::string::npos) continue;  // the root itself
            Key& k = store[Lower(part)];
            if (k.path.empty()) k.path = part;
        }
        Key& k = store[Lower(full)];
        if (k.path.empty()) k.path = full;
        return true;
    });
}

bool RegDeleteKey(RegRoot root, const std::string& key) {
    return Modify([&](Store& store) {
        std::string id = Lower(FullPath(root, key));
        auto it = store.find(id);
        if (it == store.end()) return false;
        // A key with subkeys stays, as with the real call.
        auto sub = store.lower_bound(id + "\\");
        if (sub != store.end() && sub->first.compare(0, id.size() + 1, id + "\\") == 0) {
            return false;
        }
        store.erase(it);
        return true;
    });
}

std::optional<std::string> RegReadString(RegRoot root, const std::string& key,
                                         const std::string& name) {
    std::lock_guard<std::mutex> g(g_mu);
    Store store = LoadLocked();
    Value* v = FindValue(store, root, key, name);
    if (!v || v->isDword) return std::nullopt;
    return v->text;
}

bool RegWriteString(RegRoot root, const std::string& key, const std::string& name,
                    const std::string& value) {
    Value v;
    v.name = name;
    v.text = value;
    return WriteValue(root, key, std::move(v));
}

std::optional<std::uint32_t> RegReadDword(RegRoot root, const std::string& key,
                                          const std::string& name) {
    std::lock_guard<std::mutex> g(g_mu);
    Store store = LoadLocked();
    Value* v = FindValue(store, root, key, name);
    if (!v || !v->isDword) return std::nullopt;
    return v->dword;
}

bool RegWriteDword(RegRoot root, const std::string& key, const std::string& name,
                   std::uint32_t value) {
    Value v;
    v.name = name;
    v.isDword = true;
    v.dword = value;
    return WriteValue(root, key, std::move(v));
}

bool RegDeleteValue(RegRoot root, const std::string& key, const std::string& name) {
    return Modify([&](Store& store) {
        auto k = store.find(Lower(FullPath(root, key)));
        return k != store.end() && k->second.values.erase(Lower(name)) != 0;
    });
}

}  // namespace ks::plat
