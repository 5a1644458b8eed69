#include "search/results_page.h"

#include "transfer/url.h"

namespace ks {
namespace {

constexpr const char* kFont = "<font face=\"Verdana,Arial,Helvetica\" size=1>";

bool IsAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// "&name;", "&#123;" or "&#x1F;" at the start of s.
bool StartsWithEntity(std::string_view s) {
    std::size_t i = 1;
    if (i < s.size() && s[i] == '#') {
        ++i;
        if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) ++i;
    }
    const std::size_t first = i;
    while (i < s.size() && i < 40 && IsAlnum(s[i])) ++i;
    return i > first && i < s.size() && s[i] == ';';
}

std::string Escape(std::string_view text, bool keepEntities) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '&':
                out += keepEntities && StartsWithEntity(text.substr(i)) ? "&" : "&amp;";
                break;
            default:
                out += text[i];
        }
    }
    return out;
}

// A link to an engine's own site: its address, or a relative name, but never
// a script or data scheme.
std::string SafeHome(std::string_view home) {
    std::size_t colon = home.find(':');
    std::size_t slash = home.find_first_of("/?#");
    const bool hasScheme =
        colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash);
    if (hasScheme && !IsWebOrFtpAddress(home)) return "#";
    return HtmlAttribute(home);
}

}  // namespace

std::string HtmlText(std::string_view text) {
    return Escape(text, true);
}

std::string HtmlAttribute(std::string_view text) {
    return Escape(text, false);
}

bool IsWebOrFtpAddress(std::string_view url) {
    const std::string lower = AsciiLower(url.substr(0, 8));
    return lower.starts_with("http://") || lower.starts_with("https://") ||
           lower.starts_with("ftp://");
}

std::string TargetAttribute(std::string_view url, std::string_view types) {
    const std::string path = SplitUrl(url).path;
    const std::size_t i = path.rfind('/');
    const std::string_view last =
        i == std::string::npos ? std::string_view(path) : std::string_view(path).substr(i);
    const bool page = (!path.empty() && path.back() == '/') ||
                      last.find('.') == std::string_view::npos ||
                      last.find(".htm") != std::string_view::npos ||
                      last.find(".shtm") != std::string_view::npos ||
                      last.find(".stm") != std::string_view::npos ||
                      (i != std::string::npos && i >= 1 && path[i - 1] == '/') ||
                      types.find("htm") != std::string_view::npos;
    return page ? "target=_blank" : "";
}

std::string HitLine(const HitLineInput& hit, std::string_view types, bool copies) {
    const std::string href = IsWebOrFtpAddress(hit.url) ? HtmlAttribute(hit.url) : "#";
    const std::string engine = "<a href=\"" + SafeHome(hit.engineHome) + "\" target=_blank>[" +
                               HtmlText(hit.engineName) + "]</a>";
    const std::string desc = hit.description.empty() ? "" : "<br>" + HtmlText(hit.description);
    std::string s = kFont + std::to_string(hit.index + 1) + ".&nbsp; <a href=\"" + href + "\" " +
                    TargetAttribute(hit.url, types) + "><b>" + HtmlText(hit.title) + "</b></a>";
    if (copies) {
        s += "&nbsp; <a href=\"" + HtmlAttribute(hit.copyPath) +
             "\" target=_blank>(View offline)</a> " + engine + " <small>" + desc + "</small>";
    } else {
        s += " " + engine + "<small>" + desc + "</small>";
    }
    return s + "</font><br><br>";
}

std::string ResultsHeader(int hits, std::string_view keywords, std::string_view category) {
    const std::string open = "<br><i><font face=\"Verdana,Arial,Helvetica\" size=2>";
    const std::string close = "</font></i><br><br>";
    if (hits > 0) {
        return open + "Found " + std::to_string(hits) +
               " sites. &nbsp;&nbsp;&nbsp;keyword(s): <b>" + HtmlText(keywords) +
               "</b>&nbsp;&nbsp;&nbsp;category:" + HtmlText(category) + close;
    }
    return open + "Found no results. &nbsp;&nbsp;&nbsp;keyword(s): <b>" + HtmlText(keywords) +
           "</b>&nbsp;&nbsp;&nbsp; category:" + HtmlText(category) + close;
}

std::string ResultsPage(int hits, std::string_view hitLines, std::string_view keywords,
                        std::string_view category) {
    std::string body = ResultsHeader(hitLines.empty() ? 0 : hits, keywords, category);
    if (!hitLines.empty()) body += hitLines;
    return "<HTML><BODY BGCOLOR=#CCCC99 >" + body + "</BODY></HTML>";
}

std::string FramesetPage(std::string_view bannerUrl, std::string_view resultsName) {
    std::string s =
        "<HTML><HEAD></HEAD> \t\t<FRAMESET ROWS=\"100,100%\" FRAMEBORDER=\"no\" "
        "FRAMESPACING=0> \t\t<FRAME SRC=\"";
    s += HtmlAttribute(bannerUrl);
    s += "\"  NAME=\"main\"  scrolling=\"no\"> \t\t<FRAME SRC=\"";
    s += HtmlAttribute(resultsName);
    s += "\" NAME=\"results\" > \t\t</FRAMESET> \t\t</HTML> \t\t";
    return s;
}

}  // namespace ks
