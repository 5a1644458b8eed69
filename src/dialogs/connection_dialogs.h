// The connection dialogs: Connection Settings (dial-up entries and timing),
// Proxy Settings (one connection's profile), Keep Connection Alive, the
// Scheduler and the scheduler's 60-second countdown. Modal, UI thread only;
// true when the user confirmed. On OK each writes its keys to the settings
// file at once and updates the record passed in; Cancel changes nothing.
#pragma once

#include <windows.h>

#include <string>

#include "app/settings.h"
#include "platform/ras.h"

namespace ks {

// "Connection Settings": "use", "redial", "dialtime", "redialtime" and the
// chosen entries ("total", "con%d") from the phonebook ras lists. Its
// "Settings..." and "Proxies..." buttons open the Proxy Settings dialog; those
// profiles are written even when this dialog is then cancelled.
bool RunConnectionSettingsDialog(HWND parent, Settings& settings, plat::RasApi& ras);

// "Proxy Settings for <connection>": the profile section named connection.
// Passwords are shown in clear and written scrambled with installKey; the
// "LAN Settings" form has no dial-up part.
bool RunProxySettingsDialog(HWND parent, const std::string& iniPath, const std::string& connection,
                            const std::string& installKey);

// "Keep Connection Alive Settings": section "URL List".
bool RunKeepAliveDialog(HWND parent, Settings& settings);

// "Scheduler/Automatic Settings": section "Scheduler". enabledNow is set when
// the dialog switched the scheduler from off to on.
bool RunSchedulerDialog(HWND parent, Settings& settings, bool& enabledNow);

// "Kestrune Confirmation": counts 60 seconds down for actionName ("Computer
// Shutdown", ...) and continues by itself. True for Continue; Abort tells
// the user the scheduler is now off (the caller switches it off).
bool RunCountdownDialog(HWND parent, const std::string& actionName);

}  // namespace ks
