#include "framework/Dpi.h"

#include "framework/Gdi.h"

namespace fw {

namespace {

// Looked up at run time: Windows XP's user32 lacks them.
void* User32Function(const char* name) {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<void*>(::GetProcAddress(user32, name)) : nullptr;
}

} // namespace

int WindowDpi(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    if (auto forWindow = reinterpret_cast<GetDpiForWindowFn>(User32Function("GetDpiForWindow")))
        if (UINT dpi = forWindow(hwnd)) return static_cast<int>(dpi);
    ScreenDC screen;
    const int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSX);
    return dpi > 0 ? dpi : kBaseDpi;
}

int SystemMetricForDpi(int index, int dpi) {
    using ForDpiFn = int(WINAPI*)(int, UINT);
    if (auto forDpi = reinterpret_cast<ForDpiFn>(User32Function("GetSystemMetricsForDpi")))
        return forDpi(index, static_cast<UINT>(dpi));
    ScreenDC screen;
    const int systemDpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    const int metric = ::GetSystemMetrics(index);
    return systemDpi > 0 && systemDpi != dpi ? ::MulDiv(metric, dpi, systemDpi) : metric;
}

void TakeOverDialogDpiScaling(HWND dialog) {
    using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    const int disableAll = 1;  // DDC_DISABLE_ALL
    if (auto set = reinterpret_cast<SetBehaviorFn>(User32Function("SetDialogDpiChangeBehavior")))
        set(dialog, disableAll, disableAll);
}

} // namespace fw
