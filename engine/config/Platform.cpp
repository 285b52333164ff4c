#include "engine/config/Platform.h"

#include <windows.h>

int IsWow64 = 0;
int IsNt6 = 0;

int DetectWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return 0;
    auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")));
    if (!isWow64Process) return 0;
    BOOL wow64 = FALSE;
    isWow64Process(::GetCurrentProcess(), &wow64);
    return wow64 ? 1 : 0;
}

int IsNt6Version(unsigned long platformId, unsigned long majorVersion) {
    return platformId == VER_PLATFORM_WIN32_NT && majorVersion == 6 ? 1 : 0;
}

int IsNt6Platform() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExW(&info)) return 0;
    return IsNt6Version(info.dwPlatformId, info.dwMajorVersion);
}
