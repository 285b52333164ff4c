#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The DrawText format a label uses for its caption, from its window style.
UINT LabelTextFormat(LONG style, const std::wstring& caption);

// The vertical bands of a left-to-right gradient: at most `maxBands`, one
// per pixel column on narrower rectangles; the last band takes the rest.
struct GradientBand {
    int left;
    int right;
    COLORREF color;
};
std::vector<GradientBand> GradientBands(const RECT& rect, COLORREF start, COLORREF end,
                                        int maxBands);
void FillGradient(HDC dc, const RECT& rect, COLORREF start, COLORREF end, int maxBands);

// The LOGFONT height of a point size on a screen of `dpi` dots per inch.
int PointSizeToHeight(int points, int dpi);
