// 227 replies: an accepted address is four numbers of 0 to 255 and a port
// that is not 0, and the PORT command for it reads back as the same target.
#include "fuzz_support.h"
#include "transfer/ftp_pasv.h"

using namespace ks;

namespace {

bool IsDottedQuad(const std::string& a) {
    int parts = 0;
    std::size_t pos = 0;
    while (pos <= a.size()) {
        std::size_t dot = std::min(a.find('.', pos), a.size());
        std::string_view f = std::string_view(a).substr(pos, dot - pos);
        if (f.empty() || f.size() > 3 || (f.size() > 1 && f[0] == '0')) return false;
        int v = 0;
        for (char c : f) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        if (v > 255) return false;
        ++parts;
        pos = dot + 1;
    }
    return parts == 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    PasvTarget t;
    if (!ParsePasvReply(reply, t)) return 0;
    FUZZ_CHECK(IsDottedQuad(t.address));
    FUZZ_CHECK(t.port != 0);

    std::string port = PortCommand(t.address, t.port);
    FUZZ_CHECK(port.rfind("PORT ", 0) == 0);
    PasvTarget again;
    FUZZ_CHECK(ParsePasvReply("227 Entering Passive Mode (" + port.substr(5) + ")", again));
    FUZZ_CHECK(again.address == t.address && again.port == t.port);
    return 0;
}
