#pragma once
#include <windows.h>

// The wizard's texts by their ids in the language modules (and in the
// program's own string table, which has the same ids).
enum TextId : UINT {
    kTextInstallButton = 1,
    kTextCancelButton = 2,
    kTextFinishButton = 3,
    kTextInstallHint = 4,            // ready page, install: which button does what
    kTextReadyToInstall = 5,
    kTextCopyingFiles = 6,
    kTextInstalled = 7,
    kTextFinishHint = 8,             // end page: Finish ends the wizard
    kTextInstallFailed = 9,
    kTextRemoveButton = 10,
    kTextReadyToRemove = 11,
    kTextRemoveHint = 12,
    kTextRemovingFiles = 13,
    kTextRemoveFailed = 14,
    kTextRemoved = 15,
    kTextInstalling = 16,
    kTextRemoving = 17,
    kTextLaunchBox = 20,
    kTextCloseButton = 21,           // the close button's name to screen readers
    kTextInstalledAfterRestart = 22,
    kTextRemovedAfterRestart = 23,
    kTextNewerInstalled = 24,        // one %s: the installed version
    kTextRestartNow = 25,
};
