// What the application object keeps for the whole run and lends to the main
// window and its view: the program folder, the per-installation key and the
// three histories.
#pragma once

#include <string>

#include "app/history.h"
#include "app/paths.h"

namespace ks {

struct AppContext {
    std::string programFolder;
    std::string installKey;  // scrambles the passwords stored in the settings file
    Histories histories;
};

// The registry and file steps of start-up, in their order: the program folder
// (KESTRUNE_HOME when set, else the App Paths registration), the program's own
// registry key, the per-installation key, the histories. On failure the result
// carries the message to show and the exit code to end with.
StartupResult LoadAppContext(AppContext& ctx);

}  // namespace ks
