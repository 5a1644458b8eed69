// One ICMP echo exchange, for the fastest-mirror ping. A raw socket where the
// system allows one; otherwise the platform's unprivileged echo (an ICMP
// datagram socket on Linux, IcmpSendEcho on Windows).
#pragma once

#include <cstdint>
#include <string>

namespace ks::plat {

// The low 16 bits of the process id: the identifier of our echo requests.
std::uint16_t EchoIdentifier();

enum class EchoStatus { Ok, NoSocket, Unresolved, Failed };

// Sends `request`, a whole ICMP echo message whose identifier is
// EchoIdentifier(), to host (a name or a dotted IPv4 address) and waits at
// most timeoutMs for one ICMP message back. On Ok, `reply` is that message
// without any IP header, and `identifier` the identifier our request carried
// on the wire (an unprivileged echo may replace ours with its own).
EchoStatus IcmpEcho(const std::string& host, const std::string& request, int timeoutMs,
                    std::string& reply, std::uint16_t& identifier);

}  // namespace ks::plat
