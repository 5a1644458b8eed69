// The operating system's own words for the error of the call that just failed
// on this thread ("No space left on device"), for messages that tell the user
// why. Call it right after the failing call, before anything else can replace
// the error.
#pragma once

#include <string>

namespace ks::plat {

std::string LastSystemError();

}  // namespace ks::plat
