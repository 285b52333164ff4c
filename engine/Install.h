#pragma once
#include "engine/SetupConfig.h"
#include "framework/Handle.h"

// The install from the medium in sourceDir (ending with a backslash): takes
// an earlier service and the running application down, copies the
// installer and the application, writes the registry entries, registers
// the service, and makes the shortcuts. True when it did its job: the
// installer's own copy, the application and the uninstall entry were
// written and the service tool could be started.
bool InstallApplication(const wchar_t* sourceDir, const SetupConfig& config);

// The copies, ending with the registry entries. True when the installer's
// copy, the application executable and the uninstall entry were written.
bool CopyInstallFiles(const wchar_t* sourceDir, const SetupConfig& config);

// Installs without any window. Returns the process exit code: 0 on success.
int SilentInstall(const wchar_t* sourceDir);

// Starts the installed application; with a null config it reads setup.ini
// in sourceDir. Returns the owner of the process handle, empty on failure.
fw::Handle LaunchApplication(const wchar_t* sourceDir, const SetupConfig* config);
