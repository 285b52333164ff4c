#pragma once
#include "engine/SetupConfig.h"

// The first stage of the uninstall, run by the uninstaller in
// InstallDir\Uninstall: takes the service down, closes the application,
// deletes the installed files, the registry entries and the shortcuts.
// True when the application executable and the uninstall entry are gone.
bool UninstallApplication(const SetupConfig& config);

// Deletes the installed files and the emptied Images folder (not the
// Uninstall folder or InstallDir itself), then the registry entries, unless
// the application executable could not be deleted.
void DeleteInstalledFiles(const SetupConfig& config);

// The uninstall without any window, from the uninstaller in sourceDir
// (ending with a backslash). Returns the process exit code: 0 when the
// product is gone, 1 when the uninstall could not do its job.
int SilentUninstall(const wchar_t* sourceDir);
