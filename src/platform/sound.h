// Sound. A no-op where the platform has none.
#pragma once

#include <string>

namespace ks::plat {

// Plays a wave file asynchronously; nothing (and no default sound) if it is missing.
void PlayWaveFile(const std::string& path);

}  // namespace ks::plat
