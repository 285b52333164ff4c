#include <windows.h>

#include "app/SetupApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetupApp app;
    return app.Run();
}
