#include "search/page_fetch.h"

#include "search/extract.h"
#include "transfer/http_connection.h"
#if __has_include("transfer/fetch_page.h")
#include "transfer/fetch_page.h"
#define KS_HAVE_FETCH_PAGE 1
#endif

namespace ks {

std::string FetchSearchPage(CProject& project, const std::string& url) {
#ifdef KS_HAVE_FETCH_PAGE
    return FetchPage(project, url);
#else
    return {};
#endif
}

void LimitPage(CHttpConnection& c) {}

}  // namespace ks
