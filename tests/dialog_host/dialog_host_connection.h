// The dialog host's connection dialogs: connection, proxy, keepalive,
// scheduler, countdown. False for any other dialog name.
#pragma once

#include <map>
#include <string>

bool RunConnectionDialog(const std::string& dialog, const std::string& home,
                         const std::map<std::string, std::string>& fields, bool& ok,
                         std::string& report);
