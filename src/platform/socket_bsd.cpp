#include "platform/socket_bsd.h"

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#endif

#include <cstdio>

namespace ks::plat {

namespace {

std::string Dotted(const sockaddr_storage& ss) {
    char buf[INET6_ADDRSTRLEN] = {0};
    // Older Winsock headers take a non-const pointer; inet_ntop only reads it.
    if (ss.ss_family == AF_INET) {
        auto& a = reinterpret_cast<const sockaddr_in&>(ss);
        inet_ntop(AF_INET, const_cast<in_addr*>(&a.sin_addr), buf, sizeof buf);
    } else if (ss.ss_family == AF_INET6) {
        auto& a = reinterpret_cast<const sockaddr_in6&>(ss);
        inet_ntop(AF_INET6, const_cast<in6_addr*>(&a.sin6_addr), buf, sizeof buf);
    }
    return buf;
}

std::uint16_t PortOf(const sockaddr_storage& ss) {
    if (ss.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(ss).sin_port);
    if (ss.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(ss).sin6_port);
    return 0;
}

// The local (peer false) or remote end of an open socket.
bool Endpoint(const Socket& s, bool peer, sockaddr_storage& ss) {
    if (!s.IsOpen()) return false;
    ss = sockaddr_storage{};
    socklen_t len = sizeof ss;
    NativeSocket h = SocketAccess::Handle(s);
    auto* sa = reinterpret_cast<sockaddr*>(&ss);
    return (peer ? getpeername(h, sa, &len) : getsockname(h, sa, &len)) == 0;
}

}  // namespace

TcpAddresses::~TcpAddresses() {
    if (list_) freeaddrinfo(list_);
}

bool TcpAddresses::Resolve(const std::string& host, std::uint16_t port, bool passive) {
    if (list_) freeaddrinfo(list_);
    list_ = nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    if (passive) hints.ai_flags = AI_PASSIVE;
    char service[8];
    std::snprintf(service, sizeof service, "%u", static_cast<unsigned>(port));
    const char* node = passive && host.empty() ? nullptr : host.c_str();
    if (getaddrinfo(node, service, &hints, &list_) != 0) list_ = nullptr;
    return list_ != nullptr;
}

std::uint16_t Socket::LocalPort() const {
    sockaddr_storage ss;
    return Endpoint(*this, false, ss) ? PortOf(ss) : 0;
}

std::string Socket::LocalAddress() const {
    sockaddr_storage ss;
    return Endpoint(*this, false, ss) ? Dotted(ss) : std::string();
}

std::string Socket::PeerAddress() const {
    sockaddr_storage ss;
    return Endpoint(*this, true, ss) ? Dotted(ss) : std::string();
}

std::uint16_t Socket::PeerPort() const {
    sockaddr_storage ss;
    return Endpoint(*this, true, ss) ? PortOf(ss) : 0;
}

}  // namespace ks::plat
