#include "tests/support/Mouse.h"

namespace test {

namespace {

void SendMouse(DWORD flags, POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof input);
}

} // namespace

POINT ScreenPoint(HWND hwnd, POINT client) {
    ::ClientToScreen(hwnd, &client);
    return client;
}

void MoveMouseTo(HWND hwnd, int x, int y) { MouseMove(ScreenPoint(hwnd, POINT{x, y})); }

void MoveMouseAway() {
    MouseMove(POINT{::GetSystemMetrics(SM_CXSCREEN) - 2, ::GetSystemMetrics(SM_CYSCREEN) - 2});
}

void ClickAt(HWND hwnd, int x, int y) {
    const POINT point = ScreenPoint(hwnd, POINT{x, y});
    MouseMove(point);
    MouseDown(point);
    MouseUp(point);
}

// A press and a release carry their point too: when Wine maps a new window
// the X server may report the pointer where X last saw it, and a press
// without a point would land there.
void MouseMove(POINT screen) { SendMouse(MOUSEEVENTF_MOVE, screen); }
void MouseDown(POINT screen) { SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, screen); }
void MouseUp(POINT screen) { SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP, screen); }

} // namespace test
