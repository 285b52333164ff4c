#include "tests/tools/WalkWindows.h"

#include <vector>

namespace walk {

namespace {

constexpr int kActionButton = 1000;
// The engine's message boxes answer within this time or are hung.
constexpr UINT kAnswerMs = 2000;

struct Search {
    DWORD pid;
    bool (*accept)(HWND);
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.pid || !::IsWindowVisible(window)) return TRUE;
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !search.accept(window)) return TRUE;
    search.found = window;
    return FALSE;
}

void SendMouse(DWORD flags, POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = ::MulDiv(screen.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ::MulDiv(screen.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof input);
}

} // namespace

HWND FindDialogOf(DWORD pid, bool (*accept)(HWND)) {
    Search search = {pid, accept, nullptr};
    ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsWizard(HWND dialog) { return ::GetDlgItem(dialog, kActionButton) != nullptr; }

bool IsFailBox(HWND dialog) { return !IsWizard(dialog) && WindowText(dialog) == L"Fail"; }

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ControlText(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    if (!control) return std::wstring();
    std::vector<wchar_t> text(1025, L'\0');
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXT, text.size() - 1,
                               reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kAnswerMs,
                               &length)) {
        return std::wstring();
    }
    return std::wstring(text.data());
}

bool IsShown(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    return control && ::IsWindowVisible(control);
}

bool IsEnabled(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    return control && ::IsWindowEnabled(control);
}

void ClickCentre(HWND control) {
    RECT box = {};
    ::GetWindowRect(control, &box);
    const POINT centre = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    SendMouse(MOUSEEVENTF_MOVE, centre);
    SendMouse(MOUSEEVENTF_LEFTDOWN, centre);
    SendMouse(MOUSEEVENTF_LEFTUP, centre);
}

void MoveMouseAway() {
    SendMouse(MOUSEEVENTF_MOVE,
              POINT{::GetSystemMetrics(SM_CXSCREEN) - 2, ::GetSystemMetrics(SM_CYSCREEN) - 2});
}

bool PollFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(pollMs);
    }
    return true;
}

bool Ended(HANDLE process) { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

} // namespace walk
