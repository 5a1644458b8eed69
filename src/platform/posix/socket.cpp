// POSIX side of the socket seam. The descriptor is non-blocking; every wait is
// a poll() on the socket and on a per-socket wake pipe, so Cancel() from any
// thread ends the wait at once and the time-out bounds each step.
#include "platform/socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/socket_bsd.h"

namespace ks::plat {

bool SocketLayerInit() {
    return true;
}

struct Socket::Impl {
    int fd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    LookupSlot lookup;
};

namespace {

using Clock = std::chrono::steady_clock;

bool SetNonBlocking(int fd) {
    int fl = fcntl(fd, F_GETFL, 0);
    return fl >= 0 && fcntl(fd, F_SETFL, fl | O_NONBLOCK) == 0;
}

SocketError FromErrno(int e) {
    switch (e) {
        case ECONNREFUSED:
        case ENETUNREACH:
        case EHOSTUNREACH:
        case EADDRNOTAVAIL:
            return SocketError::Refused;
        case ECONNRESET:
        case EPIPE:
        case ECONNABORTED:
            return SocketError::Closed;
        case ETIMEDOUT:
            return SocketError::Timeout;
        default:
            return SocketError::Other;
    }
}

}  // namespace

NativeSocket SocketAccess::Handle(const Socket& s) {
    return s.impl_->fd;
}

// Waits until fd is ready for `events`, the deadline passes, or Cancel() is
// called. Returns None when ready.
static SocketError WaitFor(int fd, int wakeRead, const std::atomic<bool>& cancelled, short events,
                           std::int64_t timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (cancelled.load()) return SocketError::Cancelled;
        int wait = -1;
        if (timeoutMs > 0) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return SocketError::Timeout;
            wait = static_cast<int>(std::min<std::int64_t>(left.count() + 1, 1 << 30));
        }
        pollfd p[2] = {{fd, events, 0}, {wakeRead, POLLIN, 0}};
        int n = poll(p, 2, wait);
        if (n < 0) {
            if (errno == EINTR) continue;
            return SocketError::Other;
        }
        if (cancelled.load() || (p[1].revents & POLLIN)) return SocketError::Cancelled;
        if (n > 0 && p[0].revents) return SocketError::None;
    }
}

Socket::Socket() : impl_(std::make_unique<Impl>()) {
    int p[2];
    if (pipe(p) == 0) {
        impl_->wakeRead = p[0];
        impl_->wakeWrite = p[1];
        SetNonBlocking(p[0]);
        SetNonBlocking(p[1]);
        fcntl(p[0], F_SETFD, FD_CLOEXEC);
        fcntl(p[1], F_SETFD, FD_CLOEXEC);
    }
}

Socket::~Socket() {
    Close();
    if (impl_->wakeRead >= 0) ::close(impl_->wakeRead);
    if (impl_->wakeWrite >= 0) ::close(impl_->wakeWrite);
}

bool Socket::Connect(const std::string& host, std::uint16_t port) {
    Close();
    if (cancelled_.load()) return lastError_ = SocketError::Cancelled, false;
    TcpAddresses addresses;
    const SocketError looked = impl_->lookup.Resolve(addresses, host, port, cancelled_, timeoutMs_);
    if (looked != SocketError::None) return lastError_ = looked, false;
    lastError_ = SocketError::Refused;
    for (const addrinfo* a = addresses.First(); a; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0 || !SetNonBlocking(fd)) {
            if (fd >= 0) ::close(fd);
            lastError_ = SocketError::Other;
            continue;
        }
        impl_->fd = fd;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            lastError_ = SocketError::None;
            break;
        }
        if (errno != EINPROGRESS) {
            lastError_ = FromErrno(errno);
            Close();
            continue;
        }
        SocketError w = WaitFor(impl_->fd, impl_->wakeRead, cancelled_, POLLOUT, timeoutMs_);
        if (w == SocketError::None) {
            int err = 0;
            socklen_t len = sizeof err;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
            if (err == 0) {
                lastError_ = SocketError::None;
                break;
            }
            w = FromErrno(err);
        }
        lastError_ = w;
        Close();
        if (w == SocketError::Cancelled || w == SocketError::Timeout) break;
    }
    return lastError_ == SocketError::None;
}

