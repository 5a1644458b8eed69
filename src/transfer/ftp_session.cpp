#include "transfer/ftp_session.h"

#include "transfer/ftp_client.h"
#include "transfer/ftp_control.h"

namespace ks {

FtpLogonParams FtpLogonFor(const UrlParts& parts, const ProxySettings& proxy,
                           const std::string& fallbackUser, const std::string& fallbackPassword) {
    FtpLogonParams p;
    p.host = parts.host;
    p.port = parts.port == 0 ? 21 : parts.port;
    p.user = parts.userName.empty() ? fallbackUser : parts.userName;
    p.password = parts.password.empty() ? fallbackPassword : parts.password;
    if (p.user.empty()) p.user = "anonymous";
    if (p.password.empty()) p.password = kAnonymousPassword;
    p.proxyHost = proxy.ftpProxyServer;
    p.proxyPort = proxy.ftpProxyPort == 0 ? 21 : proxy.ftpProxyPort;
    p.proxyUser = proxy.ftpProxyUser;
    p.proxyPassword = proxy.ftpProxyPassword;
    p.logonType = proxy.ftpLogonType;
    return p;
}

bool FtpTextsAreSafe(const FtpLogonParams& p, const std::string& path) {
    for (const std::string* s : {&p.host, &p.user, &p.password, &p.account, &p.proxyHost,
                                 &p.proxyUser, &p.proxyPassword, &path})
        if (HasLineBreak(*s)) return false;
    return true;
}

}  // namespace ks
