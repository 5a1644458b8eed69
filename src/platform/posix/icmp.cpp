#include "platform/icmp.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace ks::plat {
namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// By name first, then as a dotted address.
bool ResolveIpv4(const std::string& host, sockaddr_in& out) {
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) == 0 && list) {
        out.sin_addr = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr;
        freeaddrinfo(list);
        return true;
    }
    return inet_pton(AF_INET, host.c_str(), &out.sin_addr) == 1;
}

}  // namespace

std::uint16_t EchoIdentifier() {
    return static_cast<std::uint16_t>(getpid() & 0xffff);
}

EchoStatus IcmpEcho(const std::string& host, const std::string& request, int timeoutMs,
                    std::string& reply, std::uint16_t& identifier) {
    bool raw = true;
    int fd = socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    if (fd < 0) {
        raw = false;
        fd = socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP);
    }
    if (fd < 0) return EchoStatus::NoSocket;
    Fd guard(fd);
    sockaddr_in to{};
    if (!ResolveIpv4(host, to)) return EchoStatus::Unresolved;
    identifier = EchoIdentifier();
    if (!raw) {
        // The kernel puts the socket's port in place of our identifier.
        sockaddr_in local{};
        socklen_t len = sizeof local;
        local.sin_family = AF_INET;
        if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&local), &len) != 0)
            return EchoStatus::Failed;
        identifier = ntohs(local.sin_port);
    }
    if (sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to),
               sizeof to) != static_cast<ssize_t>(request.size()))
        return EchoStatus::Failed;
    // A raw socket also sees echo requests, our own among them when the host
    // is this machine: those are no answer, so the first other message counts.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return EchoStatus::Failed;
        char buf[1024];
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return EchoStatus::Failed;
        std::size_t skip = 0;
        if (raw) {
            // A raw socket hands over the IPv4 header too.
            skip = static_cast<std::size_t>(buf[0] & 0x0f) * 4;
            if (skip >= static_cast<std::size_t>(n)) return EchoStatus::Failed;
        }
        if (buf[skip] == 8) continue;
        reply.assign(buf + skip, static_cast<std::size_t>(n) - skip);
        break;
    }
    return EchoStatus::Ok;
}

}  // namespace ks::plat
