#include "platform/icmp.h"

// clang-format off
// Winsock before windows.h, and the echo service's headers after both.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

#include <vector>

namespace ks::plat {
namespace {

bool ResolveIpv4(const std::string& host, IN_ADDR& out) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) == 0 && list) {
        out = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr;
        freeaddrinfo(list);
        return true;
    }
    return inet_pton(AF_INET, host.c_str(), &out) == 1;
}

}  // namespace

std::uint16_t EchoIdentifier() {
    return static_cast<std::uint16_t>(GetCurrentProcessId() & 0xffff);
}

// Raw sockets need administrator rights here, so the system's echo service
// sends the request: it builds the header itself and carries our data (the
// send time and the filler), and hands back the echoed data, from which the
// reply message is put together again for the caller's checks.
EchoStatus IcmpEcho(const std::string& host, const std::string& request, int timeoutMs,
                    std::string& reply, std::uint16_t& identifier) {
    if (request.size() < 8) return EchoStatus::Failed;
    IN_ADDR addr{};
    if (!ResolveIpv4(host, addr)) return EchoStatus::Unresolved;
    HANDLE h = IcmpCreateFile();
    if (h == INVALID_HANDLE_VALUE) return EchoStatus::NoSocket;
    const std::string data = request.substr(8);
    std::vector<char> buf(sizeof(ICMP_ECHO_REPLY) + data.size() + 8 + 64);
    const DWORD n = IcmpSendEcho(h, addr.S_un.S_addr, const_cast<char*>(data.data()),
                                 static_cast<WORD>(data.size()), nullptr, buf.data(),
                                 static_cast<DWORD>(buf.size()), static_cast<DWORD>(timeoutMs));
    IcmpCloseHandle(h);
    if (n == 0) return EchoStatus::Failed;
    const auto* r = reinterpret_cast<const ICMP_ECHO_REPLY*>(buf.data());
    if (r->Status != IP_SUCCESS || !r->Data) return EchoStatus::Failed;
    identifier = EchoIdentifier();
    reply.assign(request.data(), 8);
    reply[0] = 0;  // echo reply
    reply[2] = reply[3] = 0;
    reply.append(static_cast<const char*>(r->Data), r->DataSize);
    return EchoStatus::Ok;
}

}  // namespace ks::plat
