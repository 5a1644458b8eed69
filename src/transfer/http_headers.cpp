#include "transfer/http_headers.h"

#include <algorithm>
#include <cctype>

#include "platform/files.h"
#include "transfer/url.h"

namespace ks {

namespace {

// Position of the first line of `lower` that starts with name, from `from` on.
// The status line is never a header line, so a match must follow a line feed.
std::size_t FindHeaderLine(const std::string& lower, std::string_view name, std::size_t from) {
    for (std::size_t pos = lower.find(name, from); pos != std::string::npos;
         pos = lower.find(name, pos + 1)) {
        if (pos > 0 && lower[pos - 1] == '\n') return pos;
    }
    return std::string::npos;
}

// Value starting at `begin`: up to `end` or the line end, whichever comes first.
// Without either, there is no value.
bool ValueAt(const std::string& block, std::size_t begin, std::string_view end, std::string& out) {
    std::size_t stop = block.find(end, begin);
    std::size_t eol = block.find('\n', begin);
    if (eol != std::string::npos && eol > begin && block[eol - 1] == '\r') --eol;
    stop = std::min(stop, eol);
    if (stop == std::string::npos) return false;
    out = block.substr(begin, stop - begin);
    return true;
}

std::string WithoutBlanks(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; }),
            s.end());
    return s;
}

// Leading decimal digits as a number; none, or more than any file holds,
// gives -1 (a resume adds the length to its offset, which must not overflow).
std::int64_t LeadingNumber(std::string_view s, std::size_t& pos) {
    std::int64_t v = 0;
    std::size_t start = pos;
    for (; pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])); ++pos) {
        const int digit = s[pos] - '0';
        if (v > (plat::kMaxPlausibleOffset - digit) / 10) return -1;
        v = v * 10 + digit;
    }
    return pos == start ? -1 : v;
}

}  // namespace

std::string HeaderValue(const HttpHeaders& h, std::string_view name, std::string_view end) {
    std::size_t pos = FindHeaderLine(h.lowerHeader, name, 0);
    std::string out;
    if (pos == std::string::npos || !ValueAt(h.headerBlock, pos + name.size(), end, out)) return {};
    return out;
}

bool ParseContentRange(std::string_view value, std::int64_t& first, std::int64_t& last,
                       std::int64_t& total) {
    std::string v = AsciiLower(WithoutBlanks(std::string(value)));
    if (v.rfind("bytes", 0) != 0) return false;
    std::size_t pos = 5;
    first = last = -1;
    if (pos < v.size() && v[pos] == '*') {
        ++pos;
    } else {
        first = LeadingNumber(v, pos);
        if (first < 0 || pos >= v.size() || v[pos] != '-') return false;
        ++pos;
        last = LeadingNumber(v, pos);
        if (last < first) return false;
    }
    if (pos >= v.size() || v[pos] != '/') return false;
    ++pos;
    total = -1;
    if (pos < v.size() && v[pos] == '*') return first >= 0;
    total = LeadingNumber(v, pos);
    return total >= 0 && pos == v.size();
}

void ParseHeaders(HttpHeaders& h) {
    h.lowerHeader = AsciiLower(h.headerBlock);

    h.cookieText.clear();
    const std::string_view cookieName = "set-cookie:";
    for (std::size_t pos = FindHeaderLine(h.lowerHeader, cookieName, 0); pos != std::string::npos;
         pos = FindHeaderLine(h.lowerHeader, cookieName, pos + 1)) {
        std::string value;
        if (ValueAt(h.headerBlock, pos + cookieName.size(), ";", value))
            h.cookieText += value + "; ";
    }
    h.cookieFlag = !h.cookieText.empty();

    std::size_t lf = h.headerBlock.find('\n');
    if (lf != std::string::npos) h.statusLine = h.headerBlock.substr(0, lf + 1);
    h.statusCode = 0;
    if (h.lowerHeader.rfind("http/", 0) == 0) {
        std::size_t sp = h.statusLine.find(' ');
        if (sp != std::string::npos && sp + 3 < h.statusLine.size() &&
            std::isdigit(static_cast<unsigned char>(h.statusLine[sp + 1])) &&
            std::isdigit(static_cast<unsigned char>(h.statusLine[sp + 2])) &&
            std::isdigit(static_cast<unsigned char>(h.statusLine[sp + 3])))
            h.statusCode = (h.statusLine[sp + 1] - '0') * 100 + (h.statusLine[sp + 2] - '0') * 10 +
                           (h.statusLine[sp + 3] - '0');
    }

    h.location = HeaderValue(h, "location:", "\r\n");
    h.chunked = AsciiLower(HeaderValue(h, "transfer-encoding:", "\r\n")).find("chunked") !=
                std::string::npos;

    std::int64_t first = -1, last = -1, total = -1;
    bool haveRange =
        ParseContentRange(HeaderValue(h, "content-range:", "\r\n"), first, last, total);
    h.rangeStart = haveRange ? first : -1;
    h.rangeTotal = haveRange ? total : -1;

    // With chunked framing a Content-Length is meaningless.
    std::string length = h.chunked ? "" : WithoutBlanks(HeaderValue(h, "content-length:", "\r\n"));
    h.contentLength = 0;
    if (!length.empty()) {
        std::size_t pos = 0;
        h.contentLength = std::max<std::int64_t>(0, LeadingNumber(length, pos));
    } else if (haveRange && first >= 0 && last >= first) {
        h.contentLength = last - first + 1;
    }
}

HeaderCollector::State HeaderCollector::Feed(const char* data, std::size_t len, std::size_t& used) {
    used = 0;
    while (state_ == State::NeedMore && used < len) {
        char c = data[used++];
        block_.push_back(c);
        lineLength_ = c == '\n' ? 0 : lineLength_ + 1;
        if (lineLength_ > kMaxHeaderLine || block_.size() > kMaxHeaderBlock) {
            state_ = State::TooLarge;
        } else if (c == '\n' && block_.size() >= 4 &&
                   block_.compare(block_.size() - 4, 4, "\r\n\r\n") == 0) {
            state_ = State::Done;
        }
    }
    return state_;
}

}  // namespace ks
