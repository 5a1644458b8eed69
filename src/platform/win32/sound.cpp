// Win32 side of the sound seam.
#include "platform/sound.h"

#include <windows.h>
// needs the types windows.h declares
#include <mmsystem.h>

#include <mmsystem.h>

namespace ks::plat {

void PlayWaveFile(const std::string& path) {
    // A missing file plays nothing: no default beep in its place.
    PlaySoundA(path.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
}

}  // namespace ks::plat
