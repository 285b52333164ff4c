#include "standins/application/AppWindow.h"

namespace {
const wchar_t kClassName[] = L"ArrayvaneRaidWindow";
constexpr UINT WM_APP_HANG = WM_APP + 1;
// Long enough to outlast any test that looks at a hung window.
constexpr DWORD kHangMs = 10 * 60 * 1000;
} // namespace

bool AppWindow::Create(HINSTANCE instance, const wchar_t* title) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &AppWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassW(&windowClass)) return false;
    hwnd_ = ::CreateWindowExW(0, kClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, this);
    return hwnd_ != nullptr;
}

void AppWindow::Show(int showCommand) {
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);
    // Sent, not posted: the hang starts before the message loop runs, so a
    // WM_CLOSE sent once the window is visible cannot be handled first.
    if (mode_ == StandinMode::Hang) ::SendMessageW(hwnd_, WM_APP_HANG, 0, 0);
}

LRESULT CALLBACK AppWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<AppWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    self->hwnd_ = hwnd;
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT AppWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: return OnClose();
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    case WM_APP_HANG: return OnHang();
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT AppWindow::OnClose() {
    if (mode_ != StandinMode::IgnoreClose) ::DestroyWindow(hwnd_);
    return 0;
}

LRESULT AppWindow::OnHang() {
    ::Sleep(kHangMs);
    return 0;
}
