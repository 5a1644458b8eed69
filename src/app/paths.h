// The program folder P, where the settings file, projects, histories and
// search files live, and the fixed paths below it.
//
// The windowed program takes P from the App Paths registration (written by the
// installer) and refuses to start without it. The headless front end finds P
// on any system:
//   1. --home DIR;
//   2. the environment variable KESTRUNE_HOME;
//   3. Windows: the App Paths registration, then the executable's folder;
//      elsewhere: $XDG_DATA_HOME/kestrune, else ~/.local/share/kestrune;
// and creates P, P/Projects and P/Temp when they are missing.
#pragma once

#include <optional>
#include <string>

namespace ks {

inline constexpr const char* kAppPathsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kestrune.EXE";
inline constexpr const char* kAppPathsValue = "Path";
inline constexpr const char* kMsgReinstall = "Can't read registry. Re-installation necessary.";
inline constexpr const char* kMsgNoRegistryPath = "Can't find Registry path!";

// A start-up step that may have to end the process. The caller shows message
// (the windowed program in a message box) and exits with exitCode.
struct StartupResult {
    bool ok = false;
    std::string folder;   // the program folder, when ok
    std::string message;  // when not ok
    int exitCode = 0;     // 1 when not ok

    static StartupResult Success(std::string folder) { return {true, std::move(folder), {}, 0}; }
    static StartupResult Failure(std::string message) { return {false, {}, std::move(message), 1}; }
};

// P for the windowed program: the "Path" value of HKLM kAppPathsKey. Fails
// with kMsgReinstall when the key cannot be opened, with kMsgNoRegistryPath
// when the value cannot be read.
StartupResult AppPathsProgramFolder();

// What the headless front end's search looks at; FromProcess() reads the
// real environment, tests fill it themselves.
struct FolderEnvironment {
    std::optional<std::string> kestruneHome;  // KESTRUNE_HOME
    std::optional<std::string> xdgDataHome;   // XDG_DATA_HOME
    std::optional<std::string> home;          // HOME
    std::string executableFolder;

    static FolderEnvironment FromProcess();
};

// P for the headless front end (order above); homeOption is the --home value
// or empty. The folders are created; failing that, the result says why.
StartupResult CliProgramFolder(const std::string& homeOption, const FolderEnvironment& env);

// Creates P, P/Projects and P/Temp where missing. False if one cannot be made.
bool EnsureProgramFolders(const std::string& programFolder);

// Fixed paths under P.
std::string SettingsFilePath(const std::string& programFolder);  // kestrune.ini
std::string ProjectsFolder(const std::string& programFolder);    // Projects
std::string TempFolder(const std::string& programFolder);        // Temp
std::string DataFolder(const std::string& programFolder);        // Data

}  // namespace ks
