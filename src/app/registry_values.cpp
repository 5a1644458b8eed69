#include "app/registry_values.h"

#include <random>

#include "platform/clock.h"
#include "platform/registry.h"

namespace ks {
namespace {

constexpr plat::RegRoot kRoot = plat::RegRoot::LocalMachine;
constexpr std::size_t kInstallKeyDigits = 32;

std::uint64_t FreshSeed() {
    std::uint64_t seed =
        std::uint64_t(plat::NowSeconds()) * 1000003u ^ std::uint64_t(plat::MonotonicMs());
    try {
        seed ^= std::uint64_t(std::random_device{}()) << 32;
    } catch (...) {
        // The time alone still gives a usable key.
    }
    return seed;
}

}  // namespace

StartupResult CheckKestruneKey() {
    if (!plat::RegKeyExists(kRoot, kKestruneKey)) return StartupResult::Failure(kMsgReinstall);
    return StartupResult::Success(std::string());
}

bool WriteCaptureIE(bool on) {
    return plat::RegWriteDword(kRoot, kKestruneKey, "CaptureIE", on);
}

std::optional<bool> ReadCaptureIE() {
    auto v = plat::RegReadDword(kRoot, kKestruneKey, "CaptureIE");
    if (!v) return std::nullopt;
    return *v != 0;
}

bool WriteClipForm(std::uint32_t format) {
    return plat::RegWriteDword(kRoot, kKestruneKey, "ClipForm", format);
}

std::optional<std::uint32_t> ReadClipForm() {
    return plat::RegReadDword(kRoot, kKestruneKey, "ClipForm");
}

std::string FileTypesRegistryText(const std::vector<std::string>& types) {
    std::string out;
    for (const std::string& t : types) {
        out += '.';
        out += t;
    }
    return out;
}

bool WriteFileTypes(const std::vector<std::string>& types) {
    return plat::RegWriteString(kRoot, kKestruneKey, "File Types", FileTypesRegistryText(types));
}

std::string MakeInstallKey(std::uint64_t seed) {
    static const char kHex[] = "0123456789ABCDEF";
    std::mt19937_64 gen(seed);
    std::uniform_int_distribution<int> byte(1, 253);
    std::string key;
    for (std::size_t i = 0; i < kInstallKeyDigits / 2; ++i) {
        int b = byte(gen);
        key += kHex[b >> 4];
        key += kHex[b & 15];
    }
    return key;
}

std::string ReadOrCreateInstallKey() {
    auto stored = plat::RegReadString(kRoot, kKestruneKey, "temp");
    if (stored && stored->size() >= kInstallKeyDigits) return *stored;
    std::string key = MakeInstallKey(FreshSeed());
    plat::RegWriteString(kRoot, kKestruneKey, "temp", key);
    return key;
}

}  // namespace ks
