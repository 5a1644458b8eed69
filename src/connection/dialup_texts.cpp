// The texts of the status bar's connection pane.
#include <cstdio>

#include "connection/dialup.h"

namespace ks {

std::string ConnectedTimeText(const std::string& connection, std::int64_t s) {
    if (s < 0) s = 0;
    char clock[64];
    std::snprintf(clock, sizeof clock, "[%03lld:%02lld:%02lld]",
                  static_cast<long long>(s / 3600 - (s / 86400) * 24),
                  static_cast<long long>(s / 60 - (s / 3600) * 60), static_cast<long long>(s % 60));
    return "(" + connection + ") Connected." + clock;
}

std::string DialStateText(std::uint32_t state, const std::string& entry,
                          const std::string& phoneNumber) {
    struct Row {
        std::uint32_t state;
        const char* text;
    };
    static const Row kRows[] = {
        {0, "Opening port..."},          {1, "Port opened."},           {3, "Connected to device."},
        {4, "Connected to all device."}, {5, "Authenticating..."},      {6, "Authentice Notify..."},
        {7, "Retrying authenticate..."}, {8, "Authentice callback..."}, {9, "Changed password..."},
        {13, "Re-authenticate..."},      {14, "Authenticated."},        {16, "Wait Modem Reset..."},
        {19, "Start authenticate..."},   {21, "Logon Network..."},      {4096, "Interactive..."},
        {4097, "Retry authenticate..."}, {4099, "Password expired."},   {8193, "Disconnected."},
    };
    if (state == plat::kRasConnectDevice)
        return "(" + entry + "-" + phoneNumber + ") Connecting to device...";
    if (state == plat::kRasConnected) return "(" + entry + ") Connected.";
    for (const Row& r : kRows)
        if (r.state == state) return r.text;
    return {};
}

}  // namespace ks
