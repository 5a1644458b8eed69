// One line that tells the user why a transfer failed, built from what the
// clients know at the point of failure. The row keeps its fixed texts; these
// lines go to the project's failure text, which the command line prints.
#pragma once

#include <cstdint>
#include <string>

#include "platform/socket.h"

namespace ks {

// A failed connect (connecting) or a failed send or receive.
std::string SocketFailureText(plat::SocketError e, const std::string& host, std::uint16_t port,
                              bool connecting);
// A server's answer line ("HTTP/1.1 404 Not Found", "550 No such file"):
// what follows a leading protocol version, without the line end.
std::string ServerAnswerText(const std::string& line);
// A local file that could not be opened, read or written (action: "open",
// "read", "write"), with the system's reason; call right after the failing call.
std::string LocalFileText(const std::string& path, const char* action);

}  // namespace ks
