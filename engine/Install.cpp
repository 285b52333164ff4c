#include "engine/Install.h"

#include "engine/Compat.h"
#include "engine/FileTables.h"
#include "engine/InstallFolder.h"
#include "engine/MediumImages.h"
#include "engine/Platform.h"
#include "engine/Process.h"
#include "engine/Registry.h"
#include "engine/Shortcuts.h"

namespace {

// Copies over an existing file. A path that would not fit is a failed copy.
bool CopyOver(bool sourceFits, const wchar_t* source, bool targetFits, const wchar_t* target) {
    return sourceFits && targetFits && ::CopyFileW(source, target, FALSE);
}

void CreateFolders(const SetupConfig& config, const wchar_t* uninstallDir) {
    if (!PathExists(config.InstallDir)) {
        ::CreateDirectoryW(config.InstallDir, nullptr);
        ::CreateDirectoryW(uninstallDir, nullptr);
    } else if (!PathExists(uninstallDir)) {
        ::CreateDirectoryW(uninstallDir, nullptr);
    }
}

// The installer, its setup.ini and the language modules into Uninstall.
// True when the installer itself was copied.
bool CopyUninstaller(const wchar_t* sourceDir, const SetupConfig& config) {
    wchar_t from[kPathChars], to[kPathChars];
    bool copied = CopyOver(FormatPath(from, L"%s%s", sourceDir, L"setup.exe"), from,
                           FormatPath(to, L"%s\\%s\\%s", config.InstallDir, L"Uninstall", L"setup.exe"), to);
    CopyOver(FormatPath(from, L"%s%s", sourceDir, L"setup.ini"), from,
             FormatPath(to, L"%s\\%s\\%s", config.InstallDir, L"Uninstall", L"setup.ini"), to);
    for (int i = 0; i < kInstalledLanguageModules; ++i) {
        const wchar_t* module = LanguageModuleTable[i];
        CopyOver(FormatPath(from, L"%s%s", sourceDir, module), from,
                 FormatPath(to, L"%s\\%s\\%s", config.InstallDir, L"Uninstall", module), to);
    }
    return copied;
}

// A file of the medium's Application folder into InstallDir.
bool CopyApplicationFile(const wchar_t* sourceDir, const SetupConfig& config, const wchar_t* name) {
    wchar_t from[kPathChars], to[kPathChars];
    return CopyOver(FormatPath(from, L"%s%s\\%s", sourceDir, L"Application", name), from,
                    FormatPath(to, L"%s\\%s", config.InstallDir, name), to);
}

void CopyImages(const wchar_t* sourceDir, const SetupConfig& config) {
    wchar_t images[kPathChars];
    if (FormatPath(images, L"%s\\Images", config.InstallDir)) ::CreateDirectoryW(images, nullptr);
    bool present[kImageFileCount];
    FindMediumImages(sourceDir, present);
    for (int i = 0; i < kImageFileCount; ++i) {
        // Images the medium lacks are skipped without a word.
        if (present[i]) CopyApplicationFile(sourceDir, config, ImageFileTable[i]);
    }
}

void MakeShortcuts(const SetupConfig& config, const wchar_t* applicationPath) {
    CreateDesktopShortcut(applicationPath, config.AppName);
    CreateGroupShortcut(config.AppName, applicationPath, config.AppName, nullptr);
    wchar_t uninstaller[kPathChars];
    if (FormatPath(uninstaller, L"%s\\%s\\%s", config.InstallDir, L"Uninstall", L"setup.exe"))
        CreateGroupShortcut(config.AppName, uninstaller, L"Uninstall", L"delpkg");
}

} // namespace

bool CopyInstallFiles(const wchar_t* sourceDir, const SetupConfig& config) {
    wchar_t uninstallDir[kPathChars];
    bool ok = FormatPath(uninstallDir, L"%s\\%s", config.InstallDir, L"Uninstall");
    if (ok) CreateFolders(config, uninstallDir);

    ok = CopyUninstaller(sourceDir, config) && ok;
    wchar_t from[kPathChars], to[kPathChars];
    CopyOver(FormatPath(from, L"%s%s", sourceDir, L"setup.ini"), from,
             FormatPath(to, L"%s\\%s", config.InstallDir, L"setup.ini"), to);
    CopyApplicationFile(sourceDir, config, L"mingwm10.dll");
    ok = CopyApplicationFile(sourceDir, config, config.APPFileName) && ok;
    CopyImages(sourceDir, config);
    if (IsNt6) CopyApplicationFile(sourceDir, config, kServiceTool);

    return WriteRegistryEntries(config) && ok;
}

bool InstallApplication(const wchar_t* sourceDir, const SetupConfig& config) {
    if (!CheckInstallFolder(config)) return false;

    wchar_t serviceTool[kPathChars];
    if (IsNt6 && FormatPath(serviceTool, L"%s\\%s", config.InstallDir, kServiceTool) &&
        PathExists(serviceTool)) {
        StopAndRemoveService(config.InstallDir);
    }
    CloseRunningApplication(config.AppName);

    bool copied = CopyInstallFiles(sourceDir, config);
    if (IsNt6 && !RegisterService(config.InstallDir)) return false;

    wchar_t applicationPath[kPathChars];
    if (!FormatPath(applicationPath, L"%s\\%s", config.InstallDir, config.APPFileName)) return false;
    MakeShortcuts(config, applicationPath);
    if (IsNt6) MarkCompatibilityPersisted(applicationPath);
    return copied;
}

int SilentInstall(const wchar_t* sourceDir) {
    SetupConfig config;
    ReadSetupConfig(sourceDir, config);
    bool installed = InstallApplication(sourceDir, config);
    if (config.LaunchAPInSilentMode == 1) LaunchApplication(sourceDir, &config);
    return installed ? 0 : 1;
}

fw::Handle LaunchApplication(const wchar_t* sourceDir, const SetupConfig* config) {
    SetupConfig own;
    if (config) {
        own = *config;
    } else {
        ReadSetupConfig(sourceDir, own);
    }
    if (InstallFolderProblem(own)) return fw::Handle();
    wchar_t commandLine[kPathChars];
    if (!ComposeCommandLine(commandLine, kPathChars, own.InstallDir, own.APPFileName, L""))
        return fw::Handle();
    return RunProgram(commandLine, 1);
}
