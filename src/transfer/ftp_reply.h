// Control-connection replies, assembled from raw bytes.
//
// A reply is one line "ddd text", or a block that opens with "ddd-" and runs
// until a line that starts with the same number followed by a blank. Lines end
// with LF (a CR before it is dropped). The parser never holds more than one
// line, and refuses lines and blocks beyond fixed limits, so a hostile server
// cannot make the client grow without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ks {

struct FtpReply {
    std::string text;    // the last line, without its line end
    int code = 0;        // the number the reply started with (0 when none)
    int replyClass = 0;  // first digit of the last line, 0 when not a digit
    std::size_t lines = 0;
};

class FtpReplyParser {
  public:
    static constexpr std::size_t kMaxLine = 8192;
    static constexpr std::size_t kMaxLines = 2000;

    enum class State { NeedMore, Done, Error };

    // Consumes bytes up to the end of one reply. Returns the number of bytes
    // used; the caller keeps the rest for the next reply. After Done the reply
    // is in Reply() and the parser is ready for the next one; after Error it
    // stays in Error until Reset().
    std::size_t Feed(std::string_view bytes);
    State GetState() const { return state_; }
    const FtpReply& Reply() const { return reply_; }
    void Reset();

  private:
    void EndLine();

    State state_ = State::NeedMore;
    std::string line_;
    FtpReply reply_;
    bool multi_ = false;
    int openingCode_ = 0;
    std::size_t lineCount_ = 0;
};

// The decimal number at the start of text (0 when it starts otherwise).
int LeadingNumber(std::string_view text);

}  // namespace ks
