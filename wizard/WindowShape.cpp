#include "wizard/WindowShape.h"

#include <vector>

#include "framework/Gdi.h"

namespace {

std::uint32_t AsPixel(COLORREF color) {
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

void AddStrip(HRGN region, int left, int top, int right) {
    fw::ScopedRegion strip(::CreateRectRgn(left, top, right, top + 1));
    ::CombineRgn(region, region, strip.Get(), RGN_OR);
}

} // namespace

HRGN RowScanRegion(const std::uint32_t* pixels, int width, int height, COLORREF key) {
    const std::uint32_t keyPixel = AsPixel(key);
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels + static_cast<size_t>(y) * width;
        int x = 0;
        while (x < width) {
            const int start = x;
            while (x < width && (row[x] & 0xFFFFFF) != keyPixel) ++x;
            if (x > start) AddStrip(region, start, y, x);
            ++x;  // the key pixel that ended the run
        }
    }
    return region;
}

HRGN RegionFromBitmap(HDC dc, HBITMAP bitmap, int width, int height, COLORREF key) {
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    // The bitmap must not be selected into a context while it is read.
    if (::GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != height)
        return nullptr;
    return RowScanRegion(pixels.data(), width, height, key);
}

POINT CentredOrigin(SIZE screen, SIZE window) {
    return POINT{screen.cx / 2 - window.cx / 2, screen.cy / 2 - window.cy / 2};
}
