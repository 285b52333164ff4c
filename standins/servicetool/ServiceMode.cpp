#include "standins/servicetool/ServiceMode.h"

#include <windows.h>

#include <string>

#include "framework/Handle.h"

namespace {

// The SCM calls back without a context, so the one service of this process
// keeps its state here.
SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopEvent = nullptr;
SERVICE_STATUS status = {};
std::wstring serviceName;
DWORD stopDelayMs = 0;

void Report(DWORD state) {
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = NO_ERROR;
    ::SetServiceStatus(statusHandle, &status);
}

void WINAPI OnControl(DWORD control) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        Report(SERVICE_STOP_PENDING);
        ::SetEvent(stopEvent);
        return;
    default:
        Report(status.dwCurrentState);
    }
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
    statusHandle = ::RegisterServiceCtrlHandlerW(serviceName.c_str(), &OnControl);
    if (!statusHandle) return;
    fw::Handle stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    stopEvent = stop.Get();
    Report(SERVICE_RUNNING);
    ::WaitForSingleObject(stop.Get(), INFINITE);
    // Saving its state, while its program still holds its files.
    if (stopDelayMs) ::Sleep(stopDelayMs);
    Report(SERVICE_STOPPED);
}

} // namespace

bool RunAsService(const wchar_t* name, DWORD stopMs) {
    serviceName = name;
    stopDelayMs = stopMs;
    // The table wants a writable name; for a service of its own process
    // the SCM ignores it anyway.
    std::wstring tableName = serviceName;
    SERVICE_TABLE_ENTRYW table[] = {{&tableName[0], &ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) != FALSE;
}
