#include "browserhelper/helper_url.h"

#include <optional>
#include <string>

#include "capture/capture_rules.h"

namespace ks::helper {

bool HelperTakesUrl(std::string_view url, std::string_view fileTypes) {
    // The program takes the hand-over through the same test; whatever it
    // would drop must keep its navigation in the browser.
    std::optional<std::string> taken = AcceptableUrl(url);
    if (!taken || *taken != url) return false;
    std::size_t dot = url.find('.');
    if (dot == std::string_view::npos) return false;
    std::size_t slash = url.find('/', dot);
    if (slash == std::string_view::npos) return false;
    std::string_view path = url.substr(slash);
    if (path.find('?') != std::string_view::npos) return false;
    std::size_t ext = path.rfind('.');
    // A bare "." would be found in any list: a name must follow the dot.
    if (ext == std::string_view::npos || ext + 1 >= path.size()) return false;
    std::string lower(path.substr(ext));
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return fileTypes.find(lower) != std::string_view::npos;
}

}  // namespace ks::helper
