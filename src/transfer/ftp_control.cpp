#include "transfer/ftp_control.h"

namespace ks {

bool HasLineBreak(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

CControlSocket::CControlSocket(std::int64_t timeoutMs) {
    socket_.SetTimeoutMs(timeoutMs);
}

bool CControlSocket::Connect(const std::string& host, std::uint16_t port) {
    return socket_.Connect(host, port);
}

bool CControlSocket::SendLine(std::string_view line) {
    if (HasLineBreak(line)) return false;
    std::string out(line);
    out += "\r\n";
    return socket_.SendAll(out);
}

bool CControlSocket::ReadReply(FtpReply& out) {
    parser_.Reset();
    char buf[2048];
    for (;;) {
        if (!pending_.empty()) {
            std::size_t used = parser_.Feed(pending_);
            pending_.erase(0, used);
            if (parser_.GetState() == FtpReplyParser::State::Done) {
                out = parser_.Reply();
                return true;
            }
            if (parser_.GetState() == FtpReplyParser::State::Error) return false;
        }
        std::int64_t n = socket_.Recv(buf, sizeof buf);
        if (n <= 0) return false;
        pending_.append(buf, static_cast<std::size_t>(n));
    }
}

}  // namespace ks
