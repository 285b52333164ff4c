#pragma once

#include <windows.h>

// Runs this process as the service `name` under the SCM: it reports running, does
// nothing until told to stop, takes `stopMs` to stop, and reports stopped.
// Returns false if the process was not started by the SCM.
bool RunAsService(const wchar_t* name, DWORD stopMs);
