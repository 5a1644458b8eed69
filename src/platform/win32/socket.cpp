// Win32 side of the socket seam. Each socket is tied to its own network event
// (WSAEventSelect, which also makes it non-blocking) and owns a cancel event;
// every wait covers both, so Cancel() from another thread ends the wait at
// once. shutdown() from another thread would not wake a blocked call under
// every Winsock, an event does. Waits run in short slices and then retry the
// operation, so a network event that is never recorded only costs a slice.
#include "platform/socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <climits>

#include "platform/socket_bsd.h"

namespace ks::plat {

bool SocketLayerInit() {
    static const bool ok = [] {
        WSADATA d;
        return WSAStartup(MAKEWORD(2, 2), &d) == 0;
    }();
    return ok;
}

struct Socket::Impl {
    SOCKET s = INVALID_SOCKET;
    WSAEVENT netEvent = WSA_INVALID_EVENT;
    HANDLE cancelEvent = nullptr;
    LookupSlot lookup;
};

NativeSocket SocketAccess::Handle(const Socket& s) {
    return s.impl_->s;
}

using SockImpl = SocketAccess::Impl;

namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kSliceMs = 250;
constexpr long kAllEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE | FD_ACCEPT;

SocketError FromWsa(int e) {
    switch (e) {
        case WSAECONNREFUSED:
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH:
        case WSAEADDRNOTAVAIL:
            return SocketError::Refused;
        case WSAECONNRESET:
        case WSAECONNABORTED:
        case WSAESHUTDOWN:
        case WSAENETRESET:
            return SocketError::Closed;
        case WSAETIMEDOUT:
            return SocketError::Timeout;
        default:
            return SocketError::Other;
    }
}

bool Attach(SockImpl& im, SOCKET s) {
    WSAResetEvent(im.netEvent);
    if (WSAEventSelect(s, im.netEvent, kAllEvents) != 0) return false;
    im.s = s;
    return true;
}

struct Deadline {
    explicit Deadline(std::int64_t ms)
        : unlimited(ms <= 0), at(Clock::now() + std::chrono::milliseconds(ms > 0 ? ms : 0)) {}
    bool unlimited;
    Clock::time_point at;
};

// One wait slice. None: something may have changed, retry the operation.
SocketError WaitSlice(SockImpl& im, const std::atomic<bool>& cancelled, const Deadline& dl,
                      WSANETWORKEVENTS* events = nullptr) {
    if (cancelled.load()) return SocketError::Cancelled;
    DWORD wait = kSliceMs;
    if (!dl.unlimited) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(dl.at - Clock::now()).count();
        if (left <= 0) return SocketError::Timeout;
        wait = static_cast<DWORD>(std::min<std::int64_t>(left, kSliceMs));
    }
    WSAEVENT handles[2] = {im.netEvent, im.cancelEvent};
    DWORD r = WSAWaitForMultipleEvents(2, handles, FALSE, wait, FALSE);
    if (cancelled.load() || r == WSA_WAIT_EVENT_0 + 1) return SocketError::Cancelled;
    if (r == WSA_WAIT_EVENT_0) {
        WSANETWORKEVENTS ne{};
        WSAEnumNetworkEvents(im.s, im.netEvent, &ne);
        if (events) *events = ne;
    }
    return SocketError::None;
}

// Connected, failed, or still pending (None/Other/...): checked without waiting.
enum class ConnectState { Pending, Done, Failed };
ConnectState PollConnect(SOCKET s, int& err) {
    fd_set w, x;
    FD_ZERO(&w);
    FD_ZERO(&x);
    FD_SET(s, &w);
    FD_SET(s, &x);
    timeval tv{0, 0};
    if (select(0, nullptr, &w, &x, &tv) <= 0) return ConnectState::Pending;
    if (FD_ISSET(s, &w)) return ConnectState::Done;
    int len = sizeof err;
    err = 0;
    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
    if (err == 0) err = WSAECONNREFUSED;
    return ConnectState::Failed;
}

}  // namespace

