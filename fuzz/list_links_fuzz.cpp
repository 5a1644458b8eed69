// The links a list grab takes from a web page. The first line of the input is
// the address the page came from, the rest is the page. Whatever the page,
// every link is one bounded line; a link that names its own scheme is kept as
// written, and a relative one never leaves the page's scheme and host.
#include <cstring>

#include "fuzz_support.h"
#include "transfer/url.h"
#include "transfer/url_list.h"

using namespace ks;

namespace {

bool Printable(std::string_view s) {
    for (char c : s)
        if (c <= ' ' || c > '~') return false;
    return true;
}

// The address a page can have come from: one the fetch could send, so it
// splits and is printable.
std::string PageAddress(std::string_view line, UrlParts& parts) {
    if (Printable(line) && line.find("://") != std::string_view::npos && SplitUrl(line, parts) &&
        IsHttpOrFtpService(parts.service))
        return std::string(line);
    const std::string fallback = "http://host:8080/dir/page.html";
    SplitUrl(fallback, parts);
    return fallback;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    UrlParts baseParts;
    const std::string base = PageAddress(in.Line(), baseParts);
    const std::string_view page = in.Rest();
    const std::string_view scheme = std::string_view(base).substr(0, base.find("://"));

    const std::string links = ExtractLinks(page, base, "href");
    FUZZ_CHECK(links.size() <= kMaxListFileBytes);
    FUZZ_CHECK(links.empty() || links.back() == '\n');

    std::size_t pos = 0;
    while (pos < links.size()) {
        const std::size_t lf = links.find('\n', pos);
        const std::string_view link(links.data() + pos, lf - pos);
        pos = lf + 1;
        FUZZ_CHECK(!link.empty() && link.size() <= kMaxListPiece);
        FUZZ_CHECK(link.find_first_of("\r\t ") == std::string_view::npos);
        if (page.find(link) != std::string_view::npos) continue;  // absolute, as written
        // A protocol-relative link takes the page's scheme and nothing else.
        if (StartsWith(link, std::string(scheme) + "://") &&
            page.find(link.substr(scheme.size() + 1)) != std::string_view::npos)
            continue;
        // Anything else was joined to the page: its scheme and host stay.
        UrlParts parts;
        if (SplitUrl(link, parts)) {
            FUZZ_CHECK(parts.service == baseParts.service);
            FUZZ_CHECK(parts.host == baseParts.host);
            FUZZ_CHECK(parts.port == baseParts.port);
        }
        FUZZ_CHECK(StartsWith(link, base.substr(0, base.find_first_of("/?#", scheme.size() + 3))));
    }
    return 0;
}
