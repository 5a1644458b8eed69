#include "transfer/ftp_logon.h"

#include <array>

namespace ks {

namespace {

using C = FtpLogonCommand;
constexpr std::int8_t D = kLogonDone;
constexpr std::int8_t F = kLogonFail;

constexpr FtpLogonStep kNone[] = {{C::User, D, 1}, {C::Pass, D, 2}, {C::Acct, D, F}};
// The proxy must ask for more after SITE; a plain 2xx means it did not switch.
constexpr FtpLogonStep kSite[] = {{C::ProxyUser, 2, 1}, {C::ProxyPass, 2, F}, {C::SiteHost, F, 3},
                                  {C::User, D, 4},      {C::Pass, D, 5},      {C::Acct, D, F}};
constexpr FtpLogonStep kUserLogon[] = {{C::ProxyUser, 2, 1},
                                       {C::ProxyPass, 2, F},
                                       {C::UserAtHost, D, 3},
                                       {C::Pass, D, 4},
                                       {C::Acct, D, F}};
constexpr FtpLogonStep kOpen[] = {
    {C::OpenHost, 1, 1}, {C::User, D, 2}, {C::Pass, D, 3}, {C::Acct, D, F}};
constexpr FtpLogonStep kTransparent[] = {
    {C::ProxyUser, 2, 1}, {C::ProxyPass, 2, F}, {C::User, D, 3}, {C::Pass, D, 4}, {C::Acct, D, F}};
constexpr FtpLogonStep kUserNoLogon[] = {{C::UserAtHost, D, 1}, {C::Pass, D, 2}, {C::Acct, D, F}};
constexpr FtpLogonStep kFireIdAtHost[] = {{C::ProxyUserAtHost, 2, 1},
                                          {C::ProxyPass, 2, F},
                                          {C::User, D, 3},
                                          {C::Pass, D, 4},
                                          {C::Acct, D, F}};
// The combined USER must be answered with a request for the password.
constexpr FtpLogonStep kRemoteIdAtHost[] = {
    {C::UserAtHostProxyUser, F, 1}, {C::Pass, D, 2}, {C::Acct, D, F}};
constexpr FtpLogonStep kRemoteIdAtFireIdAtHost[] = {
    {C::UserAtProxyUserAtHost, D, 1}, {C::PassAtProxyPass, D, 2}, {C::Acct, D, F}};

constexpr std::array<std::span<const FtpLogonStep>, kFtpLogonTypes> kTables = {
    kNone,         kSite,           kUserLogon,
    kOpen,         kTransparent,    kUserNoLogon,
    kFireIdAtHost, kRemoteIdAtHost, kRemoteIdAtFireIdAtHost};

}  // namespace

std::span<const FtpLogonStep> FtpLogonSteps(std::int32_t logonType) {
    if (logonType < 0 || logonType >= kFtpLogonTypes) return {};
    return kTables[static_cast<std::size_t>(logonType)];
}

std::string FtpHostText(const std::string& host, std::uint16_t port) {
    if (port == 21) return host;
    return host + ":" + std::to_string(port);
}

std::string FtpLogonCommandText(FtpLogonCommand command, const FtpLogonParams& p) {
    const std::string host = FtpHostText(p.host, p.port);
    switch (command) {
        case C::User:
            return "USER " + p.user;
        case C::Pass:
            return "PASS " + p.password;
        case C::Acct:
            return "ACCT " + p.account;
        case C::ProxyUser:
            return "USER " + p.proxyUser;
        case C::ProxyPass:
            return "PASS " + p.proxyPassword;
        case C::SiteHost:
            return "SITE " + host;
        case C::UserAtHost:
            return "USER " + p.user + "@" + host;
        case C::OpenHost:
            return "OPEN " + host;
        case C::ProxyUserAtHost:
            return "USER " + p.proxyUser + "@" + host;
        case C::UserAtHostProxyUser:
            return "USER " + p.user + "@" + host + " " + p.proxyUser;
        case C::UserAtProxyUserAtHost:
            return "USER " + p.user + "@" + p.proxyUser + "@" + host;
        case C::PassAtProxyPass:
            return "PASS " + p.password + "@" + p.proxyPassword;
    }
    return std::string();
}

void FtpLogonTarget(const FtpLogonParams& p, std::string& host, std::uint16_t& port) {
    if (p.logonType == 0) {
        host = p.host;
        port = p.port;
    } else {
        host = p.proxyHost;
        port = p.proxyPort;
    }
}

}  // namespace ks
