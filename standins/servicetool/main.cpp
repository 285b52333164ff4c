#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "standins/common/CommandLog.h"
#include "standins/servicetool/ServiceCommands.h"
#include "standins/servicetool/ServiceMode.h"
#include "standins/servicetool/ServiceName.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using Command = bool (*)();

Command FindCommand(const wchar_t* word) {
    if (std::wcscmp(word, L"-i") == 0) return &InstallService;
    if (std::wcscmp(word, L"-k") == 0) return &StopService;
    if (std::wcscmp(word, L"-u") == 0) return &RemoveService;
    return nullptr;
}

// AV_STANDIN_DELAY_MS makes each command take that much longer, like a
// real tool that needs its time.
void ActSlowlyWhenAsked() {
    wchar_t delay[16];
    DWORD length = ::GetEnvironmentVariableW(L"AV_STANDIN_DELAY_MS", delay, 16);
    if (length > 0 && length < 16) ::Sleep(static_cast<DWORD>(std::wcstoul(delay, nullptr, 10)));
}

} // namespace

// Windowless, and without user32 at all: a service that loads it waits for
// a desktop, and where the service manager has none (Wine started without
// a display) the service would never answer it.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    LogCommandLine();
    if (__argc == 3 && std::wcscmp(__wargv[1], kServiceModeArg) == 0)
        return RunAsService(__wargv[2]) ? kExitOk : kExitFailed;
    Command command = __argc == 2 ? FindCommand(__wargv[1]) : nullptr;
    if (!command) return kExitUsage;
    ActSlowlyWhenAsked();
    return command() ? kExitOk : kExitFailed;
}
