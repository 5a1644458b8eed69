// The engine definitions a fresh program folder starts with: a local SearXNG
// instance (127.0.0.1:8888) in each of the three standard categories, and an
// empty slot per category to copy for more engines.
#pragma once

#include <string>

namespace ks {

const std::string& DefaultSearchIni();
// Writes "search.ini" into the program folder unless one is there. False only
// when it was missing and could not be written.
bool EnsureDefaultSearchIni(const std::string& programFolder);

}  // namespace ks
