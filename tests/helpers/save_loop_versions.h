// The versions save_loop_child writes, one per step, so that the test that
// kills it can tell a complete version from a torn or mixed file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "base/project.h"

namespace ks::test {

inline std::string VersionText(std::int64_t v, std::size_t minLen) {
    std::string s = "v" + std::to_string(v) + "-";
    while (s.size() < minLen + static_cast<std::size_t>(v * 37 % 1500)) {
        s += static_cast<char>('a' + (s.size() + v) % 26);
    }
    return s;
}

// The project as the child saves it at step v; seqFrom carries v.
inline void ApplyVersion(ProjectSettings& s, std::int64_t v, const std::string& folder) {
    s.url = "http://127.0.0.1/" + VersionText(v, 10) + ".zip";
    s.fileName = "file" + std::to_string(v) + ".zip";
    s.password = "pw" + std::to_string(v * 7919);
    s.folder = folder;
    s.seqFrom = static_cast<std::int32_t>(v);
    s.seqTo = static_cast<std::int32_t>(v + 1);
    s.totalSize = (std::int64_t(1) << 33) + v;
    s.segments = 2;
}

inline std::int64_t VersionBytesDone(std::int64_t v) {
    return (std::int64_t(5) << 32) + v * 1000;
}

inline std::vector<std::string> VersionMirrors(std::int64_t v) {
    return {"http://mirror" + std::to_string(v) + "/x.zip", "http://m/" + VersionText(v, 5)};
}

// The settings values of version v: "Limits" "wait" carries the version and
// "Download" "ExtParams" a text whose length varies, so a torn file shows.
inline std::string VersionParams(std::int64_t v) {
    return VersionText(v, 3).substr(0, 200);
}

inline std::string IniPath(const std::string& programFolder) {
    return plat::JoinPath(programFolder, "kestrune.ini");
}

}  // namespace ks::test
