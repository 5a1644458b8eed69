// Which captured texts become downloads. Every way a URL arrives from outside
// (clipboard text, the browser helper's hand-over, the browser's DDE request,
// the drop window, the command line) passes the same test here, so a text one
// path refuses is refused by all of them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// Longer than any URL the transfer code can hold (host 256, path 2048, user
// and password 128 each, scheme and port): such text is not a URL.
inline constexpr std::size_t kMaxCapturedUrl = 2600;

// The trimmed text when it is an http, https or ftp URL the program can
// fetch: no control characters, not too long, split by SplitUrl as Http,
// Https or Ftp. The
// path (query included) goes to *path when given.
std::optional<std::string> AcceptableUrl(std::string_view text, std::string* path = nullptr);

// The extension capture compares: the path from its last "." to the end (the
// whole path without one), ASCII lower-cased.
std::string CaptureExtension(std::string_view path);

// Index of the first entry T of types whose "." + T occurs in extension;
// nullopt when none does. Empty entries never match.
std::optional<std::size_t> MatchingFileType(std::string_view extension,
                                            const std::vector<std::string>& types);

// AcceptableUrl, and its extension on the capture list: the URL to queue.
std::optional<std::string> CapturableUrl(std::string_view text,
                                         const std::vector<std::string>& types);

// The clipboard's plain-text rule: a URL copied once is taken; copied again
// right away it is ignored, and the copy after that is taken again (a user
// copying twice in a row rarely wants two downloads, a third copy says so).
class ClipboardRepeatRule {
  public:
    // The URL to queue for this copied text, or nullopt.
    std::optional<std::string> Offer(std::string_view text, const std::vector<std::string>& types);

  private:
    std::string last_;
};

}  // namespace ks
