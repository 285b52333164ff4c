#include "engine/Uninstall.h"

#include <initializer_list>

#include "engine/report/EventLog.h"
#include "engine/layout/InstallFiles.h"
#include "engine/layout/InstallFolder.h"
#include "engine/config/Platform.h"
#include "engine/system/Process.h"
#include "engine/system/Registry.h"
#include "engine/system/RestartQueue.h"
#include "engine/report/SetupLog.h"
#include "engine/system/Shortcuts.h"
#include "engine/transaction/Transaction.h"
#include "engine/transaction/TransactionNames.h"

namespace {

// Deletes a file of the installation; one that another program holds goes
// at the next restart. False when it stays: held, and the queue refused it
// (no rights).
bool DeleteInstalled(const SetupConfig& config, const wchar_t* name, WaitingFiles& waiting) {
    wchar_t path[kPathChars];
    if (!FormatPath(path, L"%s\\%s", config.InstallDir, name)) return true;  // never installed there
    // Earlier installs from a CD left their copies read-only.
    MakeWritable(path);
    if (::DeleteFileW(path)) {
        LogLine(L"Deleted %s", path);
        return true;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    if (!IsHeldFileError(path, error) || !QueueDeletion(path)) {
        LogWindowsError(error, L"%s could not be deleted", path);
        ::SetLastError(error);
        return false;
    }
    AddWaitingFile(waiting, path);
    return true;
}

// A folder that a file waiting for the restart keeps goes after it.
void RemoveFolderNowOrAtRestart(const wchar_t* folder, const WaitingFiles& waiting) {
    if (!::RemoveDirectoryW(folder) && waiting.count > 0 && PathExists(folder)) QueueDeletion(folder);
}

} // namespace

bool DeleteInstalledFiles(const SetupConfig& config, WaitingFiles& waiting) {
    // The files the install placed in InstallDir; the Uninstall folder goes
    // with the script, once the uninstaller has ended.
    InstallFile files[kInstallFileCount];
    ListInstallFiles(config, files);
    bool gone = true;
    for (const InstallFile& file : files) {
        if (file.targetFolder[0]) continue;
        if (file.when != CopyWhen::Nt6Only || IsNt6) gone = DeleteInstalled(config, file.name, waiting) && gone;
        // A file that was in use when a failed install put the earlier one
        // back, and a new copy that waited for a restart.
        for (const wchar_t* suffix : {kDiscardSuffix, kNewCopySuffix}) {
            wchar_t ours[kPathChars];
            if (FormatPath(ours, L"%s%s", file.name, suffix)) gone = DeleteInstalled(config, ours, waiting) && gone;
        }
    }
    // The application's settings.
    gone = DeleteInstalled(config, L"Cfg.KX", waiting) && gone;
    // Empty now, unless a user's own file is in it: then it stays, and so
    // does InstallDir.
    wchar_t images[kPathChars];
    if (FormatPath(images, L"%s\\%s", config.InstallDir, L"Images")) RemoveFolderNowOrAtRestart(images, waiting);
    // The script removes InstallDir when the uninstaller has ended, unless a
    // file waits in it for the restart.
    if (waiting.count > 0) QueueDeletion(config.InstallDir);
    // While a file stays, so does the entry: with it and the uninstaller
    // the user can try again.
    if (gone) RemoveRegistryEntries(config);
    return gone;
}

SetupOutcome UninstallApplication(const SetupConfig& config) {
    if (!CheckInstallFolder(config)) return SetupOutcome::Failed;
    // Replacements that an install left for the restart would bring files
    // back.
    CancelQueuedIn(config.InstallDir);
    if (IsNt6) StopAndRemoveService(config.InstallDir, ServiceToolBoundMs(config), StopBoundMs(config));
    CloseRunningApplication(config.AppName, StopBoundMs(config));
    WaitingFiles waiting;
    const bool gone = DeleteInstalledFiles(config, waiting);
    DeleteDesktopShortcut(config.AppName);
    DeleteGroupShortcut(config.AppName, config.AppName, false);
    DeleteGroupShortcut(config.AppName, L"Uninstall", true);
    // The source stays while the uninstaller does: it holds the texts. The
    // wizard's failed page says the rest; the log keeps it for later.
    if (!gone || UninstallEntryExists(config)) {
        ReportFailureEvent(L"Fail to remove the application files!");
        return SetupOutcome::Failed;
    }
    if (waiting.count > 0) ReportRestartEvent(config.AppName, true, waiting.text);
    RemoveEventLogSource(config);
    return waiting.count > 0 ? SetupOutcome::DoneAfterRestart : SetupOutcome::Done;
}

int SilentUninstall(const wchar_t* sourceDir) {
    SetupConfig config;
    ReadSetupConfig(sourceDir, config);
    return ExitCodeOf(UninstallApplication(config));
}
