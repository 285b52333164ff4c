#include "engine/system/Registry.h"

#include "engine/report/Messages.h"
#include "engine/report/SetupLog.h"
#include "engine/config/Platform.h"
#include "framework/Handle.h"
#include "framework/RegKey.h"

namespace {

// A program path in quotes and a few short argument words after it.
constexpr size_t kCommandChars = kPathChars + 24;

const wchar_t kUninstallStringFailure[] = L"Fail to write the UninstallString registry key!";

// Null: the real RegSetValueExW.
RegistryValueWriter setValue = nullptr;

LONG SetString(HKEY key, const wchar_t* name, const wchar_t* text) {
    // The byte count includes the terminating NUL.
    DWORD bytes = static_cast<DWORD>((::lstrlenW(text) + 1) * sizeof(wchar_t));
    RegistryValueWriter write = setValue ? setValue : &::RegSetValueExW;
    return write(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

// The program in quotes, so that a folder with spaces in its name cannot
// be read as another program followed by arguments.
template <size_t N>
bool ComposeCommand(wchar_t (&command)[N], const wchar_t* program, const wchar_t* argument) {
    return FormatPath(command, L"\"%s\" %s", program, argument);
}

} // namespace

bool UninstallKeyPath(const SetupConfig& config, wchar_t (&keyPath)[kKeyPathChars]) {
    // The key is named by the folder; an empty or compound name would reach
    // the Uninstall key itself or another program's entry.
    return IsPlainName(config.APPFolderName) &&
           FormatPath(keyPath, L"%sUninstall\\%s", RegistryKeyPrefix(IsWow64), config.APPFolderName);
}

bool RunKeyPath(wchar_t (&keyPath)[kKeyPathChars]) {
    return FormatPath(keyPath, L"%sRun", RegistryKeyPrefix(IsWow64));
}

namespace {

void WriteRunValue(const SetupConfig& config) {
    wchar_t keyPath[kKeyPathChars];
    fw::RegKey run;
    if (!RunKeyPath(keyPath) ||
        run.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_WRITE) != ERROR_SUCCESS) {
        return;
    }
    wchar_t program[kPathChars];
    wchar_t command[kCommandChars];
    LONG result = ERROR_SUCCESS;
    bool written = FormatPath(program, L"%s\\%s", config.InstallDir, config.APPFileName) &&
                   ComposeCommand(command, program, L"min") &&
                   (result = SetString(run.Get(), config.AppName, command)) == ERROR_SUCCESS;
    if (!written) ShowFailure(L"Fail to write the Run registry key!", static_cast<DWORD>(result));
    else LogLine(L"Registry value HKLM\\%s\\%s = \"%s\"", keyPath, config.AppName, command);
}

struct EntryValue {
    const wchar_t* name;
    const wchar_t* data;
    const wchar_t* failure;  // null: the value's result is not looked at
};

// Writes the values in order; the first checked one that fails ends it.
template <size_t N>
bool WriteEntryValues(HKEY key, const EntryValue (&values)[N]) {
    for (const EntryValue& value : values) {
        const LONG result = SetString(key, value.name, value.data);
        if (result == ERROR_SUCCESS) LogLine(L"Registry value %s = \"%s\"", value.name, value.data);
        else LogWindowsError(static_cast<DWORD>(result), L"Registry value %s could not be written", value.name);
        if (result == ERROR_SUCCESS || !value.failure) continue;
        ShowFailure(value.failure, static_cast<DWORD>(result));
        return false;
    }
    return true;
}

bool WriteUninstallEntry(const SetupConfig& config, const wchar_t* keyPath) {
    wchar_t uninstaller[kPathChars];
    wchar_t command[kCommandChars];
    // A path that does not fit fails its value before the key is made, so
    // no empty entry is left behind.
    if (!FormatPath(uninstaller, L"%s\\Uninstall\\setup.exe", config.InstallDir) ||
        !ComposeCommand(command, uninstaller, L"delpkg")) {
        ShowFailure(kUninstallStringFailure, ERROR_SUCCESS);
        return false;
    }
    // What deployment tools run to remove the product without a window.
    wchar_t quietCommand[kCommandChars];
    if (!ComposeCommand(quietCommand, uninstaller, L"delpkg SilentDel")) quietCommand[0] = 0;
    fw::RegKey key;
    const LONG created = key.Create(HKEY_LOCAL_MACHINE, keyPath, KEY_WRITE);
    if (created != ERROR_SUCCESS) {
        LogWindowsError(static_cast<DWORD>(created), L"Registry key HKLM\\%s could not be made", keyPath);
        return false;
    }
    LogLine(L"Registry key HKLM\\%s", keyPath);
    const EntryValue values[] = {
        {L"UninstallString", command, kUninstallStringFailure},
        {L"DisplayName", config.AppName, L"Fail to write the DisplayName registry key!"},
        {L"DisplayIcon", uninstaller, L"Fail to write the DisplayIcon registry key!"},
        {L"Publisher", config.CompanyName, nullptr},
        {L"DisplayVersion", config.Version, L"Fail to write the DisplayVersion registry key!"},
        {L"QuietUninstallString", quietCommand, nullptr},
        {L"InstallLocation", config.InstallDir, nullptr},
    };
    return WriteEntryValues(key.Get(), values);
}

void RemoveUninstallEntry(const SetupConfig& config, const wchar_t* prefix) {
    wchar_t keyPath[kKeyPathChars];
    fw::RegKey parent;
    if (IsPlainName(config.APPFolderName) && FormatPath(keyPath, L"%sUninstall", prefix) &&
        parent.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_WRITE) == ERROR_SUCCESS) {
        ::RegDeleteKeyW(parent.Get(), config.APPFolderName);
    }
}

void RemoveRunValue(const SetupConfig& config, const wchar_t* prefix) {
    wchar_t keyPath[kKeyPathChars];
    fw::RegKey run;
    if (FormatPath(keyPath, L"%sRun", prefix) &&
        run.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_WRITE) == ERROR_SUCCESS) {
        ::RegDeleteValueW(run.Get(), config.AppName);
    }
}

} // namespace

