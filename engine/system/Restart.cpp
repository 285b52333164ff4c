#include "engine/system/Restart.h"

#include "framework/Handle.h"

namespace {

DWORD EnableShutdownPrivilege() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
        return ::GetLastError();
    fw::Handle token(raw);
    TOKEN_PRIVILEGES privileges = {1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        return ::GetLastError();
    // Succeeds without the privilege too, and says so only in the last
    // error (ERROR_NOT_ALL_ASSIGNED): the last error tells either way.
    ::SetLastError(ERROR_SUCCESS);
    ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
    return ::GetLastError();
}

} // namespace

DWORD RequestRestart() {
    if (DWORD error = EnableShutdownPrivilege()) return error;
    const DWORD reason = SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION | SHTDN_REASON_FLAG_PLANNED;
    return ::ExitWindowsEx(EWX_REBOOT, reason) ? ERROR_SUCCESS : ::GetLastError();
}
