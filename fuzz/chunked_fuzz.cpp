// Chunked framing: the body and the end state do not depend on where the
// network split the stream, and the body is never longer than its framing.
#include "fuzz_support.h"
#include "transfer/chunked.h"

using namespace ks;

namespace {

struct Decoded {
    std::string body;
    bool done;
    bool failed;
};

// Feeds the stream cut at the given points (ascending).
Decoded Decode(std::string_view stream, std::size_t a, std::size_t b) {
    ChunkedDecoder d;
    Decoded out{};
    std::size_t from = 0;
    for (std::size_t to : {a, b, stream.size()}) {
        std::string block(stream.substr(from, to - from));
        std::size_t n = d.Decode(block.data(), block.size());
        FUZZ_CHECK(n <= block.size());
        out.body.append(block.data(), n);
        from = to;
    }
    out.done = d.Done();
    out.failed = d.Failed();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    std::size_t a = in.SplitIn(size), b = in.SplitIn(size);
    const std::string_view stream = in.Rest();
    a %= stream.size() + 1;
    b %= stream.size() + 1;
    if (a > b) std::swap(a, b);

    Decoded whole = Decode(stream, stream.size(), stream.size());
    Decoded split = Decode(stream, a, b);
    FUZZ_CHECK(!(whole.done && whole.failed));
    FUZZ_CHECK(whole.done == split.done);
    FUZZ_CHECK(whole.failed == split.failed);
    FUZZ_CHECK(whole.body == split.body);
    FUZZ_CHECK(whole.body.size() <= stream.size());

    // One byte at a time is the hardest split of all; short streams only.
    if (stream.size() <= 512) {
        ChunkedDecoder d;
        std::string body;
        for (char c : stream) {
            char one = c;
            body.append(&one, d.Decode(&one, 1));
        }
        FUZZ_CHECK(body == whole.body && d.Done() == whole.done && d.Failed() == whole.failed);
    }
    return 0;
}
