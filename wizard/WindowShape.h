#pragma once
#include <windows.h>

#include <cstdint>

// The window's shape and place, cut from its background bitmap.

// The key colour: background pixels of it lie outside the window.
constexpr COLORREF kShapeKeyColor = RGB(255, 0, 255);

// The region of every pixel that is not `key`, built row by row: one strip
// per run of other pixels, each merged at once. `pixels` holds `height`
// top-down rows of `width` values 0x00RRGGBB. The caller owns the region.
HRGN RowScanRegion(const std::uint32_t* pixels, int width, int height, COLORREF key);

// Reads the bitmap's pixels in one go and cuts its region (null when the
// pixels cannot be read).
HRGN RegionFromBitmap(HDC dc, HBITMAP bitmap, int width, int height, COLORREF key);

// Where a window of that size stands centred on a screen of that size: each
// half is an integer division on its own.
POINT CentredOrigin(SIZE screen, SIZE window);
