#include "engine/system/Waits.h"

#include <memory>

#include "engine/config/Paths.h"
#include "engine/report/SetupLog.h"
#include "framework/Handle.h"

namespace {

// Where nothing can be waited on (no process handle, a registration), the
// state is asked for again this often.
constexpr DWORD kPollMs = 50;

class Deadline {
public:
    explicit Deadline(DWORD boundMs) : start_(::GetTickCount()), boundMs_(boundMs) {}
    DWORD Elapsed() const { return ::GetTickCount() - start_; }
    DWORD Left() const { return Elapsed() < boundMs_ ? boundMs_ - Elapsed() : 0; }
    bool Passed() const { return Left() == 0; }
    void Pause() const { ::Sleep(Left() < kPollMs ? Left() : kPollMs); }

private:
    DWORD start_, boundMs_;
};

// Services' names are at most 256 characters.
constexpr size_t kServiceNameChars = 257;

struct FoundService {
    wchar_t name[kServiceNameChars];
    SERVICE_STATUS_PROCESS status;
};

// Reads a service's configuration and status; false when it cannot be
// opened (gone meanwhile) or read. The handle is closed before it returns:
// a service marked for deletion stays while any handle to it is open.
bool ReadService(SC_HANDLE manager, const wchar_t* name, const wchar_t* folder, bool& inFolder,
                 SERVICE_STATUS_PROCESS& status) {
    fw::ServiceHandle service(::OpenServiceW(manager, name, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS));
    if (!service) return false;
    DWORD needed = 0;
    ::QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
    if (needed == 0) return false;
    std::unique_ptr<BYTE[]> bytes(new BYTE[needed]);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(bytes.get());
    if (!::QueryServiceConfigW(service.Get(), config, needed, &needed)) return false;
    inFolder = config->lpBinaryPathName && IsServiceIn(config->lpBinaryPathName, folder);
    return ::QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                  sizeof status, &needed) != FALSE;
}

// More of them than this in one folder are not looked for.
constexpr int kMostServices = 8;

// Fills `found` with the registered services whose programs lie in
// `folder`, with their status; their count, -1 when the manager cannot be
// asked.
int FindServicesIn(const wchar_t* folder, FoundService (&found)[kMostServices]) {
    fw::ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager) return -1;
    DWORD size = 16384, resume = 0;
    std::unique_ptr<BYTE[]> bytes(new BYTE[size]);
    int total = 0;
    for (;;) {
        DWORD needed = 0, count = 0;
        const BOOL last = ::EnumServicesStatusExW(manager.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32,
                                                  SERVICE_STATE_ALL, bytes.get(), size, &needed, &count, &resume,
                                                  nullptr);
        if (!last && ::GetLastError() != ERROR_MORE_DATA) return -1;
        const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(bytes.get());
        for (DWORD i = 0; i < count && total < kMostServices; ++i) {
            FoundService& service = found[total];
            bool inFolder = false;
            if (CopyText(service.name, kServiceNameChars, entries[i].lpServiceName) &&
                ReadService(manager.Get(), service.name, folder, inFolder, service.status) && inFolder)
                ++total;
        }
        if (last) return total;
        // Not even one entry fitted: a larger buffer, from where it stopped.
        if (count == 0 && needed <= size) return -1;
        if (count == 0) bytes.reset(new BYTE[size = needed]);
    }
}

bool Ended(const SERVICE_STATUS_PROCESS& status) {
    return status.dwCurrentState == SERVICE_STOPPED && status.dwProcessId == 0;
}

// The status of one service now; false when it is no longer registered.
bool StatusOf(const wchar_t* name, SERVICE_STATUS_PROCESS& status) {
    fw::ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return false;
    fw::ServiceHandle service(::OpenServiceW(manager.Get(), name, SERVICE_QUERY_STATUS));
    DWORD needed = 0;
    return service && ::QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                             sizeof status, &needed);
}

