#include "controls/ContrastColors.h"

#include "framework/Gdi.h"

bool HighContrastOn() {
    HIGHCONTRASTW setting = {sizeof setting, 0, nullptr};
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON);
}

ContrastFace ContrastFaceOf(bool pushButton, bool enabled, bool lit) {
    if (!pushButton) return {COLOR_WINDOW, enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT, COLOR_WINDOWTEXT};
    if (!enabled) return {COLOR_BTNFACE, COLOR_GRAYTEXT, COLOR_GRAYTEXT};
    if (lit) return {COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHTTEXT};
    return {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_BTNTEXT};
}

namespace {

void Dot(HDC dc, LONG x, LONG y, LONG width, LONG height, HBRUSH brush) {
    const RECT dot = {x, y, x + width, y + height};
    ::FillRect(dc, &dot, brush);
}

} // namespace

void FillSolid(HDC dc, const RECT& box, COLORREF color) {
    fw::ScopedBrush brush(::CreateSolidBrush(color));
    ::FillRect(dc, &box, brush.Get());
}

void FrameSolid(HDC dc, RECT box, COLORREF color, int thickness) {
    fw::ScopedBrush brush(::CreateSolidBrush(color));
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    Dot(dc, box.left, box.top, width, thickness, brush.Get());
    Dot(dc, box.left, box.bottom - thickness, width, thickness, brush.Get());
    Dot(dc, box.left, box.top, thickness, height, brush.Get());
    Dot(dc, box.right - thickness, box.top, thickness, height, brush.Get());
}

void DottedFrame(HDC dc, RECT box, COLORREF color, int thickness) {
    fw::ScopedBrush brush(::CreateSolidBrush(color));
    for (int i = 0; i < thickness; ++i) {
        for (LONG x = box.left; x < box.right; x += 2) {
            Dot(dc, x, box.top, 1, 1, brush.Get());
            Dot(dc, x, box.bottom - 1, 1, 1, brush.Get());
        }
        for (LONG y = box.top; y < box.bottom; y += 2) {
            Dot(dc, box.left, y, 1, 1, brush.Get());
            Dot(dc, box.right - 1, y, 1, 1, brush.Get());
        }
        ::InflateRect(&box, -1, -1);
    }
}

void DrawCross(HDC dc, const RECT& face, COLORREF color, int inset, int width) {
    fw::ScopedBrush brush(::CreateSolidBrush(color));
    const int side = face.bottom - face.top - 2 * inset;
    const int left = (face.left + face.right - side) / 2, top = face.top + inset;
    for (int i = 0; i + width <= side; ++i) {
        Dot(dc, left + i, top + i, width, width, brush.Get());
        Dot(dc, left + side - width - i, top + i, width, width, brush.Get());
    }
}
