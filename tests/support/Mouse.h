#pragma once
#include <windows.h>

namespace test {

// Real input through SendInput: the events reach whatever window stands
// under the pointer, in any process.

// A point of a window's client area on the screen, where the window stands now.
POINT ScreenPoint(HWND hwnd, POINT client);

void MoveMouseTo(HWND hwnd, int x, int y);
void MoveMouseAway();
void ClickAt(HWND hwnd, int x, int y);

// Single events at fixed screen points, for drags: the window may move
// under the pointer meanwhile.
void MouseMove(POINT screen);
void MouseDown(POINT screen);
void MouseUp(POINT screen);

} // namespace test
