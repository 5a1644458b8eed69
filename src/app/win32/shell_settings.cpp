#include "app/win32/shell_settings.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>

#include "app/runtime.h"
#include "app/win32/win_util.h"
#include "platform/files.h"

namespace ks {

namespace {
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kestrune.EXE";
const char kOwnKey[] = "SOFTWARE\\Kestrune";
const char kRegistryBroken[] = "Can't read registry. Re-installation necessary.";

bool KeyExists(const char* key) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

std::optional<std::string> ReadString(const char* key, const char* name) {
    char buf[1024] = {};
    DWORD size = sizeof buf - 1, type = 0;
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return std::nullopt;
    LONG r = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(h);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    return std::string(buf);
}

std::string HistoryPath(const std::string& p, const char* name) {
    return plat::JoinPath(p, name);
}
}  // namespace

ShellSettings& AppSettings() {
    static ShellSettings s;
    return s;
}

bool ShellSettings::ResolveProgramFolder() {
    // Test runs and portable copies name their folder in the environment;
    // the registry checks below still apply to the rest of the start-up.
    char home[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("KESTRUNE_HOME", home, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        folder_ = home;
    } else {
        if (!KeyExists(kAppPathsKey)) {
            win::Message(nullptr, kRegistryBroken);
            return false;
        }
        auto path = ReadString(kAppPathsKey, "Path");
        if (!path) {
            win::Message(nullptr, "Can't find Registry path!");
            return false;
        }
        folder_ = *path;
    }
    if (!KeyExists(kOwnKey)) {
        win::Message(nullptr, kRegistryBroken);
        return false;
    }
    auto temp = ReadString(kOwnKey, "temp");
    if (!temp || temp->size() < 32) {
        std::mt19937 gen(static_cast<unsigned>(std::time(nullptr)));
        std::uniform_int_distribution<int> byte(1, 253);
        std::string key;
        char hex[4];
        for (int i = 0; i < 16; ++i) {
            std::snprintf(hex, sizeof hex, "%.2X", byte(gen));
            key += hex;
        }
        HKEY h;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOwnKey, 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
            RegSetValueExA(h, "temp", 0, REG_SZ, reinterpret_cast<const BYTE*>(key.c_str()),
                           static_cast<DWORD>(key.size() + 1));
            RegCloseKey(h);
        }
    }
    GlobalRuntime().SetProgramFolder(folder_);
    return true;
}

std::string ShellSettings::IniPath() const {
    return plat::JoinPath(folder_, "kestrune.ini");
}

std::string ShellSettings::Get(const char* section, const char* key, const char* def) const {
    char buf[256] = {};
    GetPrivateProfileStringA(section, key, def, buf, sizeof buf, IniPath().c_str());
    return buf;
}

int ShellSettings::GetInt(const char* section, const char* key, int def) const {
    std::string v = Get(section, key, std::to_string(def).c_str());
    return static_cast<int>(std::strtol(v.c_str(), nullptr, 10));
}

bool ShellSettings::GetFlag(const char* section, const char* key, bool def) const {
    std::string v = Get(section, key, def ? "yes" : "no");
    for (char& c : v) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return v.find("yes") != std::string::npos;
}

void ShellSettings::Set(const char* section, const char* key, const std::string& value) {
    WritePrivateProfileStringA(section, key, value.c_str(), IniPath().c_str());
}

void ShellSettings::SetInt(const char* section, const char* key, int value) {
    Set(section, key, std::to_string(value));
}

void ShellSettings::LoadHistories() {
    histories_ = {};
    plat::ReadWholeFile(HistoryPath(folder_, "history.txt"), histories_.url);
    plat::ReadWholeFile(HistoryPath(folder_, "uploadhistory.txt"), histories_.upload);
    plat::ReadWholeFile(HistoryPath(folder_, "searchhistory.txt"), histories_.search);
}

void ShellSettings::SaveHistories() const {
    plat::WriteFileAtomic(HistoryPath(folder_, "history.txt"), histories_.url);
    plat::WriteFileAtomic(HistoryPath(folder_, "uploadhistory.txt"), histories_.upload);
    plat::WriteFileAtomic(HistoryPath(folder_, "searchhistory.txt"), histories_.search);
}

void ShellSettings::ClearHistories() {
    histories_ = {};
    plat::RemoveFile(HistoryPath(folder_, "history.txt"));
    plat::RemoveFile(HistoryPath(folder_, "uploadhistory.txt"));
    plat::RemoveFile(HistoryPath(folder_, "searchhistory.txt"));
}

void AddToHistory(std::string& history, const std::string& entry) {
    if (history.find(entry) == std::string::npos) history = entry + "\r\n" + history;
    if (history.size() > 5000) {
        std::size_t lf = history.rfind('\n');
        if (lf != std::string::npos) history.erase(lf);
    }
}

}  // namespace ks
