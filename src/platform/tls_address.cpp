#include "platform/socket_bsd.h"
#include "platform/tls.h"

#ifndef _WIN32
#include <arpa/inet.h>
#endif

namespace ks::plat {

bool IsAddressLiteral(const std::string& host) {
    std::string h = host;
    if (h.size() > 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
    unsigned char buf[16];
    return inet_pton(AF_INET, h.c_str(), buf) == 1 || inet_pton(AF_INET6, h.c_str(), buf) == 1;
}

}  // namespace ks::plat
