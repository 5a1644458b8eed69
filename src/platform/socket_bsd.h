// What the POSIX and Win32 sockets have in common: both sit on the BSD calls
// (getaddrinfo, getsockname, inet_ntop), which differ only in their headers.
// Private to the two socket implementations and socket_bsd.cpp.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#endif

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/socket.h"

namespace ks::plat {

#ifdef _WIN32
using NativeSocket = SOCKET;
#else
using NativeSocket = int;
#endif

// The private state, for the helpers outside the class.
struct SocketAccess {
    using Impl = Socket::Impl;
    // Defined by each platform; only meaningful while the socket is open.
    static NativeSocket Handle(const Socket& s);
};

// getaddrinfo's answer for a TCP endpoint, freed on every way out.
class TcpAddresses {
  public:
    TcpAddresses() = default;
    ~TcpAddresses();
    TcpAddresses(const TcpAddresses&) = delete;
    TcpAddresses& operator=(const TcpAddresses&) = delete;

    // passive with an empty host: every local address (a listener).
    bool Resolve(const std::string& host, std::uint16_t port, bool passive);
    const addrinfo* First() const { return list_; }
    // Takes over a list getaddrinfo returned.
    void Adopt(addrinfo* list);

  private:
    addrinfo* list_ = nullptr;
};

struct PendingLookup;

// The host lookup of a connecting socket. getaddrinfo cannot be interrupted,
// so a name (not a dotted address) is looked up on a thread of its own that
// owns everything it touches; the connecting thread waits for it, and walks
// away when the socket is cancelled or the time-out passes. A stop or the
// program's exit therefore never waits on a name server.
class LookupSlot {
  public:
    // None, Resolve, Cancelled or Timeout.
    SocketError Resolve(TcpAddresses& out, const std::string& host, std::uint16_t port,
                        const std::atomic<bool>& cancelled, std::int64_t timeoutMs);
    // Any thread: wakes a Resolve in progress (the caller has set `cancelled`).
    void Wake();

  private:
    std::mutex mu_;
    std::shared_ptr<PendingLookup> pending_;
};

}  // namespace ks::plat
