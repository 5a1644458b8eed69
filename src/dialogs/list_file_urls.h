// URLs in a list file or a saved web page: the text is cut at every double
// quote, carriage return and line feed, so one URL per line and quoted links
// in HTML both come out; only http and ftp URLs are kept.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ks::dlg {

std::vector<std::string> ExtractListUrls(std::string_view text);
// Reads the file whole (empty when it cannot be read) and extracts its URLs.
std::vector<std::string> ReadListFileUrls(const std::string& path);

}  // namespace ks::dlg
