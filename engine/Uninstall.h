#pragma once
#include "engine/config/Outcome.h"
#include "engine/system/RestartQueue.h"
#include "engine/config/SetupConfig.h"

// The first stage of the uninstall, run by the uninstaller in
// InstallDir\Uninstall: takes the service down, closes the application,
// deletes the installed files, the registry entries and the shortcuts.
// Done when every file and the uninstall entry are gone; DoneAfterRestart
// when files held by other programs (and their folders) go at the next
// restart; Failed when a file stays, which keeps the entry.
SetupOutcome UninstallApplication(const SetupConfig& config);

// Deletes the installed files and the emptied Images folder (not the
// Uninstall folder or InstallDir itself), queueing those held by other
// programs, with InstallDir, for the next restart (named in `waiting`);
// then the registry entries, unless a file stays. True when none stays.
bool DeleteInstalledFiles(const SetupConfig& config, WaitingFiles& waiting);

// The uninstall without any window, from the uninstaller in sourceDir
// (ending with a backslash). Returns the process exit code: 0 when the
// product is gone, 3010 when a restart completes the removal, 1 when the
// uninstall could not do its job.
int SilentUninstall(const wchar_t* sourceDir);
