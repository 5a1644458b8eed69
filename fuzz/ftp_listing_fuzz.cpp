// LIST output of either layout (Unix or DOS): the first line is the path the
// client asked for, the rest the listing. A size read from it is never
// negative and never beyond what any file holds, and a listing that does not
// name the file gives 0.
#include "fuzz_support.h"
#include "platform/files.h"
#include "transfer/ftp_listing.h"
#include "transfer/url.h"

using namespace ks;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    std::string_view path = in.Line();
    std::string_view listing = in.Rest();
    std::int64_t n = ListingRemoteSize(listing, path);
    FUZZ_CHECK(n >= 0 && n <= plat::kMaxPlausibleOffset);
    FUZZ_CHECK(ListingRemoteSize(listing, path) == n);

    // The sought name must appear in the listing (compared without case).
    std::size_t slash = path.rfind('/');
    std::string name = PercentDecode(AsciiLower(path.substr(slash == path.npos ? 0 : slash + 1)));
    if (n > 0) FUZZ_CHECK(!name.empty() && AsciiLower(listing).find(name) != std::string::npos);
    return 0;
}
