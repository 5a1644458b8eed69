// Control-connection replies, one-line and multi-line: the replies found in a
// stream, and where each ends, do not depend on how the stream was split.
#include <vector>

#include "fuzz_support.h"
#include "transfer/ftp_reply.h"

using namespace ks;

namespace {

struct Seen {
    std::vector<FtpReply> replies;
    FtpReplyParser::State last;
};

// Feeds the stream in pieces of `step` bytes (0: whole), keeping unused bytes
// for the next reply as the client does.
Seen Replies(std::string_view stream, std::size_t step) {
    FtpReplyParser p;
    Seen seen{};
    std::string pending;
    std::size_t from = 0;
    while (true) {
        std::size_t n = step == 0 ? stream.size() - from : std::min(step, stream.size() - from);
        pending.append(stream.substr(from, n));
        from += n;
        std::size_t used;
        while (!pending.empty() && (used = p.Feed(pending)) > 0) {
            pending.erase(0, used);
            if (p.GetState() != FtpReplyParser::State::Done) break;
            const FtpReply& r = p.Reply();
            FUZZ_CHECK(r.text.size() <= FtpReplyParser::kMaxLine);
            FUZZ_CHECK(r.lines >= 1 && r.lines <= FtpReplyParser::kMaxLines);
            FUZZ_CHECK(r.replyClass >= 0 && r.replyClass <= 9);
            FUZZ_CHECK(r.code >= 0 && r.code <= 999999999);
            FUZZ_CHECK(r.text.find('\n') == std::string::npos);
            seen.replies.push_back(r);
        }
        if (p.GetState() == FtpReplyParser::State::Error || from == stream.size()) break;
    }
    seen.last = p.GetState();
    return seen;
}

bool Same(const FtpReply& a, const FtpReply& b) {
    return a.text == b.text && a.code == b.code && a.replyClass == b.replyClass &&
           a.lines == b.lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    std::size_t step = 1 + in.Byte() % 64;
    const std::string_view stream = in.Rest();
    Seen whole = Replies(stream, 0);
    Seen pieces = Replies(stream, step);
    FUZZ_CHECK(whole.last == pieces.last);
    FUZZ_CHECK(whole.replies.size() == pieces.replies.size());
    for (std::size_t i = 0; i < whole.replies.size(); ++i) {
        FUZZ_CHECK(Same(whole.replies[i], pieces.replies[i]));
    }
    return 0;
}
