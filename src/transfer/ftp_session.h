// What the download and the upload worker share when they open an FTP session.
#pragma once

#include <string>

#include "base/project.h"
#include "base/proxy_settings.h"
#include "transfer/ftp_logon.h"
#include "transfer/url.h"

namespace ks {

// The logon of a URL: port 0 becomes 21, a missing user the fallback user and
// then "anonymous", a missing password the fallback and then the built-in
// anonymous password; the proxy fields come from the connection's settings.
FtpLogonParams FtpLogonFor(const UrlParts& parts, const ProxySettings& proxy,
                           const std::string& fallbackUser, const std::string& fallbackPassword);

// False when a name, password, host or the path holds CR, LF or NUL.
bool FtpTextsAreSafe(const FtpLogonParams& p, const std::string& path);

// Runs one client call with the stop path open: a stop from the UI aborts the
// client only while a call is in progress, never one being set up or torn down.
template <class F>
int WithClientOpen(CProject& p, F&& call) {
    p.clientOpen = true;
    int r = call();
    p.clientOpen = false;
    return r;
}

}  // namespace ks
