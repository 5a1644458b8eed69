// Which side of the seam this build is on, for the few conventions (not APIs)
// that differ between the systems: where a per-user program folder is looked
// up, which root new downloads fall back on.
#pragma once

namespace ks::plat {

#ifdef _WIN32
inline constexpr bool kWindowsHost = true;
#else
inline constexpr bool kWindowsHost = false;
#endif

}  // namespace ks::plat
