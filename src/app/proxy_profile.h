// From a connection's profile, as the settings file holds it, to the proxy
// record every transfer reads when it starts.
#pragma once

#include <string_view>

#include "app/settings.h"
#include "base/proxy_settings.h"

namespace ks {

// Numbers outside their range give 0 (a port beyond 65535, a logon type
// beyond 8 means "no proxy" rather than a guess); the FTP proxy password is
// unscrambled with the installation key.
ProxySettings ProxyFromProfile(const ConnectionProfile& profile, std::string_view installKey);

// The profile keys that hold a scrambled password.
bool IsPasswordKey(std::string_view key);
// A section of the program's own ("Download", "Dial Up", "File Types" ...),
// which can never be a connection's profile.
bool IsProgramSection(std::string_view section);

}  // namespace ks
