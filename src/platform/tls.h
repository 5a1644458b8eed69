// A TLS client stream over a connected Socket: OpenSSL on Linux, SChannel on
// Windows. The library does all the cryptography; this layer only moves its
// records through the socket.
//
// Every record is read and written through Socket::Recv and Socket::SendAll,
// so each blocking step keeps the socket's time-out and Socket::Cancel() from
// another thread ends the handshake or a transfer at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/socket.h"

namespace ks::plat {

struct TlsTrust {
    // Off only when the user asks for it explicitly.
    bool verify = true;
    // Extra trusted roots (PEM); empty: the system's trust store only.
    std::string caFile;
};

enum class TlsFailure {
    None,
    // The connection failed under the handshake or a transfer (reset, closed,
    // time-out, cancel): the socket's LastError() says which. Worth a retry.
    Network,
    // The peer does not speak TLS acceptably (bad records, no common version
    // or cipher) or sent an alert: retrying will not help.
    Protocol,
    // The certificate is not trusted for this host: retrying will not help.
    Certificate,
    // The local set-up failed (unreadable CA file, no TLS library).
    Local,
};

class TlsStream {
  public:
    // socket must be connected and outlive the stream.
    explicit TlsStream(Socket& socket);
    ~TlsStream();
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // host: the name from the URL; it is checked against the certificate and
    // sent as SNI unless it is an address literal.
    bool Handshake(const std::string& host, const TlsTrust& trust);
    bool SendAll(const void* data, std::size_t len);
    bool SendAll(const std::string& s) { return SendAll(s.data(), s.size()); }
    // Plain bytes (> 0), 0 when the peer closed, -1 on failure.
    std::int64_t Recv(void* buf, std::size_t len);

    TlsFailure Failure() const { return failure_; }
    // Why the handshake or transfer failed, in words for the user
    // ("certificate has expired", "host name mismatch", "unknown issuer").
    const std::string& FailureText() const { return failureText_; }
    // "TLSv1.3" once the handshake is done.
    std::string Protocol() const;

    // The library's state; each platform defines it.
    struct Impl;

  private:
    bool Fail(TlsFailure f, std::string text);

    Socket& socket_;
    std::unique_ptr<Impl> impl_;
    TlsFailure failure_ = TlsFailure::None;
    std::string failureText_;
};

// True for a dotted IPv4 or an IPv6 literal (with or without brackets): such
// a host is matched against the certificate's address names and gets no SNI.
bool IsAddressLiteral(const std::string& host);

}  // namespace ks::plat
