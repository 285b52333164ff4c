#pragma once
#include <windows.h>

// Waiting for the programs the installer has asked to end: the services
// whose programs lie in the installation folder, and the application. Each
// wait ends the moment its condition holds and gives up at its bound; the
// log says what was waited for and how long it took, or what was still
// running when the bound passed. The run goes on either way: a file still
// held then waits for the restart.

// The program a service's command line starts: the quoted path, or else
// the text up to the first ".exe" that ends a word (a path with spaces
// left unquoted), or else the first word. False (`out` empty) when there
// is none or it does not fit.
bool ServiceProgramOf(const wchar_t* binaryPath, wchar_t* out, size_t chars);

// True when the program of a service's command line lies inside `folder`.
bool IsServiceIn(const wchar_t* binaryPath, const wchar_t* folder);

// After "-k": every service whose program lies in installDir has stopped
// and its process has ended, or `boundMs` has passed.
void WaitForServicesToStop(const wchar_t* installDir, DWORD boundMs);

// After "-u": no service whose program lies in installDir is registered
// any more (one marked for deletion goes once its last handle closes), or
// `boundMs` has passed.
void WaitForServicesToGo(const wchar_t* installDir, DWORD boundMs);

// Waits for the process to end; `what` names it in the log ("the
// application's process 1234"). True when it ended within the bound.
bool WaitForProcessToEnd(HANDLE process, DWORD boundMs, const wchar_t* what);
