#include "app/version.h"

namespace ks {
const char* ProductTitle() { return "Kestrune v3.0"; }
}  // namespace ks
