#pragma once
#include "engine/config/Outcome.h"
#include "engine/system/Registry.h"
#include "engine/system/RestartQueue.h"
#include "engine/config/SetupConfig.h"
#include "framework/Handle.h"

// The install from the medium in sourceDir (ending with a backslash): takes
// an earlier service and the running application down, copies the
// installer and the application, writes the registry entries, registers
// the service, and makes the shortcuts. Done when it did its job: every
// file in place, the uninstall entry written and the service registered;
// DoneAfterRestart when files held by other programs wait for the next
// restart to be replaced. NewerInstalled, before anything changed, when the
// installed version is newer than the medium's. Failed, after its failure
// was reported and the machine was put back as it was: the earlier
// installation whole and its service running, or, for a first install,
// nothing left.
SetupOutcome InstallApplication(const wchar_t* sourceDir, const SetupConfig& config);

// Installs without any window. Returns the process exit code: 0 on
// success, 3010 when a restart completes it, 1638 when a newer version is
// installed, 1 on failure.
int SilentInstall(const wchar_t* sourceDir);

// Starts the installed application; with a null config it reads setup.ini
// in sourceDir. Returns the owner of the process handle, empty on failure.
fw::Handle LaunchApplication(const wchar_t* sourceDir, const SetupConfig* config);
