#pragma once
#include <windows.h>

namespace test {

// A real key stroke through SendInput, with a modifier (VK_MENU, VK_SHIFT)
// held around it or none: it reaches the focus of the foreground window.
void PressKey(WORD key, WORD modifier = 0);

} // namespace test
