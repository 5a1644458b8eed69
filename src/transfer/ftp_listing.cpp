#include "transfer/ftp_listing.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string>
#include <vector>

#include "platform/files.h"
#include "transfer/url.h"

namespace ks {

namespace {

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

// A whole field of decimal digits; -1 otherwise, or beyond what any file
// holds (a resume adds to the size, which must not overflow).
std::int64_t Number(std::string_view f) {
    std::int64_t v = -1;
    auto [p, ec] = std::from_chars(f.data(), f.data() + f.size(), v);
    if (ec != std::errc() || p != f.data() + f.size() || v < 0 || v > plat::kMaxPlausibleOffset)
        return -1;
    return v;
}

// The digits a field starts with, as the generic fallback reads them.
std::int64_t LeadingDigits(std::string_view f) {
    std::size_t n = 0;
    while (n < f.size() && std::isdigit(static_cast<unsigned char>(f[n]))) ++n;
    return n == 0 ? 0 : std::max<std::int64_t>(Number(f.substr(0, n)), 0);
}

bool IsMonth(std::string_view f) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (f.size() != 3) return false;
    std::string m = AsciiLower(f);
    return std::find(kMonths.begin(), kMonths.end(), m) != kMonths.end();
}

// "01-01-01", "12-31-2001", "2001-12-31".
bool IsDosDate(std::string_view f) {
    if (f.size() < 8 || f.size() > 10) return false;
    int dashes = 0;
    for (char c : f) {
        if (c == '-' || c == '/')
            ++dashes;
        else if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return dashes == 2;
}

std::int64_t LineSize(std::string_view line) {
    std::vector<std::string_view> f = Fields(line);
    // Unix: the size stands right before the month of the date.
    if (!f.empty() && f[0].size() >= 10 &&
        std::string_view("-dlcbps").find(f[0][0]) != std::string_view::npos) {
        for (std::size_t i = 3; i + 2 < f.size(); ++i) {
            if (IsMonth(f[i])) {
                std::int64_t v = Number(f[i - 1]);
                if (v >= 0) return v;
                break;
            }
        }
    }
    if (f.size() >= 4 && IsDosDate(f[0])) {
        std::int64_t v = Number(f[2]);
        return v >= 0 ? v : 0;  // "<DIR>"
    }
    std::int64_t best = 0;
    for (std::size_t i = 2; i <= 4 && i < f.size(); ++i) best = std::max(best, LeadingDigits(f[i]));
    return best;
}

}  // namespace

std::int64_t ListingRemoteSize(std::string_view listing, std::string_view remotePath) {
    std::size_t slash = remotePath.rfind('/');
    std::string_view last =
        slash == std::string_view::npos ? remotePath : remotePath.substr(slash + 1);
    const std::string name = PercentDecode(AsciiLower(last));
    const std::string lowered = AsciiLower(listing);
    if (name.empty() || lowered.find(name) == std::string::npos) return 0;

    // The first line that names the file carries its size.
    std::size_t pos = 0;
    while (pos < lowered.size()) {
        std::size_t end = lowered.find('\n', pos);
        if (end == std::string::npos) end = lowered.size();
        std::string_view line(lowered.data() + pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find(name) != std::string_view::npos) return LineSize(line);
        pos = end + 1;
    }
    // The name runs across a line end: read the text as one line.
    return LineSize(lowered);
}

}  // namespace ks
