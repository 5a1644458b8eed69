// Content-Range values: a range that is accepted is ordered, within any file
// and, formatted again, reads back the same.
#include "fuzz_support.h"
#include "platform/files.h"
#include "transfer/http_headers.h"

using namespace ks;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view value(reinterpret_cast<const char*>(data), size);
    std::int64_t first = -2, last = -2, total = -2;
    if (!ParseContentRange(value, first, last, total)) return 0;
    FUZZ_CHECK(first >= -1 && first <= plat::kMaxPlausibleOffset);
    FUZZ_CHECK(last >= -1 && last <= plat::kMaxPlausibleOffset);
    FUZZ_CHECK(total >= -1 && total <= plat::kMaxPlausibleOffset);
    FUZZ_CHECK((first < 0) == (last < 0));
    FUZZ_CHECK(first <= last);
    FUZZ_CHECK(first >= 0 || total >= 0);  // "*/*" names nothing

    std::string again = "bytes ";
    again += first < 0 ? "*" : std::to_string(first) + "-" + std::to_string(last);
    again += "/" + (total < 0 ? std::string("*") : std::to_string(total));
    std::int64_t f2 = -2, l2 = -2, t2 = -2;
    FUZZ_CHECK(ParseContentRange(again, f2, l2, t2));
    FUZZ_CHECK(f2 == first && l2 == last && t2 == total);
    return 0;
}
