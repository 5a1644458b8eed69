#include "app/proxy_profile.h"

#include "app/ini_store.h"
#include "app/settings_keys.h"
#include "connection/password_scramble.h"

namespace ks {
namespace {

std::uint16_t PortOrZero(std::int32_t v) {
    return (v > 0 && v <= 65535) ? static_cast<std::uint16_t>(v) : 0;
}

}  // namespace

ProxySettings ProxyFromProfile(const ConnectionProfile& profile, std::string_view installKey) {
    ProxySettings p;
    p.useHttpProxy = profile.useHttpProxy;
    p.httpProxyServer = profile.httpProxyServer;
    p.httpProxyPort = PortOrZero(profile.httpProxyPort);
    p.ftpProxyServer = profile.ftpProxyServer;
    p.ftpProxyPort = PortOrZero(ParseIniInt(profile.ftpProxyPort));
    p.ftpProxyUser = profile.ftpProxyUser;
    p.ftpProxyPassword = ScramblePassword(profile.ftpProxyPassword, installKey, false);
    const std::int32_t type = ParseIniInt(profile.ftpProxyLogonType);
    p.ftpLogonType = (type >= 0 && type <= 8) ? type : 0;
    p.ftpPassive = profile.ftpProxyPassive;
    return p;
}

bool IsPasswordKey(std::string_view key) {
    return IniNamesEqual(key, "FTPProxypassword") || IniNamesEqual(key, "dialuppassword");
}

bool IsProgramSection(std::string_view section) {
    for (const auto& k : settings_keys::SettingKeys())
        if (IniNamesEqual(section, k.section)) return true;
    for (const auto& l : settings_keys::SettingLists())
        if (IniNamesEqual(section, l.section)) return true;
    return false;
}

}  // namespace ks
