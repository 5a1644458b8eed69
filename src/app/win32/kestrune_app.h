// The application object: finds a running instance and hands it the command
// line, or starts the platform services and the main window.
#pragma once

#include <windows.h>

#include <string>

#include "app/win32/app_context.h"

namespace ks {

class CKestruneApp {
  public:
    // Returns the process exit code.
    int Run(const std::string& commandLine, int showCommand);

  private:
    bool ActivateRunningInstance(const std::string& commandLine);
    bool RegisterMainClass();

    AppContext context_;
    bool registered_ = false;
    bool socketsUp_ = false;
    bool oleUp_ = false;
};

}  // namespace ks
