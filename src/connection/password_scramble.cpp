#include "connection/password_scramble.h"

#include <optional>

namespace ks {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte written as two hex digits at s[i], i + 1.
std::optional<int> HexByte(std::string_view s, std::size_t i) {
    if (i + 1 >= s.size()) return std::nullopt;
    int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    return hi * 16 + lo;
}

bool IsHexPairs(std::string_view s) {
    if (s.empty() || s.size() % 2 != 0) return false;
    for (char c : s)
        if (HexDigit(c) < 0) return false;
    return true;
}

std::string Encode(std::string_view plain, std::string_view key) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(plain.size() * 2);
    for (std::size_t j = 0; j < plain.size(); ++j) {
        const int x = *HexByte(key, (2 * j) % key.size());
        const int v = (static_cast<unsigned char>(plain[j]) + x) % 255;
        out += kHex[v >> 4];
        out += kHex[v & 15];
    }
    return out;
}

std::string Decode(std::string_view stored, std::string_view key) {
    if (stored.empty()) return {};
    if (!IsHexPairs(stored)) return {};
    std::string out;
    out.reserve(stored.size() / 2);
    for (std::size_t i = 0; i < stored.size(); i += 2) {
        const int x = *HexByte(key, i % key.size());
        const int v = *HexByte(stored, i);
        const int c = (255 - (x % 255) + v) % 255;
        if (c == 0) return {};  // no one types a NUL: the wrong key or a damaged value
        out += static_cast<char>(c);
    }
    return out;
}

}  // namespace

std::string ScramblePassword(std::string_view text, std::string_view key, bool encode) {
    if (!IsHexPairs(key)) return {};
    return encode ? Encode(text, key) : Decode(text, key);
}

}  // namespace ks
