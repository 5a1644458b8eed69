#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>

#include "platform/files.h"

namespace ks::test {

TempDir::TempDir() {
    static std::atomic<int> n{0};
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    auto p = base / ("kestrune-test-" + std::to_string(rd()) + "-" + std::to_string(n++));
    std::filesystem::create_directories(p);
    path_ = p.string();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const {
    return plat::JoinPath(path_, name);
}

std::string TempDir::Read(const std::string& name) const {
    std::string text;
    plat::ReadWholeFile(File(name), text);
    return text;
}

}  // namespace ks::test
