#pragma once

#include <windows.h>

namespace ks {
// The modal About box: product name, version and a link to the web site.
void RunAboutBox(HWND owner);
}  // namespace ks
