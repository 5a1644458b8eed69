#pragma once

namespace ks {
// The main window's title.
const char* ProductTitle();
}  // namespace ks
