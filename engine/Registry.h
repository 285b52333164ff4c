#pragma once
#include "engine/SetupConfig.h"

// "SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\" under WOW64,
// else "SOFTWARE\Microsoft\Windows\CurrentVersion\".
const wchar_t* RegistryKeyPrefix(int wow64);

// Writes the uninstall entry and, before NT 6, the Run value under
// HKEY_LOCAL_MACHINE, showing the "Fail to write the ... registry key!"
// messages. Returns true when the uninstall entry was created and its
// checked values were all written.
bool WriteRegistryEntries(const SetupConfig& config);

// Removes the uninstall entry and, before NT 6, the Run value. Silent.
void RemoveRegistryEntries(const SetupConfig& config);

// True while the uninstall entry's key exists.
bool UninstallEntryExists(const SetupConfig& config);
