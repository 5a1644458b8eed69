// config: one key of the settings file, read or changed from a terminal.
// Profile keys reach any connection's section, not only the current one, and
// passwords go in scrambled and come out as stored: the clear text is never
// written to the file nor printed.
#include <cstdio>

#include "app/paths.h"
#include "app/proxy_profile.h"
#include "cli/cli_commands.h"
#include "cli/cli_engine.h"
#include "connection/password_scramble.h"

namespace ks::cli {
namespace {

// The record to work on: the engine's own, or, for another connection's
// section, a copy whose profile is that section's.
Settings& Target(Engine& e, const std::string& section, Settings& other) {
    if (IsProgramSection(section) || IniNamesEqual(section, e.settings.connection.section)) {
        return e.settings;
    }
    other = e.settings;
    IniFile ini;
    ini.Load(other.iniPath);
    other.connection = ConnectionProfile::Load(ini.Document(), section);
    return other;
}

int Unknown(const CliArgs& a) {
    Complain("unknown setting [" + a.section + "] " + a.key);
    return kExitUsage;
}

}  // namespace

int RunConfig(const CliArgs& a) {
    Engine e;
    if (!OpenEngine(e, a.home)) return kExitError;
    Settings other;
    Settings& s = Target(e, a.section, other);
    if (!a.value) {
        std::optional<std::string> v = s.Get(a.section, a.key);
        if (!v) return Unknown(a);
        std::printf("%s\n", v->c_str());
        return kExitOk;
    }
    std::string value = *a.value;
    const bool profileKey = !IsProgramSection(a.section);
    if (profileKey && IsPasswordKey(a.key) && !value.empty()) {
        value = ScramblePassword(value, s.installKey, true);
        if (value.empty()) {
            Complain("can't scramble the password: the installation key is unusable");
            return kExitError;
        }
    }
    if (!s.Set(a.section, a.key, value)) return Unknown(a);
    if (!s.Save()) {
        Complain("can't write " + SettingsFilePath(e.programFolder));
        return kExitError;
    }
    return kExitOk;
}

}  // namespace ks::cli
