#include "transfer/ftp_pasv.h"

#include <array>
#include <charconv>

namespace ks {

bool ParsePasvReply(std::string_view replyText, PasvTarget& out) {
    std::size_t open = replyText.find('(');
    if (open == std::string_view::npos) return false;
    std::size_t close = replyText.find(')', open + 1);
    if (close == std::string_view::npos) return false;
    std::string_view inner = replyText.substr(open + 1, close - open - 1);

    std::array<int, 6> n{};
    std::size_t count = 0;
    std::size_t pos = 0;
    while (count < n.size()) {
        while (pos < inner.size() && inner[pos] == ' ') ++pos;
        std::size_t end = inner.find(',', pos);
        if (end == std::string_view::npos) end = inner.size();
        std::string_view field = inner.substr(pos, end - pos);
        while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
        int v = -1;
        auto [p, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
        if (field.empty() || ec != std::errc() || p != field.data() + field.size() || v < 0 ||
            v > 255)
            return false;
        n[count++] = v;
        pos = end + 1;
        if (end == inner.size()) break;
    }
    if (count != n.size() || pos <= inner.size()) return false;  // too few or too many
    int port = n[4] * 256 + n[5];
    if (port == 0) return false;
    out.address = std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) +
                  "." + std::to_string(n[3]);
    out.port = static_cast<std::uint16_t>(port);
    return true;
}

std::string PortCommand(std::string_view localAddress, std::uint16_t port) {
    std::string a(localAddress);
    for (char& c : a)
        if (c == '.') c = ',';
    return "PORT " + a + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}

}  // namespace ks
