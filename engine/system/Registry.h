#pragma once
#include <windows.h>

#include "engine/config/SetupConfig.h"

// "SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\" under WOW64,
// else "SOFTWARE\Microsoft\Windows\CurrentVersion\".
const wchar_t* RegistryKeyPrefix(int wow64);

constexpr size_t kKeyPathChars = 1024;

// The uninstall entry's key under HKEY_LOCAL_MACHINE, and the Run key.
// False when it cannot be composed (a folder name that is not plain).
bool UninstallKeyPath(const SetupConfig& config, wchar_t (&keyPath)[kKeyPathChars]);
bool RunKeyPath(wchar_t (&keyPath)[kKeyPathChars]);

// Writes the uninstall entry and, before NT 6, the Run value under
// HKEY_LOCAL_MACHINE, showing the "Fail to write the ... registry key!"
// messages. Returns true when the uninstall entry was created and its
// checked values were all written.
bool WriteRegistryEntries(const SetupConfig& config);

// The entry's EstimatedSize ("Programs and Features" shows it), in
// kilobytes. Silent.
void WriteEstimatedSize(const SetupConfig& config, DWORD kilobytes);

// Removes the uninstall entry and, before NT 6, the Run value. Silent.
void RemoveRegistryEntries(const SetupConfig& config);


// True while the uninstall entry's key exists.
bool UninstallEntryExists(const SetupConfig& config);

// The installed version: the uninstall entry's DisplayVersion. False when
// there is none (no entry, not a string, too long).
constexpr size_t kVersionChars = 64;
bool ReadInstalledVersion(const SetupConfig& config, wchar_t (&version)[kVersionChars]);

// Writes one registry value: RegSetValueExW unless a test puts in a writer
// that fails for a chosen value (the registry itself cannot be made to
// refuse one value of a key and accept the others). Null restores it.
using RegistryValueWriter = LONG(WINAPI*)(HKEY, const wchar_t*, DWORD, DWORD, const BYTE*, DWORD);
void SetRegistryValueWriter(RegistryValueWriter writer);
