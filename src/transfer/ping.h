// The fastest-server ping: one ICMP echo to a mirror's host, its round-trip
// time, and the mirror order that puts the fastest first.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

inline constexpr std::size_t kEchoRequestSize = 44;
inline constexpr int kPingTimeoutMs = 1000;

// RFC 1071 over bytes (an odd last byte is padded with zero).
std::uint16_t InternetChecksum(std::string_view bytes);

// The 44-byte echo request: type 8, code 0, checksum, identifier, sequence 0,
// the send tick at offset 8 and 32 filler bytes 0x45; multi-byte fields in
// this machine's byte order.
std::string BuildEchoRequest(std::uint16_t identifier, std::uint32_t sendTick);

// The round-trip time a reply message (without IP header) tells: nowTick minus
// the send tick it echoes, when it is an echo reply (type 0) carrying
// identifier (at least 1); else 0.
std::int32_t EchoRoundTrip(std::string_view reply, std::uint16_t identifier, std::uint32_t nowTick);

// The round-trip time to url's host in milliseconds; 0 without a valid answer
// within a second.
std::int32_t PingHost(const std::string& url);

// The new order of mirrors given each one's ping time (0: no answer): the
// answering ones by ascending time, then the others in their old order; equal
// times keep their order.
std::vector<std::string> OrderByPingTimes(const std::vector<std::string>& mirrors,
                                          const std::vector<std::int32_t>& times);

}  // namespace ks
