#include "engine/Uninstall.h"

#include "engine/EventLog.h"
#include "engine/InstallFiles.h"
#include "engine/InstallFolder.h"
#include "engine/Platform.h"
#include "engine/Process.h"
#include "engine/Registry.h"
#include "engine/Shortcuts.h"
#include "engine/Transaction.h"

namespace {

void DeleteInstalled(const SetupConfig& config, const wchar_t* name) {
    wchar_t path[kPathChars];
    if (!FormatPath(path, L"%s\\%s", config.InstallDir, name)) return;
    // Earlier installs from a CD left their copies read-only.
    MakeWritable(path);
    ::DeleteFileW(path);
}

bool ApplicationRemains(const SetupConfig& config) {
    wchar_t path[kPathChars];
    return !FormatPath(path, L"%s\\%s", config.InstallDir, config.APPFileName) || PathExists(path);
}

} // namespace

void DeleteInstalledFiles(const SetupConfig& config) {
    // The files the install placed in InstallDir; the Uninstall folder goes
    // with the script, once the uninstaller has ended.
    InstallFile files[kInstallFileCount];
    ListInstallFiles(config, files);
    for (const InstallFile& file : files) {
        if (file.targetFolder[0]) continue;
        if (file.when != CopyWhen::Nt6Only || IsNt6) DeleteInstalled(config, file.name);
        // A file that was in use when a failed install put the earlier one back.
        wchar_t discarded[kPathChars];
        if (FormatPath(discarded, L"%s%s", file.name, kDiscardSuffix)) DeleteInstalled(config, discarded);
    }
    // The application's settings.
    DeleteInstalled(config, L"Cfg.KX");
    // Empty now, unless a user's own file is in it: then it stays, and so
    // does InstallDir.
    wchar_t images[kPathChars];
    if (FormatPath(images, L"%s\\%s", config.InstallDir, L"Images")) ::RemoveDirectoryW(images);
    // While the application stays (a file that could not be deleted), so
    // does its entry: with it and the uninstaller the user can try again.
    if (!ApplicationRemains(config)) RemoveRegistryEntries(config);
}

bool UninstallApplication(const SetupConfig& config) {
    if (!CheckInstallFolder(config)) return false;
    if (IsNt6) StopAndRemoveService(config.InstallDir);
    CloseRunningApplication(config.AppName);
    DeleteInstalledFiles(config);
    DeleteDesktopShortcut(config.AppName);
    DeleteGroupShortcut(config.AppName, config.AppName, false);
    DeleteGroupShortcut(config.AppName, L"Uninstall", true);
    const bool removed = !ApplicationRemains(config) && !UninstallEntryExists(config);
    // The source stays while the uninstaller does: it holds the texts. The
    // wizard's failed page says the rest; the log keeps it for later.
    if (removed) {
        RemoveEventLogSource(config);
    } else {
        ReportFailureEvent(L"Fail to remove the application files!");
    }
    return removed;
}

int SilentUninstall(const wchar_t* sourceDir) {
    SetupConfig config;
    ReadSetupConfig(sourceDir, config);
    return UninstallApplication(config) ? 0 : 1;
}
