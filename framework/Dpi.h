#pragma once
#include <windows.h>

namespace fw {

// The dots per inch everything is drawn for at 100 %.
constexpr int kBaseDpi = 96;

// WM_DPICHANGED (Windows 8.1 and later; the headers for XP lack it):
// LOWORD(wParam) the new dpi, lParam the RECT the system suggests.
constexpr UINT kDpiChangedMessage = 0x02E0;

// round(value x dpi / 96), halves away from zero: a size or place at `dpi`.
inline int ScaleToDpi(int value, int dpi) { return ::MulDiv(value, dpi, kBaseDpi); }

// The dpi of the display the window is on (Windows 10 and later), else the
// system's (GetDeviceCaps LOGPIXELSX: Windows XP to 8).
int WindowDpi(HWND hwnd);

// A system metric at `dpi` (GetSystemMetricsForDpi where the system has it,
// else the system's metric scaled from the system's dpi).
int SystemMetricForDpi(int index, int dpi);

// The dialog manager of Windows 10 rescales a per-monitor aware dialog's
// controls and fonts on a dpi change by its template; a skinned dialog that
// rescales itself turns that off. Nothing where the system has no such thing.
void TakeOverDialogDpiScaling(HWND dialog);

} // namespace fw
