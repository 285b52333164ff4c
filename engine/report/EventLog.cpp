#include "engine/report/EventLog.h"

#include "engine/config/Outcome.h"
#include "engine/config/Paths.h"
#include "engine/report/SetupLog.h"
#include "framework/RegKey.h"
#include "messages.h"

const wchar_t kEventSource[] = L"Arrayvane Setup";

const wchar_t kEventSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Arrayvane Setup";

namespace {

void Report(WORD type, DWORD id, WORD count, const wchar_t** strings) {
    HANDLE log = ::RegisterEventSourceW(nullptr, kEventSource);
    if (!log) return;
    ::ReportEventW(log, type, 0, id, nullptr, count, 0, strings, nullptr);
    ::DeregisterEventSource(log);
}

// The closing events end with the log's path, so that an administrator who
// finds the event finds the log.
const wchar_t* LogNamed() {
    const wchar_t* path = RunLogPath();
    return path[0] ? path : L"(none could be written)";
}

template <size_t N>
bool MessageFileOf(const SetupConfig& config, wchar_t (&path)[N]) {
    return config.InstallDir[0] && FormatPath(path, L"%s\\Uninstall\\setup.exe", config.InstallDir);
}

} // namespace

const wchar_t* RunName(bool uninstall, bool silent) {
    if (uninstall) return silent ? L"silent uninstall" : L"uninstall";
    return silent ? L"silent install" : L"install";
}

void ReportFailureEvent(const wchar_t* text) {
    const wchar_t* strings[] = {text, LogNamed()};
    Report(EVENTLOG_ERROR_TYPE, MSG_SETUP_FAILURE, 2, strings);
}

void ReportRunEndEvent(const wchar_t* product, const wchar_t* version, bool uninstall, bool silent,
                       DWORD exitCode) {
    wchar_t code[11];
    ::wsprintfW(code, L"%lu", exitCode);
    const wchar_t* strings[] = {product, version, RunName(uninstall, silent), code, LogNamed()};
    const bool succeeded = IsSuccessCode(exitCode);
    Report(succeeded ? EVENTLOG_INFORMATION_TYPE : EVENTLOG_ERROR_TYPE,
           succeeded ? MSG_RUN_SUCCEEDED : MSG_RUN_FAILED, 5, strings);
}

void ReportRollbackEvent(const wchar_t* product, bool earlierInstallation) {
    const wchar_t* strings[] = {product, LogNamed()};
    Report(EVENTLOG_WARNING_TYPE, earlierInstallation ? MSG_INSTALL_RESTORED : MSG_INSTALL_UNDONE, 2, strings);
}

void ReportRestartEvent(const wchar_t* product, bool removal, const wchar_t* files) {
    const wchar_t* strings[] = {product, removal ? L"removal" : L"installation", files, LogNamed()};
    Report(EVENTLOG_WARNING_TYPE, MSG_RESTART_PENDING, 4, strings);
}

void ReportNewerInstalledEvent(const wchar_t* product, const wchar_t* installed, const wchar_t* medium) {
    const wchar_t* strings[] = {product, installed, medium, LogNamed()};
    Report(EVENTLOG_ERROR_TYPE, MSG_NEWER_INSTALLED, 4, strings);
}

void ReportLogPathEvent(const wchar_t* product, const wchar_t* problem) {
    const wchar_t* strings[] = {product, problem, LogNamed()};
    Report(EVENTLOG_WARNING_TYPE, MSG_LOG_PATH_UNUSABLE, 3, strings);
}

bool RegisterEventLogSource(const SetupConfig& config) {
    wchar_t messageFile[kPathChars];
    fw::RegKey key;
    if (!MessageFileOf(config, messageFile) ||
        key.Create(HKEY_LOCAL_MACHINE, kEventSourceKey, KEY_WRITE) != ERROR_SUCCESS) {
        return false;
    }
    // REG_SZ, not REG_EXPAND_SZ: a "%" in the folder's name is not a variable.
    const DWORD bytes = static_cast<DWORD>((::lstrlenW(messageFile) + 1) * sizeof(wchar_t));
    const bool written =
        ::RegSetValueExW(key.Get(), L"EventMessageFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(messageFile),
                         bytes) == ERROR_SUCCESS &&
        key.SetDword(L"TypesSupported",
                     EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE) == ERROR_SUCCESS;
    LogLine(L"Registry key HKLM\\%s: EventMessageFile = \"%s\", TypesSupported = 7%s", kEventSourceKey, messageFile,
            written ? L"" : L" (not written)");
    return written;
}

void RemoveEventLogSource(const SetupConfig& config) {
    wchar_t messageFile[kPathChars], registered[kPathChars] = {};
    if (!MessageFileOf(config, messageFile)) return;
    {
        fw::RegKey key;
        DWORD type = 0, bytes = sizeof registered - sizeof(wchar_t);
        if (key.Open(HKEY_LOCAL_MACHINE, kEventSourceKey, KEY_READ) != ERROR_SUCCESS ||
            ::RegQueryValueExW(key.Get(), L"EventMessageFile", nullptr, &type, reinterpret_cast<BYTE*>(registered),
                               &bytes) != ERROR_SUCCESS ||
            ::lstrcmpiW(registered, messageFile) != 0) {
            return;
        }
    }
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEventSourceKey);
}
