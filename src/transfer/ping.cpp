#include "transfer/ping.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "base/text.h"
#include "platform/clock.h"
#include "platform/icmp.h"
#include "transfer/url.h"

namespace ks {

std::uint16_t InternetChecksum(std::string_view bytes) {
    std::uint32_t sum = 0;
    std::size_t i = 0;
    // Words in memory order: the sum then comes out in memory order too,
    // whatever the machine's byte order.
    for (; i + 1 < bytes.size(); i += 2) {
        std::uint16_t w;
        std::memcpy(&w, bytes.data() + i, 2);
        sum += w;
    }
    if (i < bytes.size()) {
        std::uint16_t w = 0;
        std::memcpy(&w, bytes.data() + i, 1);
        sum += w;
    }
    while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum & 0xffff);
}

std::string BuildEchoRequest(std::uint16_t identifier, std::uint32_t sendTick) {
    std::string m(kEchoRequestSize, '\x45');
    m[0] = 8;
    m[1] = 0;
    const std::uint16_t zero = 0;
    std::memcpy(&m[2], &zero, 2);
    std::memcpy(&m[4], &identifier, 2);
    std::memcpy(&m[6], &zero, 2);
    std::memcpy(&m[8], &sendTick, 4);
    const std::uint16_t sum = InternetChecksum(m);
    std::memcpy(&m[2], &sum, 2);
    return m;
}

std::int32_t EchoRoundTrip(std::string_view reply, std::uint16_t identifier,
                           std::uint32_t nowTick) {
    if (reply.size() < 12 || reply[0] != 0) return 0;
    std::uint16_t id;
    std::memcpy(&id, reply.data() + 4, 2);
    if (id != identifier) return 0;
    std::uint32_t sent;
    std::memcpy(&sent, reply.data() + 8, 4);
    // An answer within the same millisecond is still an answer: 0 would rank
    // the nearest host with the unreachable ones.
    const auto t = static_cast<std::int32_t>(nowTick - sent);
    return t == 0 ? 1 : t;
}

std::int32_t PingHost(const std::string& url) {
    const UrlParts parts = SplitUrl(TrimSpacesTabs(url));
    if (parts.host.empty()) return 0;
    const std::uint16_t id = plat::EchoIdentifier();
    const auto tick = [] { return static_cast<std::uint32_t>(plat::MonotonicMs()); };
    std::string reply;
    std::uint16_t wireId = id;
    if (plat::IcmpEcho(parts.host, BuildEchoRequest(id, tick()), kPingTimeoutMs, reply, wireId) !=
        plat::EchoStatus::Ok)
        return 0;
    return EchoRoundTrip(reply, wireId, tick());
}

std::vector<std::string> OrderByPingTimes(const std::vector<std::string>& mirrors,
                                          const std::vector<std::int32_t>& times) {
    std::vector<std::size_t> idx(mirrors.size());
    std::iota(idx.begin(), idx.end(), 0);
    auto key = [&](std::size_t i) {
        const std::int32_t t = i < times.size() ? times[i] : 0;
        return std::pair<bool, std::int32_t>(t == 0, t);
    };
    std::stable_sort(idx.begin(), idx.end(),
                     [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    std::vector<std::string> out;
    out.reserve(mirrors.size());
    for (std::size_t i : idx) out.push_back(mirrors[i]);
    return out;
}

}  // namespace ks
