#include "transfer/ftp_reply.h"

#include <charconv>

namespace ks {

int LeadingNumber(std::string_view text) {
    int value = 0;
    std::size_t n = 0;
    while (n < text.size() && n < 9 && text[n] >= '0' && text[n] <= '9') ++n;
    std::from_chars(text.data(), text.data() + n, value);
    return value;
}

void FtpReplyParser::Reset() {
    state_ = State::NeedMore;
    line_.clear();
    reply_ = FtpReply{};
    multi_ = false;
    openingCode_ = 0;
    lineCount_ = 0;
}

std::size_t FtpReplyParser::Feed(std::string_view bytes) {
    if (state_ == State::Done) Reset();
    std::size_t used = 0;
    while (used < bytes.size() && state_ == State::NeedMore) {
        char c = bytes[used++];
        if (c == '\n') {
            if (!line_.empty() && line_.back() == '\r') line_.pop_back();
            EndLine();
            continue;
        }
        if (line_.size() >= kMaxLine) {
            state_ = State::Error;
            break;
        }
        line_.push_back(c);
    }
    return used;
}

void FtpReplyParser::EndLine() {
    std::string line = std::move(line_);
    line_.clear();
    if (++lineCount_ > kMaxLines) {
        state_ = State::Error;
        return;
    }
    bool finished;
    if (!multi_) {
        if (line.size() > 3 && line[3] == '-') {
            multi_ = true;
            openingCode_ = LeadingNumber(line);
            finished = false;
        } else {
            finished = true;
        }
    } else {
        finished = line.size() >= 4 && line[3] == ' ' && LeadingNumber(line) == openingCode_ &&
                   line[0] >= '0' && line[0] <= '9';
    }
    if (!finished) {
        reply_.text = std::move(line);
        return;
    }
    reply_.text = std::move(line);
    reply_.code = multi_ ? openingCode_ : LeadingNumber(reply_.text);
    char first = reply_.text.empty() ? 0 : reply_.text[0];
    reply_.replyClass = (first >= '0' && first <= '9') ? first - '0' : 0;
    reply_.lines = lineCount_;
    state_ = State::Done;
}

}  // namespace ks
