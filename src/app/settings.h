// The program's settings: every key of "kestrune.ini" in one record.
//
// Typical use (UI thread, or the headless front end):
//
//   ks::Settings s = ks::Settings::Load(iniPath, programFolder);
//   s.Publish();                       // hand worker-read values to GlobalRuntime()
//   ...
//   s.limits.maxFiles = 5;             // change fields directly ...
//   s.Save();                          // ... and write every key back at once
//
//   // or one key by its INI names, as `kestrune-cli config SECTION KEY [VALUE]`:
//   std::optional<std::string> v = s.Get("Limits", "maxfiles");   // "5"
//   s.Set("Download", "useExt", "yes");                             // false if unknown
//
// Value syntax: a flag reads true when its lower-cased text contains "yes" and
// is written "yes"/"no"; an integer reads like C's strtol in base 10 (leading
// blanks, optional sign, leading digits; no digits gives 0; clamped to 32 bits)
// and is written in decimal; a string is taken as the INI read returns it.
//
// Every key is described once (see SettingKeys() / SettingLists() in
// settings.cpp); Load, Save, Get and Set all follow those tables.
//
// Not thread-safe: the record belongs to one thread. Workers never read it;
// they read GlobalRuntime(), which Publish() fills.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ini_store.h"
#include "connection/dialup.h"
#include "connection/scheduler.h"
#include "platform/tls.h"

namespace ks {

inline constexpr const char* kIniFileName = "kestrune.ini";
// A count key ("total", "totalnum") above this reads as this: a corrupt count
// must not make start-up loop for ever.
inline constexpr std::int32_t kMaxListItems = 1000;

bool ParseIniFlag(std::string_view text);
std::int32_t ParseIniInt(std::string_view text);
inline const char* FormatIniFlag(bool on) {
    return on ? "yes" : "no";
}

// The default capture list, in the order it is written when "File Types" has
// no "total" key.
const std::vector<std::string>& DefaultCaptureFileTypes();

struct PhoneNumber {
    std::string number;    // "n%d"
    bool enabled = false;  // "e%d"
};

// One connection's profile: the section named after the connection ("LAN
// Settings" or a dial-up entry name). Passwords stay scrambled here; the
// connection code unscrambles them with the per-installation key.
struct ConnectionProfile {
    std::string section;  // where Load read it and Save writes it

    std::string httpProxyServer = "0";  // "HTTPProxyServer"
    std::int32_t httpProxyPort = 0;     // "HTTPProxyPort"
    bool useHttpProxy = false;          // "useHTTPProxy"
    std::string ftpProxyServer;         // "FTPProxyserver"
    std::string ftpProxyPort;           // "FTPProxyport" (decimal text)
    std::string ftpProxyUser;           // "FTPProxyusername"
    std::string ftpProxyPassword;       // "FTPProxypassword", scrambled
    std::string ftpProxyLogonType;      // "FTPProxylogontype" (decimal text 0..8)
    bool ftpProxyPassive = false;       // "FTPProxypassive"
    std::string dialupUser;             // "dialupusername"
    std::string dialupPassword;         // "dialuppassword", scrambled
    bool dialupRemember = false;        // "dialupremember"
    std::vector<PhoneNumber> numbers;   // "totalnum", "n%d", "e%d"

    // Reads section from ini (missing keys give the defaults above).
    static ConnectionProfile Load(const IniDocument& ini, std::string_view section);
    // Writes every key into this->section, dropping stale "n%d"/"e%d" keys.
    void Save(IniFile& ini) const;
};

struct Settings {
    struct Download {
        std::string folder;             // "Folder" (default P\Temp if it exists, else "C:")
        bool capture = true;            // "Capture"
        bool captureIE = true;          // "CaptureIE"
        bool captureNetscape = true;    // "CaptureNetscape"
        bool immediate = true;          // "Immediate"
        bool showDrop = true;           // "ShowDrop"
        std::int32_t dropX = 0;         // "dropx"
        std::int32_t dropY = 0;         // "dropy"
        std::int32_t acceleration = 1;  // "acceleration": segments of a new download
        bool autoMirrorCheck = true;    // "automirrorcheck"
        bool checkFast = true;          // "checkfast"
        bool dontAskMe = false;         // "dontaskme"
        bool useExt = false;            // "useExt"
        std::string extProg;            // "ExtProg"
        std::string extParams;          // "ExtParams"
        bool useWav = true;             // "useWav"
        std::string wavFile;            // "wavfile" (default P\capture.wav)
    } download;

