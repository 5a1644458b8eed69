#include "app/shell_text.h"

#include <cctype>
#include <cstdio>

namespace ks {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    return true;
}
}  // namespace

std::string TrimBlanks(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

std::optional<std::string> CommandLineUrl(std::string_view text) {
    std::string url = TrimBlanks(text);
    std::size_t hostStart = 0;
    if (StartsWithNoCase(url, "http://"))
        hostStart = 7;
    else if (StartsWithNoCase(url, "https://"))
        hostStart = 8;
    else if (StartsWithNoCase(url, "ftp://"))
        hostStart = 6;
    else
        return std::nullopt;
    // A user name may precede the host; what matters is that something other
    // than a path follows the scheme.
    if (hostStart >= url.size() || url[hostStart] == '/' || url[hostStart] == '?' ||
        url[hostStart] == '#')
        return std::nullopt;
    return url;
}

std::string HeartbeatText(double rateKbps, int active, int rows) {
    char buf[128];
    std::snprintf(
        buf, sizeof buf,
        rows < 2 ? "Kestrune (%.2fkb/s), %d of %d item" : "Kestrune (%.2fkb/s), %d of %d items",
        rateKbps, active, rows);
    return buf;
}

std::string ConnectedText(std::string_view connection, std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    int h = static_cast<int>((seconds / 3600) % 24);
    int m = static_cast<int>((seconds / 60) % 60);
    int s = static_cast<int>(seconds % 60);
    char buf[64];
    std::snprintf(buf, sizeof buf, ") Connected.[%03d:%02d:%02d]", h, m, s);
    return "(" + std::string(connection) + buf;
}

std::string TrayTip(std::string_view text) {
    return std::string(text.substr(0, 63));
}

}  // namespace ks