Socket::Socket() : impl_(std::make_unique<Impl>()) {
    impl_->netEvent = WSACreateEvent();
    impl_->cancelEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

Socket::~Socket() {
    Close();
    if (impl_->netEvent != WSA_INVALID_EVENT) WSACloseEvent(impl_->netEvent);
    if (impl_->cancelEvent) CloseHandle(impl_->cancelEvent);
}

bool Socket::Connect(const std::string& host, std::uint16_t port) {
    Close();
    if (cancelled_.load()) return lastError_ = SocketError::Cancelled, false;
    SocketLayerInit();
    TcpAddresses addresses;
    const SocketError looked = impl_->lookup.Resolve(addresses, host, port, cancelled_, timeoutMs_);
    if (looked != SocketError::None) return lastError_ = looked, false;
    const Deadline dl(timeoutMs_);
    lastError_ = SocketError::Refused;
    for (const addrinfo* a = addresses.First(); a; a = a->ai_next) {
        SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        if (!Attach(*impl_, s)) {
            closesocket(s);
            continue;
        }
        SocketError result = SocketError::None;
        if (::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
            int e = WSAGetLastError();
            if (e != WSAEWOULDBLOCK) result = FromWsa(e);
            for (; e == WSAEWOULDBLOCK;) {
                WSANETWORKEVENTS ne{};
                SocketError w = WaitSlice(*impl_, cancelled_, dl, &ne);
                if (w != SocketError::None) {
                    result = w;
                    break;
                }
                if (ne.lNetworkEvents & FD_CONNECT) {
                    int ce = ne.iErrorCode[FD_CONNECT_BIT];
                    result = ce ? FromWsa(ce) : SocketError::None;
                    break;
                }
                int ce = 0;
                ConnectState st = PollConnect(s, ce);
                if (st == ConnectState::Pending) continue;
                result = st == ConnectState::Done ? SocketError::None : FromWsa(ce);
                break;
            }
        }
        lastError_ = result;
        if (result == SocketError::None) break;
        Close();
        if (result == SocketError::Cancelled || result == SocketError::Timeout) break;
    }
    return lastError_ == SocketError::None;
}

bool Socket::SendAll(const void* data, std::size_t len) {
    const char* p = static_cast<const char*>(data);
    Deadline dl(timeoutMs_);
    while (len > 0) {
        if (cancelled_.load()) return lastError_ = SocketError::Cancelled, false;
        if (impl_->s == INVALID_SOCKET) return lastError_ = SocketError::Other, false;
        int chunk = static_cast<int>(std::min<std::size_t>(len, 1 << 20));
        int n = ::send(impl_->s, p, chunk, 0);
        if (n > 0) {
            p += n;
            len -= static_cast<std::size_t>(n);
            dl = Deadline(timeoutMs_);  // progress restarts the clock
            continue;
        }
        int e = WSAGetLastError();
        if (e != WSAEWOULDBLOCK) return lastError_ = FromWsa(e), false;
        SocketError w = WaitSlice(*impl_, cancelled_, dl);
        if (w != SocketError::None) return lastError_ = w, false;
    }
    lastError_ = SocketError::None;
    return true;
}

std::int64_t Socket::Recv(void* buf, std::size_t len) {
    const Deadline dl(timeoutMs_);
    for (;;) {
        if (cancelled_.load()) return lastError_ = SocketError::Cancelled, -1;
        if (impl_->s == INVALID_SOCKET) return lastError_ = SocketError::Other, -1;
        int want = static_cast<int>(std::min<std::size_t>(len, INT_MAX));
        int n = ::recv(impl_->s, static_cast<char*>(buf), want, 0);
        if (n >= 0) {
            lastError_ = SocketError::None;
            return n;
        }
        int e = WSAGetLastError();
        if (e != WSAEWOULDBLOCK) return lastError_ = FromWsa(e), -1;
        SocketError w = WaitSlice(*impl_, cancelled_, dl);
        if (w != SocketError::None) return lastError_ = w, -1;
    }
}

bool Socket::Listen(const std::string& bindAddress, std::uint16_t port, int backlog) {
    Close();
    SocketLayerInit();
    TcpAddresses addresses;
    if (!addresses.Resolve(bindAddress, port, true))
        return lastError_ = SocketError::Resolve, false;
    lastError_ = SocketError::Other;
    for (const addrinfo* a = addresses.First(); a; a = a->ai_next) {
        SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        if (::bind(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0 &&
            ::listen(s, backlog) == 0 && Attach(*impl_, s)) {
            lastError_ = SocketError::None;
            break;
        }
        lastError_ = FromWsa(WSAGetLastError());
        closesocket(s);
    }
    return lastError_ == SocketError::None;
}

std::unique_ptr<Socket> Socket::Accept() {
    const Deadline dl(timeoutMs_);
    for (;;) {
        if (cancelled_.load()) return lastError_ = SocketError::Cancelled, nullptr;
        if (impl_->s == INVALID_SOCKET) return lastError_ = SocketError::Other, nullptr;
        SOCKET s = ::accept(impl_->s, nullptr, nullptr);
        if (s != INVALID_SOCKET) {
            auto out = std::make_unique<Socket>();
            // The new socket inherits the listener's event binding; give it its own.
            if (!Attach(*out->impl_, s)) {
                closesocket(s);
                return lastError_ = SocketError::Other, nullptr;
            }
            out->timeoutMs_ = timeoutMs_;
            lastError_ = SocketError::None;
            return out;
        }
        int e = WSAGetLastError();
        if (e == WSAECONNRESET) continue;
        if (e != WSAEWOULDBLOCK) return lastError_ = FromWsa(e), nullptr;
        SocketError w = WaitSlice(*impl_, cancelled_, dl);
        if (w != SocketError::None) return lastError_ = w, nullptr;
    }
}

void Socket::Cancel() {
    cancelled_.store(true);
    if (impl_->cancelEvent) SetEvent(impl_->cancelEvent);
    impl_->lookup.Wake();
}

void Socket::ShutdownSend() {
    if (impl_->s != INVALID_SOCKET) ::shutdown(impl_->s, SD_SEND);
}

void Socket::Close() {
    if (impl_->s != INVALID_SOCKET) {
        closesocket(impl_->s);
        impl_->s = INVALID_SOCKET;
    }
}

bool Socket::IsOpen() const {
    return impl_->s != INVALID_SOCKET;
}

}  // namespace ks::plat