    struct Limits {
        bool limit = false;          // "limit"
        std::int32_t maxFiles = 3;   // "maxfiles"
        std::int32_t wait = 10;      // "wait": seconds before a retry
        std::int32_t timeout = 180;  // "timeout": socket time-out in seconds
    } limits;

    struct Tls {
        bool verify = true;  // "verify": "no" turns certificate checks off
        std::string caFile;  // "cafile": extra trusted roots (PEM), P-relative or absolute
    } tls;

    // "File Types": "total" and "type%d", dots stripped. A missing "total"
    // gives (and writes) DefaultCaptureFileTypes(); "0" gives an empty list.
    std::vector<std::string> captureFileTypes;

    struct UrlList {                    // keep-alive
        std::int32_t use = 0;           // "use" (non-zero: enabled)
        std::int32_t minute = 1;        // "minute"
        std::int32_t second = 0;        // "second"
        std::vector<std::string> urls;  // "total", "URL%d"
        // minute * 60 + second; 0 stays 0 here (the keep-alive timer uses 60).
        std::int32_t IntervalSeconds() const {
            const std::int64_t s = std::int64_t(minute) * 60 + second;
            return std::int32_t(std::clamp<std::int64_t>(s, INT32_MIN, INT32_MAX));
        }
    } urlList;

    DialUpSettings dialUp;  // "Dial Up"

    // The connection whose profile is in `connection`: the first dial-up entry,
    // or "Lan Settings" without entries; "LAN Settings" when dial-up is off.
    // Derived from dialUp, never stored.
    std::string currentConnection;
    ConnectionProfile connection;

    ScheduleSettings scheduler;  // "Scheduler"

    std::string programFolder;  // P, given to Load
    std::string iniPath;        // the file Load read and Save writes
    // The per-installation key that unscrambles the profile's passwords (from
    // the registry, see registry_values.h). Not in the file; the caller sets it
    // before Publish. Without it, proxy passwords publish empty.
    std::string installKey;

    // The record as a missing settings file gives it (no file is touched).
    static Settings Defaults(const std::string& programFolder);
    // Reads iniPath (a missing file gives the defaults). When "File Types" has
    // no "total", the default list is written to the file at once. Loads the
    // profile of the current connection. Registry values are not touched
    // (see registry_values.h).
    static Settings Load(const std::string& iniPath, const std::string& programFolder);
    // The same from a document already loaded; default-list writes go into ini.
    static Settings Load(IniFile& ini, const std::string& programFolder);

    // Writes every key into iniPath in one rewrite. False when the file could
    // not be written (callers may ignore it: write failures are silent).
    bool Save() const;
    void SaveTo(IniFile& ini) const;

    // One key by its INI section and key names (compared without regard to
    // case), as the file would hold it: "yes"/"no", decimal, or the string.
    // Covers every key of the record, list counts and items ("File Types"
    // "type3", "URL List" "total") and the current connection's profile
    // (section named like currentConnection). nullopt for any other key.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Parses value as a load would and stores it in the record (not the file;
    // call Save). A count resizes its list; an item index must be 1..count.
    // Changing "Dial Up" recomputes currentConnection, and the profile follows
    // it (read from iniPath). False for an unknown key or index.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // Rules of the derived values.
    static std::string CurrentConnectionFor(const DialUpSettings& d);
    // Re-reads `connection` for currentConnection from ini.
    void LoadConnectionProfile(const IniDocument& ini);

    // Hands the values workers read (retry wait, time-out, keep-alive
    // interval, external program, capture list, program folder, the current
    // connection's proxies, TLS trust) to GlobalRuntime(). Call after Load and
    // after every change of those; the next transfer started uses them.
    void Publish() const;
};

// The trust the TLS layer applies: a relative "cafile" names a file in the
// program folder.
plat::TlsTrust TlsTrustFor(const Settings::Tls& tls, const std::string& programFolder);

}  // namespace ks
