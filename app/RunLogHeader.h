#pragma once
#include "app/RunMode.h"
#include "engine/config/SetupConfig.h"

// The log's first lines: the product and the medium's version, the
// installer's path and file version, the command line, Windows and WOW64,
// the user and whether elevated, and InstallDir.
void LogRunHeader(const SetupConfig& config, RunMode mode);

// The words of an exit code, for the log's last line.
const wchar_t* OutcomeOfExitCode(DWORD exitCode);
