// POSIX side of the sound seam: there is no system wave player to rely on.
#include "platform/sound.h"

namespace ks::plat {

void PlayWaveFile(const std::string&) {}

}  // namespace ks::plat
