// Local file names taken from URLs. A name comes from a server or a link, so it
// is made safe before it is joined to the download folder: it must name one
// file inside that folder on every platform, and the files must stay usable
// when the folder is carried to Windows.
#include <array>

#include "transfer/url.h"

namespace ks {
namespace {

constexpr std::size_t kMaxName = 255;
// An extension longer than this is not worth keeping when a name is cut.
constexpr std::size_t kMaxKeptExtension = 32;

bool IsForbidden(unsigned char c) {
    if (c < 0x20 || c == 0x7f) return true;
    return std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos;
}

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Windows opens a device for these names, with or without an extension.
bool IsDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string up;
    for (char c : base) up += Upper(c);
    static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
    for (auto d : kPlain) {
        if (up == d) return true;
    }
    if (up.size() == 4 && (up.compare(0, 3, "COM") == 0 || up.compare(0, 3, "LPT") == 0)) {
        return up[3] >= '1' && up[3] <= '9';
    }
    return false;
}

void StripTrailingDotsAndBlanks(std::string& s) {
    while (!s.empty() && (s.back() == '.' || s.back() == ' ')) s.pop_back();
}

void CutToLength(std::string& name) {
    if (name.size() <= kMaxName) return;
    std::size_t dot = name.rfind('.');
    std::size_t extLen = dot == std::string::npos ? 0 : name.size() - dot;
    if (dot == std::string::npos || dot == 0 || extLen > kMaxKeptExtension) {
        name.resize(kMaxName);
    } else {
        std::string ext = name.substr(dot);
        name.resize(kMaxName - extLen);
        name += ext;
    }
    StripTrailingDotsAndBlanks(name);
}

}  // namespace

std::string SafeFileName(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (IsForbidden(static_cast<unsigned char>(c))) c = '_';
    }
    // Windows drops trailing dots and blanks, so "a.zip." and "a.zip" are one
    // file there; "." and ".." (and "...") would name a folder.
    StripTrailingDotsAndBlanks(out);
    // The cut comes before the device check, since cutting can reveal a
    // device name ("CON", blanks, "x"), and may leave nothing (all dots).
    CutToLength(out);
    if (out.empty() && !name.empty()) out.assign(1, '_');
    if (IsDeviceName(out)) {
        out.insert(out.begin(), '_');
        CutToLength(out);
    }
    return out;
}

}  // namespace ks
