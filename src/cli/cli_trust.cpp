// The https trust that `add` records for a later `run`: the settings' "TLS"
// section, so that every later command (and the window) sees the same trust.
#include <cstdio>

#include "app/paths.h"
#include "cli/cli_commands.h"
#include "cli/cli_engine.h"
#include "platform/files.h"

namespace ks::cli {
namespace {

// A CA bundle larger than this is no bundle a user made by hand.
constexpr std::int64_t kMaxCaFile = 4 * 1024 * 1024;
constexpr const char* kPemBegin = "-----BEGIN CERTIFICATE-----";

bool ReadPem(const std::string& path, std::string& pem, std::string& why) {
    std::optional<std::int64_t> size = plat::FileSize(path);
    if (!size || !plat::FileExists(path)) return why = "no such CA file: " + path, false;
    if (*size > kMaxCaFile) return why = "CA file too large: " + path, false;
    if (!plat::ReadWholeFile(path, pem)) return why = "can't read the CA file " + path, false;
    if (pem.find(kPemBegin) == std::string::npos)
        return why = "no PEM certificate in " + path, false;
    if (pem.back() != '\n') pem += '\n';
    return true;
}

}  // namespace

bool RecordTrust(Engine& e, const std::string& caFile, bool insecure) {
    Settings& s = e.settings;
    if (!caFile.empty()) {
        std::string added, why;
        if (!ReadPem(AbsolutePath(caFile), added, why)) {
            Complain(why);
            return false;
        }
        // Trust already given stays: the bundle the settings name keeps its
        // certificates and gains the new ones, once.
        std::string bundle;
        plat::TlsTrust now = TlsTrustFor(s.tls, e.programFolder);
        if (!now.caFile.empty() && !ReadPem(now.caFile, bundle, why)) bundle.clear();
        if (bundle.find(added) == std::string::npos) bundle += added;
        const std::string path = plat::JoinPath(e.programFolder, kTrustedCaFileName);
        if (!plat::WriteFileAtomic(path, bundle)) {
            Complain("can't write " + path);
            return false;
        }
        s.tls.caFile = kTrustedCaFileName;
    }
    if (insecure) {
        s.tls.verify = false;
        Complain(
            "warning: https certificates are no longer checked for any download; "
            "'config TLS verify yes' turns the checks back on");
    }
    if (!s.Save()) {
        Complain("can't write " + SettingsFilePath(e.programFolder));
        return false;
    }
    s.Publish();
    return true;
}

}  // namespace ks::cli
