// The key tables: the single description of every setting's section, key,
// kind, default and place in the record.
#include "app/settings_keys.h"

#include <charconv>

#include "platform/files.h"
#include "platform/host.h"

namespace ks::settings_keys {
namespace {

template <Kind K>
struct KindTypeOf;
template <>
struct KindTypeOf<Kind::Flag> {
    using type = bool;
};
template <>
struct KindTypeOf<Kind::Int> {
    using type = std::int32_t;
};
template <>
struct KindTypeOf<Kind::String> {
    using type = std::string;
};

// The kind is stated for the reader of the table; the static_assert keeps it
// honest against the member's type.
#define KS_KEY_FN(R, sec, key, kind, def, member, fn)                                           \
    KeySpec<R> {                                                                                \
        sec, key, Kind::kind, def,                                                              \
            [](R& r) -> FieldRef {                                                              \
                static_assert(std::is_same_v<decltype(r.member), KindTypeOf<Kind::kind>::type>, \
                              key);                                                             \
                return &r.member;                                                               \
            },                                                                                  \
            fn                                                                                  \
    }
#define KS_KEY(R, sec, key, kind, def, member) KS_KEY_FN(R, sec, key, kind, def, member, nullptr)
#define KS_SET(sec, key, kind, def, member) KS_KEY(Settings, sec, key, kind, def, member)

std::string DefaultFolder(const std::string& programFolder) {
    std::string temp = plat::JoinPath(programFolder, "Temp");
    if (plat::DirExists(temp)) return temp;
    // Elsewhere there is no drive root to fall back on.
    return plat::kWindowsHost ? std::string("C:") : programFolder;
}

std::string DefaultWavFile(const std::string& programFolder) {
    return plat::JoinPath(programFolder, "capture.wav");
}

constexpr const char* kDl = "Download";
constexpr const char* kLim = "Limits";
constexpr const char* kUrl = "URL List";
constexpr const char* kDial = "Dial Up";
constexpr const char* kSch = "Scheduler";
constexpr const char* kTls = "TLS";

const KeySpec<Settings> kSettingKeys[] = {
    KS_KEY_FN(Settings, kDl, "Folder", String, "", download.folder, DefaultFolder),
    KS_SET(kDl, "Capture", Flag, "yes", download.capture),
    KS_SET(kDl, "CaptureIE", Flag, "yes", download.captureIE),
    KS_SET(kDl, "CaptureNetscape", Flag, "yes", download.captureNetscape),
    KS_SET(kDl, "Immediate", Flag, "yes", download.immediate),
    KS_SET(kDl, "ShowDrop", Flag, "yes", download.showDrop),
    KS_SET(kDl, "dropx", Int, "0", download.dropX),
    KS_SET(kDl, "dropy", Int, "0", download.dropY),
    KS_SET(kDl, "acceleration", Int, "1", download.acceleration),
    KS_SET(kDl, "automirrorcheck", Flag, "yes", download.autoMirrorCheck),
    KS_SET(kDl, "checkfast", Flag, "yes", download.checkFast),
    KS_SET(kDl, "dontaskme", Flag, "no", download.dontAskMe),
    KS_SET(kDl, "useExt", Flag, "no", download.useExt),
    KS_SET(kDl, "ExtProg", String, "", download.extProg),
    KS_SET(kDl, "ExtParams", String, "", download.extParams),
    KS_SET(kDl, "useWav", Flag, "yes", download.useWav),
    KS_KEY_FN(Settings, kDl, "wavfile", String, "", download.wavFile, DefaultWavFile),

    KS_SET(kLim, "limit", Flag, "no", limits.limit),
    KS_SET(kLim, "maxfiles", Int, "3", limits.maxFiles),
    KS_SET(kLim, "wait", Int, "10", limits.wait),
    KS_SET(kLim, "timeout", Int, "180", limits.timeout),

    KS_SET(kTls, "verify", Flag, "yes", tls.verify),
    KS_SET(kTls, "cafile", String, "", tls.caFile),

    KS_SET(kUrl, "use", Int, "0", urlList.use),
    KS_SET(kUrl, "minute", Int, "1", urlList.minute),
    KS_SET(kUrl, "second", Int, "0", urlList.second),

    KS_SET(kDial, "dialtime", Int, "60", dialUp.dialTime),
    KS_SET(kDial, "redialtime", Int, "60", dialUp.redialTime),
    KS_SET(kDial, "redial", Flag, "no", dialUp.redial),
    KS_SET(kDial, "use", Flag, "no", dialUp.use),
    KS_SET(kDial, "remember", Flag, "no", dialUp.remember),

    KS_SET(kSch, "sunday", Flag, "no", scheduler.sunday),
    KS_SET(kSch, "monday", Flag, "no", scheduler.monday),
    KS_SET(kSch, "tuesday", Flag, "no", scheduler.tuesday),
    KS_SET(kSch, "wednesday", Flag, "no", scheduler.wednesday),
    KS_SET(kSch, "thursday", Flag, "no", scheduler.thursday),
    KS_SET(kSch, "friday", Flag, "no", scheduler.friday),
    KS_SET(kSch, "saturday", Flag, "no", scheduler.saturday),
    KS_SET(kSch, "enable", Flag, "no", scheduler.enable),
    KS_SET(kSch, "specify", Flag, "no", scheduler.specify),
    KS_SET(kSch, "expire", Flag, "no", scheduler.expire),
    KS_SET(kSch, "nomore", Flag, "no", scheduler.nomore),
    KS_SET(kSch, "quit", Flag, "no", scheduler.quit),
    KS_SET(kSch, "quit2", Flag, "no", scheduler.quit2),
    KS_SET(kSch, "shutdown", Flag, "no", scheduler.shutdown),
    KS_SET(kSch, "shutdown2", Flag, "no", scheduler.shutdown2),
    KS_SET(kSch, "starthour", Int, "0", scheduler.startHour),
    KS_SET(kSch, "startmin", Int, "0", scheduler.startMin),
    KS_SET(kSch, "startsec", Int, "0", scheduler.startSec),
    KS_SET(kSch, "endhour", Int, "0", scheduler.endHour),
    KS_SET(kSch, "endmin", Int, "0", scheduler.endMin),
    KS_SET(kSch, "endsec", Int, "0", scheduler.endSec),
    KS_SET(kSch, "year", Int, "2000", scheduler.year),
    KS_SET(kSch, "month", Int, "1", scheduler.month),
    KS_SET(kSch, "day", Int, "1", scheduler.day),
};

#define KS_PROF(key, kind, def, member) KS_KEY(ConnectionProfile, nullptr, key, kind, def, member)

const KeySpec<ConnectionProfile> kProfileKeys[] = {
    KS_PROF("HTTPProxyServer", String, "0", httpProxyServer),
    KS_PROF("HTTPProxyPort", Int, "0", httpProxyPort),
    KS_PROF("useHTTPProxy", Flag, "no", useHttpProxy),
    KS_PROF("FTPProxyserver", String, "", ftpProxyServer),
    KS_PROF("FTPProxyport", String, "", ftpProxyPort),
    KS_PROF("FTPProxyusername", String, "", ftpProxyUser),
    KS_PROF("FTPProxypassword", String, "", ftpProxyPassword),
    KS_PROF("FTPProxylogontype", String, "", ftpProxyLogonType),
    KS_PROF("FTPProxypassive", Flag, "no", ftpProxyPassive),
    KS_PROF("dialupusername", String, "", dialupUser),
    KS_PROF("dialuppassword", String, "", dialupPassword),
    KS_PROF("dialupremember", Flag, "no", dialupRemember),
};

const ListSpec kLists[] = {
    {"File Types", "total", "-1", "type", "zip", [](Settings& s) { return &s.captureFileTypes; },
     true, false, true},
    {kUrl, "total", "0", "URL", " ", [](Settings& s) { return &s.urlList.urls; }, false, false,
     false},
    {kDial, "total", "0", "con", "", [](Settings& s) { return &s.dialUp.entries; }, false, true,
     false},
};

}  // namespace

std::span<const KeySpec<Settings>> SettingKeys() {
    return kSettingKeys;
}
std::span<const KeySpec<ConnectionProfile>> ProfileKeys() {
    return kProfileKeys;
}
std::span<const ListSpec> SettingLists() {
    return kLists;
}

std::int32_t ItemIndex(std::string_view key, std::string_view prefix) {
    if (key.size() <= prefix.size() || !IniNamesEqual(key.substr(0, prefix.size()), prefix)) {
        return 0;
    }
    std::string_view digits = key.substr(prefix.size());
    std::int32_t n = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.front() == '-') {
        return 0;
    }
    return n;
}

std::string ItemKey(std::string_view prefix, std::int32_t index) {
    return std::string(prefix) + std::to_string(index);
}

std::string CleanItem(const ListSpec& l, std::string value) {
    if (!l.stripDots) return value;
    std::size_t b = value.find_first_not_of('.');
    if (b == std::string::npos) return std::string();
    std::size_t e = value.find_last_not_of('.');
    return value.substr(b, e - b + 1);
}

}  // namespace ks::settings_keys
