// Composing an engine's query from its templates, and the two HTTP/1.0
// requests that carry it: a HEAD probe that collects the engine's cookies, and
// the GET or POST itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/proxy_settings.h"
#include "search/engine_defs.h"

namespace ks {

// The words of the keywords joined by "+"; runs of blanks count as one. Line
// breaks, tabs and other control bytes count as blanks, so typed or pasted
// text can never split the request line.
std::string JoinKeywords(std::string_view keywords);

// Placeholders of a template replaced in the fixed order KEYWORD, PAGENUM,
// COUNT, TYPE. Nothing else is changed.
std::string FillTemplate(std::string_view tmpl, std::string_view joinedWords, int page, int count,
                         std::string_view typeText);

// The query of engine m of category n: "url" or "url::post", filled. Empty when
// the category or engine is missing, switched off or has no "url".
std::string ComposeQuery(const EngineDefs& defs, int category, int engine, SearchMethod method,
                         int page, int count, std::string_view keywords);

// Where and how a query goes.
struct SearchRequest {
    std::string connectHost;  // the engine, or the HTTP proxy
    std::uint16_t connectPort = 80;
    std::string host;    // the engine's host, for the Host line
    std::string target;  // the path, or the whole address through a proxy
    bool viaProxy = false;
    bool post = false;
    std::string body;
};

// False when the query is no http address.
bool PlanSearchRequest(std::string_view query, const ProxySettings& proxy, SearchRequest& out);
std::string BuildProbeRequest(const SearchRequest& r);
std::string BuildQueryRequest(const SearchRequest& r, bool hasCookies, std::string_view cookies);

}  // namespace ks
