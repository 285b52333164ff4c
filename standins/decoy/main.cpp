// A program that must never run: tests plant it where a command line with
// an unquoted path that holds spaces would find it first (C:\Program.exe).
// It only says, in the stand-ins' log, that it ran.
#include <windows.h>

#include "standins/common/CommandLog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    LogCommandLine("DECOY ");
    return 0;
}
