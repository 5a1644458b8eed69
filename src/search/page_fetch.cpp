#include "search/page_fetch.h"

#include "search/extract.h"
#include "transfer/fetch_page.h"
#include "transfer/http_connection.h"

namespace ks {

std::string FetchSearchPage(CProject& project, const std::string& url) {
    return FetchPage(project, url);
}

void LimitPage(CHttpConnection& c) { c.pageLimit = kMaxEnginePage; }

}  // namespace ks
