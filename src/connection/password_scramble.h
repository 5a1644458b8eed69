// Stored passwords in the settings file: never the clear text, but each byte
// shifted by a byte of the per-installation key and written as two upper-case
// hexadecimal digits, so the same password reads differently on every
// installation.
#pragma once

#include <string>
#include <string_view>

namespace ks {

// encode true: clear text -> stored form (two hex digits per byte).
// encode false: stored form -> clear text.
//
// The key is the installation's 32 hexadecimal digits. A key that is not an
// even, non-empty run of hex digits gives an empty result both ways: a password
// is never stored unscrambled. A stored form that is not an even run of hex
// digits, or that decodes to a NUL byte, gives an empty password rather than
// bytes nobody typed.
std::string ScramblePassword(std::string_view text, std::string_view key, bool encode);

}  // namespace ks
