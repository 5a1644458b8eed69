// The proxy in use for the current connection. Empty (no proxy) until a
// connection profile fills it; the clients copy it at the start of a transfer.
#pragma once

#include <cstdint>
#include <string>

namespace ks {

struct ProxySettings {
    bool useHttpProxy = false;
    std::string httpProxyServer;
    std::uint16_t httpProxyPort = 0;
    std::string ftpProxyServer;
    std::uint16_t ftpProxyPort = 0;
    std::string ftpProxyUser;
    std::string ftpProxyPassword;
    std::int32_t ftpLogonType = 0;  // 0 .. 8
    bool ftpPassive = false;
};

}  // namespace ks
