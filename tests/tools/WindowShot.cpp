#include "tests/tools/WindowShot.h"

#include "framework/Gdi.h"
#include "tests/support/PngWriter.h"

namespace walk {

namespace {
constexpr DWORD kCaptureEveryMs = 50;
}

bool Shot::Blank() const {
    for (uint32_t pixel : pixels)
        if (pixel != pixels.front()) return false;
    return true;
}

Shot CaptureScreen(const RECT& area) {
    Shot shot;
    shot.width = area.right - area.left;
    shot.height = area.bottom - area.top;
    if (shot.width <= 0 || shot.height <= 0) return Shot();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    fw::ScreenDC screen;
    fw::ScopedBitmap bitmap(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    fw::MemoryDC memory(screen.Get());
    if (!bitmap || !memory) return Shot();
    {
        fw::ScopedSelect select(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, shot.width, shot.height, screen.Get(), area.left, area.top,
                 SRCCOPY);
    }
    ::GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    shot.pixels.assign(pixels, pixels + static_cast<size_t>(shot.width) * shot.height);
    for (auto& pixel : shot.pixels) pixel &= 0x00FFFFFFu;
    return shot;
}

Shot SettledShot(HWND window, DWORD quietMs, DWORD timeoutMs, bool* settled) {
    const DWORD start = ::GetTickCount();
    RECT area = {};
    ::GetWindowRect(window, &area);
    Shot last = CaptureScreen(area);
    DWORD sameSince = ::GetTickCount();
    for (;;) {
        const DWORD now = ::GetTickCount();
        if (!last.Blank() && now - sameSince >= quietMs) {
            if (settled) *settled = true;
            return last;
        }
        if (now - start >= timeoutMs) break;
        ::Sleep(kCaptureEveryMs); // the pace of the polling, not a wait for anything
        ::GetWindowRect(window, &area);
        Shot next = CaptureScreen(area);
        if (!(next == last)) {
            last = std::move(next);
            sameSince = ::GetTickCount();
        }
    }
    if (settled) *settled = false;
    return last;
}

bool SaveShot(const Shot& shot, const std::wstring& path) {
    if (shot.pixels.empty()) return false;
    return png::WriteFile(path, shot.width, shot.height, shot.pixels.data());
}

} // namespace walk
