// The browser helper's own test of a URL the browser is about to open. It
// reads only the registry's "File Types" text, so it stays a pure function of
// the two texts. No <windows.h>: the native tests run it as well.
#pragma once

#include <cstddef>
#include <string_view>

namespace ks::helper {

// True when url passes the program's own test for URLs from outside
// (AcceptableUrl: http, https or ftp, any case, no control characters, not
// too long) exactly as given, names a file after the host (no "?" from the
// path on) and that file's extension, lower-cased, occurs in fileTypes
// (".avi.arj...").
bool HelperTakesUrl(std::string_view url, std::string_view fileTypes);

}  // namespace ks::helper