bool Socket::SendAll(const void* data, std::size_t len) {
    const char* p = static_cast<const char*>(data);
    while (len > 0) {
        if (cancelled_.load()) return lastError_ = SocketError::Cancelled, false;
        if (impl_->fd < 0) return lastError_ = SocketError::Other, false;
        ssize_t n = ::send(impl_->fd, p, len, MSG_NOSIGNAL);
        if (n > 0) {
            p += n;
            len -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            SocketError w = WaitFor(impl_->fd, impl_->wakeRead, cancelled_, POLLOUT, timeoutMs_);
            if (w != SocketError::None) return lastError_ = w, false;
            continue;
        }
        return lastError_ = FromErrno(errno), false;
    }
    lastError_ = SocketError::None;
    return true;
}

std::int64_t Socket::Recv(void* buf, std::size_t len) {
    for (;;) {
        if (cancelled_.load()) return lastError_ = SocketError::Cancelled, -1;
        if (impl_->fd < 0) return lastError_ = SocketError::Other, -1;
        ssize_t n = ::recv(impl_->fd, buf, len, 0);
        if (n >= 0) {
            lastError_ = SocketError::None;
            return n;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            SocketError w = WaitFor(impl_->fd, impl_->wakeRead, cancelled_, POLLIN, timeoutMs_);
            if (w != SocketError::None) return lastError_ = w, -1;
            continue;
        }
        lastError_ = FromErrno(errno);
        return -1;
    }
}

bool Socket::Listen(const std::string& bindAddress, std::uint16_t port, int backlog) {
    Close();
    TcpAddresses addresses;
    if (!addresses.Resolve(bindAddress, port, true))
        return lastError_ = SocketError::Resolve, false;
    lastError_ = SocketError::Other;
    for (const addrinfo* a = addresses.First(); a; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (SetNonBlocking(fd) && ::bind(fd, a->ai_addr, a->ai_addrlen) == 0 &&
            ::listen(fd, backlog) == 0) {
            impl_->fd = fd;
            lastError_ = SocketError::None;
            break;
        }
        lastError_ = FromErrno(errno);
        ::close(fd);
    }
    return lastError_ == SocketError::None;
}

std::unique_ptr<Socket> Socket::Accept() {
    for (;;) {
        if (cancelled_.load()) return lastError_ = SocketError::Cancelled, nullptr;
        if (impl_->fd < 0) return lastError_ = SocketError::Other, nullptr;
        int fd = ::accept4(impl_->fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            auto s = std::make_unique<Socket>();
            s->impl_->fd = fd;
            s->timeoutMs_ = timeoutMs_;
            lastError_ = SocketError::None;
            return s;
        }
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            SocketError w = WaitFor(impl_->fd, impl_->wakeRead, cancelled_, POLLIN, timeoutMs_);
            if (w != SocketError::None) return lastError_ = w, nullptr;
            continue;
        }
        lastError_ = FromErrno(errno);
        return nullptr;
    }
}

void Socket::Cancel() {
    cancelled_.store(true);
    if (impl_->wakeWrite >= 0) {
        char b = 1;
        // A full pipe already wakes every waiter, so a failed write is harmless.
        ssize_t ignored = ::write(impl_->wakeWrite, &b, 1);
        (void)ignored;
    }
    impl_->lookup.Wake();
}

void Socket::ShutdownSend() {
    if (impl_->fd >= 0) ::shutdown(impl_->fd, SHUT_WR);
}

void Socket::Close() {
    if (impl_->fd >= 0) {
        ::close(impl_->fd);
        impl_->fd = -1;
    }
}

bool Socket::IsOpen() const {
    return impl_->fd >= 0;
}

}  // namespace ks::plat
