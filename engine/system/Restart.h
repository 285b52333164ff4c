#pragma once
#include <windows.h>

// Asks Windows to restart the computer, as an installation's planned
// restart: the process's shutdown privilege is enabled first, since a
// token holds it disabled. 0 when Windows took the request, else its error.
DWORD RequestRestart();