// Waits until the service has stopped and its process has ended: on the
// process where it can be opened, otherwise by asking its state again.
bool WaitForServiceToEnd(const FoundService& service, const Deadline& deadline) {
    SERVICE_STATUS_PROCESS status = service.status;
    const DWORD processId = status.dwProcessId;
    fw::Handle process(processId ? ::OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr);
    for (;;) {
        if (process.IsValid() && ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) return true;
        if (!StatusOf(service.name, status) || Ended(status)) return true;
        // A process id that now names another run of the service (it was
        // started again meanwhile) is not the one opened.
        if (process.IsValid() && status.dwProcessId != processId) process.Reset();
        if (deadline.Passed()) return false;
        if (process.IsValid()) ::WaitForSingleObject(process.Get(), deadline.Left());
        else deadline.Pause();
    }
}

} // namespace

bool ServiceProgramOf(const wchar_t* binaryPath, wchar_t* out, size_t chars) {
    out[0] = L'\0';
    const wchar_t* begin = binaryPath;
    const wchar_t* end = nullptr;
    if (*begin == L'"') {
        end = ++begin;
        while (*end && *end != L'"') ++end;
    } else {
        for (const wchar_t* at = begin; *at && !end; ++at) {
            if ((at[1] == L' ' || at[1] == L'\0') && at + 1 - begin >= 4 &&
                ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, at - 3, 4, L".exe", 4) == CSTR_EQUAL)
                end = at + 1;
        }
        if (!end) {
            end = begin;
            while (*end && *end != L' ') ++end;
        }
    }
    const size_t length = static_cast<size_t>(end - begin);
    if (length == 0 || length >= chars) return false;
    ::lstrcpynW(out, begin, static_cast<int>(length + 1));
    return true;
}

bool IsServiceIn(const wchar_t* binaryPath, const wchar_t* folder) {
    wchar_t program[kPathChars];
    if (!ServiceProgramOf(binaryPath, program, kPathChars)) return false;
    const wchar_t* inside = PathInside(program, folder);
    return inside && inside[0];
}

void WaitForServicesToStop(const wchar_t* installDir, DWORD boundMs) {
    const Deadline deadline(boundMs);
    FoundService services[kMostServices];
    const int count = FindServicesIn(installDir, services);
    for (int i = 0; i < count; ++i) {
        const FoundService& service = services[i];
        if (Ended(service.status)) continue;
        const DWORD start = ::GetTickCount(), processId = service.status.dwProcessId;
        if (WaitForServiceToEnd(service, deadline))
            LogLine(L"Waited %lu ms for the service \"%s\" (process %lu) to stop and its process to end",
                    ::GetTickCount() - start, service.name, processId);
        else
            LogLine(L"The service \"%s\" (process %lu) was still running when the %lu ms bound passed",
                    service.name, processId, boundMs);
    }
}

void WaitForServicesToGo(const wchar_t* installDir, DWORD boundMs) {
    const Deadline deadline(boundMs);
    FoundService services[kMostServices];
    const int first = FindServicesIn(installDir, services);
    if (first <= 0) return;
    for (int count = first; count > 0; count = FindServicesIn(installDir, services)) {
        if (deadline.Passed()) {
            LogLine(L"The service \"%s\" was still registered when the %lu ms bound passed", services[0].name,
                    boundMs);
            return;
        }
        deadline.Pause();
    }
    LogLine(L"Waited %lu ms for the services of the folder to be removed", deadline.Elapsed());
}

bool WaitForProcessToEnd(HANDLE process, DWORD boundMs, const wchar_t* what) {
    const Deadline deadline(boundMs);
    if (::WaitForSingleObject(process, boundMs) == WAIT_OBJECT_0) {
        LogLine(L"Waited %lu ms for %s to end", deadline.Elapsed(), what);
        return true;
    }
    LogLine(L"Still running when the %lu ms bound passed: %s", boundMs, what);
    return false;
}
