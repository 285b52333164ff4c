#include "tests/support/Keyboard.h"

namespace test {

namespace {

INPUT Key(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, 0));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

void PressKey(WORD key, WORD modifier) {
    INPUT inputs[4];
    UINT count = 0;
    if (modifier) inputs[count++] = Key(modifier, false);
    inputs[count++] = Key(key, false);
    inputs[count++] = Key(key, true);
    if (modifier) inputs[count++] = Key(modifier, true);
    ::SendInput(count, inputs, sizeof inputs[0]);
}

} // namespace test
