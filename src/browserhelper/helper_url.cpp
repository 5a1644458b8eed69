#include "browserhelper/helper_url.h"

#include <string>

namespace ks::helper {

bool HelperTakesUrl(std::string_view url, std::string_view fileTypes) {
    if (url.empty() || url.size() > kMaxHandedUrl) return false;
    for (unsigned char c : url)
        if (c < 0x20 || c == 0x7f) return false;
    std::string_view head = url.substr(0, 9);
    if (head.find("http://") == std::string_view::npos &&
        head.find("ftp://") == std::string_view::npos)
        return false;
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
