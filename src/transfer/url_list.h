// The texts a URL list grab works from: link targets of a web page and the
// pieces of a list file. Pure functions over bytes, bounded in what they keep.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ks {

// A list holding more wanted URLs than this is cut; so is a list file longer
// than kMaxListFileBytes (the rest is never read).
inline constexpr std::size_t kMaxListEntries = 100000;
inline constexpr std::size_t kMaxListFileBytes = 32 * 1024 * 1024;
// A piece longer than this is no URL and is dropped.
inline constexpr std::size_t kMaxListPiece = 8192;

// The targets of every `keyword` attribute (matched in any case, in any tag) of
// page, made absolute against base, each followed by a line feed. A target
// ends at "=", ">", a quote, a blank or a line break. Targets that start with a
// scheme are kept as they are; "/x" is joined to base's scheme and host (port
// kept), anything else to base's folder. A link longer than kMaxListPiece is
// dropped, and the text stops before it would pass kMaxListFileBytes.
std::string ExtractLinks(std::string_view page, std::string_view base, std::string_view keyword);

// The absolute form of one link found on the page at base.
std::string JoinLink(std::string_view base, std::string_view link);

// Splits a list text, fed in blocks of any size, at double quotes and line
// ends, keeping the pieces that are wanted URLs (http or ftp, of one of the
// file types), in order, each once.
class UrlListCollector {
  public:
    explicit UrlListCollector(std::vector<std::string> fileTypes,
                              std::size_t maxEntries = kMaxListEntries);
    void Feed(std::string_view block);
    // Takes the last piece (text after the last separator).
    void Finish();
    // True once a wanted URL found no room: the rest of the text is ignored.
    bool Full() const { return full_; }
    const std::vector<std::string>& Urls() const { return urls_; }
    std::vector<std::string> TakeUrls() { return std::move(urls_); }

  private:
    void Piece(std::string_view piece);

    std::vector<std::string> fileTypes_;
    std::size_t maxEntries_;
    std::vector<std::string> urls_;
    std::unordered_set<std::string> seen_;  // the once-only rule
    std::string partial_;
    bool overlong_ = false;  // the current piece passed kMaxListPiece
    bool full_ = false;
};

}  // namespace ks
