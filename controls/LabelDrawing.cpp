#include "controls/LabelDrawing.h"

#include <cstdlib>

#include "framework/Gdi.h"

UINT LabelTextFormat(LONG style, const std::wstring& caption) {
    if (style & SS_CENTERIMAGE) {
        // Centred both ways on one line, or only across when the caption
        // brings its own line breaks.
        return caption.find(L"\r\n") == std::wstring::npos
                   ? DT_CENTER | DT_VCENTER | DT_SINGLELINE
                   : DT_CENTER;
    }
    UINT format;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: format = DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format = DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: format = DT_LEFT; break;
    default: format = DT_LEFT | DT_WORDBREAK; break;
    }
    if (caption.find(L'\t') != std::wstring::npos) format |= DT_EXPANDTABS;
    return format;
}

std::vector<GradientBand> GradientBands(const RECT& rect, COLORREF start, COLORREF end,
                                        int maxBands) {
    const int width = rect.right - rect.left;
    const int bands = width < maxBands ? width : maxBands;
    const int divisor = bands > 1 ? bands : 1;
    // Each channel in 8.8 fixed point.
    int value[3] = {GetRValue(start) * 256, GetGValue(start) * 256, GetBValue(start) * 256};
    const int target[3] = {GetRValue(end) * 256, GetGValue(end) * 256, GetBValue(end) * 256};
    int step[3];
    for (int c = 0; c < 3; ++c) step[c] = (target[c] - value[c]) / divisor;
    const int bandWidth = width / divisor;

    std::vector<GradientBand> result;
    int x = rect.left;
    for (int i = 0; i < bands; ++i) {
        const int right = i == bands - 1 ? rect.right : x + bandWidth;
        result.push_back({x, right, RGB(value[0] / 256, value[1] / 256, value[2] / 256)});
        for (int c = 0; c < 3; ++c) value[c] += step[c];
        x = right;
    }
    return result;
}

void FillGradient(HDC dc, const RECT& rect, COLORREF start, COLORREF end, int maxBands) {
    fw::ScopedSelect pen(dc, ::GetStockObject(NULL_PEN));
    for (const GradientBand& band : GradientBands(rect, start, end, maxBands)) {
        fw::ScopedBrush brush(::CreateSolidBrush(band.color));
        fw::ScopedSelect select(dc, brush.Get());
        // Without a pen Rectangle leaves out the right column and bottom row.
        ::Rectangle(dc, band.left, rect.top, band.right + 1, rect.bottom + 1);
    }
}

int PointSizeToHeight(int points, int dpi) {
    return -std::abs(dpi * (points * 10) / 720);
}
