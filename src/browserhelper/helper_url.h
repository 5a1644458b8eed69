// The browser helper's own test of a URL the browser is about to open. It
// reads only the registry's "File Types" text, so it stays a pure function of
// the two texts. No <windows.h>: the native tests run it as well.
#pragma once

#include <cstddef>
#include <string_view>

namespace ks::helper {

// The program refuses longer text as a URL; the helper must not cancel a
// navigation the program would then drop.
inline constexpr std::size_t kMaxHandedUrl = 2600;

// True when url starts with "http://" or "ftp://" (in its first nine
// characters, case-sensitive), names a file after the host (no "?" from the
// path on) and that file's extension, lower-cased, occurs in fileTypes
// (".avi.arj..."). Text with control characters is never taken.
bool HelperTakesUrl(std::string_view url, std::string_view fileTypes);

}  // namespace ks::helper
