// The key tables behind Settings: every INI key the record holds, described
// once, so loading, saving and key-by-key access cannot drift apart.
// Internal to settings*.cpp and the tests that walk every key.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "app/settings.h"

namespace ks::settings_keys {

enum class Kind { Flag, Int, String };
using FieldRef = std::variant<bool*, std::int32_t*, std::string*>;

// One scalar key. `section` is nullptr in the profile table, whose section is
// the connection's name.
template <class R>
struct KeySpec {
    const char* section;
    const char* key;
    Kind kind;
    const char* def;
    FieldRef (*field)(R&);
    // Defaults that depend on the program folder; nullptr for a fixed default.
    std::string (*computedDefault)(const std::string& programFolder) = nullptr;
};

// An indexed list: a count key and items "<prefix>1" ... "<prefix>count".
struct ListSpec {
    const char* section;
    const char* countKey;
    const char* countDefault;
    const char* itemPrefix;
    const char* itemDefault;
    std::vector<std::string>* (*items)(Settings&);
    bool stripDots;          // leading and trailing '.' go (file extensions)
    bool skipEmpty;          // empty items are not list entries
    bool defaultsOnMissing;  // count -1: the default list, written to the file
};

std::span<const KeySpec<Settings>> SettingKeys();
std::span<const KeySpec<ConnectionProfile>> ProfileKeys();
std::span<const ListSpec> SettingLists();

// The profile's phone number list.
inline constexpr const char* kPhoneCountKey = "totalnum";
inline constexpr const char* kPhoneNumberPrefix = "n";
inline constexpr const char* kPhoneEnabledPrefix = "e";

template <class R>
std::string FormatField(const KeySpec<R>& k, R& r) {
    FieldRef f = k.field(r);
    if (auto* b = std::get_if<bool*>(&f)) return FormatIniFlag(**b);
    if (auto* i = std::get_if<std::int32_t*>(&f)) return std::to_string(**i);
    return *std::get<std::string*>(f);
}

template <class R>
void AssignField(const KeySpec<R>& k, R& r, const std::string& text) {
    FieldRef f = k.field(r);
    if (auto* b = std::get_if<bool*>(&f)) {
        **b = ParseIniFlag(text);
    } else if (auto* i = std::get_if<std::int32_t*>(&f)) {
        **i = ParseIniInt(text);
    } else {
        *std::get<std::string*>(f) = text;
    }
}

// "<prefix>N" with N decimal digits only: N, else 0.
std::int32_t ItemIndex(std::string_view key, std::string_view prefix);
std::string ItemKey(std::string_view prefix, std::int32_t index);
// An item value as the list holds it (dots stripped where the list says so).
std::string CleanItem(const ListSpec& l, std::string value);

}  // namespace ks::settings_keys
