// Texts and checks of the application shell that need no window: the command
// line a user or a second instance hands over, the heartbeat line shown in the
// status bar and tray tip, and the dial-up connected time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ks {

// The text without blanks (spaces, tabs, line ends) at either end.
std::string TrimBlanks(std::string_view text);

// The URL a command line carries, trimmed, when it is an http, https or ftp
// URL with a host; nothing for anything else (a file name, a bare host name).
std::optional<std::string> CommandLineUrl(std::string_view text);

// "Kestrune (%.2fkb/s), %d of %d item" (or "items" from two rows on).
std::string HeartbeatText(double rateKbps, int active, int rows);

// "(%s) Connected.[%03d:%02d:%02d]", hours taken modulo 24.
std::string ConnectedText(std::string_view connection, std::int64_t seconds);

// The tray holds at most 63 characters of tip text.
std::string TrayTip(std::string_view text);

}  // namespace ks
