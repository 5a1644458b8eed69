#include "platform/socket_bsd.h"

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#endif

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <system_error>
#include <thread>

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

void TcpAddresses::Adopt(addrinfo* list) {
    if (list_) freeaddrinfo(list_);
    list_ = list;
}

namespace {

std::mutex& LookupHookMu() {
    static std::mutex mu;
    return mu;
}

std::function<void(const std::string&)>& LookupHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

addrinfo* Lookup(const std::string& host, std::uint16_t port, bool numericOnly) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    if (numericOnly) hints.ai_flags = AI_NUMERICHOST;
    char service[8];
    std::snprintf(service, sizeof service, "%u", static_cast<unsigned>(port));
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), service, &hints, &list) != 0) return nullptr;
    return list;
}

}  // namespace

void SetLookupHookForTests(std::function<void(const std::string& host)> hook) {
    std::lock_guard<std::mutex> g(LookupHookMu());
    LookupHook() = std::move(hook);
}

// Shared by the waiting socket and the lookup thread; the last to let go frees it.
struct PendingLookup {
    std::mutex mu;
    std::condition_variable cv;
    bool done = false;
    bool woken = false;
    addrinfo* list = nullptr;
    ~PendingLookup() {
        if (list) freeaddrinfo(list);
    }
};

SocketError LookupSlot::Resolve(TcpAddresses& out, const std::string& host, std::uint16_t port,
                                const std::atomic<bool>& cancelled, std::int64_t timeoutMs) {
    // A dotted address needs no name server and answers at once.
    if (addrinfo* numeric = Lookup(host, port, true)) {
        out.Adopt(numeric);
        return SocketError::None;
    }
    auto pending = std::make_shared<PendingLookup>();
    {
        std::lock_guard<std::mutex> g(mu_);
        pending_ = pending;
    }
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> g(LookupHookMu());
        hook = LookupHook();
    }
    try {
        // Not joined: it holds nothing but its own copy of the name and the shared
        // answer, so it may outlive the socket, the worker and the program's exit.
        std::thread([pending, host, port, hook] {
            if (hook) hook(host);
            addrinfo* list = Lookup(host, port, false);
            std::lock_guard<std::mutex> g(pending->mu);
            pending->list = list;
            pending->done = true;
            pending->cv.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> g(mu_);
        pending_.reset();
        return SocketError::Resolve;
    }
    SocketError result = SocketError::Resolve;
    {
        std::unique_lock<std::mutex> lk(pending->mu);
        auto over = [&] { return pending->done || pending->woken || cancelled.load(); };
        bool inTime = true;
        if (timeoutMs > 0)
            inTime = pending->cv.wait_for(lk, std::chrono::milliseconds(timeoutMs), over);
        else
            pending->cv.wait(lk, over);
        if (cancelled.load()) {
            result = SocketError::Cancelled;
        } else if (!inTime) {
            result = SocketError::Timeout;
        } else if (pending->done && pending->list) {
            out.Adopt(pending->list);
            pending->list = nullptr;
            result = SocketError::None;
        }
    }
    std::lock_guard<std::mutex> g(mu_);
    pending_.reset();
    return result;
}

void LookupSlot::Wake() {
    std::shared_ptr<PendingLookup> pending;
    {
        std::lock_guard<std::mutex> g(mu_);
        pending = pending_;
    }
    if (!pending) return;
    std::lock_guard<std::mutex> g(pending->mu);
    pending->woken = true;
    pending->cv.notify_all();
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
