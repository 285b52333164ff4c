#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace walk {

// What the screen shows inside a window's rectangle, pixels 0x00RRGGBB,
// top row first.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    bool operator==(const Shot& other) const {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
    // One colour throughout: the window has not been drawn yet.
    bool Blank() const;
};

Shot CaptureScreen(const RECT& area);

// Captures `window` until what the screen shows has stayed the same for
// `quietMs` (and is not blank), or `timeoutMs` has passed; returns the last
// capture. `settled` tells which of the two ended it.
Shot SettledShot(HWND window, DWORD quietMs, DWORD timeoutMs, bool* settled = nullptr);

bool SaveShot(const Shot& shot, const std::wstring& path);

} // namespace walk
