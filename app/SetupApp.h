#pragma once
#include "app/RunMode.h"
#include "app/SingleInstance.h"
#include "engine/config/SetupConfig.h"
#include "framework/WinApp.h"

// The one application object. Start-up does all the work on the main
// thread and never runs a message loop of its own: the wizard's modal loop
// is the program's only one.
class SetupApp : public fw::WinApp {
public:
    SetupApp();

protected:
    bool InitInstance() override;
    int ExitInstance() override;

private:
    void RunWizard(const wchar_t* sourceDir, const wchar_t* lowerCasedPath);
    void RestartWindows();

    SingleInstance mutex_;
    SetupConfig config_;
    RunMode mode_ = RunMode::InstallWizard;
    int UninstallMode = 0;
    // Set once this run's uninstall procedure has run: only then may exit
    // remove the uninstaller's folder.
    bool uninstallRan_ = false;
    // Set when this run's procedure reported a failure.
    bool procedureFailed_ = false;
    // The wizard's user chose the restart that completes the procedure.
    bool restartChosen_ = false;
};

// Lower-cases the letters A to Z in place, leaving every other character.
void LowerCaseAscii(wchar_t* text);
