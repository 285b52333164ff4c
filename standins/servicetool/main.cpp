#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "standins/common/CommandLog.h"
#include "standins/servicetool/ServiceCommands.h"
#include "standins/servicetool/ServiceMode.h"
#include "standins/servicetool/ServiceName.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitTimedOut = 4;
constexpr DWORD kCommandLifetimeMs = 60000;

using Command = bool (*)();

Command FindCommand(const wchar_t* word) {
    if (std::wcscmp(word, L"-i") == 0) return &InstallService;
    if (std::wcscmp(word, L"-k") == 0) return &StopService;
    if (std::wcscmp(word, L"-u") == 0) return &RemoveService;
    return nullptr;
}

// AV_STANDIN_DELAY_MS makes each command take that much longer, like a
// real tool that needs its time; only the one AV_STANDIN_DELAY_WORD names
// ("-i", say) where it is set.
void ActSlowlyWhenAsked(const wchar_t* word) {
    wchar_t only[8];
    DWORD onlyLength = ::GetEnvironmentVariableW(L"AV_STANDIN_DELAY_WORD", only, 8);
    if (onlyLength > 0 && (onlyLength >= 8 || std::wcscmp(only, word) != 0)) return;
    wchar_t delay[16];
    DWORD length = ::GetEnvironmentVariableW(L"AV_STANDIN_DELAY_MS", delay, 16);
    if (length > 0 && length < 16) ::Sleep(static_cast<DWORD>(std::wcstoul(delay, nullptr, 10)));
}

// A test marks a copy of the tool by appending one of these to its file:
// that copy's "-i" then fails, or never ends, as a broken tool would.
enum class Fault { None, InstallFails, InstallHangs };

Fault MarkedFault() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return Fault::None;
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fault::None;
    char tail[32] = {};
    DWORD read = 0;
    if (::SetFilePointer(file, -static_cast<LONG>(sizeof tail - 1), nullptr, FILE_END) != INVALID_SET_FILE_POINTER)
        ::ReadFile(file, tail, sizeof tail - 1, &read, nullptr);
    ::CloseHandle(file);
    auto endsWith = [&](const char* marker) {
        const DWORD size = static_cast<DWORD>(std::strlen(marker));
        return read >= size && std::memcmp(tail + read - size, marker, size) == 0;
    };
    if (endsWith("AV-FAULT:install-fails")) return Fault::InstallFails;
    if (endsWith("AV-FAULT:install-hangs")) return Fault::InstallHangs;
    return Fault::None;
}

DWORD WINAPI EndAfterLifetime(void*) {
    ::Sleep(kCommandLifetimeMs);
    ::ExitProcess(kExitTimedOut);
}

} // namespace

// Windowless, and without user32 at all: a service that loads it waits for
// a desktop, and where the service manager has none (Wine started without
// a display) the service would never answer it.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    LogCommandLine();
    if ((__argc == 3 || __argc == 4) && std::wcscmp(__wargv[1], kServiceModeArg) == 0) {
        const DWORD stopMs = __argc == 4 ? static_cast<DWORD>(std::wcstoul(__wargv[3], nullptr, 10)) : 0;
        return RunAsService(__wargv[2], stopMs) ? kExitOk : kExitFailed;
    }
    Command command = __argc == 2 ? FindCommand(__wargv[1]) : nullptr;
    if (!command) return kExitUsage;
    // No command of the stand-in outlives the tests that started it: an
    // installer killed by a test leaves its run orphaned, and under Wine a
    // service start racing a removal can wait for ever, holding the test
    // run's output open. Longer than the bounds the tests give the tool.
    ::CreateThread(nullptr, 0, &EndAfterLifetime, nullptr, 0, nullptr);
    ActSlowlyWhenAsked(__wargv[1]);
    if (command == &InstallService) {
        switch (MarkedFault()) {
        case Fault::InstallFails: return kExitFailed;
        case Fault::InstallHangs: ::Sleep(INFINITE); break;
        case Fault::None: break;
        }
    }
    const int exitCode = command() ? kExitOk : kExitFailed;
    // AV_STANDIN_LOG_ENDS: each command's end is logged too, so a test can
    // tell which commands overlapped.
    if (::GetEnvironmentVariableW(L"AV_STANDIN_LOG_ENDS", nullptr, 0) > 0) LogCommandLine("ended: ");
    return exitCode;
}
