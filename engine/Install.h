#pragma once
#include "engine/SetupConfig.h"
#include "framework/Handle.h"

// The install from the medium in sourceDir (ending with a backslash): takes
// an earlier service and the running application down, copies the
// installer and the application, writes the registry entries, registers
// the service, and makes the shortcuts. True when it did its job: every
// file in place, the uninstall entry written and the service registered.
// Otherwise, after its failure was reported, the machine is put back as it
// was: the earlier installation whole and its service running, or, for a
// first install, nothing left.
bool InstallApplication(const wchar_t* sourceDir, const SetupConfig& config);

// The copies, ending with the registry entries. True when every file was
// put in place and the uninstall entry written.
bool CopyInstallFiles(const wchar_t* sourceDir, const SetupConfig& config);

// Installs without any window. Returns the process exit code: 0 on success.
int SilentInstall(const wchar_t* sourceDir);

// Starts the installed application; with a null config it reads setup.ini
// in sourceDir. Returns the owner of the process handle, empty on failure.
fw::Handle LaunchApplication(const wchar_t* sourceDir, const SetupConfig* config);
