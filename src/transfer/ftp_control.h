// The control connection of an FTP session: a blocking socket that sends
// command lines and hands back whole replies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/socket.h"
#include "transfer/ftp_reply.h"

namespace ks {

class CControlSocket {
  public:
    explicit CControlSocket(std::int64_t timeoutMs);

    bool Connect(const std::string& host, std::uint16_t port);
    // Sends line + CR LF. A line holding CR, LF or NUL is refused unsent: it
    // would smuggle a second command to the server.
    bool SendLine(std::string_view line);
    // One whole reply; false on a closed or failed connection, a time-out, a
    // cancel, or a reply beyond the parser's limits.
    bool ReadReply(FtpReply& out);

    // Thread-safe: the step in progress and every later one fail at once.
    void Cancel() { socket_.Cancel(); }
    std::string LocalAddress() const { return socket_.LocalAddress(); }
    std::string PeerAddress() const { return socket_.PeerAddress(); }
    std::int64_t TimeoutMs() const { return socket_.TimeoutMs(); }
    plat::SocketError LastError() const { return socket_.LastError(); }

  private:
    plat::Socket socket_;
    std::string pending_;  // received bytes not yet parsed
    FtpReplyParser parser_;
};

// True when text holds a character that would end a command line early.
bool HasLineBreak(std::string_view text);

}  // namespace ks
