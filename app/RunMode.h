#pragma once

class SetupCommandLine;

enum class RunMode { InstallWizard, UninstallWizard, SilentInstall, SilentUninstall };

// delpkg wins over s; delpkg with SilentDel uninstalls without a window;
// SilentDel without delpkg, and other words, choose nothing.
RunMode ChooseRunMode(const SetupCommandLine& commandLine);

// The runs that must never show a window.
bool IsSilentRun(RunMode mode);
// The runs of the uninstaller.
bool IsUninstallRun(RunMode mode);
