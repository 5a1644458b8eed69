// The response header: collected from bytes split at any point, then read.
// The collector must stop at the same byte and keep the same block however
// the input is split, and the fields read from it must stay in their ranges.
#include "fuzz_support.h"
#include "platform/files.h"
#include "transfer/http_headers.h"

using namespace ks;

namespace {

struct Collected {
    HeaderCollector::State state;
    std::size_t used;
    std::string block;
};

Collected Collect(std::string_view stream, std::size_t split) {
    HeaderCollector c;
    std::size_t used = 0, more = 0;
    c.Feed(stream.data(), split, used);
    if (c.state() == HeaderCollector::State::NeedMore) {
        c.Feed(stream.data() + split, stream.size() - split, more);
    }
    return {c.state(), used + more, c.Block()};
}

void CheckFields(const std::string& block) {
    HttpHeaders h;
    h.headerBlock = block;
    ParseHeaders(h);
    FUZZ_CHECK(h.statusCode >= 0 && h.statusCode <= 999);
    FUZZ_CHECK(h.contentLength >= 0 && h.contentLength <= plat::kMaxPlausibleOffset);
    FUZZ_CHECK(h.rangeStart >= -1 && h.rangeStart <= plat::kMaxPlausibleOffset);
    FUZZ_CHECK(h.rangeTotal >= -1 && h.rangeTotal <= plat::kMaxPlausibleOffset);
    FUZZ_CHECK(h.cookieFlag == !h.cookieText.empty());
    FUZZ_CHECK(h.lowerHeader.size() == block.size());
    FUZZ_CHECK(h.statusLine.size() <= block.size());
    FUZZ_CHECK(h.location.find('\n') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::size_t cut = in.SplitIn(size);
    const std::string_view stream = in.Rest();
    const std::size_t split = cut % (stream.size() + 1);

    Collected whole = Collect(stream, stream.size());
    Collected parts = Collect(stream, split);
    FUZZ_CHECK(whole.state == parts.state);
    FUZZ_CHECK(whole.used == parts.used);
    FUZZ_CHECK(whole.block == parts.block);
    FUZZ_CHECK(whole.block.size() <= kMaxHeaderBlock + 1);
    FUZZ_CHECK(stream.substr(0, whole.used) == whole.block);
    if (whole.state == HeaderCollector::State::Done) {
        FUZZ_CHECK(whole.block.size() >= 4 &&
                   whole.block.compare(whole.block.size() - 4, 4, "\r\n\r\n") == 0);
        FUZZ_CHECK(whole.block.find("\r\n\r\n") == whole.block.size() - 4);
    }
    CheckFields(whole.block);
    return 0;
}
