#pragma once
#include <windows.h>

#include <string>

namespace contrast {

// High Contrast as the wizard's process sees it: while one of these lives,
// font-probe.dll (FontProbe.h), loaded there, answers that it is on.
class SeenHighContrast {
public:
    SeenHighContrast();
    ~SeenHighContrast();
    SeenHighContrast(const SeenHighContrast&) = delete;
    SeenHighContrast& operator=(const SeenHighContrast&) = delete;

private:
    HANDLE mutex_;
};

// Loads the probe (`probePath`) into the wizard's process and tells the
// wizard that the setting changed, as Windows does (WM_SETTINGCHANGE,
// SPI_SETHIGHCONTRAST); true once it has followed within 20 seconds: no
// window region in High Contrast, its skin's shape again without.
bool TellContrastChanged(HWND wizard, bool on, const std::wstring& probePath);

} // namespace contrast
