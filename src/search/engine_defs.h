// The engine definition file ("search.ini"): search options, categories, the
// engines of each category and how to query and cut their pages. Every lookup
// reads the file afresh, so a search sees edits made while it runs and two
// searches share one truth. Categories are 0-based indexes here (key number =
// index + 1); engines are 1-based numbers, as in the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ini_store.h"

namespace ks {

inline constexpr const char* kSearchIniName = "search.ini";
inline constexpr const char* kUpdateIniName = "update.ini";
// Where the engine update is fetched from unless "update" says otherwise, and
// the banner above the results: a host the project controls, on this machine.
inline constexpr const char* kVendorUpdatePage = "http://127.0.0.1/kestrune/update.html";
inline constexpr const char* kVendorBannerPage = "http://127.0.0.1/kestrune/results.html";

// A numbered key: stem followed by the number in decimal ("cat3", "eng12").
std::string NumberedKey(const char* stem, int number);
// Every occurrence of from in s replaced by to, left to right.
void ReplaceAll(std::string& s, std::string_view from, std::string_view to);

// Extensions in a types/list value: split at blanks, '.', ',' and ';'.
std::vector<std::string> SplitTypeList(std::string_view value);

// The decimal number a value starts with (blanks and a sign allowed), 0 for
// text; out-of-range numbers saturate.
std::int64_t IniNumber64(std::string_view value);
int IniNumber(std::string_view value);

enum class SearchMethod : std::int32_t { AllWords = 0, AnyWord = 1, ExactPhrase = 2 };

// One engine as a single read of the file sees it, fallbacks applied.
struct EngineDef {
    std::string section;   // empty: no such engine
    bool enabled = false;  // "on" is not "no" (absent counts as "no")
    bool counted = false;  // "on" is "yes": counted in the progress total
    std::string name, home, url, post;
    std::string typeAll, typeAny, typeExact;
    std::string s1, s2, t1, t2;  // percent-decoded markers
    int linkNumber = 0;
    std::string base;
    bool digs = false;

    const std::string& TypeText(SearchMethod m) const;
};

class EngineDefs {
  public:
    explicit EngineDefs(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // Raw access with private-profile semantics (present-but-empty is "").
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view def = {}) const;
    bool Write(std::string_view section, std::string_view key, std::string_view value) const;

    int MaxThread() const;
    int MaxResults() const;
    int CategoryTotal() const;
    std::string CategoryName(int n) const;
    std::string CategoryTypes(int n) const;
    std::string CategoryList(int n) const;
    int EngineCount(int n) const;
    int EnabledEngineCount(int n) const;
    // The section naming engine m of category n; empty when either is missing.
    std::string EngineSection(int n, int m) const;
    EngineDef Engine(int n, int m) const;

  private:
    IniDocument Load() const;
    std::string path_;
};

// The engine's fields out of an already-loaded document (the update merge and
// the engine lookup share it).
EngineDef ReadEngine(const IniDocument& doc, std::string_view section);
std::string EngineSectionIn(const IniDocument& doc, int n, int m);

}  // namespace ks
