// INI files with the private-profile semantics the program's settings files
// have always had, so a file edited by hand, or written by an older build,
// reads the same here on every platform.
//
// Reading (IniDocument::Get):
//   - section and key names are compared without regard to case (ASCII);
//   - only the first of several same-named sections is searched, and the first
//     of duplicate keys in it wins;
//   - blanks and tabs around names (section names inside the brackets too)
//     and values are ignored; a matching pair of
//     outer double or single quotes is stripped from a value;
//   - a line starting with ';' is a comment, a line without '=' is not a key;
//   - LF, CRLF and CR-only files read the same; a UTF-8 BOM at the start, or
//     behind leading blanks and line breaks, is skipped;
//   - a value is at most kIniValueMax characters (longer ones are cut);
//   - a present-but-empty value reads as ""; an absent key reads as the
//     default with its trailing blanks trimmed (its first character is kept).
//
// Writing (Set/Delete, then Serialize or IniFile::Save):
//   - the whole file is rewritten: CRLF line ends, every line trimmed, blank
//     lines dropped, comments and other lines kept in place;
//   - an existing key keeps its place and spelling, only its value changes;
//     a new key goes after the last line of the first matching section; a new
//     section is appended at the end;
//   - deleting a key removes its first occurrence.
//   - CR, LF and NUL are removed from section names, keys and values before
//     they are stored, so no value can split a line and plant further keys.
//
// Not thread-safe: one owner at a time (settings live on the UI thread).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

inline constexpr std::size_t kIniValueMax = 255;
// Larger files are refused rather than parsed: settings files are a few KiB.
inline constexpr std::size_t kIniFileMax = 8u << 20;

class IniDocument {
  public:
    // Replaces the contents with the parsed bytes. False (and empty) when the
    // input is larger than kIniFileMax.
    bool Parse(std::string_view bytes);
    // The whole file as it is written back.
    std::string Serialize() const;
    void Clear() { sections_.clear(); }

    // The value as the platform's private-profile read returns it (see above).
    std::string Get(std::string_view section, std::string_view key,
                    std::string_view def = {}) const;
    // The value with the same trimming, quote stripping and length limit, or
    // nullopt when the key is absent.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // True if the document changed. Refused (false) for an empty section and
    // for a key that would read back as something else: empty, holding '=',
    // or starting with ';' or '['.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    // True if a key was removed.
    bool Delete(std::string_view section, std::string_view key);
    // Removes the first section of that name with all its lines.
    bool DeleteSection(std::string_view section);

    // Names in file order: sections (first of each name) and the keys of the
    // first matching section (comments and lines without '=' left out).
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

  private:
    struct Line {
        std::string name;                  // key, or the whole trimmed line
        std::optional<std::string> value;  // absent: not a key (no '=')
    };
    struct Section {
        std::string name;
        bool header = true;  // false only for the lines before the first header
        std::vector<Line> lines;
    };
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;

    std::vector<Section> sections_;
};

// One settings file loaded once, read and changed many times, written once.
// Saving replaces the file atomically, so a crash leaves the old or the new
// file, never a torn one.
class IniFile {
  public:
    IniFile() = default;
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    // Reads path (a missing or unreadable file gives an empty document).
    // False only when the file exists but exceeds kIniFileMax.
    bool Load(const std::string& path);
    bool Load() { return Load(path_); }
    // Writes the document back if anything changed since Load (or always, with
    // force). False when the write failed (the file is then unchanged) or when
    // Load refused the file.
    bool Save(bool force = false);

    const std::string& Path() const { return path_; }
    bool Dirty() const { return dirty_; }

    std::string Get(std::string_view section, std::string_view key,
                    std::string_view def = {}) const {
        return doc_.Get(section, key, def);
    }
    std::optional<std::string> Find(std::string_view section, std::string_view key) const {
        return doc_.Find(section, key);
    }
    void Set(std::string_view section, std::string_view key, std::string_view value);
    bool Delete(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

    const IniDocument& Document() const { return doc_; }

  private:
    std::string path_;
    IniDocument doc_;
    bool dirty_ = false;
    bool refused_ = false;  // the file was too large to load
};

// One-shot helpers for a single value, as the platform calls work: each read
// parses the file, each write rewrites it. Prefer IniFile for several values.
std::string IniRead(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view def = {});
bool IniWrite(const std::string& path, std::string_view section, std::string_view key,
              std::string_view value);
bool IniDelete(const std::string& path, std::string_view section, std::string_view key);

// What value reads back as after being written: trimmed, line breaks removed,
// outer quotes stripped, cut to kIniValueMax.
std::string IniValueAsRead(std::string_view value);

// ASCII case-insensitive equality, as section and key names compare.
bool IniNamesEqual(std::string_view a, std::string_view b);

}  // namespace ks
