#include "app/RunMode.h"

#include "app/SetupCommandLine.h"

RunMode ChooseRunMode(const SetupCommandLine& commandLine) {
    if (commandLine.count < 1) return RunMode::InstallWizard;
    if (commandLine.delpkg) return commandLine.SilentDel ? RunMode::SilentUninstall : RunMode::UninstallWizard;
    if (commandLine.s) return RunMode::SilentInstall;
    return RunMode::InstallWizard;
}

bool IsSilentRun(RunMode mode) { return mode == RunMode::SilentInstall || mode == RunMode::SilentUninstall; }

bool IsUninstallRun(RunMode mode) { return mode == RunMode::UninstallWizard || mode == RunMode::SilentUninstall; }
