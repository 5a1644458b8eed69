#include <windows.h>

#include "app/win32/kestrune_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int showCommand) {
    ks::CKestruneApp app;
    return app.Run(commandLine ? commandLine : "", showCommand);
}
