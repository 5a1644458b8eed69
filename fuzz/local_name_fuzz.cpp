// Local file names from URLs and from names a server sends: whatever comes
// in, the result names one file inside the download folder on every
// platform: no separators, no control or reserved characters, no device
// name, no trailing dot or blank, at most 255 bytes.
#include <array>

#include "fuzz_support.h"
#include "transfer/url.h"

using namespace ks;

namespace {

bool IsDevice(std::string_view name) {
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
    for (auto d : kPlain) {
        if (base == d) return true;
    }
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

void CheckSafe(const std::string& name) {
    FUZZ_CHECK(name.size() <= 255);
    for (char ch : name) {
        auto c = static_cast<unsigned char>(ch);
        FUZZ_CHECK(c >= 0x20 && c != 0x7f);
        FUZZ_CHECK(std::string_view("<>:\"/\\|?*").find(ch) == std::string_view::npos);
    }
    if (name.empty()) return;
    FUZZ_CHECK(name.back() != '.' && name.back() != ' ');
    FUZZ_CHECK(!IsDevice(name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view raw(reinterpret_cast<const char*>(data), size);

    std::string safe = SafeFileName(raw);
    CheckSafe(safe);
    FUZZ_CHECK(raw.empty() == safe.empty());
    FUZZ_CHECK(SafeFileName(safe) == safe);

    std::string http = HttpLocalFileName(raw);
    CheckSafe(http);
    FUZZ_CHECK(!http.empty());
    CheckSafe(FtpLocalFileName(raw));
    return 0;
}
