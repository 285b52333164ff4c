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

using SystemParametersInfoFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
SystemParametersInfoFunction realSystemParametersInfo = nullptr;

BOOL WINAPI ProbeSystemParametersInfo(UINT action, UINT param, PVOID value, UINT flags) {
    if (action == SPI_GETHIGHCONTRAST && value) {
        if (HANDLE on = ::OpenMutexW(SYNCHRONIZE, FALSE, fontprobe::kHighContrastMutex)) {
            ::CloseHandle(on);
            auto* setting = static_cast<HIGHCONTRASTW*>(value);
            setting->dwFlags = HCF_HIGHCONTRASTON | HCF_AVAILABLE;
            setting->lpszDefaultScheme = nullptr;
            return TRUE;
        }
    }
    return realSystemParametersInfo(action, param, value, flags);
}

// Points setup.exe's import of SystemParametersInfoW at the stand-in.
void StandInForHighContrast(HMODULE self) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const int length = ::lstrlenW(path);
    if (length < 9 || ::lstrcmpiW(path + length - 9, L"setup.exe") != 0) return;
    // The wizard may ask after the test has unhooked: the stand-in stays.
    HMODULE pinned = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                         reinterpret_cast<LPCWSTR>(self), &pinned);
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    realSystemParametersInfo = reinterpret_cast<SystemParametersInfoFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoW")));
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name; ++module) {
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk); slot->u1.Function; ++slot) {
            if (slot->u1.Function != reinterpret_cast<ULONG_PTR>(realSystemParametersInfo)) continue;
            DWORD protection = 0;
            ::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(&ProbeSystemParametersInfo);
            ::VirtualProtect(slot, sizeof *slot, protection, &protection);
        }
    }
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) StandInForHighContrast(self);
    return TRUE;
}

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
