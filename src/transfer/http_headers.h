// Response headers: collecting the header block as bytes arrive, and reading
// the few values the client acts on. Pure functions over bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ks {

// A header line longer than this, or a header block longer than this, ends the
// attempt: a server that never finishes its header must not grow memory.
inline constexpr std::size_t kMaxHeaderLine = 16 * 1024;
inline constexpr std::size_t kMaxHeaderBlock = 64 * 1024;

struct HttpHeaders {
    std::string headerBlock;  // up to and including the empty line
    std::string lowerHeader;  // headerBlock lower-cased, for searching
    std::string statusLine;   // first line including its CR LF
    int statusCode = 0;       // the three digits after the version, 0 if none
    std::string cookieText;   // every Set-Cookie value followed by "; "
    bool cookieFlag = false;  // at least one Set-Cookie value
    std::string location;     // as received, blank after the colon included
    // Body length: Content-Length, else the length of the Content-Range span;
    // 0 means unknown.
    std::int64_t contentLength = 0;
    // From "Content-Range: bytes a-b/c": a and c, -1 when absent or unreadable
    // (c is also taken from "bytes */c").
    std::int64_t rangeStart = -1;
    std::int64_t rangeTotal = -1;
    bool chunked = false;  // Transfer-Encoding: chunked
};

// The value of the first header line starting with `name` (lower-case, colon
// included): the text as received from just after the name up to `end`, or to
// the line end when that comes first. Empty when the name or the end is missing.
std::string HeaderValue(const HttpHeaders& h, std::string_view name, std::string_view end);

// Fills every field from h.headerBlock.
void ParseHeaders(HttpHeaders& h);

// Parses "bytes a-b/c" (blanks allowed). Returns false if it is not that form.
bool ParseContentRange(std::string_view value, std::int64_t& first, std::int64_t& last,
                       std::int64_t& total);

// Collects the header block from the start of a response.
class HeaderCollector {
  public:
    enum class State { NeedMore, Done, TooLarge };

    // Takes bytes up to the end of the header (CR LF CR LF); `used` tells how
    // many of `data` belong to the header, the rest is body.
    State Feed(const char* data, std::size_t len, std::size_t& used);
    State state() const { return state_; }
    const std::string& Block() const { return block_; }
    std::string TakeBlock() { return std::move(block_); }

  private:
    std::string block_;
    std::size_t lineLength_ = 0;
    State state_ = State::NeedMore;
};

}  // namespace ks
