#include "engine/Install.h"

#include <initializer_list>
#include <memory>

#include "engine/system/Compat.h"
#include "engine/layout/FileTables.h"
#include "engine/layout/InstallFiles.h"
#include "engine/layout/InstallFolder.h"
#include "engine/report/Messages.h"
#include "engine/report/EventLog.h"
#include "engine/layout/MediumImages.h"
#include "engine/config/Platform.h"
#include "engine/system/Process.h"
#include "engine/system/Registry.h"
#include "engine/system/RestartQueue.h"
#include "engine/report/SetupLog.h"
#include "engine/system/Shortcuts.h"
#include "engine/transaction/StateBefore.h"
#include "engine/transaction/Transaction.h"
#include "engine/transaction/TransactionNames.h"
#include "engine/config/Version.h"
#include "framework/ComInit.h"

namespace {

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
    InstallFile files[kInstallFileCount];
    ListInstallFiles(config, files);
    for (const InstallFile& file : files) {
        if (!SourcePathOf(sourceDir, file, path)) return false;
    }
    return FormatPath(path, L"%s%s\\%s", sourceDir, L"Application", config.APPFileName) && PathExists(path);
}

void CreateFolders(const SetupConfig& config) {
    wchar_t path[kPathChars];
    for (const wchar_t* folder : InstallFolders) {
        if (FormatPath(path, L"%s\\%s", config.InstallDir, folder) && !PathExists(path))
            ::CreateDirectoryW(path, nullptr);
    }
}

// The passes over the copy table. The service tool's "-i" starts after the
// first, once the application's programs are in place, so that its start
// and the service's overlap the copy of the uninstaller and the images,
// which the service does not need.
enum class CopyPass { Programs, Uninstaller, Images };

CopyPass PassOf(const InstallFile& file) {
    if (file.when == CopyWhen::IfOnMedium) return CopyPass::Images;
    return file.sourceFolder[0] ? CopyPass::Programs : CopyPass::Uninstaller;
}

// Every file of the copy table in the pass that applies; the first that
// cannot be put in place, not even at the next restart (a full disk, a
// medium that cannot be read), fails the install. Those that wait for the
// restart are added to `waiting`.
bool CopyFiles(const wchar_t* sourceDir, const SetupConfig& config, CopyPass pass, WaitingFiles& waiting) {
    const bool images = pass == CopyPass::Images;
    bool present[kImageFileCount] = {};
    if (images) FindMediumImages(sourceDir, present);
    if (pass == CopyPass::Programs) CreateFolders(config);
    InstallFile files[kInstallFileCount];
    ListInstallFiles(config, files);
    int image = 0;  // the images come in the table's order
    for (const InstallFile& file : files) {
        if (PassOf(file) != pass) continue;
        wchar_t from[kPathChars], to[kPathChars];
        const bool fits = SourcePathOf(sourceDir, file, from) && TargetPathOf(config.InstallDir, file, to);
        // Only a file copied if present is looked for; the others must be there.
        const bool onMedium = images ? present[image++] : file.when == CopyWhen::IfPresent && PathExists(from);
        if (!IsCopied(file, IsNt6, onMedium)) continue;
        const Placement placed = fits ? PlaceFile(from, to) : Placement::Failed;
        if (placed == Placement::Failed) {
            ShowFailure(file.targetFolder[0] ? L"Fail to copy the uninstaller!" : L"Fail to copy the application files!",
                        ::GetLastError());
            return false;
        }
        if (placed == Placement::AtRestart) AddWaitingFile(waiting, to);
    }
    return true;
}

// Links made anew; the ones they replace are kept for a rollback.
void MakeShortcuts(const SetupConfig& config, const wchar_t* applicationPath) {
    ShortcutPaths links;
    if (FindShortcutPaths(config.AppName, links)) {
        for (const wchar_t* link : {links.desktopLink, links.applicationLink, links.uninstallLink}) KeepAside(link);
    }
    CreateDesktopShortcut(applicationPath, config.AppName);
    CreateGroupShortcut(config.AppName, applicationPath, config.AppName, nullptr);
    wchar_t uninstaller[kPathChars];
    if (FormatPath(uninstaller, L"%s\\%s\\%s", config.InstallDir, L"Uninstall", L"setup.exe"))
        CreateGroupShortcut(config.AppName, uninstaller, L"Uninstall", L"delpkg");
}

struct ShortcutJob {
    const SetupConfig* config;
    const wchar_t* applicationPath;
};

DWORD WINAPI MakeShortcutsApart(void* parameter) {
    const ShortcutJob& job = *static_cast<const ShortcutJob*>(parameter);
    // One apartment for the three links. This thread shows no window, and
    // the multithreaded apartment makes none either (under Wine the first
    // window of a run starts the desktop); the shell-link object lives in
    // both kinds.
    fw::ComInit com(COINIT_MULTITHREADED);
    MakeShortcuts(*job.config, job.applicationPath);
    return 0;
}

