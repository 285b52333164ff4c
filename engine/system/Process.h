#pragma once
#include "framework/Handle.h"

// The service tool that ships with the application, run from InstallDir.
extern const wchar_t kServiceTool[];  // "ArrSvcSetup.exe"

// True when installDir holds the service tool (an installation's service).
bool ServiceToolThere(const wchar_t* installDir);

// Builds a command line that starts "<dir>\<file>" with `args` (may be
// empty). The program path is quoted, so a path with spaces cannot start a
// planted C:\Program.exe. False (and `out` empty) if it does not fit.
bool ComposeCommandLine(wchar_t* out, size_t chars, const wchar_t* dir, const wchar_t* file,
                        const wchar_t* args);

// Starts a program without waiting for it. `commandLine` must be writable
// (CreateProcessW may change it). Returns the owner of the new process's
// handle, empty when the process could not be created.
fw::Handle RunProgram(wchar_t* commandLine, int show);

// What RunProgram creates processes with: CreateProcessW, unless a test
// watches the calls (Wine ignores priority classes, so a test cannot read
// them back from the child). Null restores CreateProcessW.
using ProcessCreator = BOOL(WINAPI*)(const wchar_t*, wchar_t*, SECURITY_ATTRIBUTES*, SECURITY_ATTRIBUTES*, BOOL,
                                     DWORD, void*, const wchar_t*, STARTUPINFOW*, PROCESS_INFORMATION*);
void SetProcessCreator(ProcessCreator creator);

// How long each run of the service tool may take unless setup.ini's
// ServiceToolTimeout says otherwise; a run still going then is ended.
constexpr DWORD kDefaultToolBoundMs = 30000;

// How long the installer waits for a service or the application to end
// unless setup.ini's StopTimeout says otherwise.
constexpr DWORD kDefaultStopBoundMs = 30000;

// Takes the service down with the tool in installDir: "-k", then until the
// services of installDir have stopped and their processes ended, "-u",
// then until they are no longer registered. Each run of the tool within
// `toolBoundMs`, each wait within `stopBoundMs`. Failures to start the
// tool are ignored.
void StopAndRemoveService(const wchar_t* installDir, DWORD toolBoundMs = kDefaultToolBoundMs,
                          DWORD stopBoundMs = kDefaultStopBoundMs);

// Starts the tool with "-i". Empty, after "Fail to install the service!",
// when it cannot be started.
fw::Handle StartServiceRegistration(const wchar_t* installDir);

// Waits, within `boundMs`, for a started "-i" to end. True when it ended
// with exit code 0; otherwise shows "Fail to install the service!" (a tool
// that does not end in time is ended first).
bool FinishServiceRegistration(const fw::Handle& tool, DWORD boundMs);

// Lets a started tool end, within `boundMs` (ended at the bound), whatever
// its result: a step that failed meanwhile is rolled back once it is done.
void AwaitServiceTool(const fw::Handle& tool, DWORD boundMs);

// Both: 1 when the tool registered the service, 0 (with the message) when
// it could not be started, failed or did not end in time.
int RegisterService(const wchar_t* installDir, DWORD boundMs = kDefaultToolBoundMs);

// Runs the tool with `args` and waits, within `boundMs`, for it to end.
// True when it ended with exit code 0.
bool RunServiceToolToEnd(const wchar_t* installDir, const wchar_t* args, DWORD boundMs);

// Asks the top-level window titled exactly appName (if any) to close, then
// waits, within `stopBoundMs`, for the process that owned it to end. A
// window that does not answer costs a bounded wait.
void CloseRunningApplication(const wchar_t* appName, DWORD stopBoundMs = kDefaultStopBoundMs);
