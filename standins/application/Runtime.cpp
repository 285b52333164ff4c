#include <windows.h>

// The application's runtime library: it must lie beside the application,
// which asks it for its version before doing anything else.
extern "C" __declspec(dllexport) int RuntimeVersion() { return 10; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
