// Loading, saving and publishing the settings record by walking the key
// tables of settings_keys.cpp.
#include "app/settings.h"

#include <algorithm>
#include <climits>
#include <functional>

#include "app/proxy_profile.h"
#include "base/runtime.h"
#include "app/settings_keys.h"
#include "platform/files.h"

namespace ks {

using namespace settings_keys;

bool ParseIniFlag(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return lower.find("yes") != std::string::npos;
}

std::int32_t ParseIniInt(std::string_view text) {
    std::size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > std::int64_t(INT_MAX) + 1) v = std::int64_t(INT_MAX) + 1;  // saturate
    }
    if (negative) return std::int32_t(-v);
    return std::int32_t(std::min<std::int64_t>(v, INT_MAX));
}

const std::vector<std::string>& DefaultCaptureFileTypes() {
    static const std::vector<std::string> kTypes = {
        "avi", "arj", "lzh", "tar", "z",   "sit", "fml", "vsl", "hqx", "bin", "rar",
        "tgz", "bmp", "exe", "gz",  "jpg", "mp3", "mpg", "mov", "qt",  "zip"};
    return kTypes;
}

namespace {

void ReadList(IniFile& ini, const ListSpec& l, Settings& s) {
    std::vector<std::string>& items = *l.items(s);
    items.clear();
    std::int32_t count = ParseIniInt(ini.Get(l.section, l.countKey, l.countDefault));
    if (l.defaultsOnMissing && count == -1) {
        items = DefaultCaptureFileTypes();
        ini.Set(l.section, l.countKey, std::to_string(items.size()));
        for (std::size_t i = 0; i < items.size(); ++i) {
            ini.Set(l.section, ItemKey(l.itemPrefix, std::int32_t(i + 1)), items[i]);
        }
        return;
    }
    count = std::min(count, kMaxListItems);
    for (std::int32_t i = 1; i <= count; ++i) {
        std::string v = CleanItem(l, ini.Get(l.section, ItemKey(l.itemPrefix, i), l.itemDefault));
        if (l.skipEmpty && v.empty()) continue;
        items.push_back(std::move(v));
    }
}

// Writes count and items, then removes items a longer earlier list left.
void WriteList(IniFile& ini, const char* section, const char* countKey,
               std::initializer_list<const char*> prefixes, std::size_t count,
               const std::function<std::string(const char*, std::size_t)>& item) {
    ini.Set(section, countKey, std::to_string(count));
    for (const char* prefix : prefixes) {
        for (std::size_t i = 0; i < count; ++i) {
            ini.Set(section, ItemKey(prefix, std::int32_t(i + 1)), item(prefix, i));
        }
        for (std::size_t i = count + 1; ini.Delete(section, ItemKey(prefix, std::int32_t(i)));) {
            ++i;
        }
    }
}

}  // namespace

ConnectionProfile ConnectionProfile::Load(const IniDocument& ini, std::string_view section) {
    ConnectionProfile p;
    p.section = std::string(section);
    for (const auto& k : ProfileKeys()) AssignField(k, p, ini.Get(section, k.key, k.def));
    std::int32_t count =
        std::min(ParseIniInt(ini.Get(section, kPhoneCountKey, "0")), kMaxListItems);
    for (std::int32_t i = 1; i <= count; ++i) {
        PhoneNumber n;
        n.number = ini.Get(section, ItemKey(kPhoneNumberPrefix, i), "");
        n.enabled = ParseIniFlag(ini.Get(section, ItemKey(kPhoneEnabledPrefix, i), "no"));
        p.numbers.push_back(std::move(n));
    }
    return p;
}

void ConnectionProfile::Save(IniFile& ini) const {
    if (section.empty()) return;
    ConnectionProfile copy = *this;
    for (const auto& k : ProfileKeys()) ini.Set(section, k.key, FormatField(k, copy));
    WriteList(ini, section.c_str(), kPhoneCountKey, {kPhoneNumberPrefix, kPhoneEnabledPrefix},
              numbers.size(), [&](const char* prefix, std::size_t i) {
                  return std::string_view(prefix) == kPhoneNumberPrefix
                             ? numbers[i].number
                             : std::string(FormatIniFlag(numbers[i].enabled));
              });
}

std::string Settings::CurrentConnectionFor(const DialUpSettings& d) {
    if (!d.use) return "LAN Settings";
    return d.entries.empty() ? "Lan Settings" : d.entries.front();
}

void Settings::LoadConnectionProfile(const IniDocument& ini) {
    connection = ConnectionProfile::Load(ini, currentConnection);
}

Settings Settings::Defaults(const std::string& programFolder) {
    IniFile empty;
    return Load(empty, programFolder);
}

Settings Settings::Load(IniFile& ini, const std::string& programFolder) {
    Settings s;
    s.programFolder = programFolder;
    s.iniPath = ini.Path().empty() ? plat::JoinPath(programFolder, kIniFileName) : ini.Path();
    for (const auto& k : SettingKeys()) {
        std::string def = k.computedDefault ? k.computedDefault(programFolder) : k.def;
        AssignField(k, s, ini.Get(k.section, k.key, def));
    }
    for (const auto& l : SettingLists()) ReadList(ini, l, s);
    s.currentConnection = CurrentConnectionFor(s.dialUp);
    s.LoadConnectionProfile(ini.Document());
    return s;
}

Settings Settings::Load(const std::string& iniPath, const std::string& programFolder) {
    IniFile ini;
    ini.Load(iniPath);
    Settings s = Load(ini, programFolder);
    ini.Save();  // the default capture list, when it was missing; failures are silent
    return s;
}

void Settings::SaveTo(IniFile& ini) const {
    Settings copy = *this;  // the tables hand out mutable field pointers
    for (const auto& k : SettingKeys()) ini.Set(k.section, k.key, FormatField(k, copy));
    for (const auto& l : SettingLists()) {
        const std::vector<std::string>& items = *l.items(copy);
        WriteList(ini, l.section, l.countKey, {l.itemPrefix}, items.size(),
                  [&](const char*, std::size_t i) { return items[i]; });
    }
    connection.Save(ini);
}

bool Settings::Save() const {
    // Re-read first: other sections (search settings, other connections'
    // profiles) live in the same file and must survive.
    IniFile ini;
    if (!ini.Load(iniPath)) return false;
    SaveTo(ini);
    return ini.Save();
}

void Settings::Publish() const {
    Runtime& rt = GlobalRuntime();
    rt.retryWaitSeconds = limits.wait;
    rt.timeoutSeconds = limits.timeout;
    std::int32_t interval = urlList.IntervalSeconds();
    rt.keepAliveSeconds = interval == 0 ? 60 : interval;
    rt.SetExternal(ExternalProgram{download.useExt, download.extProg, download.extParams});
    rt.SetCaptureFileTypes(captureFileTypes);
    rt.SetProgramFolder(programFolder);
    rt.SetProxy(ProxyFromProfile(connection, installKey));
    rt.SetTls(TlsTrustFor(tls, programFolder));
}

plat::TlsTrust TlsTrustFor(const Settings::Tls& tls, const std::string& programFolder) {
    plat::TlsTrust t;
    t.verify = tls.verify;
    if (!tls.caFile.empty())
        t.caFile = plat::IsAbsolutePath(tls.caFile) ? tls.caFile
                                                    : plat::JoinPath(programFolder, tls.caFile);
    return t;
}

}  // namespace ks
