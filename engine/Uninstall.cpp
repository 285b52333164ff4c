#include "engine/Uninstall.h"

#include "engine/EventLog.h"
#include "engine/FileTables.h"
#include "engine/InstallFolder.h"
#include "engine/Platform.h"
#include "engine/Process.h"
#include "engine/Registry.h"
#include "engine/Shortcuts.h"

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
    DeleteInstalled(config, L"mingwm10.dll");
    DeleteInstalled(config, config.APPFileName);
    DeleteInstalled(config, L"Cfg.KX");
    DeleteInstalled(config, L"setup.ini");
    for (const auto& entry : ImageFileTable) DeleteInstalled(config, entry);
    if (IsNt6) DeleteInstalled(config, kServiceTool);
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
