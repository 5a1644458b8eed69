#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

namespace ks::plat {

std::string LastSystemError() {
    const int e = errno;
    if (e == 0) return "unknown error";
    char buf[256] = {};
    // The GNU variant may return a static text instead of filling buf.
    const char* text = strerror_r(e, buf, sizeof buf);
    return text && *text ? std::string(text) : "error " + std::to_string(e);
}

}  // namespace ks::plat
