// status: the connection in use, its proxies, and when the scheduler next
// starts and stops. Passwords are never shown.
#include <cstdio>

#include "base/runtime.h"
#include "cli/cli_commands.h"
#include "cli/cli_engine.h"
#include "platform/clock.h"
#include "platform/ras.h"

namespace ks::cli {
namespace {

const char* const kLogonTypes[] = {
    "None",
    "SITE hostname",
    "USER logon",
    "OPEN Proxy",
    "Transparent",
    "USER no logon",
    "USER FireID@RemoteHost",
    "USER RemoteID@RemoteHost",
    "USER RemoteID@FireID@RemoteHost",
};

std::string When(const std::optional<plat::LocalTime>& t) {
    if (!t) return "none";
    static const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d (%s)", t->year, t->month, t->day,
                  t->hour, t->minute, kDays[t->weekday % 7]);
    return buf;
}

std::string ConnectionLine(const Settings& s) {
    if (!s.dialUp.use) return "LAN Settings (not using dial-up)";
    std::vector<plat::RasConnection> up;
    if (plat::SystemRas().Connections(up) && !up.empty())
        return up.front().entry + " (dial-up, connected)";
    return s.currentConnection + " (dial-up, not connected)";
}

std::string EndAction(const ScheduleSettings& c) {
    if (c.shutdown) return "shut the computer down";
    if (c.quit) return c.expire ? "hang up, then quit" : "quit";
    return "hang up";
}

}  // namespace

int RunStatus(const CliArgs& a) {
    Engine e;
    if (!OpenEngine(e, a.home)) return kExitError;
    const Settings& s = e.settings;
    const ProxySettings p = GlobalRuntime().Proxy();
    std::printf("Connection: %s\n", ConnectionLine(s).c_str());
    if (p.useHttpProxy && !p.httpProxyServer.empty())
        std::printf("HTTP proxy: %s:%d\n", p.httpProxyServer.c_str(), int(p.httpProxyPort));
    else
        std::printf("HTTP proxy: none\n");
    if (p.ftpLogonType > 0 && p.ftpLogonType <= 8) {
        std::printf("FTP proxy: %s:%d, logon type %d (%s)", p.ftpProxyServer.c_str(),
                    p.ftpProxyPort == 0 ? 21 : int(p.ftpProxyPort), int(p.ftpLogonType),
                    kLogonTypes[p.ftpLogonType]);
        if (!p.ftpProxyUser.empty()) std::printf(", user %s", p.ftpProxyUser.c_str());
        std::printf("\n");
    } else {
        std::printf("FTP proxy: none\n");
    }
    std::printf("FTP data connections: %s\n", p.ftpPassive ? "passive (PASV)" : "active (PORT)");
    const ScheduleSettings& c = s.scheduler;
    const plat::LocalTime now = plat::ToLocalTime(plat::NowSeconds());
    std::printf("Scheduler: %s\n", c.enable ? "on" : "off");
    std::printf("Next start: %s\n", When(NextScheduledStart(c, now)).c_str());
    const auto end = NextScheduledEnd(c, now);
    std::printf("Next stop: %s%s\n", When(end).c_str(),
                end ? (", then " + EndAction(c)).c_str() : "");
    return kExitOk;
}

}  // namespace ks::cli
