#pragma once

class SetupCommandLine;

enum class RunMode { InstallWizard, UninstallWizard, SilentInstall };

// delpkg wins over s; SilentDel and other words choose nothing.
RunMode ChooseRunMode(const SetupCommandLine& commandLine);
