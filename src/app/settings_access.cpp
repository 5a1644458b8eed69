// Key-by-key access to the settings record by INI section and key names,
// for the command line's "config" and for dialogs that keep one key.
#include <algorithm>

#include "app/settings.h"
#include "app/settings_keys.h"

namespace ks {

using namespace settings_keys;

namespace {

const ListSpec* FindList(std::string_view section, std::string_view key, std::int32_t* index) {
    for (const auto& l : SettingLists()) {
        if (!IniNamesEqual(section, l.section)) continue;
        if (IniNamesEqual(key, l.countKey)) {
            *index = 0;
            return &l;
        }
        if (std::int32_t i = ItemIndex(key, l.itemPrefix); i > 0) {
            *index = i;
            return &l;
        }
    }
    return nullptr;
}

bool SetListValue(Settings& s, const ListSpec& l, std::int32_t index, const std::string& value) {
    std::vector<std::string>& items = *l.items(s);
    if (index == 0) {
        std::int32_t count = ParseIniInt(value);
        if (l.defaultsOnMissing && count == -1) {
            items = DefaultCaptureFileTypes();
            return true;
        }
        count = std::clamp<std::int32_t>(count, 0, kMaxListItems);
        items.resize(std::size_t(count), CleanItem(l, IniValueAsRead(l.itemDefault)));
        return true;
    }
    if (std::size_t(index) > items.size()) return false;
    std::string v = CleanItem(l, value);
    if (l.skipEmpty && v.empty()) {
        items.erase(items.begin() + (index - 1));
    } else {
        items[std::size_t(index - 1)] = std::move(v);
    }
    return true;
}

std::optional<std::string> GetProfileValue(const ConnectionProfile& p, std::string_view key) {
    ConnectionProfile copy = p;
    for (const auto& k : ProfileKeys()) {
        if (IniNamesEqual(key, k.key)) return FormatField(k, copy);
    }
    if (IniNamesEqual(key, kPhoneCountKey)) return std::to_string(p.numbers.size());
    if (std::int32_t i = ItemIndex(key, kPhoneNumberPrefix); i > 0) {
        if (std::size_t(i) <= p.numbers.size()) return p.numbers[std::size_t(i - 1)].number;
    }
    if (std::int32_t i = ItemIndex(key, kPhoneEnabledPrefix); i > 0) {
        if (std::size_t(i) <= p.numbers.size()) {
            return std::string(FormatIniFlag(p.numbers[std::size_t(i - 1)].enabled));
        }
    }
    return std::nullopt;
}

bool SetProfileValue(ConnectionProfile& p, std::string_view key, const std::string& value) {
    for (const auto& k : ProfileKeys()) {
        if (!IniNamesEqual(key, k.key)) continue;
        AssignField(k, p, value);
        return true;
    }
    if (IniNamesEqual(key, kPhoneCountKey)) {
        p.numbers.resize(
            std::size_t(std::clamp<std::int32_t>(ParseIniInt(value), 0, kMaxListItems)));
        return true;
    }
    std::int32_t n = ItemIndex(key, kPhoneNumberPrefix);
    std::int32_t e = ItemIndex(key, kPhoneEnabledPrefix);
    std::int32_t i = std::max(n, e);
    if (i <= 0 || std::size_t(i) > p.numbers.size()) return false;
    PhoneNumber& pn = p.numbers[std::size_t(i - 1)];
    if (n > 0) {
        pn.number = value;
    } else {
        pn.enabled = ParseIniFlag(value);
    }
    return true;
}

}  // namespace

std::optional<std::string> Settings::Get(std::string_view section, std::string_view key) const {
    Settings copy = *this;  // the tables hand out mutable field pointers
    for (const auto& k : SettingKeys()) {
        if (IniNamesEqual(section, k.section) && IniNamesEqual(key, k.key)) {
            return FormatField(k, copy);
        }
    }
    std::int32_t index = 0;
    if (const ListSpec* l = FindList(section, key, &index)) {
        const std::vector<std::string>& items = *l->items(copy);
        if (index == 0) return std::to_string(items.size());
        if (std::size_t(index) <= items.size()) return items[std::size_t(index - 1)];
        return std::nullopt;
    }
    if (IniNamesEqual(section, connection.section)) return GetProfileValue(connection, key);
    return std::nullopt;
}

bool Settings::Set(std::string_view section, std::string_view key, std::string_view rawValue) {
    // Store what a reload would give, so Get after Set agrees with Get after
    // Save and Load.
    std::string value = IniValueAsRead(rawValue);
    bool done = false;
    for (const auto& k : SettingKeys()) {
        if (IniNamesEqual(section, k.section) && IniNamesEqual(key, k.key)) {
            AssignField(k, *this, value);
            done = true;
            break;
        }
    }
    std::int32_t index = 0;
    if (!done) {
        if (const ListSpec* l = FindList(section, key, &index)) {
            done = SetListValue(*this, *l, index, value);
        } else if (IniNamesEqual(section, connection.section)) {
            return SetProfileValue(connection, key, value);
        }
    }
    if (done && IniNamesEqual(section, "Dial Up")) {
        std::string next = CurrentConnectionFor(dialUp);
        bool sameSection = IniNamesEqual(next, currentConnection);
        currentConnection = next;
        if (!sameSection) {
            IniFile ini;
            ini.Load(iniPath);
            LoadConnectionProfile(ini.Document());
        }
    }
    return done;
}

}  // namespace ks
