#pragma once
#include <windows.h>

#include "engine/config/Outcome.h"
#include "engine/config/Paths.h"
#include "engine/config/SetupConfig.h"
#include "framework/Handle.h"

// The worker thread that runs the install or uninstall procedure for the
// wizard, and the one message by which it tells the wizard how it goes.

// wParam: the notice in its low byte. lParam: 0 in a begin notice; in an
// end notice the procedure's SetupOutcome: 1 when it succeeded, 2 when a
// restart completes it, 0 when it failed, 3 when an install was refused
// because a newer version is installed.
constexpr UINT WM_SETUP_PROGRESS = WM_USER + 100;

enum SetupProgressNotice : WPARAM {
    PROGRESS_INSTALL_BEGIN = 1,
    PROGRESS_INSTALL_END = 2,
    PROGRESS_INSTALL_FAILED = 3,  // accepted by the wizard, never posted by the worker
    PROGRESS_UNINSTALL_BEGIN = 4,
    PROGRESS_UNINSTALL_END = 5,
    PROGRESS_UNINSTALL_FAILED = 6,  // likewise
};

// What the wizard hands to a worker it starts.
struct WorkerStartBlock {
    wchar_t SourceDir[kPathChars];
    HWND Dialog;  // receives the notices
    int Mode;     // 0 install, 1 uninstall
};

// The procedures a worker runs; tests put in their own.
struct SetupProcedures {
    SetupOutcome (*Install)(const wchar_t* sourceDir, const SetupConfig& config);
    SetupOutcome (*Uninstall)(const SetupConfig& config);
};
extern const SetupProcedures EngineProcedures;

// Starts a worker: it reads setup.ini in the block's SourceDir itself,
// posts one begin notice to the block's Dialog, runs the procedure of the
// block's Mode and posts one end notice with the procedure's result.
// The worker gets its own copy of the block before this returns, so
// whatever the caller writes into the block afterwards, for another start
// say, cannot change what this worker does. Returns the thread's handle,
// empty when the thread could not be created; dropping it leaves the
// worker running.
fw::Handle StartSetupWorker(const WorkerStartBlock& block,
                            const SetupProcedures& procedures = EngineProcedures);

// The thread routine. Takes ownership of the start it is given (made by
// StartSetupWorker) and returns 1.
DWORD WINAPI SetupWorker(LPVOID start);
