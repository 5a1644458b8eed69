// URL splitting and canonicalising: parts stay within their limits, nothing
// a request line or a command is built from carries a line break, and a
// failed split leaves nothing behind.
#include "fuzz_support.h"
#include "transfer/url.h"

using namespace ks;

namespace {

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    std::string_view target = in.Line();
    std::string_view url = in.Rest();

    UrlParts p;
    bool ok = SplitUrl(url, p);
    if (!ok) {
        FUZZ_CHECK(p.service == UrlService::Unknown && p.host.empty() && p.path.empty() &&
                   p.port == 0 && p.userName.empty() && p.password.empty());
    }
    FUZZ_CHECK(p.host.size() <= 256 && p.path.size() <= 2048);
    FUZZ_CHECK(p.userName.size() <= 128 && p.password.size() <= 128);
    FUZZ_CHECK(!HasLineBreak(p.host) && !HasLineBreak(p.path));
    FUZZ_CHECK(!HasLineBreak(p.userName) && !HasLineBreak(p.password));

    std::string decoded = PercentDecode(url, true);
    FUZZ_CHECK(decoded.size() <= url.size());
    FUZZ_CHECK(PercentDecode(url, false) == url);

    // What a redirect resolves to is split the same way without harm.
    std::string next = ResolveLocation(url, target);
    UrlParts q;
    SplitUrl(next, q);
    FUZZ_CHECK(!HasLineBreak(q.host) && !HasLineBreak(q.path));

    IsHttpOrFtpUrl(url);
    MatchesFileTypes(url, {"zip", "exe", ""});
    return 0;
}