void WriteEstimatedSize(const SetupConfig& config, DWORD kilobytes) {
    wchar_t keyPath[kKeyPathChars];
    fw::RegKey key;
    if (!UninstallKeyPath(config, keyPath) || key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    key.SetDword(L"EstimatedSize", kilobytes);
    LogLine(L"Registry value EstimatedSize = %lu (KB)", kilobytes);
}

void SetRegistryValueWriter(RegistryValueWriter writer) {
    setValue = writer;
}

const wchar_t* RegistryKeyPrefix(int wow64) {
    return wow64 ? L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
                 : L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
}

bool WriteRegistryEntries(const SetupConfig& config) {
    wchar_t keyPath[kKeyPathChars];
    if (!config.InstallDir[0] || !UninstallKeyPath(config, keyPath)) return false;
    if (!IsNt6) WriteRunValue(config);
    return WriteUninstallEntry(config, keyPath);
}

void RemoveRegistryEntries(const SetupConfig& config) {
    const wchar_t* prefix = RegistryKeyPrefix(IsWow64);
    RemoveUninstallEntry(config, prefix);
    if (!IsNt6) RemoveRunValue(config, prefix);
    LogLine(L"Registry: the uninstall entry%s removed", IsNt6 ? L"" : L" and the Run value");
}

bool UninstallEntryExists(const SetupConfig& config) {
    wchar_t keyPath[kKeyPathChars];
    fw::RegKey key;
    return UninstallKeyPath(config, keyPath) &&
           key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ) == ERROR_SUCCESS;
}

bool ReadInstalledVersion(const SetupConfig& config, wchar_t (&version)[kVersionChars]) {
    version[0] = L'\0';
    wchar_t keyPath[kKeyPathChars];
    fw::RegKey key;
    DWORD type = 0, bytes = sizeof version - sizeof(wchar_t);
    if (!UninstallKeyPath(config, keyPath) || key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ) != ERROR_SUCCESS ||
        ::RegQueryValueExW(key.Get(), L"DisplayVersion", nullptr, &type, reinterpret_cast<BYTE*>(version), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        version[0] = L'\0';
        return false;
    }
    version[bytes / sizeof(wchar_t)] = L'\0';
    return true;
}
