#include "capture/dde_items.h"

#include <cerrno>
#include <cstdlib>

#include "transfer/url.h"

namespace ks {

namespace {
// The item is cut by positions as the browser's own clients do: a missing
// mark is position -1, "from p" keeps the text from p on, and the first n
// characters are empty for n <= 0.
long Find(std::string_view text, char mark) {
    std::size_t at = text.find(mark);
    return at == std::string_view::npos ? -1 : static_cast<long>(at);
}
std::string_view From(std::string_view text, long p) {
    if (p <= 0) return text;
    return static_cast<std::size_t>(p) >= text.size() ? std::string_view() : text.substr(p);
}
std::string_view First(std::string_view text, long n) {
    return n <= 0 ? std::string_view() : text.substr(0, static_cast<std::size_t>(n));
}

std::int32_t DecimalPrefix(std::string_view text) {
    std::string digits(text.substr(0, 32));
    errno = 0;
    long long v = std::strtoll(digits.c_str(), nullptr, 10);
    if (errno == ERANGE || v > INT32_MAX || v < INT32_MIN) return 0;
    return static_cast<std::int32_t>(v);
}
}  // namespace

OpenUrlRequest ParseOpenUrlItem(std::string_view item) {
    OpenUrlRequest r;
    std::string_view t = item;
    // Each field is the text up to its closing mark, counted from where the
    // text was cut: a blank before the URL's quote must not shorten the URL.
    t = From(t, Find(t, '"') + 1);
    long close = Find(t, '"');
    r.url = std::string(First(t, close));
    t = From(t, close + 1);
    t = From(t, Find(t, '"') + 1);
    close = Find(t, '"');
    r.saveAs = std::string(First(t, close));
    t = From(t, close + 1);
    t = From(t, Find(t, ',') + 1);
    r.windowId = DecimalPrefix(First(t, Find(t, ',')));
    return r;
}

std::int32_t OpenUrlAnswer(const OpenUrlRequest& request, bool taken) {
    return taken ? request.windowId : -1;
}

std::string ProtocolItem(std::string_view service, std::string_view scheme) {
    std::string item = "\"";
    item += service;
    item += "\",\"";
    item += scheme;
    item += '"';
    return item;
}

bool IsNetscapeService(std::string_view serviceName) {
    std::string_view base = serviceName.substr(0, serviceName.find('('));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    return AsciiLower(base) == AsciiLower(kNetscapeService);
}

}  // namespace ks
