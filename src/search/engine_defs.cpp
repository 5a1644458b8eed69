#include "search/engine_defs.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/files.h"
#include "transfer/url.h"

namespace ks {
namespace {

constexpr const char* kOptions = "Options";
constexpr const char* kCategories = "Categories";

bool IsTypeSeparator(char c) {
    return c == ' ' || c == '.' || c == ',' || c == ';';
}

// Absent: the default; present but empty: the section's own name. Markers may
// carry characters an INI line cannot hold plainly, so they are escaped.
std::string Marker(const IniDocument& doc, std::string_view section, std::string_view key) {
    std::optional<std::string> v = doc.Find(section, key);
    if (!v) return "<br>";
    if (v->empty()) return PercentDecode(section);
    return PercentDecode(*v);
}

std::string NameOrSection(const IniDocument& doc, std::string_view section, std::string_view key) {
    std::string v = doc.Get(section, key);
    return v.empty() ? std::string(section) : v;
}

bool IsNo(std::string_view v) {
    return IniNamesEqual(v, "no");
}

}  // namespace

std::string NumberedKey(const char* stem, int number) {
    return stem + std::to_string(number);
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
    if (from.empty()) return;
    std::size_t p = 0;
    while ((p = s.find(from, p)) != std::string::npos) {
        s.replace(p, from.size(), to);
        p += to.size();
    }
}

std::vector<std::string> SplitTypeList(std::string_view value) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && IsTypeSeparator(value[i])) ++i;
        std::size_t start = i;
        while (i < value.size() && !IsTypeSeparator(value[i])) ++i;
        if (i > start) out.emplace_back(value.substr(start, i - start));
    }
    return out;
}

std::int64_t IniNumber64(std::string_view value) {
    std::size_t i = value.find_first_not_of(" \t");
    if (i == std::string_view::npos) return 0;
    bool negative = false;
    if (value[i] == '-' || value[i] == '+') negative = value[i++] == '-';
    std::int64_t n = 0;
    // Saturates rather than overflows: a absurd number reads as a huge one.
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        n = n > (INT64_MAX - 9) / 10 ? INT64_MAX : n * 10 + (value[i] - '0');
    return negative ? -n : n;
}

int IniNumber(std::string_view value) {
    return static_cast<int>(std::clamp<std::int64_t>(IniNumber64(value), INT32_MIN, INT32_MAX));
}

const std::string& EngineDef::TypeText(SearchMethod m) const {
    switch (m) {
        case SearchMethod::AnyWord:
            return typeAny;
        case SearchMethod::ExactPhrase:
            return typeExact;
        case SearchMethod::AllWords:
            break;
    }
    return typeAll;
}

EngineDef ReadEngine(const IniDocument& doc, std::string_view section) {
    EngineDef e;
    if (section.empty()) return e;
    e.section = std::string(section);
    // An engine nobody switched on is not queried: absent "on" means off.
    std::optional<std::string> on = doc.Find(section, "on");
    e.enabled = on && !IsNo(*on);
    e.counted = on && IniNamesEqual(*on, "yes");
    e.name = NameOrSection(doc, section, "name");
    e.home = NameOrSection(doc, section, "home");
    e.url = doc.Get(section, "url");
    e.post = doc.Get(section, "post");
    e.typeAll = doc.Get(section, "all", "all");
    e.typeAny = doc.Get(section, "any", "all");
    e.typeExact = doc.Get(section, "exact", "all");
    e.s1 = Marker(doc, section, "s1");
    e.s2 = Marker(doc, section, "s2");
    e.t1 = Marker(doc, section, "t1");
    e.t2 = Marker(doc, section, "t2");
    e.linkNumber = IniNumber(doc.Get(section, "lnum", "0"));
    e.base = doc.Get(section, "base");
    e.digs = IniNamesEqual(doc.Get(section, "dig", "no"), "yes");
    return e;
}

std::string EngineSectionIn(const IniDocument& doc, int n, int m) {
    std::string category = doc.Get(kCategories, NumberedKey("cat", n + 1));
    if (category.empty()) return {};
    return doc.Get(category, NumberedKey("eng", m));
}

IniDocument EngineDefs::Load() const {
    IniDocument doc;
    std::string bytes;
    if (plat::ReadWholeFile(path_, bytes)) doc.Parse(bytes);
    return doc;
}

std::string EngineDefs::Read(std::string_view section, std::string_view key,
                             std::string_view def) const {
    return Load().Get(section, key, def);
}

bool EngineDefs::Write(std::string_view section, std::string_view key,
                       std::string_view value) const {
    return IniWrite(path_, section, key, value);
}

int EngineDefs::MaxThread() const {
    return IniNumber(Read(kOptions, "maxthread", "10"));
}

int EngineDefs::MaxResults() const {
    return IniNumber(Read(kOptions, "maxresults", "10"));
}

int EngineDefs::CategoryTotal() const {
    return IniNumber(Read(kCategories, "total", "0"));
}

std::string EngineDefs::CategoryName(int n) const {
    return Read(kCategories, NumberedKey("cat", n + 1));
}

std::string EngineDefs::CategoryTypes(int n) const {
    return Read(kCategories, NumberedKey("types", n + 1));
}

std::string EngineDefs::CategoryList(int n) const {
    return Read(kCategories, NumberedKey("list", n + 1));
}

int EngineDefs::EngineCount(int n) const {
    IniDocument doc = Load();
    std::string category = doc.Get(kCategories, NumberedKey("cat", n + 1));
    if (category.empty()) return 0;
    return IniNumber(doc.Get(category, "total", "0"));
}

int EngineDefs::EnabledEngineCount(int n) const {
    IniDocument doc = Load();
    std::string category = doc.Get(kCategories, NumberedKey("cat", n + 1));
    if (category.empty()) return 0;
    const int total = IniNumber(doc.Get(category, "total", "0"));
    int count = 0;
    for (int m = 1; m <= total; ++m) {
        std::string section = doc.Get(category, NumberedKey("eng", m));
        if (!section.empty() && IniNamesEqual(doc.Get(section, "on"), "yes")) ++count;
    }
    return count;
}

std::string EngineDefs::EngineSection(int n, int m) const {
    return EngineSectionIn(Load(), n, m);
}

EngineDef EngineDefs::Engine(int n, int m) const {
    IniDocument doc = Load();
    return ReadEngine(doc, EngineSectionIn(doc, n, m));
}

}  // namespace ks
