// Where the running program lives.
#pragma once

#include <string>

namespace ks::plat {

// The folder holding the running executable, without a trailing separator;
// empty when the system cannot tell.
std::string ExecutableFolder();

}  // namespace ks::plat
