#include "app/paths.h"

#include <cstdlib>

#include "app/settings.h"
#include "platform/executable.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/registry.h"

namespace ks {
namespace {

std::optional<std::string> Env(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) return std::nullopt;
    return std::string(v);
}

std::optional<std::string> PerUserFolder(const FolderEnvironment& env) {
    if constexpr (plat::kWindowsHost) {
        StartupResult r = AppPathsProgramFolder();
        if (r.ok && !r.folder.empty()) return r.folder;
        if (!env.executableFolder.empty()) return env.executableFolder;
        return std::nullopt;
    }
    // A relative XDG_DATA_HOME is invalid and ignored, as the convention says.
    if (env.xdgDataHome && plat::IsAbsolutePath(*env.xdgDataHome)) {
        return plat::JoinPath(*env.xdgDataHome, "kestrune");
    }
    if (env.home) return plat::JoinPath(plat::JoinPath(*env.home, ".local/share"), "kestrune");
    return std::nullopt;
}

}  // namespace

StartupResult AppPathsProgramFolder() {
    if (!plat::RegKeyExists(plat::RegRoot::LocalMachine, kAppPathsKey)) {
        return StartupResult::Failure(kMsgReinstall);
    }
    auto path = plat::RegReadString(plat::RegRoot::LocalMachine, kAppPathsKey, kAppPathsValue);
    if (!path) return StartupResult::Failure(kMsgNoRegistryPath);
    return StartupResult::Success(*path);
}

FolderEnvironment FolderEnvironment::FromProcess() {
    FolderEnvironment env;
    env.kestruneHome = Env("KESTRUNE_HOME");
    env.xdgDataHome = Env("XDG_DATA_HOME");
    env.home = Env("HOME");
    env.executableFolder = plat::ExecutableFolder();
    return env;
}

StartupResult CliProgramFolder(const std::string& homeOption, const FolderEnvironment& env) {
    std::optional<std::string> folder;
    if (!homeOption.empty()) {
        folder = homeOption;
    } else if (env.kestruneHome) {
        folder = env.kestruneHome;
    } else {
        folder = PerUserFolder(env);
    }
    if (!folder) {
        return StartupResult::Failure(
            "No folder for the program's files: give --home DIR or set KESTRUNE_HOME.");
    }
    std::string p = plat::StripTrailingSeparators(*folder);
    if (!EnsureProgramFolders(p)) return StartupResult::Failure("Can't create folder " + p);
    return StartupResult::Success(p);
}

bool EnsureProgramFolders(const std::string& programFolder) {
    return plat::MakeDirs(programFolder) &&
           plat::MakeDir(plat::JoinPath(programFolder, "Projects")) &&
           plat::MakeDir(TempFolder(programFolder));
}

std::string SettingsFilePath(const std::string& p) {
    return plat::JoinPath(p, kIniFileName);
}
std::string TempFolder(const std::string& p) {
    return plat::JoinPath(p, "Temp");
}
std::string DataFolder(const std::string& p) {
    return plat::JoinPath(p, "Data");
}

}  // namespace ks
