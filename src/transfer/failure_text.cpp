#include "transfer/failure_text.h"

#include "platform/system_error.h"

namespace ks {

std::string SocketFailureText(plat::SocketError e, const std::string& host, std::uint16_t port,
                              bool connecting) {
    const std::string where = host + ":" + std::to_string(port);
    switch (e) {
        case plat::SocketError::Resolve:
            return "host not found: " + host;
        case plat::SocketError::Refused:
            return "connection refused by " + where;
        case plat::SocketError::Timeout:
            return (connecting ? "time-out connecting to " : "time-out waiting for ") + where;
        case plat::SocketError::Closed:
            return "connection reset by " + where;
        case plat::SocketError::Cancelled:
            return "stopped";
        default:
            return (connecting ? "can't connect to " : "connection lost to ") + where;
    }
}

std::string ServerAnswerText(const std::string& line) {
    std::string s = line;
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
    if (s.rfind("HTTP/", 0) == 0) {
        const std::size_t sp = s.find(' ');
        s = sp == std::string::npos ? std::string() : s.substr(sp + 1);
    }
    return "server answered " + s;
}

std::string LocalFileText(const std::string& path, const char* action) {
    const std::string why = plat::LastSystemError();
    return std::string("can't ") + action + " " + path + ": " + why;
}

}  // namespace ks
