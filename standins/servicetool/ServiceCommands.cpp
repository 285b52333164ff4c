#include "standins/servicetool/ServiceCommands.h"

#include <string>

#include "standins/common/ModulePath.h"
#include "standins/servicetool/ScHandle.h"
#include "standins/servicetool/ServiceName.h"

namespace {

// How long "-k" waits for the service to report that it has stopped.
constexpr DWORD kStopWaitMs = 10000;
constexpr DWORD kStopPollMs = 100;

ScHandle OpenManager(DWORD access) {
    return ScHandle(::OpenSCManagerW(nullptr, nullptr, access));
}

ScHandle OpenOurService(DWORD access) {
    ScHandle manager = OpenManager(SC_MANAGER_CONNECT);
    if (!manager) return ScHandle();
    return ScHandle(::OpenServiceW(manager.Get(), ServiceName().c_str(), access));
}

// AV_STANDIN_SERVICE_STOP_MS where "-i" runs: the service then takes that
// long to stop, as one that saves its state would. It reaches the service
// on its command line, since the SCM does not pass the caller's
// environment on.
std::wstring StopDelayArg() {
    wchar_t delay[16];
    DWORD length = ::GetEnvironmentVariableW(L"AV_STANDIN_SERVICE_STOP_MS", delay, 16);
    return length > 0 && length < 16 ? std::wstring(L" ") + delay : std::wstring();
}

// Quoted, so that a folder with spaces cannot start a different program.
std::wstring ServiceBinary() {
    return L"\"" + OwnPath() + L"\" " + kServiceModeArg + L" \"" + ServiceName() + L"\"" + StopDelayArg();
}

// AV_STANDIN_STOP_AT_ONCE: "-k" asks the service to stop and returns
// without waiting for it, as many real tools do.
bool StopsAtOnce() { return ::GetEnvironmentVariableW(L"AV_STANDIN_STOP_AT_ONCE", nullptr, 0) > 0; }

ScHandle CreateOrUpdate(const std::wstring& binary) {
    ScHandle manager = OpenManager(SC_MANAGER_CREATE_SERVICE);
    if (!manager) return ScHandle();
    // Started on demand by "-i", not at boot: a copy left registered after a
    // removal went wrong does not come back by itself.
    ScHandle service(::CreateServiceW(manager.Get(), ServiceName().c_str(), kServiceDisplayName,
                                      SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                      SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binary.c_str(),
                                      nullptr, nullptr, nullptr, nullptr, nullptr));
    if (service || ::GetLastError() != ERROR_SERVICE_EXISTS) return service;
    ScHandle existing(::OpenServiceW(manager.Get(), ServiceName().c_str(), SERVICE_ALL_ACCESS));
    if (!existing) return existing;
    if (!::ChangeServiceConfigW(existing.Get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                SERVICE_NO_CHANGE, binary.c_str(), nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr)) {
        return ScHandle();
    }
    return existing;
}

bool IsStopped(SC_HANDLE service) {
    SERVICE_STATUS status = {};
    return ::QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED;
}

HANDLE OpenServiceProcess(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                sizeof status, &needed) ||
        status.dwProcessId == 0) {
        return nullptr;
    }
    return ::OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId);
}

} // namespace

bool InstallService() {
    ScHandle service = CreateOrUpdate(ServiceBinary());
    if (!service) return false;
    return ::StartServiceW(service.Get(), 0, nullptr) ||
           ::GetLastError() == ERROR_SERVICE_ALREADY_RUNNING;
}

bool StopService() {
    ScHandle service = OpenOurService(SERVICE_STOP | SERVICE_QUERY_STATUS);
    if (!service) return false;
    HANDLE serviceProcess = OpenServiceProcess(service.Get());
    SERVICE_STATUS status = {};
    bool stopped = ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status) ||
                   ::GetLastError() == ERROR_SERVICE_NOT_ACTIVE;
    DWORD start = ::GetTickCount();
    while (stopped && !StopsAtOnce() && !IsStopped(service.Get())) {
        if (::GetTickCount() - start > kStopWaitMs) stopped = false;
        else ::Sleep(kStopPollMs);
    }
    // The service's process still holds this program's file until it ends.
    if (serviceProcess) {
        if (stopped && !StopsAtOnce()) ::WaitForSingleObject(serviceProcess, kStopWaitMs);
        ::CloseHandle(serviceProcess);
    }
    return stopped;
}

bool RemoveService() {
    ScHandle service = OpenOurService(DELETE);
    return service && ::DeleteService(service.Get());
}
