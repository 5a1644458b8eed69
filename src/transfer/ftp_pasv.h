// The address texts of data connections: the PASV reply and the PORT command.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ks {

struct PasvTarget {
    std::string address;  // dotted, as the reply named it
    std::uint16_t port = 0;
};

// Reads "(h1,h2,h3,h4,p1,p2)" from a 227 reply text. Every number must be
// 0 .. 255 and the port must not be 0.
bool ParsePasvReply(std::string_view replyText, PasvTarget& out);

// "PORT a,b,c,d,p1,p2" for a dotted local address and a port.
std::string PortCommand(std::string_view localAddress, std::uint16_t port);

}  // namespace ks
