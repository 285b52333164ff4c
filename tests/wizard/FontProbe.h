#pragma once
#include <windows.h>

// A text measured inside the wizard's own process, with the font a control
// reports there (WM_GETFONT): fonts are objects of the process that made
// them, so another program cannot measure with them. font-probe.dll's
// WH_CALLWNDPROC hook answers the message kFontProbeMessage sent to a
// control, reading the request from the shared memory kFontProbeMemory
// and writing the answer back into it.
//
// Loaded into setup.exe, it also stands in for High Contrast, which Wine
// always reports off: while a mutex of the name kHighContrastMutex exists,
// setup.exe's SystemParametersInfoW answers SPI_GETHIGHCONTRAST with it on.
namespace fontprobe {

const wchar_t kHighContrastMutex[] = L"ArrayvaneTests.HighContrast";
const wchar_t kFontProbeMessage[] = L"ArrayvaneTests.FontProbe";
const wchar_t kFontProbeMemory[] = L"ArrayvaneTestsFontProbe";

struct Request {
    // Asked: the text, broken into lines at `wrapWidth` (0: one line).
    int wrapWidth;
    wchar_t text[1024];
    // Answered: whether the control reported a font, its height, and the
    // text's extent in it.
    int answered;
    int hasFont;
    LONG fontHeight;
    SIZE extent;
};

} // namespace fontprobe
