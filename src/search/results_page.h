// The HTML the search writes: one line per hit, the header, the page around
// them and the frameset that shows the page under the banner frame. Text taken
// from engine pages is escaped, and only web and ftp addresses become links,
// so a hostile engine can neither run a script in the local page nor plant a
// javascript: or data: link.
#pragma once

#include <string>
#include <string_view>

namespace ks {

struct HitLineInput {
    int index = 0;  // 0-based merge order; the page shows index + 1
    std::string url, title, description;
    std::string engineName, engineHome;
    std::string copyPath;  // used only with copies
};

// Text for an HTML page: markup characters become entities; an ampersand that
// already starts an entity is kept, so engines' own entities still read right.
std::string HtmlText(std::string_view text);
// An attribute value: every markup character escaped.
std::string HtmlAttribute(std::string_view text);
// True for http, https and ftp addresses.
bool IsWebOrFtpAddress(std::string_view url);

// "target=_blank" for pages and folders (or any hit of a web category), empty
// for files, which the browser then offers to save from the frame itself.
std::string TargetAttribute(std::string_view url, std::string_view types);

std::string HitLine(const HitLineInput& hit, std::string_view types, bool copies);
std::string ResultsHeader(int hits, std::string_view keywords, std::string_view category);
std::string ResultsPage(int hits, std::string_view hitLines, std::string_view keywords,
                        std::string_view category);
std::string FramesetPage(std::string_view bannerUrl, std::string_view resultsName);

}  // namespace ks
