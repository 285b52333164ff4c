#pragma once
#include <windows.h>

// The bitmap buttons' test pictures, handed out by picture id: solid faces
// of one colour per state, 80 x 24 for push buttons (ids 1-6) and 21 x 24
// for boxes (ids 11-16); id 7 is a push face with key-coloured corners.
namespace pictures {

const COLORREF kNormal = RGB(0, 0, 200);
const COLORREF kPressed = RGB(0, 0, 100);
const COLORREF kHover = RGB(0, 150, 255);
const COLORREF kChecked = RGB(0, 160, 0);
const COLORREF kDisabled = RGB(90, 90, 90);
const COLORREF kDisabledChecked = RGB(0, 80, 0);
const COLORREF kKey = RGB(255, 0, 255);

enum : UINT { kPushNormal = 1, kPushPressed, kPushHover, kPushChecked, kPushDisabled, kPushDisabledChecked, kPushKeyed };
enum : UINT { kBoxNormal = 11, kBoxPressed, kBoxHover, kBoxChecked, kBoxDisabled, kBoxDisabledChecked };
const UINT kMissing = 99;
const SIZE kPushSize = {80, 24};
const SIZE kBoxSize = {21, 24};

// A SkinBitmap loader: the picture of `id`, or null for an unknown id.
HBITMAP Load(UINT id);

} // namespace pictures
