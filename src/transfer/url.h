// URL helpers: splitting, naming local files, percent decoding, series URLs,
// capture filtering and redirect targets. Pure string functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace ks {

enum class UrlService : std::int32_t {
    Ftp = 1,
    Gopher = 2,
    Http = 3,
    Unknown = 4096,
    File = 4097,
    Mailto = 4098,
    News = 4102,
    Https = 4107,
};

struct UrlParts {
    UrlService service = UrlService::Unknown;
    std::string host;  // at most 256 characters
    std::uint16_t port = 0;
    std::string path;      // at most 2048 characters, query included
    std::string userName;  // at most 128
    std::string password;  // at most 128
};

// Canonicalises and cracks url; on failure returns false and Unknown/empty parts.
bool SplitUrl(std::string_view url, UrlParts& out);
UrlParts SplitUrl(std::string_view url);

// Decodes %XX escapes (strtol base-16 rules; a value of 0 keeps the "%").
std::string PercentDecode(std::string_view text, bool enabled = true);
// left + number zero-padded to digits + right.
std::string SequenceUrl(std::string_view left, std::int64_t number, std::int32_t digits,
                        std::string_view right);
bool MatchesFileTypes(std::string_view url, const std::vector<std::string>& fileTypes);
// The schemes the program downloads: http, https and ftp.
bool IsHttpOrFtpUrl(std::string_view url);
bool IsHttpOrFtpService(UrlService s);
std::string ResolveLocation(std::string_view requested, std::string_view target);

// Local file names. The name is made safe for the file system: it never
// leaves the download folder.
std::string HttpLocalFileName(std::string_view url);  // "default.htm" when empty
std::string FtpLocalFileName(std::string_view url);
std::string SafeFileName(std::string_view name);
// folder (trailing separators removed) + separator + name.
std::string LocalPath(std::string_view folder, std::string_view name);

}  // namespace ks
