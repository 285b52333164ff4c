#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "framework/Handle.h"
#include "standins/application/AppWindow.h"
#include "standins/common/CommandLog.h"
#include "standins/common/ModulePath.h"

namespace {

constexpr int kExitNoRuntime = 2;
constexpr int kExitNoWindow = 3;

bool RuntimeLoaded(fw::Module& runtime) {
    runtime.Reset(::LoadLibraryW((OwnFolder() + L"mingwm10.dll").c_str()));
    return runtime.Get() && ::GetProcAddress(runtime.Get(), "RuntimeVersion");
}

std::wstring ReadAppName() {
    wchar_t name[MAX_PATH] = {};
    ::GetPrivateProfileStringW(L"Startup", L"AppName", L"Arrayvane", name, MAX_PATH,
                               (OwnFolder() + L"setup.ini").c_str());
    return name;
}

// "min" as the only argument: started at logon, so keep out of the way.
bool StartMinimised() {
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    bool minimised = args && count == 2 && std::wcscmp(args[1], L"min") == 0;
    ::LocalFree(args);
    return minimised;
}

void SaveSettings(bool minimised) {
    ::WritePrivateProfileStringW(L"Window", L"StartedMinimised", minimised ? L"1" : L"0",
                                 (OwnFolder() + L"Cfg.KX").c_str());
}

int RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int show) {
    LogCommandLine();
    fw::Module runtime;
    if (!RuntimeLoaded(runtime)) return kExitNoRuntime;

    bool minimised = StartMinimised();
    AppWindow window(ReadStandinMode());
    if (!window.Create(instance, ReadAppName().c_str())) return kExitNoWindow;
    window.Show(minimised ? SW_SHOWMINNOACTIVE : show);
    int exitCode = RunMessageLoop();
    SaveSettings(minimised);
    // AV_STANDIN_END_MS: it takes that long to end after its window has
    // closed, holding its files, as a program that writes its data would.
    wchar_t endMs[16];
    DWORD length = ::GetEnvironmentVariableW(L"AV_STANDIN_END_MS", endMs, 16);
    if (length > 0 && length < 16) ::Sleep(static_cast<DWORD>(std::wcstoul(endMs, nullptr, 10)));
    return exitCode;
}
