#include "engine/Install.h"

#include <initializer_list>

#include "engine/Compat.h"
#include "engine/FileTables.h"
#include "engine/InstallFolder.h"
#include "engine/Messages.h"
#include "engine/EventLog.h"
#include "engine/MediumImages.h"
#include "engine/Platform.h"
#include "engine/Process.h"
#include "engine/Registry.h"
#include "engine/Shortcuts.h"

namespace {

// Copies over an existing file. A path that would not fit is a failed copy.
// What is installed must be replaceable and removable: the copy of a
// read-only file (from a CD) is made writable, and so is a read-only file
// an earlier install left in its place.
bool CopyOver(bool sourceFits, const wchar_t* source, bool targetFits, const wchar_t* target) {
    if (!sourceFits || !targetFits) return false;
    MakeWritable(target);
    if (!::CopyFileW(source, target, FALSE)) return false;
    MakeWritable(target);
    return true;
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

// What the install needs from the medium, looked at before anything is
// written: the installer under its own name and the English language
// module (the copy in Uninstall runs with them, so without them the
// installation could not be removed again), the application, and room in
// every source path. True when all is there.
bool MediumComplete(const wchar_t* sourceDir, const SetupConfig& config) {
    wchar_t path[kPathChars];
    for (const wchar_t* name : {L"setup.exe", LanguageModuleTable[0]}) {
        if (!FormatPath(path, L"%s%s", sourceDir, name) || !PathExists(path)) return false;
    }
    for (const auto& entry : ImageFileTable) {
        if (!FormatPath(path, L"%s%s\\%s", sourceDir, L"Application", entry)) return false;
    }
    return FormatPath(path, L"%s%s\\%s", sourceDir, L"Application", kServiceTool) &&
           FormatPath(path, L"%s%s\\%s", sourceDir, L"Application", L"mingwm10.dll") &&
           FormatPath(path, L"%s%s\\%s", sourceDir, L"Application", config.APPFileName) &&
           PathExists(path);
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

struct CopyOutcome {
    bool filesCopied;   // the uninstaller and the application are in place
    bool registered;    // the registry entries were written
};

CopyOutcome CopyAndRegister(const wchar_t* sourceDir, const SetupConfig& config) {
    wchar_t uninstallDir[kPathChars];
    if (FormatPath(uninstallDir, L"%s\\%s", config.InstallDir, L"Uninstall")) CreateFolders(config, uninstallDir);

    // Without its uninstaller an installation could not be removed again:
    // no uninstall entry may name a missing one, so nothing more is done.
    if (!CopyUninstaller(sourceDir, config)) {
        ShowFailure(L"Fail to copy the uninstaller!");
        return {false, false};
    }
    wchar_t from[kPathChars], to[kPathChars];
    CopyOver(FormatPath(from, L"%s%s", sourceDir, L"setup.ini"), from,
             FormatPath(to, L"%s\\%s", config.InstallDir, L"setup.ini"), to);
    CopyApplicationFile(sourceDir, config, L"mingwm10.dll");
    bool copied = CopyApplicationFile(sourceDir, config, config.APPFileName);
    CopyImages(sourceDir, config);
    if (IsNt6) CopyApplicationFile(sourceDir, config, kServiceTool);

    // The entries come even after a failed copy: the uninstaller is in
    // place, and its entry lets the user remove what was copied.
    bool registered = WriteRegistryEntries(config);
    // Event Viewer finds the texts of the product's events in the uninstaller.
    if (registered) RegisterEventLogSource(config);
    if (!copied) ShowFailure(L"Fail to copy the application files!");
    return {copied, registered};
}

} // namespace

bool CopyInstallFiles(const wchar_t* sourceDir, const SetupConfig& config) {
    CopyOutcome outcome = CopyAndRegister(sourceDir, config);
    return outcome.filesCopied && outcome.registered;
}

bool InstallApplication(const wchar_t* sourceDir, const SetupConfig& config) {
    if (!CheckInstallFolder(config)) return false;
    if (!MediumComplete(sourceDir, config)) {
        ShowFailure(L"Fail to read the installation files!");
        return false;
    }

    wchar_t serviceTool[kPathChars];
    if (IsNt6 && FormatPath(serviceTool, L"%s\\%s", config.InstallDir, kServiceTool) &&
        PathExists(serviceTool)) {
        StopAndRemoveService(config.InstallDir);
    }
    CloseRunningApplication(config.AppName);

    // A failed copy has been reported; a service or shortcuts for an
    // application that is not there would only point at nothing. A failed
    // registry write has been reported too, and the install goes on.
    const CopyOutcome outcome = CopyAndRegister(sourceDir, config);
    if (!outcome.filesCopied) return false;
    if (IsNt6 && !RegisterService(config.InstallDir)) return false;

    wchar_t applicationPath[kPathChars];
    if (!FormatPath(applicationPath, L"%s\\%s", config.InstallDir, config.APPFileName)) return false;
    MakeShortcuts(config, applicationPath);
    if (IsNt6) MarkCompatibilityPersisted(applicationPath);
    return outcome.registered;
}

int SilentInstall(const wchar_t* sourceDir) {
    SetupConfig config;
    ReadSetupConfig(sourceDir, config);
    bool installed = InstallApplication(sourceDir, config);
    // After a failed install the application is not started: it would be
    // an old copy, or none at all.
    if (installed && config.LaunchAPInSilentMode == 1) LaunchApplication(sourceDir, &config);
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
