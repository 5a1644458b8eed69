#include <windows.h>

#include "app/win32/kestrune_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int showCommand) {
    // Start-up runs outside any window procedure; a failure there (out of
    // memory) ends the program with a code instead of an abort.
    try {
        ks::CKestruneApp app;
        return app.Run(commandLine ? commandLine : "", showCommand);
    } catch (...) {
        return 6;
    }
}
