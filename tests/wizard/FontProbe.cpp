// font-probe.dll: the wizard tests' hook in the wizard's process (FontProbe.h).
#include "tests/wizard/FontProbe.h"

namespace {

void Measure(HWND control, fontprobe::Request& request) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW description = {};
    request.hasFont = font && ::GetObjectW(font, sizeof description, &description) == sizeof description;
    request.fontHeight = description.lfHeight;
    HDC dc = ::GetDC(control);
    HGDIOBJ before = ::SelectObject(dc, font ? font : ::GetStockObject(SYSTEM_FONT));
    RECT box = {0, 0, request.wrapWidth, 0};
    request.text[1023] = L'\0';
    ::DrawTextW(dc, request.text, -1, &box, DT_CALCRECT | (request.wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, before);
    ::ReleaseDC(control, dc);
    request.extent = SIZE{box.right - box.left, box.bottom - box.top};
    request.answered = 1;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK FontProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT probe = ::RegisterWindowMessageW(fontprobe::kFontProbeMessage);
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == probe) {
        HANDLE mapping = ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, fontprobe::kFontProbeMemory);
        if (void* view = mapping ? ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(fontprobe::Request)) : nullptr) {
            Measure(message->hwnd, *static_cast<fontprobe::Request*>(view));
            ::UnmapViewOfFile(view);
        }
        if (mapping) ::CloseHandle(mapping);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
