// The logon sequences for direct connections and the nine kinds of FTP proxy
// (firewall). Each kind is a small table of steps; a step sends one command
// and names the step that follows a 2xx and a 3xx reply. Keeping it as data
// lets one walker serve every kind and lets tests check each table whole.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace ks {

// What the logon commands are made of.
struct FtpLogonParams {
    std::string host;  // remote host
    std::uint16_t port = 21;
    std::string user;
    std::string password;
    std::string account;  // always empty today
    std::string proxyHost;
    std::string proxyUser;
    std::string proxyPassword;
    std::uint16_t proxyPort = 21;
    std::int32_t logonType = 0;  // 0 .. 8
};

enum class FtpLogonCommand : std::uint8_t {
    User,                   // USER user
    Pass,                   // PASS password
    Acct,                   // ACCT account
    ProxyUser,              // USER proxy user
    ProxyPass,              // PASS proxy password
    SiteHost,               // SITE host
    UserAtHost,             // USER user@host
    OpenHost,               // OPEN host
    ProxyUserAtHost,        // USER proxy user@host
    UserAtHostProxyUser,    // USER user@host proxy user
    UserAtProxyUserAtHost,  // USER user@proxy user@host
    PassAtProxyPass,        // PASS password@proxy password
};

inline constexpr std::int8_t kLogonDone = -1;
inline constexpr std::int8_t kLogonFail = -2;

struct FtpLogonStep {
    FtpLogonCommand command;
    std::int8_t after2xx;  // next step, kLogonDone or kLogonFail
    std::int8_t after3xx;
};

inline constexpr std::int32_t kFtpLogonTypes = 9;

// Steps of a logon type; empty for a type outside 0 .. 8.
std::span<const FtpLogonStep> FtpLogonSteps(std::int32_t logonType);

// The remote host as the proxy commands name it: "host", or "host:port" when
// the port is not 21.
std::string FtpHostText(const std::string& host, std::uint16_t port);

// The command line (without line end) a step sends.
std::string FtpLogonCommandText(FtpLogonCommand command, const FtpLogonParams& p);

// Where the control connection goes: the proxy for types 1 .. 8, the remote
// host otherwise.
void FtpLogonTarget(const FtpLogonParams& p, std::string& host, std::uint16_t& port);

}  // namespace ks
