#include "capture/browser_switches.h"

#include <string>

#include "platform/registry.h"

namespace ks {

namespace {
std::string HelperKey() {
    return std::string(kHelperObjectsKey) + "\\" + kHelperClsid;
}
}  // namespace

void SetBrowserHelperListed(bool on) {
    using plat::RegRoot;
    if (!plat::RegKeyExists(RegRoot::LocalMachine, kHelperObjectsKey)) return;
    if (on) {
        if (plat::RegCreateKey(RegRoot::LocalMachine, HelperKey()))
            plat::RegWriteString(RegRoot::LocalMachine, HelperKey(), "", "");
    } else if (plat::RegKeyExists(RegRoot::LocalMachine, HelperKey())) {
        plat::RegDeleteKey(RegRoot::LocalMachine, HelperKey());
    }
}

bool BrowserHelperListed() {
    return plat::RegKeyExists(plat::RegRoot::LocalMachine, HelperKey());
}

bool ClaimAutomationProtocols() {
    using plat::RegRoot;
    if (!plat::RegKeyExists(RegRoot::CurrentUser, kAutomationProtocolsKey)) return false;
    bool http = plat::RegWriteString(RegRoot::CurrentUser, kAutomationProtocolsKey, "http", "");
    bool ftp = plat::RegWriteString(RegRoot::CurrentUser, kAutomationProtocolsKey, "ftp", "");
    return http && ftp;
}

}  // namespace ks
