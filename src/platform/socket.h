// Blocking TCP sockets for the transfer workers.
//
// Every blocking step (connect, send, receive, accept) is bounded by the
// socket's time-out and can be cancelled from any other thread with Cancel():
// the step in progress, and every later one, then fails at once. This is how a
// pause from the UI reaches a worker that sits in recv().
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ks::plat {

// Must be called once per process before the first socket (Windows: WSAStartup).
bool SocketLayerInit();

// Tests: runs before every host-name lookup, on the lookup's own thread (a
// hook that blocks stands for a name server that does not answer).
void SetLookupHookForTests(std::function<void(const std::string& host)> hook);

enum class SocketError {
    None,
    Resolve,    // host name unknown
    Refused,    // connect refused or unreachable
    Timeout,    // the step took longer than the time-out
    Cancelled,  // Cancel() was called
    Closed,     // peer reset the connection
    Other,
};

class Socket {
  public:
    Socket();
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Time-out of each later blocking step, in milliseconds (<= 0: no limit).
    void SetTimeoutMs(std::int64_t ms) { timeoutMs_ = ms; }
    std::int64_t TimeoutMs() const { return timeoutMs_; }

    // host: a name or a dotted address.
    bool Connect(const std::string& host, std::uint16_t port);
    // Sends everything or fails.
    bool SendAll(const void* data, std::size_t len);
    bool SendAll(const std::string& s) { return SendAll(s.data(), s.size()); }
    // Bytes received (> 0), 0 when the peer closed, -1 on error, time-out or cancel.
    std::int64_t Recv(void* buf, std::size_t len);

    // Listening side (active FTP data connections, scripted test servers).
    // port 0 picks a free port; LocalPort() tells which.
    bool Listen(const std::string& bindAddress, std::uint16_t port, int backlog = 16);
    std::unique_ptr<Socket> Accept();

    std::uint16_t LocalPort() const;
    std::string LocalAddress() const;  // dotted
    std::string PeerAddress() const;   // dotted
    std::uint16_t PeerPort() const;

    // Thread-safe. Makes the pending step and all later ones fail with Cancelled.
    void Cancel();
    bool IsCancelled() const { return cancelled_.load(); }
    // Half-close the sending side (tests: a server that stops talking).
    void ShutdownSend();
    void Close();
    bool IsOpen() const;

    SocketError LastError() const { return lastError_; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::int64_t timeoutMs_ = 180000;
    std::atomic<bool> cancelled_{false};
    SocketError lastError_ = SocketError::None;
    friend struct SocketAccess;
};

}  // namespace ks::plat
