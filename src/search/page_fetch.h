// Plain page fetches on behalf of a search (digs, the engine update), and the
// size bound every page a search reads is held to.
#pragma once

#include <string>

namespace ks {

class CProject;
class CHttpConnection;

// The page at url after its redirects; empty on failure. A stop of the
// project cancels it.
std::string FetchSearchPage(CProject& project, const std::string& url);
// Bounds the body a page-mode connection keeps.
void LimitPage(CHttpConnection& c);

}  // namespace ks
