#include "app/SetupApp.h"

#include <cstring>

#include "app/AppGlobals.h"
#include "app/LanguageModule.h"
#include "app/RunMode.h"
#include "app/SetupCommandLine.h"
#include "engine/Compat.h"
#include "engine/Install.h"
#include "engine/Messages.h"
#include "engine/Platform.h"
#include "engine/SelfDeleteScript.h"
#include "wizard/WizardDialog.h"

namespace {
// The exit codes: 0 when the run did its job.
constexpr int kExitFailed = 1;
// As Windows Installer reports another install in progress.
constexpr int kExitAlreadyRunning = 1618;
} // namespace

void LowerCaseAscii(wchar_t* text) {
    for (; *text; ++text) {
        if (*text >= L'A' && *text <= L'Z') *text = *text - L'A' + L'a';
    }
}

SetupApp::SetupApp() : mutex_(L"Arrayvane") { std::memset(&config_, 0, sizeof config_); }

bool SetupApp::InitInstance() {
    // Another copy is at work: this one did nothing, which a deployment
    // tool must not take for success.
    if (!mutex_.Acquire()) {
        SetExitCode(kExitAlreadyRunning);
        return false;
    }

    wchar_t programPath[kPathChars] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, programPath, kPathChars);
    if (length == 0 || length >= kPathChars) {
        ShowFailure(L"Fail to get the installer's own path!");
        SetExitCode(kExitFailed);
        return false;
    }
    wchar_t sourceDir[kPathChars];
    GetDirectoryPart(programPath, sourceDir);
    LowerCaseAscii(programPath);

    SetupCommandLine commandLine;
    fw::WalkCommandLine(commandLine);

    IsWow64 = DetectWow64();
    IsNt6 = IsNt6Platform();
    if (IsNt6) MarkCompatibilityPersisted(programPath);

    ReadSetupConfig(sourceDir, config_);

    UninstallMode = 0;
    switch (ChooseRunMode(commandLine)) {
    case RunMode::SilentInstall:
        SetExitCode(SilentInstall(sourceDir));
        return false;
    case RunMode::UninstallWizard:
        UninstallMode = 1;
        break;
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
        ShowFailure(L"Fail to load the language resource module!");
        SetExitCode(kExitFailed);
        return;
    }

    WizardDialog wizard(sourceDir, UninstallMode, nullptr);
    INT_PTR result = wizard.DoModal();
    uninstallRan_ = wizard.UninstallProcedureRan();
    procedureFailed_ = wizard.ProcedureFailed();
    if (procedureFailed_) SetExitCode(kExitFailed);
    if (result == IDOK && LaunchAfterFinish == 1) LaunchApplication(sourceDir, nullptr);
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
    return WinApp::ExitInstance();
}
