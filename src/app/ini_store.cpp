#include "app/ini_store.h"

#include "base/text.h"
#include "platform/files.h"

namespace ks {
namespace {

std::string_view Trim(std::string_view s) {
    return TrimSpacesTabs(s);
}

std::string StoredForm(std::string_view s) {
    return std::string(Trim(WithoutLineBreaks(s)));
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsComment(std::string_view name) {
    return !name.empty() && name.front() == ';';
}

std::string ReadForm(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return std::string(v.substr(0, kIniValueMax));
}

// Trailing blanks of a default go, but never its first character: an
// all-blank default of " " still reads as " ".
std::string DefaultForm(std::string_view def) {
    while (def.size() > 1 && def.back() == ' ') def.remove_suffix(1);
    return std::string(def.substr(0, kIniValueMax));
}

// A key that would read back as something else is refused: '=' would end
// it early, a leading ';' makes the line a comment and a leading '[' a
// section header.
bool IsStorableKey(std::string_view key) {
    if (key.empty() || key.front() == ';' || key.front() == '[') return false;
    return key.find('=') == std::string_view::npos;
}

}  // namespace

std::string IniValueAsRead(std::string_view value) {
    return ReadForm(StoredForm(value));
}

bool IniNamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

bool IniDocument::Parse(std::string_view bytes) {
    sections_.clear();
    if (bytes.size() > kIniFileMax) return false;
    // Blank lines are dropped on writing, so a BOM behind them would reach the
    // start of the file on the next save: BOMs are skipped up to the first text.
    for (std::size_t text; (text = bytes.find_first_not_of(" \t\r\n")) != bytes.npos &&
                           bytes.substr(text, 3) == "\xEF\xBB\xBF";) {
        bytes.remove_prefix(text + 3);
    }
    sections_.push_back(Section{std::string(), false, {}});
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = Trim(bytes.substr(pos, end - pos));
        // CR and LF each end a line; the empty line between CR and LF of a
        // CRLF pair is dropped like any other blank line.
        pos = end + 1;
        if (line.empty()) continue;
        if (line.front() == '[') {
            std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                std::string name(Trim(line.substr(1, close - 1)));
                sections_.push_back(Section{std::move(name), true, {}});
                continue;
            }
        }
        std::size_t eq = line.find('=');
        Line l;
        if (eq == std::string_view::npos || IsComment(line)) {
            l.name = std::string(line);
        } else {
            l.name = std::string(Trim(line.substr(0, eq)));
            l.value = std::string(Trim(line.substr(eq + 1)));
        }
        sections_.back().lines.push_back(std::move(l));
    }
    return true;
}

std::string IniDocument::Serialize() const {
    std::string out;
    for (const Section& s : sections_) {
        if (s.header) {
            out += '[';
            out += s.name;
            out += "]\r\n";
        }
        for (const Line& l : s.lines) {
            out += l.name;
            if (l.value) {
                out += '=';
                out += *l.value;
            }
            out += "\r\n";
        }
    }
    return out;
}

IniDocument::Section* IniDocument::FindSection(std::string_view name) {
    name = Trim(name);
    for (Section& s : sections_) {
        if (s.header && IniNamesEqual(s.name, name)) return &s;
    }
    return nullptr;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
    return const_cast<IniDocument*>(this)->FindSection(name);
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    key = Trim(key);
    const Section* s = FindSection(section);
    if (!s || key.empty()) return std::nullopt;
    for (const Line& l : s->lines) {
        if (IsComment(l.name) || !IniNamesEqual(l.name, key)) continue;
        // The first line with the name decides, even when it is not a key.
        if (!l.value) return std::nullopt;
        return ReadForm(*l.value);
    }
    return std::nullopt;
}

std::string IniDocument::Get(std::string_view section, std::string_view key,
                             std::string_view def) const {
    if (auto v = Find(section, key)) return *v;
    return DefaultForm(def);
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string sec = StoredForm(section), k = StoredForm(key), v = StoredForm(value);
    if (sec.empty() || !IsStorableKey(k)) return false;
    Section* s = FindSection(sec);
    if (!s) {
        sections_.push_back(Section{sec, true, {Line{k, v}}});
        return true;
    }
    for (Line& l : s->lines) {
        if (IsComment(l.name) || !IniNamesEqual(l.name, k)) continue;
        if (l.value == v) return false;
        l.value = v;
        return true;
    }
    s->lines.push_back(Line{k, v});
    return true;
}

bool IniDocument::Delete(std::string_view section, std::string_view key) {
    key = Trim(key);
    Section* s = FindSection(section);
    if (!s) return false;
    for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
        if (!IsComment(it->name) && IniNamesEqual(it->name, key)) {
            s->lines.erase(it);
            return true;
        }
    }
    return false;
}

bool IniDocument::DeleteSection(std::string_view section) {
    Section* s = FindSection(section);
    if (!s) return false;
    sections_.erase(sections_.begin() + (s - sections_.data()));
    return true;
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> out;
    for (const Section& s : sections_) {
        if (s.header && FindSection(s.name) == &s) out.push_back(s.name);
    }
    return out;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> out;
    const Section* s = FindSection(section);
    if (!s) return out;
    for (const Line& l : s->lines) {
        if (l.value && !IsComment(l.name)) out.push_back(l.name);
    }
    return out;
}

bool IniFile::Load(const std::string& path) {
    path_ = path;
    dirty_ = false;
    refused_ = false;
    doc_.Clear();
    auto size = plat::FileSize(path);
    if (!size) return true;  // a missing file is an empty one
    if (*size > std::int64_t(kIniFileMax)) {
        refused_ = true;
        return false;
    }
    // A file that is there but cannot be read is not an empty one: saving
    // over it would drop every key it holds.
    std::string bytes;
    if (!plat::ReadWholeFile(path, bytes) || !doc_.Parse(bytes)) {
        doc_.Clear();
        refused_ = true;
        return false;
    }
    return true;
}

bool IniFile::Save(bool force) {
    // A file we refused to read is not ours to replace with a few keys.
    if (refused_ || path_.empty()) return false;
    if (!dirty_ && !force) return true;
    if (!plat::WriteFileAtomic(path_, doc_.Serialize())) return false;
    dirty_ = false;
    return true;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (doc_.Set(section, key, value)) dirty_ = true;
}

bool IniFile::Delete(std::string_view section, std::string_view key) {
    bool removed = doc_.Delete(section, key);
    dirty_ = dirty_ || removed;
    return removed;
}

bool IniFile::DeleteSection(std::string_view section) {
    bool removed = doc_.DeleteSection(section);
    dirty_ = dirty_ || removed;
    return removed;
}

std::string IniRead(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view def) {
    IniFile f;
    f.Load(path);
    return f.Get(section, key, def);
}

bool IniWrite(const std::string& path, std::string_view section, std::string_view key,
              std::string_view value) {
    IniFile f;
    if (!f.Load(path)) return false;
    f.Set(section, key, value);
    return f.Save();
}

bool IniDelete(const std::string& path, std::string_view section, std::string_view key) {
    IniFile f;
    if (!f.Load(path)) return false;
    f.Delete(section, key);
    return f.Save();
}

}  // namespace ks
