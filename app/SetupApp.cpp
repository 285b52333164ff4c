#include "app/SetupApp.h"

#include <cstring>
#include <objbase.h>

#include "app/AppGlobals.h"
#include "app/LanguageModule.h"
#include "app/LoadSafety.h"
#include "app/RunLogHeader.h"
#include "app/RunMode.h"
#include "app/SetupCommandLine.h"
#include "engine/system/Compat.h"
#include "engine/report/EventLog.h"
#include "engine/Install.h"
#include "engine/report/Messages.h"
#include "engine/config/Outcome.h"
#include "engine/config/Platform.h"
#include "engine/system/Restart.h"
#include "engine/SelfDeleteScript.h"
#include "engine/report/SetupLog.h"
#include "engine/transaction/Transaction.h"
#include "engine/Uninstall.h"
#include "wizard/WizardDialog.h"

void LowerCaseAscii(wchar_t* text) {
    for (; *text; ++text) {
        if (*text >= L'A' && *text <= L'Z') *text = *text - L'A' + L'a';
    }
}

SetupApp::SetupApp() : mutex_(L"Arrayvane") { std::memset(&config_, 0, sizeof config_); }

namespace {
bool ReadOwnFolder(wchar_t (&programPath)[kPathChars], wchar_t (&sourceDir)[kPathChars]) {
    DWORD length = ::GetModuleFileNameW(nullptr, programPath, kPathChars);
    if (length == 0 || length >= kPathChars) return false;
    GetDirectoryPart(programPath, sourceDir);
    return true;
}
} // namespace

bool SetupApp::InitInstance() {
    // First, so that a silent run never shows a box, not even for a
    // failure before it has chosen what to do.
    SetupCommandLine commandLine;
    fw::WalkCommandLine(commandLine);
    mode_ = ChooseRunMode(commandLine);
    SetFailuresSilent(IsSilentRun(mode_));
    UninstallMode = IsUninstallRun(mode_) ? 1 : 0;
    // Every run leaves a log; a place that cannot be used never stops it.
    OpenRunLog(UninstallMode == 1, commandLine.logGiven ? commandLine.logPath : nullptr);

    wchar_t programPath[kPathChars] = {};
    wchar_t sourceDir[kPathChars] = {};
    const bool ownFolderKnown = ReadOwnFolder(programPath, sourceDir);
    // Another copy is at work: this one did nothing, which a deployment
    // tool must not take for success.
    if (!mutex_.Acquire()) {
        // For the product's name in the closing event only.
        if (ownFolderKnown) ReadSetupConfig(sourceDir, config_);
        LogRunHeader(config_, mode_);
        LogLine(L"Another copy of the installer is at work (its mutex is held): this one ends");
        SetExitCode(kExitAlreadyRunning);
        return false;
    }
    if (!ownFolderKnown) {
        ShowFailure(L"Fail to get the installer's own path!", ::GetLastError());
        SetExitCode(kExitFailed);
        return false;
    }
    LowerCaseAscii(programPath);

    IsWow64 = DetectWow64();
    IsNt6 = IsNt6Platform();
    if (IsNt6) MarkCompatibilityPersisted(programPath);

    ReadSetupConfig(sourceDir, config_);
    LogRunHeader(config_, mode_);
    if (RunLogProblem()[0]) {
        LogLine(L"The log could not go to %s", RunLogProblem());
        ReportLogPathEvent(config_.AppName, RunLogProblem());
    }
    // A run killed half-way left a journal: the earlier installation goes
    // back in place before this run does its own job.
    RecoverInterruptedInstall(sourceDir, config_);

    switch (mode_) {
    case RunMode::SilentInstall:
        SetExitCode(SilentInstall(sourceDir));
        return false;
    case RunMode::SilentUninstall:
        // As after the uninstall wizard: exit starts the self-delete
        // script once the product is gone.
        SetExitCode(SilentUninstall(sourceDir));
        uninstallRan_ = true;
        procedureFailed_ = !IsSuccessCode(static_cast<DWORD>(ExitCode()));
        return false;
    case RunMode::UninstallWizard:
    case RunMode::InstallWizard:
        break;
    }
    RunWizard(sourceDir, programPath);
    return false;
}

void SetupApp::RunWizard(const wchar_t* sourceDir, const wchar_t* lowerCasedPath) {
    LanguageModule = LoadLanguageModule(lowerCasedPath);
    // Without its texts the wizard cannot be shown; ending without a word
    // would look like success.
    if (!LanguageModule) {
        ShowFailure(L"Fail to load the language resource module!", ::GetLastError());
        SetExitCode(kExitFailed);
        return;
    }

    // Screen readers reach the controls' accessible objects through COM.
    // The apartment is left to the end of the process: uninitializing it
    // tears down the objects' stubs while the reader's last call (the one
    // that pressed Finish) may still be completing, and Wine's RPC can then
    // wait for that call for good, leaving the run without an end.
    ::CoInitialize(nullptr);
    // The template's progress bar needs its window class before the dialog is made.
    LoadCommonControls();
    WizardDialog wizard(sourceDir, UninstallMode, LanguageModule, nullptr);
    INT_PTR result = wizard.DoModal();
    // No wizard was shown (a session without a desktop, a damaged
    // template): the run did nothing, which must not read as success.
    if (result == -1) {
        ShowFailure(L"Fail to show the wizard!", ::GetLastError());
        SetExitCode(kExitFailed);
        return;
    }
    uninstallRan_ = wizard.UninstallProcedureRan();
    procedureFailed_ = wizard.ProcedureFailed();
    SetExitCode(ExitCodeOf(wizard.Outcome()));
    restartChosen_ = result == IDOK && wizard.RestartChosen();
    LaunchAfterFinish = result == IDOK && wizard.LaunchChosen() ? 1 : 0;
    if (LaunchAfterFinish == 1) LaunchApplication(sourceDir, nullptr);
}

// Last, once the self-delete script runs and the run's event is reported:
// the restart ends this process too. A refusal leaves the run as it was,
// still awaiting its restart (3010).
void SetupApp::RestartWindows() {
    LogLine(L"Restart: the user chose to restart now; asking Windows");
    FlushRunLog();
    const DWORD error = RequestRestart();
    if (!error) return;
    LogWindowsError(error, L"Restart: Windows refused it");
    wchar_t words[512];
    WindowsErrorText(error, words, 512);
    wchar_t text[640];
    ::wsprintfW(text, L"Windows did not restart the computer: %s", words);
    ShowFailureBox(text);
}

int SetupApp::ExitInstance() {
    mutex_.Release();
    if (LanguageModule) {
        ::FreeLibrary(LanguageModule);
        LanguageModule = nullptr;
    }
    // A run that never uninstalled (cancelled, or no language module), or
    // whose uninstall failed, must leave the uninstaller of an installation
    // that stays in place.
    if (UninstallMode == 1 && uninstallRan_ && !procedureFailed_) WriteSelfDeleteScript(config_);
    const int exitCode = WinApp::ExitInstance();
    ReportRunEndEvent(config_.AppName, config_.Version, UninstallMode == 1, IsSilentRun(mode_),
                      static_cast<DWORD>(exitCode));
    if (restartChosen_) RestartWindows();
    CloseRunLog(OutcomeOfExitCode(static_cast<DWORD>(exitCode)), static_cast<DWORD>(exitCode));
    return exitCode;
}
