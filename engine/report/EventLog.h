#pragma once
#include <windows.h>

#include "engine/config/SetupConfig.h"

// Every run reports to the Application log under this source: one error
// event per failure, with its text, and one closing event. Without a
// registered source the events are still written; Event Viewer then only
// lacks their texts.
extern const wchar_t kEventSource[];

void ReportFailureEvent(const wchar_t* text);

// The closing event: information when the run did its job (exit code 0),
// an error otherwise, naming the product, its version, the run and the code.
// It and the events below it end with the run log's path.
void ReportRunEndEvent(const wchar_t* product, const wchar_t* version, bool uninstall, bool silent,
                       DWORD exitCode);

// "install", "uninstall", "silent install" or "silent uninstall".
const wchar_t* RunName(bool uninstall, bool silent);

// The value in decimal digits.
void DecimalText(DWORD value, wchar_t (&out)[11]);

// After a failed install was undone: the earlier installation is back,
// or (a first install) nothing of it is left.
void ReportRollbackEvent(const wchar_t* product, bool earlierInstallation);

// A run that did its job but for files held by other programs, which the
// next restart replaces (install) or deletes (removal): one per line.
void ReportRestartEvent(const wchar_t* product, bool removal, const wchar_t* files);

// An install refused because the installed version is newer.
void ReportNewerInstalledEvent(const wchar_t* product, const wchar_t* installed, const wchar_t* medium);

// The log could not go where the command line's /log= said (`problem`:
// the path and why, in words); it went to the temporary folder.
void ReportLogPathEvent(const wchar_t* product, const wchar_t* problem);

// The source's key under HKEY_LOCAL_MACHINE.
extern const wchar_t kEventSourceKey[];

// Registers the source with the installed uninstaller as its message file.
bool RegisterEventLogSource(const SetupConfig& config);
// Removes the source if it is this installation's (another installation of
// the product under another folder may have registered it since).
void RemoveEventLogSource(const SetupConfig& config);
