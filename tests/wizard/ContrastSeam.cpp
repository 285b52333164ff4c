#include "tests/wizard/ContrastSeam.h"

#include "tests/wizard/FontProbe.h"

namespace contrast {

SeenHighContrast::SeenHighContrast() : mutex_(::CreateMutexW(nullptr, FALSE, fontprobe::kHighContrastMutex)) {}

SeenHighContrast::~SeenHighContrast() {
    if (mutex_) ::CloseHandle(mutex_);
}

namespace {

bool Shaped(HWND window) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    const bool shaped = ::GetWindowRgn(window, region) != ERROR;
    ::DeleteObject(region);
    return shaped;
}

} // namespace

bool TellContrastChanged(HWND wizard, bool on, const std::wstring& probePath) {
    // The hooks stay for this program's run: the probe they load stays in
    // the wizard's process anyway.
    HMODULE probe = ::LoadLibraryW(probePath.c_str());
    auto* hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(probe, "FontProbeHook")));
    if (!hook || !::SetWindowsHookExW(WH_CALLWNDPROC, hook, probe, ::GetWindowThreadProcessId(wizard, nullptr)))
        return false;
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(wizard, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_NORMAL, 10000, &result);
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 20000; ::Sleep(20))
        if (Shaped(wizard) != on) return true;
    return false;
}

} // namespace contrast