// The steps after the service starts registering, while the tool works:
// the uninstaller and the registry entries, then the links on a thread of
// their own while the images are copied (saving a link starts a program
// under Wine, which the copy need not wait for); all are done before
// anything else happens.
bool RunStepsBesideTheTool(const wchar_t* sourceDir, const SetupConfig& config, const wchar_t* applicationPath,
                           WaitingFiles& waiting) {
    // The links point at the uninstaller, and the uninstall entry runs it.
    if (!CopyFiles(sourceDir, config, CopyPass::Uninstaller, waiting) || !WriteRegistryEntries(config))
        return false;
    // Event Viewer finds the texts of the product's events in the uninstaller.
    RegisterEventLogSource(config);
    ShortcutJob job = {&config, applicationPath};
    fw::Handle links(::CreateThread(nullptr, 0, &MakeShortcutsApart, &job, 0, nullptr));
    if (!links.IsValid()) MakeShortcuts(config, applicationPath);
    const bool copied = CopyFiles(sourceDir, config, CopyPass::Images, waiting);
    // The files an install keeps aside until it is done are not the product's.
    if (copied) WriteEstimatedSize(config, FolderKilobytes(config.InstallDir, &IsTransactionName));
    if (links.IsValid()) ::WaitForSingleObject(links.Get(), INFINITE);
    return copied;
}

// The steps after the old product was taken down: the programs, then the
// service's registration beside the uninstaller, the registry entries, the
// images and the shortcuts. `serviceStarted` tells a rollback that a new
// service may be registered.
bool RunInstallSteps(const wchar_t* sourceDir, const SetupConfig& config, bool& serviceStarted,
                     WaitingFiles& waiting) {
    if (!CopyFiles(sourceDir, config, CopyPass::Programs, waiting)) return false;
    wchar_t applicationPath[kPathChars];
    if (!FormatPath(applicationPath, L"%s\\%s", config.InstallDir, config.APPFileName)) return false;
    FlushRunLog();
    fw::Handle tool;
    if (IsNt6) {
        tool = StartServiceRegistration(config.InstallDir);
        if (!tool.IsValid()) return false;
        serviceStarted = true;
    }
    if (!RunStepsBesideTheTool(sourceDir, config, applicationPath, waiting)) {
        // The rollback takes the service down: not while "-i" still works.
        if (IsNt6) AwaitServiceTool(tool, ServiceToolBoundMs(config));
        return false;
    }
    if (IsNt6 && !FinishServiceRegistration(tool, ServiceToolBoundMs(config))) return false;
    if (IsNt6) MarkCompatibilityPersisted(applicationPath);
    return true;
}

} // namespace

SetupOutcome InstallApplication(const wchar_t* sourceDir, const SetupConfig& config) {
    if (!CheckInstallFolder(config)) return SetupOutcome::Failed;
    if (!MediumComplete(sourceDir, config)) {
        ShowFailure(L"Fail to read the installation files!", ::GetLastError());
        return SetupOutcome::Failed;
    }
    // An older medium never replaces a newer installation; the same
    // version is a repair.
    wchar_t installed[kVersionChars];
    const bool any = ReadInstalledVersion(config, installed);
    const bool newer = any && IsOlderThanInstalled(config.Version, installed);
    if (!any) LogLine(L"Versions: none installed; the medium's is %s", config.Version);
    else LogLine(L"Versions: %s installed, the medium's %s: %s", installed, config.Version,
                 newer ? L"the medium's is older, refused" : L"installed over it");
    if (newer) {
        ReportNewerInstalledEvent(config.AppName, installed, config.Version);
        return SetupOutcome::NewerInstalled;
    }
    // Larger than a thread's stack should hold.
    std::unique_ptr<Journal> journal(new Journal);
    const Journal& before = *journal;
    if (!NoteStateBefore(config, *journal) || !WriteJournal(config.InstallDir, before)) {
        ShowFailure(L"Fail to write to the installation folder!", ::GetLastError());
        return SetupOutcome::Failed;
    }
    LogLine(L"Journal written in %s: %d files and folders, %d registry keys", config.InstallDir, before.pathCount,
            before.keyCount);
    // On disk before the first change: a run cut off later leaves this much.
    FlushRunLog();
    if (before.serviceBefore)
        StopAndRemoveService(config.InstallDir, ServiceToolBoundMs(config), StopBoundMs(config));
    CloseRunningApplication(config.AppName, StopBoundMs(config));

    bool serviceStarted = false;
    WaitingFiles waiting;
    if (RunInstallSteps(sourceDir, config, serviceStarted, waiting)) {
        CommitInstall(config.InstallDir, before);
        if (waiting.count == 0) return SetupOutcome::Done;
        ReportRestartEvent(config.AppName, false, waiting.text);
        return SetupOutcome::DoneAfterRestart;
    }
    // The failure has been reported; the machine goes back to how it was.
    RollBackInstall(config, before, serviceStarted);
    ReportRollbackEvent(config.AppName, HadInstallation(before));
    return SetupOutcome::Failed;
}

int SilentInstall(const wchar_t* sourceDir) {
    SetupConfig config;
    ReadSetupConfig(sourceDir, config);
    const SetupOutcome outcome = InstallApplication(sourceDir, config);
    // After a failed install the application is not started: it would be
    // an old copy, or none at all; nor before the restart that completes
    // it, while old files are still in place.
    if (outcome == SetupOutcome::Done && config.LaunchAPInSilentMode == 1) LaunchApplication(sourceDir, &config);
    return ExitCodeOf(outcome);
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
